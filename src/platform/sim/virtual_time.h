#pragma once

#include "platform/queued_main_loop.h"

namespace voltaro {

// A main loop on a virtual clock: time stands still while there is work, and jumps to the next
// timer when the loop is idle. Runs are instant and deterministic (tests, --instant).
class VirtualTime final : public QueuedMainLoop {
public:
    explicit VirtualTime(AbsoluteTime start = 0.0) : now_(start) {}

    AbsoluteTime now() const override;

    // Runs until quit() or until no task and no timer is left.
    void run() override;
    void quit() override;

    // Runs everything due up to now + seconds, then leaves the clock there.
    void advanceBy(double seconds);
    void advanceTo(AbsoluteTime time);

    // Runs the posted tasks without moving the clock.
    void runPending();

    // Waits (in real time) until no external work is outstanding, running what it posts.
    void waitForExternalWork();

private:
    bool runPostedTasks();

    AbsoluteTime now_;
    bool quitRequested_ = false;
};

}  // namespace voltaro
