#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "device/device.h"

namespace voltaro {

// "level": the level fraction times 100 in single precision, truncated toward zero and made
// non-negative. An unknown level (-1) therefore reads "100": the watch application expects
// digits, never a sign.
std::string watchLevelText(float levelFraction);

// "state": "0" while unplugged, "1" in every other state (unknown, charging, full).
std::string watchStateText(BatteryState state);

// The battery message, the same for a push and a reply: {"level", "state", "model"}, all texts,
// read from the device now.
nlohmann::json batteryMessage(const Device& device);

}  // namespace voltaro
