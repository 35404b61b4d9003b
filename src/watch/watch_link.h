#pragma once

#include "device/device.h"
#include "platform/watch_channel.h"

namespace voltaro {

// Pushes the battery message to the watch after a processed level change, when a companion is
// paired and runs the watch application; otherwise sends nothing. Replies and errors only write
// "reply is ..." and "error is ..." to the watch log.
void updateToWatch(WatchChannel& channel, const Device& device);

// The phone's side of the watch session: answers every message a companion sends, whatever it
// holds, with the battery message of the moment, and pushes it on request. The device must outlive
// the channel, which keeps the answering handler.
class WatchLink {
public:
    // Installs the answering handler; the channel may be activated before or after.
    WatchLink(WatchChannel& channel, const Device& device);

    void updateToWatch() { voltaro::updateToWatch(channel_, device_); }

private:
    WatchChannel& channel_;
    const Device& device_;
};

}  // namespace voltaro
