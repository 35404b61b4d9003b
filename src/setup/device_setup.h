#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_figures.h"
#include "platform/battery_design.h"
#include "platform/linux/sysfs.h"
#include "platform/model_source.h"
#include "platform/preference_store.h"

namespace voltaro {

// The device options both front-ends take: --model, --capacity, --voltage, --max-watts.
struct DeviceOptions {
    std::optional<std::string> model;
    std::optional<double> capacity;  // mAh
    std::optional<double> voltage;   // V
    std::optional<double> maxWatts;  // W
};

// Who the device is and what its figures rest on, for one run.
struct DeviceSetup {
    std::unique_ptr<ModelSource> modelSource;
    BatteryDesign design;
    FigureOverrides overrides;
    // Settings that were ignored, in words for the user.
    std::vector<std::string> warnings;

    DeviceFigures figures() const;
};

// The model: --model, else VOLTARO_MODEL, else what the machine says under the sysfs root (device
// tree, DMI, uname). The battery's design figures come from the named supply or the first system
// battery. An option wins over the same setting; an option out of bounds throws
// OptionError, a setting out of bounds is ignored with a warning.
DeviceSetup resolveDeviceSetup(const DeviceOptions& options, const Sysfs& sysfs,
                               const std::optional<std::string>& supplyName,
                               const PreferenceStore* settings);

}  // namespace voltaro
