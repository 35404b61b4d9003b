#include "engine/kernel_power_meter.h"

#include <algorithm>
#include <cmath>

namespace voltaro {

KernelPowerMeter::KernelPowerMeter(const Clock& clock, BatterySource& battery)
    : clock_(clock), battery_(battery) {
    take();
    std::weak_ptr<bool> alive = alive_;
    battery_.onReportedPowerChanged([this, alive] {
        if (auto flag = alive.lock(); flag && *flag) take();
    });
}

KernelPowerMeter::~KernelPowerMeter() {
    *alive_ = false;
}

void KernelPowerMeter::take() {
    const double now = clock_.now();
    std::optional<double> watts = battery_.reportedWatts();
    if (watts && !std::isfinite(*watts)) watts.reset();
    // A clock never runs back; should it, the older readings no longer describe what follows.
    while (!readings_.empty() && readings_.back().time > now) readings_.pop_back();
    readings_.push_back({now, watts});
    if (readings_.size() > kMaxReadings) readings_.pop_front();
}

std::optional<double> KernelPowerMeter::averageBetween(double from, double to) const {
    if (!(to > from)) return std::nullopt;
    double energy = 0;   // watt-seconds
    double covered = 0;  // seconds with a figure
    for (size_t i = 0; i < readings_.size(); ++i) {
        const double start = std::max(readings_[i].time, from);
        const double end = std::min(i + 1 < readings_.size() ? readings_[i + 1].time : to, to);
        if (end <= start || !readings_[i].watts) continue;
        energy += *readings_[i].watts * (end - start);
        covered += end - start;
    }
    if (covered <= 0) return std::nullopt;
    return energy / covered;
}

}  // namespace voltaro
