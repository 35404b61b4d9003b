#include "platform/battery_setup.h"

#include <cstdlib>

#include "device/device_catalogue.h"
#include "platform/linux/linux_power_supply.h"
#include "platform/sim/replay_battery.h"

namespace voltaro {
namespace {

std::string powerSupplyRoot() {
    const char* root = std::getenv("VOLTARO_POWER_SUPPLY_ROOT");
    return root != nullptr && root[0] != '\0' ? root : LinuxPowerSupply::kDefaultRoot;
}

}  // namespace

BatterySetup resolveBatterySetup(const BatteryOptions& options, const std::string& modelIdentifier) {
    BatterySetup setup;
    setup.powerSupplyRoot = powerSupplyRoot();
    const std::string& text = options.battery;
    if (text == "auto") {
        if (LinuxPowerSupply::findBattery(setup.powerSupplyRoot)) {
            setup.kind = BatterySetup::Kind::Linux;
        } else {
            setup.kind = BatterySetup::Kind::Simulated;
            setup.chosenAutomatically = true;
        }
    } else if (text == "sim") {
        setup.kind = BatterySetup::Kind::Simulated;
    } else if (text == "linux") {
        setup.kind = BatterySetup::Kind::Linux;
    } else if (text.rfind("linux:", 0) == 0 && text.size() > 6) {
        setup.kind = BatterySetup::Kind::Linux;
        setup.supplyName = text.substr(6);
    } else if (text.rfind("replay:", 0) == 0 && text.size() > 7) {
        setup.kind = BatterySetup::Kind::Replay;
    } else {
        throw BatteryOptionError("--battery must be auto, linux, linux:NAME, sim or replay:FILE, not \"" +
                                 text + "\"");
    }

    const bool simulated = setup.kind == BatterySetup::Kind::Simulated;
    if (!simulated && (options.watts || options.startLevel)) {
        throw BatteryOptionError("--watts and --start-level apply to the simulated battery only");
    }
    if (setup.kind == BatterySetup::Kind::Linux && (options.speed || options.instant)) {
        throw BatteryOptionError(
            "--speed and --instant apply to a simulated or replayed battery only; a real battery "
            "charges in real time");
    }
    if (options.watts && !(*options.watts > 0 && *options.watts < 1e6)) {
        throw BatteryOptionError("--watts must be a positive number of watts");
    }
    if (options.startLevel && !(*options.startLevel >= 0 && *options.startLevel <= 1)) {
        throw BatteryOptionError("--start-level must be a fraction from 0 to 1");
    }
    if (options.speed && !(*options.speed > 0 && *options.speed <= 1e6)) {
        throw BatteryOptionError("--speed must be a positive number");
    }
    if (setup.supplyName) {
        bool found = false;
        for (const auto& supply : LinuxPowerSupply::listSupplies(setup.powerSupplyRoot)) {
            found = found || supply.name == *setup.supplyName;
        }
        if (!found) {
            throw BatteryOptionError("there is no power supply \"" + *setup.supplyName + "\" in " +
                                     setup.powerSupplyRoot);
        }
    }
    if (setup.kind == BatterySetup::Kind::Replay) {
        try {
            setup.script = loadSessionScript(text.substr(7));
        } catch (const ScriptError& error) {
            throw BatteryOptionError(error.what());
        }
    }

    setup.simulation.chargerWatts = options.watts.value_or(setup.simulation.chargerWatts);
    setup.simulation.startLevel =
        static_cast<float>(options.startLevel.value_or(setup.simulation.startLevel));
    setup.simulation.capacityMah = batteryCapacityFor(modelIdentifier);
    setup.simulation.modelMaxWatts = maxChargingWattsFor(modelIdentifier);
    setup.speed = options.speed.value_or(simulated ? 60.0 : 1.0);
    return setup;
}

std::unique_ptr<BatterySource> makeBattery(BatterySetup& setup, MainLoop& loop) {
    switch (setup.kind) {
        case BatterySetup::Kind::Simulated:
            return std::make_unique<SimulatedBattery>(loop, setup.simulation);
        case BatterySetup::Kind::Replay:
            return std::make_unique<ReplayBattery>(loop, std::move(setup.script));
        case BatterySetup::Kind::Linux:
            break;
    }
    return std::make_unique<LinuxPowerSupply>(loop, setup.powerSupplyRoot, setup.supplyName);
}

}  // namespace voltaro
