#include "setup/battery_setup.h"

#include "platform/linux/linux_power_supply.h"
#include "platform/linux/upower_battery.h"
#include "platform/sim/replay_battery.h"

namespace voltaro {

BatterySetup resolveBatterySetup(const BatteryOptions& options, const Sysfs& sysfs) {
    BatterySetup setup;
    setup.sysfs = sysfs;
    const std::string& text = options.battery;
    if (text == "auto") {
        if (UPowerBattery::probe().batteryPresent) {
            setup.kind = BatterySetup::Kind::UPower;
        } else if (LinuxPowerSupply::findBattery(sysfs)) {
            setup.kind = BatterySetup::Kind::Linux;
        } else {
            setup.kind = BatterySetup::Kind::Simulated;
            setup.chosenAutomatically = true;
        }
    } else if (text == "upower") {
        setup.kind = BatterySetup::Kind::UPower;
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
        throw OptionError(
            "--battery must be auto, upower, linux, linux:NAME, sim or replay:FILE, not \"" + text +
            "\"");
    }

    const bool simulated = setup.kind == BatterySetup::Kind::Simulated;
    const bool real = !setup.onVirtualTimeAllowed();
    if (!simulated && (options.watts || options.startLevel)) {
        throw OptionError("--watts and --start-level apply to the simulated battery only");
    }
    if (real && (options.speed || options.instant)) {
        throw OptionError(
            "--speed and --instant apply to a simulated or replayed battery only; a real battery "
            "charges in real time");
    }
    if (options.watts && !(*options.watts > 0 && *options.watts < 1e6)) {
        throw OptionError("--watts must be a positive number of watts");
    }
    if (options.startLevel && !(*options.startLevel >= 0 && *options.startLevel <= 1)) {
        throw OptionError("--start-level must be a fraction from 0 to 1");
    }
    if (options.speed && !(*options.speed > 0 && *options.speed <= 1e6)) {
        throw OptionError("--speed must be a positive number");
    }
    if (setup.supplyName) {
        bool found = false;
        for (const auto& supply : LinuxPowerSupply::listSupplies(sysfs)) {
            found = found || supply.name == *setup.supplyName;
        }
        if (!found) {
            throw OptionError("there is no power supply \"" + *setup.supplyName + "\" in " +
                              sysfs.powerSupplies().string());
        }
    }
    if (setup.kind == BatterySetup::Kind::UPower && text == "upower") {
        const UPowerBattery::Availability upower = UPowerBattery::probe();
        if (!upower.serviceRunning) throw OptionError("--battery upower: " + upower.problem);
    }
    if (setup.kind == BatterySetup::Kind::Replay) {
        try {
            setup.script = loadSessionScript(text.substr(7));
        } catch (const ScriptError& error) {
            throw OptionError(error.what());
        }
    }

    setup.simulation.chargerWatts = options.watts.value_or(setup.simulation.chargerWatts);
    setup.simulation.startLevel =
        static_cast<float>(options.startLevel.value_or(setup.simulation.startLevel));
    setup.speed = options.speed.value_or(simulated ? 60.0 : 1.0);
    return setup;
}

void BatterySetup::simulateOn(const DeviceFigures& figures) {
    simulation.capacityMah = figures.capacity;
    simulation.modelMaxWatts = figures.maxChargingWatts;
    simulation.nominalVolts = figures.nominalVoltage;
}

std::unique_ptr<BatterySource> makeBattery(BatterySetup& setup, MainLoop& loop) {
    switch (setup.kind) {
        case BatterySetup::Kind::Simulated:
            return std::make_unique<SimulatedBattery>(loop, setup.simulation);
        case BatterySetup::Kind::Replay:
            return std::make_unique<ReplayBattery>(loop, std::move(setup.script));
        case BatterySetup::Kind::UPower:
            return std::make_unique<UPowerBattery>(loop);
        case BatterySetup::Kind::Linux:
            break;
    }
    return std::make_unique<LinuxPowerSupply>(loop, setup.sysfs, setup.supplyName);
}

std::string describeBattery(const BatterySetup& setup, const BatterySource& battery) {
    switch (setup.kind) {
        case BatterySetup::Kind::UPower:
            return static_cast<const UPowerBattery&>(battery).connected()
                       ? "UPower's display device on the system bus"
                       : "UPower (the system bus cannot be reached)";
        case BatterySetup::Kind::Linux: {
            const auto name = static_cast<const LinuxPowerSupply&>(battery).supplyName();
            return name.value_or("none found yet") + " in " + setup.sysfs.powerSupplies().string();
        }
        case BatterySetup::Kind::Simulated:
            return "the simulated battery";
        case BatterySetup::Kind::Replay:
            break;
    }
    return "a replayed session";
}

}  // namespace voltaro
