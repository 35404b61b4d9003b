#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/watch_channel.h"

namespace voltaro::testing {

// A watch channel that records what is asked of it.
class RecordingWatchChannel final : public WatchChannel {
public:
    bool activate() override {
        if (onActivate) onActivate();
        return true;
    }
    bool isPaired() const override { return paired; }
    bool isWatchAppInstalled() const override { return installed; }
    void sendMessage(const nlohmann::json& message, ReplyHandler onReply,
                     ErrorHandler onError) override {
        sent.push_back(message);
        lastReply = std::move(onReply);
        lastError = std::move(onError);
    }
    void setMessageHandler(MessageHandler h) override { handler = std::move(h); }

    bool paired = true;
    bool installed = true;
    std::function<void()> onActivate;
    std::vector<nlohmann::json> sent;
    ReplyHandler lastReply;
    ErrorHandler lastError;
    MessageHandler handler;
};

}  // namespace voltaro::testing
