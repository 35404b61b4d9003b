#pragma once

#include <atomic>
#include <memory>
#include <utility>

#include "platform/main_loop.h"

namespace voltaro::testing {

// Hands everything to a real loop, counting posts, timers and external work still outstanding.
class CountingLoop final : public MainLoop {
public:
    explicit CountingLoop(MainLoop& inner) : inner_(inner) {}
    AbsoluteTime now() const override { return inner_.now(); }
    void post(Task task) override {
        ++posts;
        inner_.post(std::move(task));
    }
    std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) override {
        ++timers;
        return inner_.scheduleRepeating(interval, std::move(task));
    }
    std::shared_ptr<Timer> scheduleOnce(double delay, Task task) override {
        ++timers;
        return inner_.scheduleOnce(delay, std::move(task));
    }
    void beginExternalWork() override {
        ++outstanding;
        inner_.beginExternalWork();
    }
    void endExternalWork() override {
        --outstanding;
        inner_.endExternalWork();
    }
    void run() override { inner_.run(); }
    void quit() override { inner_.quit(); }

    std::atomic<int> posts{0};
    std::atomic<int> timers{0};
    std::atomic<int> outstanding{0};

private:
    MainLoop& inner_;
};

}  // namespace voltaro::testing
