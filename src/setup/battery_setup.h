#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "device/device_figures.h"
#include "platform/battery_source.h"
#include "platform/linux/sysfs.h"
#include "platform/main_loop.h"
#include "platform/sim/session_script.h"
#include "platform/sim/simulated_battery.h"

namespace voltaro {

// The battery options both front-ends take: --battery, --watts, --start-level, --speed, --instant.
struct BatteryOptions {
    std::string battery = "auto";  // auto | upower | linux[:NAME] | sim | replay:FILE
    std::optional<double> watts;
    std::optional<double> startLevel;
    std::optional<double> speed;
    bool instant = false;
};

// A problem with what the user asked for (an option of the battery or of the device), in words for
// the user.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Which battery a run uses, resolved and checked.
struct BatterySetup {
    enum class Kind { UPower, Linux, Simulated, Replay };
    Kind kind = Kind::Simulated;
    bool chosenAutomatically = false;  // "auto" found no real battery
    Sysfs sysfs;
    std::optional<std::string> supplyName;
    SessionScript script;  // Replay
    SimulatedBattery::Settings simulation;
    double speed = 1.0;  // how much faster than real time the loop runs

    bool onVirtualTimeAllowed() const { return kind == Kind::Simulated || kind == Kind::Replay; }

    // The simulated battery is the device's: its capacity, voltage and most accepted power.
    void simulateOn(const DeviceFigures& figures);
};

// Checks the options against each other and loads a replay script. "auto" takes UPower where the
// system bus has it with a battery, else the first battery under the sysfs root, else the
// simulated one. Throws OptionError with a message for the user.
BatterySetup resolveBatterySetup(const BatteryOptions& options, const Sysfs& sysfs);

// The battery of a setup, on `loop`. A replay is returned as a ReplayBattery.
std::unique_ptr<BatterySource> makeBattery(BatterySetup& setup, MainLoop& loop);

// "UPower", "the battery BAT0 in /sys/class/power_supply", ... for the front-ends' first lines.
std::string describeBattery(const BatterySetup& setup, const BatterySource& battery);

}  // namespace voltaro
