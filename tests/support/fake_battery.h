#pragma once

#include "platform/battery_source.h"

namespace voltaro::testing {

// A battery the test sets by hand; events are raised only when the test says so.
class FakeBattery final : public BatterySource {
public:
    float level() const override { return level_; }
    BatteryState state() const override { return state_; }
    std::optional<double> reportedWatts() const override { return watts_; }
    void setMonitoringEnabled(bool enabled) override { monitoring = enabled; }

    void set(BatteryState state, float level) {
        state_ = state;
        level_ = level;
    }
    void changeLevel(float level) {
        level_ = level;
        notifyLevelChanged();
    }
    void changeState(BatteryState state) {
        state_ = state;
        notifyStateChanged();
    }
    void changeReportedWatts(std::optional<double> watts) {
        watts_ = watts;
        notifyReportedPowerChanged();
    }

    bool monitoring = false;

private:
    float level_ = 0.5f;
    BatteryState state_ = BatteryState::Charging;
    std::optional<double> watts_;
};

}  // namespace voltaro::testing
