#include "setup/device_setup.h"

#include <cmath>
#include <cstdlib>

#include "extensions/number_text.h"
#include "platform/linux/linux_power_supply.h"
#include "platform/linux/sysfs_model_source.h"
#include "setup/battery_setup.h"

namespace voltaro {
namespace {

// A figure's option, its key in the settings file (the preference store, for users whose battery
// reports nothing: an integer, a real or a decimal text), and the values it may take.
struct Bounds {
    const char* option;
    const char* setting;
    double low;
    double high;
    const char* unit;
};

constexpr Bounds kCapacityBounds{"--capacity", "batteryCapacity",
                                 static_cast<double>(kMinPlausibleCapacity),
                                 static_cast<double>(kMaxPlausibleCapacity), "mAh"};
constexpr Bounds kVoltageBounds{"--voltage", "nominalVoltage", kMinNominalVolts, kMaxNominalVolts,
                                "V"};
constexpr Bounds kWattsBounds{"--max-watts", "maxChargingWatts",
                              static_cast<double>(kMinChargingWatts),
                              static_cast<double>(kMaxChargingWatts), "W"};

bool within(double value, const Bounds& bounds) {
    return std::isfinite(value) && value >= bounds.low && value <= bounds.high;
}

std::string range(const Bounds& bounds) {
    return shortestText(bounds.low) + " to " + shortestText(bounds.high) + " " + bounds.unit;
}

// The option when given (and in bounds), else the setting when in bounds, else nothing.
std::optional<double> figure(const std::optional<double>& option, const Bounds& bounds,
                             const PreferenceStore* settings, std::vector<std::string>& warnings) {
    if (option) {
        if (!within(*option, bounds)) {
            throw OptionError(std::string(bounds.option) + " must be from " + range(bounds));
        }
        return option;
    }
    if (settings == nullptr) return std::nullopt;
    const auto stored = settings->numberForKey(bounds.setting);
    if (!stored) return std::nullopt;
    if (!within(*stored, bounds)) {
        warnings.push_back(std::string("the setting \"") + bounds.setting +
                           "\" is ignored: it must be from " + range(bounds));
        return std::nullopt;
    }
    return stored;
}

std::optional<int64_t> whole(const std::optional<double>& value) {
    if (!value) return std::nullopt;
    return static_cast<int64_t>(std::llround(*value));
}

}  // namespace

DeviceFigures DeviceSetup::figures() const {
    return resolveDeviceFigures(modelSource->identity(), design, overrides);
}

DeviceSetup resolveDeviceSetup(const DeviceOptions& options, const Sysfs& sysfs,
                               const std::optional<std::string>& supplyName,
                               const PreferenceStore* settings) {
    DeviceSetup setup;
    if (options.model) {
        setup.modelSource = std::make_unique<FixedModelSource>(*options.model);
    } else if (const char* fromEnvironment = std::getenv("VOLTARO_MODEL");
               fromEnvironment != nullptr && fromEnvironment[0] != '\0') {
        setup.modelSource = std::make_unique<FixedModelSource>(fromEnvironment);
    } else {
        setup.modelSource = std::make_unique<SysfsModelSource>(sysfs);
    }
    setup.design = LinuxPowerSupply::readDesign(sysfs, supplyName);
    setup.overrides.capacityMah =
        whole(figure(options.capacity, kCapacityBounds, settings, setup.warnings));
    setup.overrides.nominalVolts =
        figure(options.voltage, kVoltageBounds, settings, setup.warnings);
    setup.overrides.maxChargingWatts =
        whole(figure(options.maxWatts, kWattsBounds, settings, setup.warnings));
    return setup;
}

}  // namespace voltaro
