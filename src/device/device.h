#pragma once

#include <cstdint>
#include <string>

#include "platform/battery_source.h"
#include "platform/model_source.h"

namespace voltaro {

// The running device: its model facts from the catalogue and its battery as the system reports
// it. Every call asks the model source again, so a changed identifier shows at once.
class Device {
public:
    Device(const ModelSource& modelSource, BatterySource& battery)
        : modelSource_(modelSource), battery_(battery) {}

    std::string modelIdentifier() const;
    std::string modelName() const;
    int64_t batteryCapacity() const;
    int64_t maxChargingWatts() const;
    bool supportsPDCharging() const;

    float batteryLevel() const;
    BatteryState batteryState() const;
    BatterySource& battery() { return battery_; }

private:
    const ModelSource& modelSource_;
    BatterySource& battery_;
};

}  // namespace voltaro
