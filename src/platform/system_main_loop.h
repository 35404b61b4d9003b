#pragma once

#include <chrono>
#include <optional>

#include "platform/queued_main_loop.h"

namespace voltaro {

// The main loop of the terminal front-end, on the machine's clocks. A time scale above 1 makes the
// loop's time (and so every timer and every time the program reads) run that many times faster
// than real time: used to watch a simulated or replayed battery without waiting for it.
class SystemMainLoop final : public QueuedMainLoop {
public:
    // `origin`: the absolute time at which the loop starts; by default the wall clock's.
    explicit SystemMainLoop(double timeScale = 1.0, std::optional<AbsoluteTime> origin = std::nullopt);

    AbsoluteTime now() const override;

    // Returns when quit() was called, or when no task and no timer is left.
    void run() override;
    void quit() override;

private:
    using SteadyClock = std::chrono::steady_clock;

    double timeScale_;
    AbsoluteTime origin_;
    SteadyClock::time_point steadyStart_;
    bool quitRequested_ = false;  // guarded by mutex_
};

}  // namespace voltaro
