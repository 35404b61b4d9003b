#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "extensions/number_text.h"
#include "platform/preference_store.h"

namespace voltaro::cli {

DeviceSetup setUpDevice(const DeviceOptions& options, const Sysfs& sysfs,
                        const std::optional<std::string>& supplyName, std::ostream& err) {
    DeviceSetup setup = resolveDeviceSetup(options, sysfs, supplyName, &standardPreferences());
    for (const std::string& warning : setup.warnings) err << "voltaro-cli: " << warning << '\n';
    return setup;
}

int runDevice(const DeviceCommandOptions& options, Environment& env) {
    DeviceFigures f;
    try {
        f = setUpDevice(options.device, Sysfs::fromEnvironment(), std::nullopt, env.err).figures();
    } catch (const OptionError& error) {
        env.err << "voltaro-cli: " << error.what() << '\n';
        return kExitUsage;
    }
    if (options.json) {
        const nlohmann::json object = {
            {"identifier", f.identifier},
            {"name", f.name},
            {"nameSource", figureSourceName(f.nameSource)},
            {"capacity", f.capacity},
            {"capacitySource", figureSourceName(f.capacitySource)},
            {"nominalVoltage", f.nominalVoltage},
            {"nominalVoltageSource", figureSourceName(f.nominalVoltageSource)},
            {"maxChargingWatts", f.maxChargingWatts},
            {"maxChargingWattsSource", figureSourceName(f.maxChargingWattsSource)},
            {"fastCharge", f.fastCharge}};
        env.out << object.dump() << '\n';
        return kExitResult;
    }
    const std::string volts = fixedText(f.nominalVoltage, 2);
    env.out << "Identifier     " << f.identifier << '\n'
            << "Model          " << f.name << ' ' << figureSourceOrigin(f.nameSource) << '\n'
            << "Capacity       " << f.capacity << " mAh " << figureSourceOrigin(f.capacitySource)
            << '\n'
            << "Voltage        " << volts << " V " << figureSourceOrigin(f.nominalVoltageSource)
            << '\n'
            << "Maximum power  " << f.maxChargingWatts << " W "
            << figureSourceOrigin(f.maxChargingWattsSource) << '\n'
            << "Fast charge    " << (f.fastCharge ? "yes" : "no") << '\n';
    return kExitResult;
}

}  // namespace voltaro::cli
