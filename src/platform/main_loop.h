#pragma once

#include <functional>
#include <memory>

#include "platform/clock.h"

namespace voltaro {

// A scheduled timer. Invalidating it stops further firings; a timer that was never scheduled is
// represented by an empty pointer.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// The one loop on the main thread. All program logic runs inside tasks and timers of this loop;
// other threads hand their results over with post().
class MainLoop : public Clock {
public:
    using Task = std::function<void()>;

    // Queues a task to run on the loop thread. Safe to call from any thread.
    virtual void post(Task task) = 0;

    // Runs `task` every `interval` seconds of this loop's time until the timer is invalidated.
    virtual std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) = 0;

    // Runs `task` once after `delay` seconds of this loop's time, unless invalidated before.
    virtual std::shared_ptr<Timer> scheduleOnce(double delay, Task task) = 0;

    // Work in flight on another thread that will post its result (an HTTP request, say). While
    // any is outstanding, run() does not return for lack of work, and a virtual clock waits for it
    // rather than jumping ahead. Both calls are safe from any thread.
    virtual void beginExternalWork() = 0;
    virtual void endExternalWork() = 0;

    // Runs tasks and timers until quit() is called, or until nothing is left to do.
    virtual void run() = 0;
    virtual void quit() = 0;
};

}  // namespace voltaro
