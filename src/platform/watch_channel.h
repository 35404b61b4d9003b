#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

namespace voltaro {

// A session with companion watch applications. Messages are JSON objects. Every handler runs on
// the main loop; no call blocks.
class WatchChannel {
public:
    using ReplyHandler = std::function<void(const nlohmann::json& reply)>;
    using ErrorHandler = std::function<void(const std::string& error)>;
    // Answers one incoming message; call it once.
    using Reply = std::function<void(const nlohmann::json& reply)>;
    using MessageHandler = std::function<void(const nlohmann::json& message, const Reply& reply)>;

    virtual ~WatchChannel() = default;

    // Starts the session. False when it cannot start; nothing is ever paired then.
    virtual bool activate() = 0;

    // A companion is there to talk to, and it runs the watch application.
    virtual bool isPaired() const = 0;
    virtual bool isWatchAppInstalled() const = 0;

    // Sends a message to the paired companions. `onReply` runs for each answer that comes back;
    // `onError` runs when the message could not be delivered. There is no retry and no queueing.
    virtual void sendMessage(const nlohmann::json& message, ReplyHandler onReply,
                             ErrorHandler onError) = 0;

    // Receives every message a companion sends, from the moment it is set.
    virtual void setMessageHandler(MessageHandler handler) = 0;
};

}  // namespace voltaro
