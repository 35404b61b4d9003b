#include "device/device.h"

namespace voltaro {

DeviceFigures Device::figures() const {
    return resolveDeviceFigures(modelSource_.identity(), design_, overrides_);
}

std::string Device::modelIdentifier() const {
    return modelSource_.modelIdentifier();
}

std::string Device::modelName() const {
    return figures().name;
}

int64_t Device::batteryCapacity() const {
    return figures().capacity;
}

int64_t Device::maxChargingWatts() const {
    return figures().maxChargingWatts;
}

double Device::nominalVoltage() const {
    return figures().nominalVoltage;
}

bool Device::supportsPDCharging() const {
    return figures().fastCharge;
}

float Device::batteryLevel() const {
    return battery_.level();
}

BatteryState Device::batteryState() const {
    return battery_.state();
}

}  // namespace voltaro
