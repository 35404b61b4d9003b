#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <queue>
#include <vector>

#include "platform/main_loop.h"

namespace voltaro {

// Timers of a main loop, ordered by due time in the loop's own time. Timers due at the same
// moment fire in the order they were scheduled, so runs are deterministic. Loop thread only.
class TimerQueue {
public:
    std::shared_ptr<Timer> add(double now, double interval, bool repeating, MainLoop::Task task);

    // Due time of the earliest timer still valid.
    std::optional<double> nextDue();

    // Fires the earliest timer if it is due at `now`; returns whether one fired.
    bool fireOneDue(double now);

    bool empty();

private:
    struct State;
    struct Entry {
        double due;
        uint64_t sequence;
        std::shared_ptr<State> state;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const {
            return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
        }
    };
    void dropInvalid();

    std::priority_queue<Entry, std::vector<Entry>, Later> entries_;
    uint64_t nextSequence_ = 0;
};

}  // namespace voltaro
