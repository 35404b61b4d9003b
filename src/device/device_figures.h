#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/battery_design.h"
#include "platform/model_source.h"

namespace voltaro {

// Where a figure of the device came from; the names are those `voltaro-cli device --json` shows.
enum class FigureSource { Option, Catalogue, Battery, DeviceTree, Dmi, Uname, Default };
std::string_view figureSourceName(FigureSource source);  // "option", "catalogue", "battery", ...
// "(from the battery)" and the like, after a figure in a readable listing.
std::string_view figureSourceOrigin(FigureSource source);

// Figures the user sets (command-line options, the settings file); each replaces the figure that
// would otherwise be used, catalogued models included.
struct FigureOverrides {
    std::optional<int64_t> capacityMah;
    std::optional<double> nominalVolts;
    std::optional<int64_t> maxChargingWatts;
};

// The nominal voltage of the power figure for catalogued models and single cells: USB's 5 V.
inline constexpr double kUsbNominalVolts = 5.0;
// The most a multi-cell pack (a laptop's) is taken to accept: USB Power Delivery's standard range.
inline constexpr int64_t kMultiCellMaxChargingWatts = 100;
// A design capacity outside these bounds is no real battery's; the default is used instead.
inline constexpr int64_t kMinPlausibleCapacity = 100;      // mAh
inline constexpr int64_t kMaxPlausibleCapacity = 100'000;  // mAh
// The user's figures must lie in these bounds.
inline constexpr double kMinNominalVolts = 1.0;
inline constexpr double kMaxNominalVolts = 100.0;
inline constexpr int64_t kMinChargingWatts = 1;
inline constexpr int64_t kMaxChargingWatts = 1000;

// Everything the arithmetic and the screens know of the device, and where each figure came from.
struct DeviceFigures {
    std::string identifier;
    std::string name;
    FigureSource nameSource = FigureSource::Default;
    int64_t capacity = 0;  // mAh
    FigureSource capacitySource = FigureSource::Default;
    double nominalVoltage = kUsbNominalVolts;
    FigureSource nominalVoltageSource = FigureSource::Default;
    int64_t maxChargingWatts = 0;
    FigureSource maxChargingWattsSource = FigureSource::Default;
    bool fastCharge = true;
};

// A catalogued identifier keeps the catalogue's name and figures at 5 V. Any other model takes its
// capacity from the battery (charge_full_design, else energy_full_design ÷ voltage_min_design;
// the catalogue default when neither gives a plausible figure), its voltage from
// voltage_min_design where that is above 5 V (a multi-cell pack, which then accepts up to 100 W),
// and the catalogue defaults for the rest. The user's overrides win over everything.
DeviceFigures resolveDeviceFigures(const ModelIdentity& identity, const BatteryDesign& design,
                                   const FigureOverrides& overrides);

// The capacity in mAh that a battery's design figures give, when they give a plausible one.
std::optional<int64_t> designCapacityMah(const BatteryDesign& design);

}  // namespace voltaro
