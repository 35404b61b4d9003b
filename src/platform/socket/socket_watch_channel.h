#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "platform/main_loop.h"
#include "platform/socket/watch_protocol.h"
#include "platform/watch_channel.h"

namespace voltaro {

// The watch session on Linux: a Unix-domain socket server that companions connect to (the
// directory 0700, the socket 0600: the user's alone). One I/O thread accepts, reads and writes
// without ever blocking; messages and replies are handed to the main loop, and the main loop's
// sends go back through a queue. A companion that sent {"hello":"watch"} is paired and
// installed; a companion that stops reading is disconnected once its output backs up.
class SocketWatchChannel final : public WatchChannel {
public:
    struct Settings {
        std::string socketPath = defaultWatchSocketPath();
        std::size_t maxLineBytes = kWatchMaxLineBytes;
        // Output waiting for one companion; past it the companion is dropped.
        std::size_t maxPendingOutputBytes = 256 * 1024;
        // SO_SNDBUF of each companion's socket; 0 keeps the system's default.
        int socketSendBufferBytes = 0;
        std::size_t maxCompanions = 16;
        // After running out of file descriptors the socket tries to accept again this often
        // (real seconds), also when no companion leaves to free one.
        double acceptRetrySeconds = 1.0;
    };

    explicit SocketWatchChannel(MainLoop& loop);
    SocketWatchChannel(MainLoop& loop, Settings settings);
    // Stops the I/O thread, disconnects every companion and removes the socket file. Replies and
    // errors still queued on the main loop are not delivered any more.
    ~SocketWatchChannel() override;
    SocketWatchChannel(const SocketWatchChannel&) = delete;
    SocketWatchChannel& operator=(const SocketWatchChannel&) = delete;

    // Creates the directory and the socket and starts serving. False (with a debug line) when the
    // path is unusable or another live server holds it.
    bool activate() override;
    bool isPaired() const override;
    bool isWatchAppInstalled() const override;
    void sendMessage(const nlohmann::json& message, ReplyHandler onReply,
                     ErrorHandler onError) override;
    void setMessageHandler(MessageHandler handler) override;

    const std::string& socketPath() const { return settings_.socketPath; }
    bool isActive() const { return thread_.joinable(); }

private:
    struct Shared;
    class Server;

    bool fail(const std::string& why);

    Settings settings_;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Server> server_;
    std::thread thread_;
    std::uint64_t socketInode_ = 0;  // of the file we bound: we never remove another server's
};

}  // namespace voltaro
