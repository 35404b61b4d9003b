#include "platform/timer_queue.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace voltaro {

struct TimerQueue::State final : Timer {
    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }

    MainLoop::Task task;
    double origin = 0;  // first scheduling time; firings are origin + k * interval, free of drift
    double interval = 0;
    uint64_t firings = 0;
    bool repeating = false;
    bool valid = true;
};

std::shared_ptr<Timer> TimerQueue::add(double now, double interval, bool repeating,
                                       MainLoop::Task task) {
    auto state = std::make_shared<State>();
    state->task = std::move(task);
    state->origin = now;
    state->interval = std::max(0.0, interval);
    state->repeating = repeating && state->interval > 0;
    entries_.push({now + state->interval, nextSequence_++, state});
    return state;
}

void TimerQueue::dropInvalid() {
    while (!entries_.empty() && !entries_.top().state->valid) entries_.pop();
}

std::optional<double> TimerQueue::nextDue() {
    dropInvalid();
    if (entries_.empty()) return std::nullopt;
    return entries_.top().due;
}

bool TimerQueue::empty() {
    dropInvalid();
    return entries_.empty();
}

bool TimerQueue::fireOneDue(double now) {
    dropInvalid();
    if (entries_.empty() || entries_.top().due > now) return false;
    Entry entry = entries_.top();
    entries_.pop();
    State& state = *entry.state;
    if (state.repeating) {
        // A late loop skips the firings it missed instead of running them back to back.
        state.firings += 1;
        double next = state.origin + static_cast<double>(state.firings + 1) * state.interval;
        if (next <= now) {
            const double missed = std::floor((now - state.origin) / state.interval);
            state.firings = static_cast<uint64_t>(missed);
            next = state.origin + (missed + 1) * state.interval;
        }
        entries_.push({next, nextSequence_++, entry.state});
    } else {
        state.valid = false;
    }
    // Copy: the task may invalidate its own timer, or schedule new ones.
    MainLoop::Task task = state.task;
    task();
    return true;
}

}  // namespace voltaro
