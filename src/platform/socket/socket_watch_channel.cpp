#include "platform/socket/socket_watch_channel.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/log.h"

namespace voltaro {
namespace {

// Pushes a companion has not answered yet, per companion; older ones are forgotten (they were
// delivered, an answer is optional).
constexpr std::size_t kMaxUnansweredPushes = 32;
constexpr std::size_t kReadChunkBytes = 16 * 1024;
constexpr int kReadRoundsPerWake = 8;  // so one busy companion cannot starve the others

void note(const std::string& line) {
    log::debug(log::Category::Watch, line);
}

std::string errorText(int error) {
    return std::system_category().message(error);
}

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

sockaddr* asSockaddr(sockaddr_un& address) {
    return reinterpret_cast<sockaddr*>(&address);  // the sockets API's own idiom
}

struct SendHandlers {
    WatchChannel::ReplyHandler onReply;
    WatchChannel::ErrorHandler onError;
};

struct Command {
    enum class Kind { Push, Reply };
    Kind kind = Kind::Push;
    std::string line;
    std::shared_ptr<const SendHandlers> handlers;  // Push
    std::uint64_t companion = 0;                   // Reply
};

}  // namespace

// What the channel, its I/O thread and the tasks it posts share. The tasks may outlive the
// channel; `open` tells them it is gone.
struct SocketWatchChannel::Shared {
    explicit Shared(MainLoop& mainLoop) : loop(mainLoop) {}

    // Runs on any thread; a no-op once the I/O thread stops.
    void enqueue(Command command) {
        {
            std::lock_guard lock(mutex);
            if (stopping) return;
            commands.push_back(std::move(command));
        }
        wake();
    }

    void wake() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wakeFd, &one, sizeof one);
    }

    // Handlers run, and are destroyed, on the main loop only: what they capture may belong there.
    void postReply(std::shared_ptr<const SendHandlers> handlers, nlohmann::json reply) {
        auto value = std::make_shared<nlohmann::json>(std::move(reply));
        loop.post([self = self(), handlers = std::move(handlers), value] {
            if (self->open && handlers->onReply) handlers->onReply(*value);
        });
    }
    void postError(std::shared_ptr<const SendHandlers> handlers, std::string error) {
        loop.post([self = self(), handlers = std::move(handlers), error = std::move(error)] {
            if (self->open && handlers->onError) handlers->onError(error);
        });
    }
    void release(std::shared_ptr<const SendHandlers> handlers) {
        loop.post([handlers = std::move(handlers)] {});
    }

    std::shared_ptr<Shared> self() { return weakSelf.lock(); }

    MainLoop& loop;
    std::weak_ptr<Shared> weakSelf;
    int wakeFd = -1;  // an eventfd; set before the I/O thread starts, closed after it ends
    std::atomic<int> pairedCompanions{0};

    // Main loop only.
    bool open = true;
    MessageHandler messageHandler;

    std::mutex mutex;
    std::vector<Command> commands;  // guarded by mutex
    bool stopping = false;          // guarded by mutex
};

// The I/O thread's side: the listening socket and the companions. Touched by that thread alone.
class SocketWatchChannel::Server {
public:
    Server(std::shared_ptr<Shared> shared, const Settings& settings, int listenFd)
        : shared_(std::move(shared)), settings_(settings), listenFd_(listenFd) {}
    ~Server() { close(listenFd_); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void run();

private:
    struct UnansweredPush {
        std::shared_ptr<const SendHandlers> handlers;
        std::uint64_t endOffset;  // the push's last byte in the companion's output stream
    };
    struct Companion {
        Companion(int socket, std::uint64_t number, std::size_t maxLine)
            : fd(socket), id(number), splitter(maxLine) {}
        int fd;
        std::uint64_t id;
        LineSplitter splitter;
        bool paired = false;
        bool dropped = false;
        std::string output;  // not yet written
        std::uint64_t queuedBytes = 0;
        std::uint64_t writtenBytes = 0;
        std::deque<UnansweredPush> unanswered;
    };

    bool takeCommands();
    void acceptAll();
    void readFrom(Companion& companion);
    void handleLine(Companion& companion, std::string_view line);
    void queue(Companion& companion, const std::string& line,
               const std::shared_ptr<const SendHandlers>& handlers);
    void flush(Companion& companion);
    void drop(Companion& companion, const std::string& reason);
    void removeDropped();

    std::shared_ptr<Shared> shared_;
    const Settings settings_;
    int listenFd_;
    bool acceptPaused_ = false;  // out of file descriptors: wait for the retry or a companion to leave
    std::chrono::steady_clock::time_point acceptRetryAt_{};
    std::vector<std::unique_ptr<Companion>> companions_;
    std::uint64_t nextCompanionId_ = 1;
};

void SocketWatchChannel::Server::run() {
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({shared_->wakeFd, POLLIN, 0});
        fds.push_back({listenFd_, static_cast<short>(acceptPaused_ ? 0 : POLLIN), 0});
        for (const auto& companion : companions_) {
            const short events = companion->output.empty() ? POLLIN : POLLIN | POLLOUT;
            fds.push_back({companion->fd, events, 0});
        }
        // Paused for want of file descriptors: something else in the process may free one at any
        // time, so try again when the retry is due rather than only when a companion leaves.
        int timeout = -1;
        if (acceptPaused_) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                acceptRetryAt_ - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
        }
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) continue;
            note("watch link stopped: " + errorText(errno));
            break;
        }
        if (fds[0].revents != 0 && !takeCommands()) break;
        const bool retryDue = acceptPaused_ && std::chrono::steady_clock::now() >= acceptRetryAt_;
        if (retryDue) acceptPaused_ = false;
        if ((fds[1].revents & POLLIN) != 0 || retryDue) acceptAll();
        // Companions accepted just now have no entry in `fds`; they are read next time round.
        for (std::size_t i = 0; i + 2 < fds.size(); ++i) {
            Companion& companion = *companions_[i];
            if ((fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) != 0) readFrom(companion);
        }
        for (const auto& companion : companions_) {
            if (!companion->dropped && !companion->output.empty()) flush(*companion);
        }
        removeDropped();
    }
    for (const auto& companion : companions_) drop(*companion, "the watch link closed");
    companions_.clear();
}

bool SocketWatchChannel::Server::takeCommands() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(shared_->wakeFd, &count, sizeof count);
    std::vector<Command> commands;
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->stopping) return false;
        commands.swap(shared_->commands);
    }
    for (Command& command : commands) {
        if (command.kind == Command::Kind::Reply) {
            for (const auto& companion : companions_) {
                if (companion->id == command.companion && !companion->dropped) {
                    queue(*companion, command.line, nullptr);
                }
            }
            continue;
        }
        bool anyPaired = false;
        for (const auto& companion : companions_) {
            if (!companion->paired || companion->dropped) continue;
            anyPaired = true;
            queue(*companion, command.line, command.handlers);
        }
        if (!anyPaired) {
            shared_->postError(std::move(command.handlers), "no companion connected");
        } else {
            shared_->release(std::move(command.handlers));
        }
    }
    return true;
}

void SocketWatchChannel::Server::acceptAll() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                note("cannot accept companions for now: " + errorText(errno));
                acceptPaused_ = true;
                acceptRetryAt_ = std::chrono::steady_clock::now() +
                                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                     std::chrono::duration<double>(settings_.acceptRetrySeconds));
            }
            return;
        }
        // The socket's mode already keeps other users out; this holds even if it were loosened.
        ucred peer{};
        socklen_t length = sizeof peer;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid()) {
            note("connection from another user refused");
            close(fd);
            continue;
        }
        if (companions_.size() >= settings_.maxCompanions) {
            note("too many companions, connection refused");
            close(fd);
            continue;
        }
        if (settings_.socketSendBufferBytes > 0) {
            setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &settings_.socketSendBufferBytes,
                       sizeof settings_.socketSendBufferBytes);
        }
        companions_.push_back(
            std::make_unique<Companion>(fd, nextCompanionId_++, settings_.maxLineBytes));
        note("companion connected");
    }
}

void SocketWatchChannel::Server::readFrom(Companion& companion) {
    std::vector<char> buffer(kReadChunkBytes);
    for (int round = 0; round < kReadRoundsPerWake && !companion.dropped; ++round) {
        const ssize_t got = recv(companion.fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got > 0) {
            companion.splitter.feed(
                std::string_view(buffer.data(), static_cast<std::size_t>(got)),
                [&](std::string_view line) {
                    if (!companion.dropped) handleLine(companion, line);
                },
                [&] {
                    note("line over " + std::to_string(settings_.maxLineBytes) + " bytes dropped");
                });
            continue;
        }
        if (got == 0) {
            drop(companion, "the companion disconnected");
            return;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;
        drop(companion, "read failed: " + errorText(errno));
        return;
    }
}

void SocketWatchChannel::Server::handleLine(Companion& companion, std::string_view line) {
    const std::optional<nlohmann::json> parsed = parseWatchLine(line);
    if (!parsed) {
        note("malformed line dropped");
        return;
    }
    const nlohmann::json& object = *parsed;

    if (const auto hello = object.find("hello"); hello != object.end() && *hello == "watch") {
        if (!companion.paired) {
            companion.paired = true;
            ++shared_->pairedCompanions;
            note("companion paired");
        }
        return;
    }

    if (const auto message = object.find("message"); message != object.end()) {
        struct Request {
            std::uint64_t companion;
            std::optional<nlohmann::json> id;
            nlohmann::json message;
        };
        auto request = std::make_shared<Request>();
        request->companion = companion.id;
        if (const auto id = object.find("id"); id != object.end()) request->id = *id;
        request->message = *message;
        shared_->loop.post([self = shared_, request] {
            if (!self->open || !self->messageHandler) return;
            const std::weak_ptr<Shared> weak = self;
            auto answered = std::make_shared<bool>(false);
            const Reply reply = [weak, request, answered](const nlohmann::json& answer) {
                if (*answered) return;
                *answered = true;
                const std::shared_ptr<Shared> shared = weak.lock();
                if (!shared) return;
                nlohmann::json envelope = nlohmann::json::object();
                if (request->id) envelope["id"] = *request->id;
                envelope["reply"] = answer;
                shared->enqueue(Command{Command::Kind::Reply, watchLine(envelope), nullptr,
                                        request->companion});
            };
            self->messageHandler(request->message, reply);
        });
        return;
    }

    if (const auto reply = object.find("reply"); reply != object.end()) {
        if (companion.unanswered.empty()) {
            note("reply to no message dropped");
            return;
        }
        UnansweredPush push = std::move(companion.unanswered.front());
        companion.unanswered.pop_front();
        shared_->postReply(std::move(push.handlers), *reply);
        return;
    }

    note("line of unknown kind dropped");
}

void SocketWatchChannel::Server::queue(Companion& companion, const std::string& line,
                                       const std::shared_ptr<const SendHandlers>& handlers) {
    if (companion.output.size() + line.size() > settings_.maxPendingOutputBytes) {
        drop(companion, "the companion stopped reading");
        if (handlers) shared_->postError(handlers, "the companion stopped reading");
        return;
    }
    companion.output += line;
    companion.queuedBytes += line.size();
    if (!handlers) return;
    companion.unanswered.push_back({handlers, companion.queuedBytes});
    if (companion.unanswered.size() > kMaxUnansweredPushes) {
        shared_->release(std::move(companion.unanswered.front().handlers));
        companion.unanswered.pop_front();
    }
}

void SocketWatchChannel::Server::flush(Companion& companion) {
    while (!companion.output.empty()) {
        const ssize_t sent = send(companion.fd, companion.output.data(), companion.output.size(),
                                  MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            companion.output.erase(0, static_cast<std::size_t>(sent));
            companion.writtenBytes += static_cast<std::uint64_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        drop(companion, "write failed: " + errorText(errno));
        return;
    }
}

void SocketWatchChannel::Server::drop(Companion& companion, const std::string& reason) {
    if (companion.dropped) return;
    companion.dropped = true;
    note("companion dropped: " + reason);
    close(companion.fd);
    companion.fd = -1;
    if (companion.paired) --shared_->pairedCompanions;
    for (UnansweredPush& push : companion.unanswered) {
        if (push.endOffset <= companion.writtenBytes) {
            shared_->release(std::move(push.handlers));  // delivered; no answer came
        } else {
            shared_->postError(std::move(push.handlers), reason);
        }
    }
    companion.unanswered.clear();
    companion.output.clear();
}

void SocketWatchChannel::Server::removeDropped() {
    const auto before = companions_.size();
    std::erase_if(companions_, [](const auto& companion) { return companion->dropped; });
    if (companions_.size() != before) acceptPaused_ = false;
}

SocketWatchChannel::SocketWatchChannel(MainLoop& loop) : SocketWatchChannel(loop, Settings{}) {}

SocketWatchChannel::SocketWatchChannel(MainLoop& loop, Settings settings)
    : settings_(std::move(settings)), shared_(std::make_shared<Shared>(loop)) {
    shared_->weakSelf = shared_;
}

SocketWatchChannel::~SocketWatchChannel() {
    shared_->open = false;
    shared_->messageHandler = nullptr;
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        shared_->commands.clear();
    }
    shared_->wake();
    thread_.join();
    server_.reset();
    close(shared_->wakeFd);
    struct stat status {};
    if (lstat(settings_.socketPath.c_str(), &status) == 0 && status.st_ino == socketInode_) {
        unlink(settings_.socketPath.c_str());
    }
}

bool SocketWatchChannel::fail(const std::string& why) {
    note("watch link not started: " + why);
    return false;
}

namespace {

// The socket's directory is created 0700 when missing. One that exists must be a real directory
// of this user that nobody else can enter; it is never changed, as it may be the user's own.
std::optional<std::string> prepareDirectory(const std::string& directory) {
    if (mkdir(directory.c_str(), 0700) == 0) return std::nullopt;
    if (errno != EEXIST) return directory + ": " + errorText(errno);
    struct stat status {};
    if (lstat(directory.c_str(), &status) != 0) return directory + ": " + errorText(errno);
    if (!S_ISDIR(status.st_mode)) return directory + " is not a directory";
    if (status.st_uid != geteuid()) return directory + " belongs to another user";
    if ((status.st_mode & 077) != 0) return directory + " is open to other users";
    return std::nullopt;
}

// Removes a socket file that no server listens on any more. False when the path is in use or is
// something else than a socket.
bool removeStaleSocket(const std::string& path, sockaddr_un& address) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return errno == ENOENT;
    if (!S_ISSOCK(status.st_mode)) return false;
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) return false;
    const int connected = connect(probe, asSockaddr(address), sizeof address);
    const int error = errno;
    close(probe);
    if (connected == 0 || error != ECONNREFUSED) return false;  // alive, or busy
    return unlink(path.c_str()) == 0;
}

}  // namespace

bool SocketWatchChannel::activate() {
    if (isActive()) return true;
    const std::string& path = settings_.socketPath;
    sockaddr_un address{};
    if (!fillAddress(path, address)) return fail("unusable socket path \"" + path + "\"");
    const auto slash = path.rfind('/');
    const std::string directory =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (auto problem = prepareDirectory(directory)) return fail(*problem);

    const int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd < 0) return fail(errorText(errno));
    int bound = bind(listenFd, asSockaddr(address), sizeof address);
    if (bound != 0 && errno == EADDRINUSE) {
        if (!removeStaleSocket(path, address)) {
            close(listenFd);
            return fail(path + " is in use");
        }
        bound = bind(listenFd, asSockaddr(address), sizeof address);
    }
    if (bound != 0) {
        const int error = errno;
        close(listenFd);
        return fail(path + ": " + errorText(error));
    }
    struct stat status {};
    // The directory is closed to others, so the moment before chmod exposes nothing.
    if (chmod(path.c_str(), 0600) != 0 || lstat(path.c_str(), &status) != 0 ||
        listen(listenFd, 16) != 0) {
        const int error = errno;
        close(listenFd);
        unlink(path.c_str());
        return fail(path + ": " + errorText(error));
    }
    socketInode_ = status.st_ino;

    shared_->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (shared_->wakeFd < 0) {
        const int error = errno;
        close(listenFd);
        unlink(path.c_str());
        return fail(errorText(error));
    }
    server_ = std::make_unique<Server>(shared_, settings_, listenFd);
    thread_ = std::thread([server = server_.get()] { server->run(); });
    note("watch link listening on " + path);
    return true;
}

bool SocketWatchChannel::isPaired() const {
    return shared_->pairedCompanions.load() > 0;
}

bool SocketWatchChannel::isWatchAppInstalled() const {
    return isPaired();
}

void SocketWatchChannel::sendMessage(const nlohmann::json& message, ReplyHandler onReply,
                                     ErrorHandler onError) {
    auto handlers =
        std::make_shared<const SendHandlers>(SendHandlers{std::move(onReply), std::move(onError)});
    if (!isActive()) {
        shared_->postError(std::move(handlers), "the watch link is not active");
        return;
    }
    nlohmann::json envelope = nlohmann::json::object();
    envelope["message"] = message;
    shared_->enqueue(Command{Command::Kind::Push, watchLine(envelope), std::move(handlers), 0});
}

void SocketWatchChannel::setMessageHandler(MessageHandler handler) {
    shared_->messageHandler = std::move(handler);
}

}  // namespace voltaro
