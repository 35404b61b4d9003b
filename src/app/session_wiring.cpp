#include "app/session_wiring.h"

namespace voltaro::app {

std::unique_ptr<SessionHandoffs> makeSessionHandoffs() {
    return std::make_unique<RatingOnlyHandoffs>();
}

std::unique_ptr<WatchChannel> makeWatchChannel() {
    return nullptr;
}

}  // namespace voltaro::app
