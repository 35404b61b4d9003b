#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The device catalogue: stateless lookups keyed by the hardware model identifier (for example
// "iPhone14,5"). Keys match as whole strings, exactly and case-sensitively; an identifier that a
// table does not list gets that table's default, even where another table lists it.
namespace voltaro {

inline constexpr int64_t kDefaultBatteryCapacity = 2716;  // mAh
inline constexpr int64_t kDefaultMaxChargingWatts = 30;
inline constexpr bool kDefaultSupportsPDCharging = true;

// Whether any table of the catalogue lists the identifier. A catalogued model's figures are the
// catalogue's, its defaults included; everything else is measured on the machine itself.
bool isCatalogued(std::string_view identifier);

// Display name of the model; an identifier without a name is returned unchanged.
std::string modelNameFor(std::string_view identifier);

// Battery capacity in milliamp-hours, always positive.
int64_t batteryCapacityFor(std::string_view identifier);

// Highest charging power the model accepts, in whole watts, always positive.
int64_t maxChargingWattsFor(std::string_view identifier);

// Whether the model takes USB Power Delivery fast charging.
bool supportsPDChargingFor(std::string_view identifier);

}  // namespace voltaro

// The raw tables, sorted by identifier, for checks that look at a whole table.
namespace voltaro::device_tables {

struct ModelNameRow {
    std::string_view identifier;
    std::string_view name;
};

struct CapacityRow {
    std::string_view identifier;
    int64_t milliampHours;
};

struct MaxWattsRow {
    std::string_view identifier;
    int64_t watts;
};

struct PDChargingRow {
    std::string_view identifier;
    bool supported;
};

std::span<const ModelNameRow> modelNames();
std::span<const CapacityRow> batteryCapacities();
std::span<const MaxWattsRow> maxChargingWatts();
std::span<const PDChargingRow> pdCharging();

}  // namespace voltaro::device_tables
