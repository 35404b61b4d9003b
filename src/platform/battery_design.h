#pragma once

#include <cstdint>
#include <optional>

namespace voltaro {

// What a battery says of its own design, in the kernel's units. Each figure is missing when the
// battery does not report it or reports something that is not a positive whole number; whether a
// figure is plausible is for the device's figures to judge.
struct BatteryDesign {
    std::optional<int64_t> chargeFullDesign;  // µAh
    std::optional<int64_t> energyFullDesign;  // µWh
    std::optional<int64_t> voltageMinDesign;  // µV

    bool operator==(const BatteryDesign&) const = default;
};

}  // namespace voltaro
