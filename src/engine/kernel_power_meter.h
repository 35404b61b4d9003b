#pragma once

#include <deque>
#include <memory>
#include <optional>

#include "platform/battery_source.h"
#include "platform/clock.h"

namespace voltaro {

// The power that the system itself reports for the battery (the kernel's power_now, or current
// times voltage), kept as it changes so that it can be averaged over a test and shown beside the
// estimate. It is a second opinion only: it never feeds the estimate, the cap or the stars.
class KernelPowerMeter {
public:
    // Keeps readings of the last few days at most.
    static constexpr size_t kMaxReadings = 200'000;

    KernelPowerMeter(const Clock& clock, BatterySource& battery);
    ~KernelPowerMeter();
    KernelPowerMeter(const KernelPowerMeter&) = delete;
    KernelPowerMeter& operator=(const KernelPowerMeter&) = delete;

    // The time-weighted mean of the reported power from `from` to `to` (absolute times), each
    // reading holding until the next. Stretches without a figure are left out; nothing when no
    // figure covers any of the stretch, or when `to` is not after `from`.
    std::optional<double> averageBetween(double from, double to) const;

private:
    struct Reading {
        double time;
        std::optional<double> watts;
    };
    void take();

    const Clock& clock_;
    BatterySource& battery_;
    std::deque<Reading> readings_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace voltaro
