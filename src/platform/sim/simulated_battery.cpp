#include "platform/sim/simulated_battery.h"

#include <algorithm>
#include <cmath>

namespace voltaro {
namespace {
constexpr int kTaperStart = 80;
constexpr double kTaperEndFactor = 0.5;
}  // namespace

SimulatedBattery::SimulatedBattery(MainLoop& loop, Settings settings)
    : loop_(loop), settings_(settings) {
    const float start = std::isfinite(settings_.startLevel) ? settings_.startLevel : 0.8f;
    percent_ = std::clamp(static_cast<int>(std::lround(start * 100.0f)), 0, 100);
    state_ = percent_ >= 100 ? BatteryState::Full : BatteryState::Charging;
}

SimulatedBattery::~SimulatedBattery() {
    if (timer_) timer_->invalidate();
}

float SimulatedBattery::level() const { return static_cast<float>(percent_) / 100.0f; }

double SimulatedBattery::secondsForStepFrom(int percent) const {
    double watts = std::min(settings_.chargerWatts, static_cast<double>(settings_.modelMaxWatts));
    if (percent >= kTaperStart) {
        const double progress = (percent - kTaperStart) / double(100 - kTaperStart);
        watts *= 1.0 - (1.0 - kTaperEndFactor) * progress;
    }
    watts = std::max(watts, 0.01);
    const double mahPerPercent = static_cast<double>(std::max<int64_t>(settings_.capacityMah, 1)) / 100.0;
    const double volts = settings_.nominalVolts > 0 ? settings_.nominalVolts : 5.0;
    const double mahPerSecond = watts * 1000.0 / (3600.0 * volts);
    return mahPerPercent / mahPerSecond;
}

void SimulatedBattery::setMonitoringEnabled(bool enabled) {
    if (enabled == monitoring_) return;
    monitoring_ = enabled;
    if (enabled) {
        scheduleNextStep();
    } else if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

void SimulatedBattery::scheduleNextStep() {
    if (percent_ >= 100) return;
    timer_ = loop_.scheduleOnce(secondsForStepFrom(percent_), [this] { step(); });
}

void SimulatedBattery::step() {
    percent_ += 1;
    notifyLevelChanged();
    if (percent_ >= 100) {
        timer_ = loop_.scheduleOnce(1.0, [this] {
            state_ = BatteryState::Full;
            notifyStateChanged();
        });
        return;
    }
    scheduleNextStep();
}

}  // namespace voltaro
