#pragma once

#include <cstdint>
#include <memory>

#include "platform/battery_source.h"
#include "platform/main_loop.h"

namespace voltaro {

// A battery on a simulated charger, for machines without a battery and for demonstrations.
// The charger delivers its power, limited to what the model accepts, at constant power up to 80 %
// and tapering linearly to half of it at 100 %, like a phone does. The level rises in steps of one
// percent, as phones report it; at 100 % the state turns to full a second later.
class SimulatedBattery final : public BatterySource {
public:
    struct Settings {
        double chargerWatts = 18.0;
        float startLevel = 0.80f;
        int64_t capacityMah = 2716;
        int64_t modelMaxWatts = 30;
        double nominalVolts = 5.0;  // the voltage at which the device turns charge into watts
    };

    SimulatedBattery(MainLoop& loop, Settings settings);
    ~SimulatedBattery() override;

    float level() const override;
    BatteryState state() const override { return state_; }
    void setMonitoringEnabled(bool enabled) override;

    // Seconds the simulated charger needs for the step from `percent` to the next one.
    double secondsForStepFrom(int percent) const;

private:
    void scheduleNextStep();
    void step();

    MainLoop& loop_;
    Settings settings_;
    int percent_;
    BatteryState state_;
    bool monitoring_ = false;
    std::shared_ptr<Timer> timer_;
};

}  // namespace voltaro
