#pragma once

#include <functional>

#include "platform/main_loop.h"

namespace voltaro::testing {

// Runs the loop until `done` holds, checked every 5 ms of loop time, or until `limitSeconds` have
// passed. Returns whether `done` held. Once it has held it is not asked again (a late check still
// due before the quit takes effect would undo a `done` that consumes what it found).
inline bool runUntil(MainLoop& loop, const std::function<bool()>& done, double limitSeconds = 5.0) {
    if (done()) return true;
    bool reached = false;
    auto check = loop.scheduleRepeating(0.005, [&] {
        if (!reached && done()) {
            reached = true;
            loop.quit();
        }
    });
    auto limit = loop.scheduleOnce(limitSeconds, [&] { loop.quit(); });
    loop.run();
    check->invalidate();
    limit->invalidate();
    return reached || done();
}

}  // namespace voltaro::testing
