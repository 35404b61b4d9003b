#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/main_loop.h"
#include "platform/timer_queue.h"

namespace voltaro {

// What the loops that run their own queue share: tasks posted from any thread wait in a queue
// behind a mutex, outstanding external work is counted under it, and timers count from now().
// Each loop decides how time passes and when to run what is queued.
class QueuedMainLoop : public MainLoop {
public:
    void post(Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delay, Task task) override;
    void beginExternalWork() override;
    void endExternalWork() override;

protected:
    // The tasks posted so far, in order, leaving the queue empty.
    std::deque<Task> takePosted();

    TimerQueue timers_;
    std::mutex mutex_;
    std::condition_variable wake_;  // notified on each post and each end of external work
    std::deque<Task> tasks_;        // guarded by mutex_
    int externalWork_ = 0;          // guarded by mutex_
};

}  // namespace voltaro
