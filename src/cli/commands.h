#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/cli_app.h"
#include "platform/battery_setup.h"

namespace voltaro::cli {

struct MeasureOptions {
    BatteryOptions battery;
    std::optional<std::string> model;
    std::optional<double> clockStart;
    bool json = false;
};

struct DeviceOptions {
    std::optional<std::string> model;
    bool json = false;
};

int runMeasure(const MeasureOptions& options, Environment& environment);
int runDevice(const DeviceOptions& options, Environment& environment);

// The model identifier source: --model, else VOLTARO_MODEL, else uname.
std::string resolveModelIdentifier(const std::optional<std::string>& model);

}  // namespace voltaro::cli
