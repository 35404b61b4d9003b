#pragma once

// A companion speaking the watch link's line protocol by hand, without threads, for its tests.

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "support/log_capture.h"

namespace voltaro::testing {

inline sockaddr_un unixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

class RawClient {
public:
    explicit RawClient(const std::string& path) {
        const timeval sendLimit{5, 0};  // a write the application never takes fails, not hangs
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
        const sockaddr_un address = unixAddress(path);
        connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }

    bool write(const std::string& bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t sent = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent <= 0) return false;
            done += static_cast<std::size_t>(sent);
        }
        return true;
    }

    std::optional<std::string> nextLine() {
        closed();
        const std::size_t newline = received_.find('\n');
        if (newline == std::string::npos) return std::nullopt;
        std::string line = received_.substr(0, newline);
        received_.erase(0, newline + 1);
        return line;
    }

    // Takes in whatever arrived; true once the application closed the link.
    bool closed() {
        char buffer[4096];
        ssize_t got;
        while ((got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
            received_.append(buffer, static_cast<std::size_t>(got));
        }
        closed_ = closed_ || got == 0 || (errno != EAGAIN && errno != EINTR);
        return closed_;
    }

private:
    int fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

}  // namespace voltaro::testing
