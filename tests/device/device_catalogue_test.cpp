#include "device/device_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace voltaro {
namespace {

template <typename Rows>
std::set<std::string_view> identifiersOf(const Rows& rows) {
    std::set<std::string_view> ids;
    for (const auto& row : rows) ids.insert(row.identifier);
    return ids;
}

std::vector<std::string_view> without(const std::set<std::string_view>& all,
                                      const std::set<std::string_view>& removed) {
    std::vector<std::string_view> rest;
    std::set_difference(all.begin(), all.end(), removed.begin(), removed.end(),
                        std::back_inserter(rest));
    return rest;
}

TEST(DeviceTables, HaveTheCatalogueSizesWithoutRepeatedIdentifiers) {
    const auto names = device_tables::modelNames();
    std::set<std::string_view> distinctNames;
    for (const auto& row : names) distinctNames.insert(row.name);
    EXPECT_EQ(names.size(), 150u);
    EXPECT_EQ(distinctNames.size(), 88u);
    EXPECT_EQ(identifiersOf(names).size(), names.size());

    EXPECT_EQ(device_tables::batteryCapacities().size(), 142u);
    EXPECT_EQ(identifiersOf(device_tables::batteryCapacities()).size(), 142u);
    EXPECT_EQ(device_tables::maxChargingWatts().size(), 134u);
    EXPECT_EQ(identifiersOf(device_tables::maxChargingWatts()).size(), 134u);
    EXPECT_EQ(device_tables::pdCharging().size(), 128u);
    EXPECT_EQ(identifiersOf(device_tables::pdCharging()).size(), 128u);
}

TEST(DeviceTables, EachTableLeavesOutExactlyTheModelsWithoutData) {
    const auto named = identifiersOf(device_tables::modelNames());
    const auto withCapacity = identifiersOf(device_tables::batteryCapacities());
    const auto withWatts = identifiersOf(device_tables::maxChargingWatts());
    const auto withPD = identifiersOf(device_tables::pdCharging());

    // Every table row belongs to a named model, and each table is a subset of the one before.
    EXPECT_TRUE(
        std::includes(named.begin(), named.end(), withCapacity.begin(), withCapacity.end()));
    EXPECT_TRUE(std::includes(withCapacity.begin(), withCapacity.end(), withWatts.begin(),
                              withWatts.end()));
    EXPECT_TRUE(std::includes(withWatts.begin(), withWatts.end(), withPD.begin(), withPD.end()));

    using Ids = std::vector<std::string_view>;
    EXPECT_EQ(without(named, withCapacity), (Ids{"iPhone12,8", "iPhone14,6", "iPod1,1", "iPod2,1",
                                                 "iPod3,1", "iPod4,1", "iPod5,1", "iPod7,1"}));
    EXPECT_EQ(without(withCapacity, withWatts),
              (Ids{"iPad7,11", "iPad7,12", "iPad7,5", "iPad7,6", "iPhone13,1", "iPhone13,2",
                   "iPhone13,3", "iPhone13,4"}));
    EXPECT_EQ(without(withWatts, withPD),
              (Ids{"iPad14,5", "iPad14,6", "iPad16,3", "iPad16,4", "iPad16,5", "iPad16,6"}));
}

TEST(DeviceTables, ValuesArePositive) {
    for (const auto& row : device_tables::batteryCapacities()) EXPECT_GT(row.milliampHours, 0);
    for (const auto& row : device_tables::maxChargingWatts()) EXPECT_GT(row.watts, 0);
}

// Identifiers that no table lists get the identifier as the name and every default.
TEST(DeviceCatalogue, UnlistedIdentifiersGetTheDefaults) {
    for (const std::string_view id : {"x86_64", "aarch64", "", "iPhone99,1", "zzz", "AAA"}) {
        SCOPED_TRACE(std::string(id));
        EXPECT_EQ(modelNameFor(id), id);
        EXPECT_EQ(batteryCapacityFor(id), 2716);
        EXPECT_EQ(maxChargingWattsFor(id), 30);
        EXPECT_TRUE(supportsPDChargingFor(id));
    }
}

TEST(DeviceCatalogue, MatchesWholeIdentifiersExactly) {
    using namespace std::string_view_literals;
    for (const std::string_view id :
         {"iphone14,5"sv, "IPHONE14,5"sv, "iPhone14,5 "sv, " iPhone14,5"sv, "iPhone14,"sv,
          "iPhone14"sv, "iPhone14,50"sv, "iPhone14,5\0"sv}) {
        SCOPED_TRACE(std::string(id));
        EXPECT_EQ(modelNameFor(id), id);
        EXPECT_EQ(batteryCapacityFor(id), 2716);
        EXPECT_EQ(maxChargingWattsFor(id), 30);
    }
    // "iPhone9,1" has no fast charge, so a near miss shows the default instead.
    EXPECT_TRUE(supportsPDChargingFor("iPhone9,1 "));
    EXPECT_TRUE(supportsPDChargingFor("iphone9,1"));
}

struct ModelRow {
    const char* identifier;
    const char* name;
    int64_t milliampHours;
    int64_t watts;
    bool pd;
};

void PrintTo(const ModelRow& row, std::ostream* os) {
    *os << row.identifier;
}

class DeviceCatalogueRow : public testing::TestWithParam<ModelRow> {};

TEST_P(DeviceCatalogueRow, GivesTheListedValuesOrEachTablesDefault) {
    const ModelRow& row = GetParam();
    EXPECT_EQ(modelNameFor(row.identifier), row.name);
    EXPECT_EQ(batteryCapacityFor(row.identifier), row.milliampHours);
    EXPECT_EQ(maxChargingWattsFor(row.identifier), row.watts);
    EXPECT_EQ(supportsPDChargingFor(row.identifier), row.pd);
}

INSTANTIATE_TEST_SUITE_P(
    Models, DeviceCatalogueRow,
    testing::Values(
        ModelRow{"iPhone14,5", "iPhone 13", 3227, 27, true},
        ModelRow{"iPhone10,1", "iPhone 8", 1821, 12, true},
        ModelRow{"iPhone9,1", "iPhone 7", 1960, 10, false},
        ModelRow{"iPhone17,2", "iPhone 16 Pro Max", 4685, 27, true},
        ModelRow{"iPod5,1", "iPod Touch (5 Gen)", 2716, 30, true},
        ModelRow{"iPhone12,8", "iPhone SE (2nd generation)", 2716, 30, true},
        ModelRow{"iPhone3,3", "iPhone 4", 1419, 5, false},
        ModelRow{"iPhone8,2", "iPhone 6s Plus", 2750, 9, false},
        // Same name, different fast-charge ability.
        ModelRow{"iPad6,7", "iPad Pro (12.9-inch)", 9720, 30, false},
        ModelRow{"iPad7,1", "iPad Pro (12.9-inch)", 9720, 30, true},
        ModelRow{"iPad8,5", "iPad Pro (12.9-inch)", 9720, 30, true},
        // Capacity listed, power and fast charge by default.
        ModelRow{"iPhone13,1", "iPhone12 Mini", 2227, 30, true},
        ModelRow{"iPhone13,2", "iPhone12", 2815, 30, true},
        ModelRow{"iPad7,12", "iPad 7", 8827, 30, true},
        // Capacity and power listed, fast charge by default.
        ModelRow{"iPad16,6", "iPad Pro 4 M4 (13.0 Inch)", 10000, 35, true},
        ModelRow{"iPad14,5", "iPad Pro 6 (12.9 Inch)", 10000, 35, true},
        // Names with unusual spacing are kept as written.
        ModelRow{"iPhone13,3", "iPhone12 Pro", 2815, 30, true},
        ModelRow{"iPad13,10", "iPad Pro 5 (12.9Inch)", 10758, 35, true},
        ModelRow{"iPad8,10", "iPad Pro 2(11.0 Inch)", 7812, 30, true},
        ModelRow{"iPad14,11", "iPad Air M2 13Inch", 10000, 35, true},
        ModelRow{"iPad11,2", "iPad Mini 5", 5124, 12, true},
        ModelRow{"iPad14,2", "iPad Mini 6", 5124, 20, false},
        ModelRow{"iPad3,6", "iPad 4", 11560, 12, false},
        ModelRow{"iPad13,19", "iPad 10", 7760, 20, false},
        // First and last keys in sorted order, where a binary search is easiest to get wrong.
        ModelRow{"iPad1,1", "iPad", 6600, 12, false},
        ModelRow{"iPod7,1", "iPod Touch 6", 2716, 30, true}));

}  // namespace
}  // namespace voltaro
