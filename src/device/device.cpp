#include "device/device.h"

#include "device/device_catalogue.h"

namespace voltaro {

std::string Device::modelIdentifier() const {
    return modelSource_.modelIdentifier();
}

std::string Device::modelName() const {
    return modelNameFor(modelIdentifier());
}

int64_t Device::batteryCapacity() const {
    return batteryCapacityFor(modelIdentifier());
}

int64_t Device::maxChargingWatts() const {
    return maxChargingWattsFor(modelIdentifier());
}

bool Device::supportsPDCharging() const {
    return supportsPDChargingFor(modelIdentifier());
}

float Device::batteryLevel() const {
    return battery_.level();
}

BatteryState Device::batteryState() const {
    return battery_.state();
}

}  // namespace voltaro
