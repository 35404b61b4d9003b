#include "platform/queued_main_loop.h"

#include <utility>

namespace voltaro {

void QueuedMainLoop::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

std::shared_ptr<Timer> QueuedMainLoop::scheduleRepeating(double interval, Task task) {
    return timers_.add(now(), interval, true, std::move(task));
}

std::shared_ptr<Timer> QueuedMainLoop::scheduleOnce(double delay, Task task) {
    return timers_.add(now(), delay, false, std::move(task));
}

void QueuedMainLoop::beginExternalWork() {
    std::lock_guard lock(mutex_);
    ++externalWork_;
}

void QueuedMainLoop::endExternalWork() {
    {
        std::lock_guard lock(mutex_);
        --externalWork_;
    }
    wake_.notify_one();
}

std::deque<MainLoop::Task> QueuedMainLoop::takePosted() {
    std::deque<Task> ready;
    std::lock_guard lock(mutex_);
    ready.swap(tasks_);
    return ready;
}

}  // namespace voltaro
