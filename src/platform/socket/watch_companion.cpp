#include "platform/socket/watch_companion.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/log.h"

namespace voltaro {
namespace {

// A write to an application that stopped reading fails after this instead of hanging.
constexpr int kWriteTimeoutSeconds = 5;

}  // namespace

WatchCompanion::WatchCompanion(std::string socketPath) : socketPath_(std::move(socketPath)) {}

WatchCompanion::~WatchCompanion() {
    disconnect();
}

bool WatchCompanion::connect(std::string* error) {
    const auto failed = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    if (fd_ >= 0) return failed("already connected");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) {
        return failed("unusable socket path \"" + socketPath_ + "\"");
    }
    std::memcpy(address.sun_path, socketPath_.data(), socketPath_.size());

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return failed(std::system_category().message(errno));
    timeval writeTimeout{kWriteTimeoutSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &writeTimeout, sizeof writeTimeout);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int code = errno;
        close(fd);
        return failed(socketPath_ + ": " + std::system_category().message(code));
    }
    fd_ = fd;
    {
        std::lock_guard lock(mutex_);
        connected_ = true;
        readerDone_ = false;
    }
    reader_ = std::thread([this] { readLoop(); });
    if (!sendLine(watchLine({{"hello", "watch"}}))) {
        disconnect();
        return failed("the application closed the link");
    }
    return true;
}

bool WatchCompanion::sendLine(const std::string& line) {
    if (!isConnected()) return false;
    std::lock_guard lock(writeMutex_);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t sent = send(fd_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

std::optional<nlohmann::json> WatchCompanion::ask(const nlohmann::json& message,
                                                  std::chrono::milliseconds timeout) {
    std::int64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        if (!connected_) return std::nullopt;
        id = nextId_++;
        waiting_.emplace(id, std::nullopt);
    }
    nlohmann::json request = nlohmann::json::object();
    request["id"] = id;
    request["message"] = message;
    const bool sent = sendLine(watchLine(request));

    std::unique_lock lock(mutex_);
    if (sent) {
        changed_.wait_for(lock, timeout, [&] { return waiting_[id].has_value() || !connected_; });
    }
    std::optional<nlohmann::json> reply = std::move(waiting_[id]);
    waiting_.erase(id);
    return reply;
}

bool WatchCompanion::answerPush(const nlohmann::json& reply) {
    nlohmann::json envelope = nlohmann::json::object();
    envelope["reply"] = reply;
    return sendLine(watchLine(envelope));
}

bool WatchCompanion::isConnected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

bool WatchCompanion::waitForDisconnect(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    // Once the reader is done, the disconnect handler has run too.
    return changed_.wait_for(lock, timeout, [&] { return readerDone_; });
}

void WatchCompanion::disconnect() {
    if (fd_ < 0) return;
    shutdown(fd_, SHUT_RDWR);  // wakes the reader, which then sees the end of the stream
    if (std::this_thread::get_id() == reader_.get_id()) return;  // from a callback: ends soon
    if (reader_.joinable()) reader_.join();
    close(fd_);
    fd_ = -1;
}

void WatchCompanion::readLoop() {
    LineSplitter splitter;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        splitter.feed(
            std::string_view(buffer, static_cast<std::size_t>(got)),
            [this](std::string_view line) { handleLine(line); },
            [] { log::debug(log::Category::Watch, "overlong line from the application dropped"); });
    }
    {
        std::lock_guard lock(mutex_);
        connected_ = false;
    }
    changed_.notify_all();
    if (onDisconnect_) onDisconnect_();
    {
        std::lock_guard lock(mutex_);
        readerDone_ = true;
    }
    changed_.notify_all();
}

void WatchCompanion::handleLine(std::string_view line) {
    const std::optional<nlohmann::json> parsed = parseWatchLine(line);
    if (!parsed) {
        log::debug(log::Category::Watch, "malformed line from the application dropped");
        return;
    }
    if (const auto reply = parsed->find("reply"); reply != parsed->end()) {
        const auto id = parsed->find("id");
        if (id == parsed->end() || !id->is_number_integer()) return;
        {
            std::lock_guard lock(mutex_);
            const auto waiter = waiting_.find(id->get<std::int64_t>());
            if (waiter == waiting_.end()) return;  // asked too long ago
            waiter->second = *reply;
        }
        changed_.notify_all();
        return;
    }
    if (const auto message = parsed->find("message"); message != parsed->end()) {
        if (onPush_) onPush_(*message);
    }
}

}  // namespace voltaro
