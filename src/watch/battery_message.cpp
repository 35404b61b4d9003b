#include "watch/battery_message.h"

#include <cmath>
#include <cstdint>

namespace voltaro {

std::string watchLevelText(float levelFraction) {
    // Single precision on purpose: 0.57f * 100 must give 57 here as it does on the watch's side.
    const float percent = levelFraction * 100.0f;
    // Beyond what a level can be (NaN, infinities): the digits stay digits.
    if (!std::isfinite(percent)) return "0";
    const double whole = std::fabs(std::trunc(static_cast<double>(percent)));
    if (whole > 1e15) return "0";
    return std::to_string(static_cast<std::int64_t>(whole));
}

std::string watchStateText(BatteryState state) {
    return state == BatteryState::Unplugged ? "0" : "1";
}

nlohmann::json batteryMessage(const Device& device) {
    return {
        {"level", watchLevelText(device.batteryLevel())},
        {"state", watchStateText(device.batteryState())},
        {"model", device.modelName()},
    };
}

}  // namespace voltaro
