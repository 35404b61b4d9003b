#pragma once

#include <memory>

#include "engine/session_handoffs.h"
#include "platform/watch_channel.h"

namespace voltaro::app {

// What the test session hands its results to. For now only the star rating is shown; the history
// store, the remote service and the watch plug in here.
std::unique_ptr<SessionHandoffs> makeSessionHandoffs();

// The watch link of the application; none yet (launch work then skips it).
std::unique_ptr<WatchChannel> makeWatchChannel();

}  // namespace voltaro::app
