#pragma once

// A raw line client for tests of the watch link.

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/log_capture.h"

namespace voltaro::testing {

inline sockaddr_un unixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

// A companion speaking the line protocol by hand, without threads, polled from the main loop.
class RawClient {
public:
    explicit RawClient(const std::string& path, int receiveBufferBytes = 0) {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBufferBytes > 0) {
            setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof receiveBufferBytes);
        }
        const sockaddr_un address = unixAddress(path);
        connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    }
    ~RawClient() { close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }

    // Writes everything, waiting for room when the application reads slowly.
    bool write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t sent = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent > 0) {
                done += static_cast<std::size_t>(sent);
            } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd entry{fd_, POLLOUT, 0};
                poll(&entry, 1, 1000);
            } else {
                return false;
            }
        }
        return true;
    }

    bool pump() {
        char buffer[4096];
        for (;;) {
            const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
            if (got > 0) {
                received_.append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EINTR)) closed_ = true;
            return !closed_;
        }
    }

    std::optional<std::string> nextLine() {
        pump();
        const std::size_t newline = received_.find('\n');
        if (newline == std::string::npos) return std::nullopt;
        std::string line = received_.substr(0, newline);
        received_.erase(0, newline + 1);
        return line;
    }

    bool closed() {
        pump();
        return closed_;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

}  // namespace voltaro::testing
