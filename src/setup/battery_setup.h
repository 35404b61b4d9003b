#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/battery_source.h"
#include "platform/main_loop.h"
#include "platform/sim/session_script.h"
#include "platform/sim/simulated_battery.h"

namespace voltaro {

// The battery options both front-ends take: --battery, --watts, --start-level, --speed, --instant.
struct BatteryOptions {
    std::string battery = "auto";  // auto | linux[:NAME] | sim | replay:FILE
    std::optional<double> watts;
    std::optional<double> startLevel;
    std::optional<double> speed;
    bool instant = false;
};

class BatteryOptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Which battery a run uses, resolved and checked.
struct BatterySetup {
    enum class Kind { Linux, Simulated, Replay };
    Kind kind = Kind::Simulated;
    bool chosenAutomatically = false;  // "auto" found no real battery
    std::string powerSupplyRoot;       // VOLTARO_POWER_SUPPLY_ROOT or /sys/class/power_supply
    std::optional<std::string> supplyName;
    SessionScript script;               // Replay
    SimulatedBattery::Settings simulation;
    double speed = 1.0;                 // how much faster than real time the loop runs

    bool onVirtualTimeAllowed() const { return kind != Kind::Linux; }
};

// Checks the options against each other and loads a replay script. Throws BatteryOptionError
// with a message for the user. The simulation takes the model's capacity and maximum power.
BatterySetup resolveBatterySetup(const BatteryOptions& options, const std::string& modelIdentifier);

// The battery of a setup, on `loop`. A replay is returned as a ReplayBattery.
std::unique_ptr<BatterySource> makeBattery(BatterySetup& setup, MainLoop& loop);

}  // namespace voltaro
