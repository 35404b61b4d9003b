#pragma once

#include <cstdint>
#include <string>

#include "device/device_figures.h"
#include "platform/battery_design.h"
#include "platform/battery_source.h"
#include "platform/model_source.h"

namespace voltaro {

// The running device: who it is, its figures (from the catalogue for catalogued models, else from
// its own battery, with the user's overrides on top) and its battery as the system reports it.
// Every call asks the model source again, so a changed identifier shows at once; the battery's
// design figures are read once, when the device is set up.
class Device {
public:
    Device(const ModelSource& modelSource, BatterySource& battery, BatteryDesign design = {},
           FigureOverrides overrides = {})
        : modelSource_(modelSource), battery_(battery), design_(design), overrides_(overrides) {}

    DeviceFigures figures() const;

    std::string modelIdentifier() const;
    std::string modelName() const;
    int64_t batteryCapacity() const;
    int64_t maxChargingWatts() const;
    // The voltage at which the charge rate is turned into watts.
    double nominalVoltage() const;
    bool supportsPDCharging() const;

    float batteryLevel() const;
    BatteryState batteryState() const;
    BatterySource& battery() { return battery_; }
    const BatterySource& battery() const { return battery_; }

private:
    const ModelSource& modelSource_;
    BatterySource& battery_;
    BatteryDesign design_;
    FigureOverrides overrides_;
};

}  // namespace voltaro
