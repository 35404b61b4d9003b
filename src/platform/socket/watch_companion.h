#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

#include "platform/socket/watch_protocol.h"

namespace voltaro {

// The companion's end of the watch link: connects to the application's socket, says hello (so it
// is paired and gets pushes), hands pushed messages to a callback and asks for the battery
// message. A reader thread receives; the callbacks run on it.
class WatchCompanion {
public:
    using PushHandler = std::function<void(const nlohmann::json& message)>;

    explicit WatchCompanion(std::string socketPath = defaultWatchSocketPath());
    ~WatchCompanion();  // disconnects and joins the reader
    WatchCompanion(const WatchCompanion&) = delete;
    WatchCompanion& operator=(const WatchCompanion&) = delete;

    // Set before connect(): receives the "message" of every push.
    void onPush(PushHandler handler) { onPush_ = std::move(handler); }
    // Set before connect(): runs once when the link closes, from either side.
    void onDisconnect(std::function<void()> handler) { onDisconnect_ = std::move(handler); }

    // Connects and says hello. On failure returns false and, if given, fills `error`.
    bool connect(std::string* error = nullptr);

    // Sends a message and waits for its reply. Empty after `timeout`, or when the link closes
    // first or is not open.
    std::optional<nlohmann::json> ask(const nlohmann::json& message,
                                      std::chrono::milliseconds timeout);

    // Answers the oldest push not answered yet. False when the link is not open.
    bool answerPush(const nlohmann::json& reply);

    bool isConnected() const;
    // Waits until the link has closed and the disconnect handler has run; false when it is still
    // open after `timeout`.
    bool waitForDisconnect(std::chrono::milliseconds timeout);
    // Closes the link; from a callback it only shuts the socket, the destructor finishes.
    void disconnect();

    const std::string& socketPath() const { return socketPath_; }

private:
    bool sendLine(const std::string& line);
    void readLoop();
    void handleLine(std::string_view line);

    std::string socketPath_;
    PushHandler onPush_;
    std::function<void()> onDisconnect_;
    int fd_ = -1;
    std::thread reader_;

    std::mutex writeMutex_;  // one line at a time on the socket

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;                                         // guarded by mutex_
    bool readerDone_ = true;                                         // guarded by mutex_
    std::int64_t nextId_ = 1;                                        // guarded by mutex_
    std::map<std::int64_t, std::optional<nlohmann::json>> waiting_;  // guarded by mutex_
};

}  // namespace voltaro
