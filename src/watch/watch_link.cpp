#include "watch/watch_link.h"

#include "platform/log.h"
#include "watch/battery_message.h"

namespace voltaro {
namespace {

std::string printed(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

void updateToWatch(WatchChannel& channel, const Device& device) {
    const nlohmann::json message = batteryMessage(device);
    if (!channel.isPaired() || !channel.isWatchAppInstalled()) return;
    channel.sendMessage(
        message,
        [](const nlohmann::json& reply) {
            log::debug(log::Category::Watch, "reply is " + printed(reply));
        },
        [](const std::string& error) { log::debug(log::Category::Watch, "error is " + error); });
}

WatchLink::WatchLink(WatchChannel& channel, const Device& device)
    : channel_(channel), device_(device) {
    // The message's content is not read: any message asks for the battery message.
    channel_.setMessageHandler([&device](const nlohmann::json&, const WatchChannel::Reply& reply) {
        reply(batteryMessage(device));
    });
}

}  // namespace voltaro
