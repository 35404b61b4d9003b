#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/main_loop.h"
#include "platform/timer_queue.h"

namespace voltaro {

// A main loop on a virtual clock: time stands still while there is work, and jumps to the next
// timer when the loop is idle. Runs are instant and deterministic (tests, --instant).
class VirtualTime final : public MainLoop {
public:
    explicit VirtualTime(AbsoluteTime start = 0.0) : now_(start) {}

    AbsoluteTime now() const override;
    void post(Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delay, Task task) override;

    // Runs until quit() or until no task and no timer is left.
    void run() override;
    void quit() override;
    void beginExternalWork() override;
    void endExternalWork() override;

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
    TimerQueue timers_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Task> tasks_;  // guarded by mutex_
    int externalWork_ = 0;    // guarded by mutex_
    bool quitRequested_ = false;
};

}  // namespace voltaro
