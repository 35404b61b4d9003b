#include "device/device_catalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

namespace voltaro {
namespace {

// The identifiers that any table lists.
std::set<std::string> cataloguedIdentifiers() {
    std::set<std::string> ids;
    for (const auto& row : device_tables::modelNames()) ids.emplace(row.identifier);
    for (const auto& row : device_tables::batteryCapacities()) ids.emplace(row.identifier);
    for (const auto& row : device_tables::maxChargingWatts()) ids.emplace(row.identifier);
    for (const auto& row : device_tables::pdCharging()) ids.emplace(row.identifier);
    return ids;
}

// Every catalogued model against tests/data/device_catalogue.tsv, which lists each one as the
// lookups must give it (the tables' defaults filled in), so no row and no default goes unchecked.
TEST(DeviceCatalogue, EveryModelMatchesTheKeptTable) {
    std::ifstream file(VOLTARO_TEST_DATA_DIR "/device_catalogue.tsv");
    ASSERT_TRUE(file) << "tests/data/device_catalogue.tsv";
    std::set<std::string> listed;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string id, name, milliampHours, watts, pd;
        std::getline(fields, id, '\t');
        std::getline(fields, name, '\t');
        fields >> milliampHours >> watts >> pd;
        SCOPED_TRACE(id);
        EXPECT_TRUE(isCatalogued(id));
        EXPECT_EQ(modelNameFor(id), name);
        EXPECT_EQ(batteryCapacityFor(id), std::stoll(milliampHours));
        EXPECT_EQ(maxChargingWattsFor(id), std::stoll(watts));
        EXPECT_EQ(supportsPDChargingFor(id), pd == "yes");
        EXPECT_TRUE(listed.insert(id).second) << "listed twice";
    }
    EXPECT_EQ(listed.size(), 150u);
    EXPECT_EQ(listed, cataloguedIdentifiers());
}

// Keys match whole, exactly and case-sensitively: anything else, near misses of a listed model
// included ("iPhone9,1" has no fast charge), gets itself as the name and every default.
TEST(DeviceCatalogue, UnlistedIdentifiersAndNearMissesGetTheDefaults) {
    using namespace std::string_view_literals;
    for (const std::string_view id :
         {"x86_64"sv, ""sv, "iPhone99,1"sv, "zzz"sv, "AAA"sv, "iphone14,5"sv, "iPhone14,5 "sv,
          " iPhone14,5"sv, "iPhone14,"sv, "iPhone14,50"sv, "iPhone14,5\0"sv, "iPhone9,1 "sv,
          "iphone9,1"sv}) {
        SCOPED_TRACE(std::string(id));
        EXPECT_FALSE(isCatalogued(id));
        EXPECT_EQ(modelNameFor(id), id);
        EXPECT_EQ(batteryCapacityFor(id), 2716);
        EXPECT_EQ(maxChargingWattsFor(id), 30);
        EXPECT_TRUE(supportsPDChargingFor(id));
    }
}

}  // namespace
}  // namespace voltaro
