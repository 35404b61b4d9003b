#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "setup/battery_setup.h"
#include "setup/device_setup.h"

namespace voltaro::app {

inline constexpr int kExitUsage = 2;

struct AppOptions {
    BatteryOptions battery;
    DeviceOptions device;  // --model, --capacity, --voltage, --max-watts
    std::optional<std::string> dataDirectory;
    bool save = false;  // keep the results of a simulated or replayed battery
    std::optional<std::string>
        screenshot;                   // a PNG of the window is written here, then the app ends
    std::optional<double> after;      // seconds of the loop's (scaled) time
    std::optional<std::string> show;  // a screen to open at once over the main screen
};

struct ParsedOptions {
    std::optional<AppOptions> options;  // nothing: end with exitCode
    int exitCode = 0;
};

// Parses the command line (Qt's own options already taken out). Help and version go to `out`
// (exit 0); errors to `err` (exit 2).
ParsedOptions parseOptions(const std::vector<std::string>& arguments, std::ostream& out,
                           std::ostream& err);

}  // namespace voltaro::app
