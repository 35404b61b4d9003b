#include "platform/battery_source.h"

namespace voltaro {

std::string_view batteryStateName(BatteryState state) {
    switch (state) {
        case BatteryState::Unplugged: return "unplugged";
        case BatteryState::Charging: return "charging";
        case BatteryState::Full: return "full";
        case BatteryState::Unknown: break;
    }
    return "unknown";
}

}  // namespace voltaro
