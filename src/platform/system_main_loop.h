#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/main_loop.h"
#include "platform/timer_queue.h"

namespace voltaro {

// The main loop of the terminal front-end, on the machine's clocks. A time scale above 1 makes the
// loop's time (and so every timer and every time the program reads) run that many times faster
// than real time: used to watch a simulated or replayed battery without waiting for it.
class SystemMainLoop final : public MainLoop {
public:
    // `origin`: the absolute time at which the loop starts; by default the wall clock's.
    explicit SystemMainLoop(double timeScale = 1.0, std::optional<AbsoluteTime> origin = std::nullopt);

    AbsoluteTime now() const override;
    void post(Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delay, Task task) override;

    // Returns when quit() was called, or when no task and no timer is left.
    void run() override;
    void quit() override;
    void beginExternalWork() override;
    void endExternalWork() override;

private:
    using SteadyClock = std::chrono::steady_clock;

    double timeScale_;
    AbsoluteTime origin_;
    SteadyClock::time_point steadyStart_;
    TimerQueue timers_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;  // guarded by mutex_
    bool quitRequested_ = false;  // guarded by mutex_
    int externalWork_ = 0;        // guarded by mutex_
};

}  // namespace voltaro
