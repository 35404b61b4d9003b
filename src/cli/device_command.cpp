#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "device/device_catalogue.h"

namespace voltaro::cli {

int runDevice(const DeviceOptions& options, Environment& env) {
    const std::string identifier = resolveModelIdentifier(options.model);
    const std::string name = modelNameFor(identifier);
    const int64_t capacity = batteryCapacityFor(identifier);
    const int64_t watts = maxChargingWattsFor(identifier);
    const bool fastCharge = supportsPDChargingFor(identifier);
    if (options.json) {
        const nlohmann::json object = {{"identifier", identifier},
                                       {"name", name},
                                       {"capacity", capacity},
                                       {"maxChargingWatts", watts},
                                       {"fastCharge", fastCharge}};
        env.out << object.dump() << '\n';
        return kExitResult;
    }
    env.out << "Identifier     " << identifier << '\n'
            << "Model          " << name << '\n'
            << "Capacity       " << capacity << " mAh\n"
            << "Maximum power  " << watts << " W\n"
            << "Fast charge    " << (fastCharge ? "yes" : "no") << '\n';
    return kExitResult;
}

}  // namespace voltaro::cli
