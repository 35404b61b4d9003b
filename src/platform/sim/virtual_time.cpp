#include "platform/sim/virtual_time.h"

#include <algorithm>
#include <utility>

namespace voltaro {

AbsoluteTime VirtualTime::now() const { return now_; }

void VirtualTime::waitForExternalWork() {
    for (;;) {
        runPending();
        std::unique_lock lock(mutex_);
        if (externalWork_ == 0 && tasks_.empty()) return;
        wake_.wait(lock, [this] { return !tasks_.empty() || externalWork_ == 0; });
    }
}

void VirtualTime::quit() { quitRequested_ = true; }

bool VirtualTime::runPostedTasks() {
    std::deque<Task> ready = takePosted();
    for (Task& task : ready) task();
    return !ready.empty();
}

void VirtualTime::runPending() {
    while (runPostedTasks()) {
    }
}

void VirtualTime::run() {
    for (;;) {
        // Time stands still while work on another thread is outstanding.
        waitForExternalWork();
        while (timers_.fireOneDue(now_)) runPending();
        if (quitRequested_) {
            quitRequested_ = false;
            return;
        }
        const auto due = timers_.nextDue();
        if (!due) {
            std::lock_guard lock(mutex_);
            if (tasks_.empty() && externalWork_ == 0) return;
            continue;
        }
        now_ = std::max(now_, *due);
    }
}

void VirtualTime::advanceTo(AbsoluteTime time) {
    waitForExternalWork();
    for (;;) {
        while (timers_.fireOneDue(now_)) waitForExternalWork();
        const auto due = timers_.nextDue();
        if (!due || *due > time) break;
        now_ = std::max(now_, *due);
    }
    now_ = std::max(now_, time);
    runPending();
}

void VirtualTime::advanceBy(double seconds) { advanceTo(now_ + seconds); }

}  // namespace voltaro
