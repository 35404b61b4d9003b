#include "platform/system_main_loop.h"

#include <utility>

namespace voltaro {

SystemMainLoop::SystemMainLoop(double timeScale, std::optional<AbsoluteTime> origin)
    : timeScale_(timeScale > 0 ? timeScale : 1.0),
      origin_(origin ? *origin : SystemClock().now()),
      steadyStart_(SteadyClock::now()) {}

AbsoluteTime SystemMainLoop::now() const {
    const std::chrono::duration<double> elapsed = SteadyClock::now() - steadyStart_;
    return origin_ + elapsed.count() * timeScale_;
}

void SystemMainLoop::quit() {
    {
        std::lock_guard lock(mutex_);
        quitRequested_ = true;
    }
    wake_.notify_one();
}

void SystemMainLoop::run() {
    for (;;) {
        std::deque<Task> ready;
        {
            std::lock_guard lock(mutex_);
            if (quitRequested_) {
                quitRequested_ = false;
                return;
            }
            ready.swap(tasks_);
        }
        for (Task& task : ready) task();
        if (!ready.empty()) continue;

        while (timers_.fireOneDue(now())) {
        }

        std::unique_lock lock(mutex_);
        if (!tasks_.empty() || quitRequested_) continue;
        const std::optional<double> due = timers_.nextDue();
        if (!due) {
            if (externalWork_ == 0) return;  // nothing left to do
            wake_.wait(lock);
            continue;
        }
        const double realWait = (*due - now()) / timeScale_;
        if (realWait > 0) {
            wake_.wait_for(lock, std::chrono::duration<double>(realWait));
        }
    }
}

}  // namespace voltaro
