#include "device/device.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_catalogue.h"
#include "support/fake_battery.h"

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
// included, gets itself as the name and every default.
TEST(DeviceCatalogue, UnlistedIdentifiersAndNearMissesGetTheDefaults) {
    using namespace std::string_view_literals;
    for (const std::string_view id : {""sv, "zzz"sv, "AAA"sv, "iphone14,5"sv, "iPhone14,5 "sv,
                                      "iPhone14,50"sv, "iPhone14,5\0"sv, " iPhone14,5"sv}) {
        SCOPED_TRACE(std::string(id));
        EXPECT_FALSE(isCatalogued(id));
        EXPECT_EQ(modelNameFor(id), id);
        EXPECT_EQ(batteryCapacityFor(id), 2716);
        EXPECT_EQ(maxChargingWattsFor(id), 30);
        EXPECT_TRUE(supportsPDChargingFor(id));
    }
}

constexpr BatteryDesign kLaptop{std::nullopt, 57000000, 11580000};  // energy-only figures
constexpr BatteryDesign kPhone{3000000, std::nullopt, 3800000};     // charge figures
constexpr auto kNone = std::nullopt;
const ModelIdentity kDmiLaptop{"LENOVO 20XW0055GE", "LENOVO ThinkPad X1 Carbon Gen 9",
                               ModelOrigin::Dmi};

ModelIdentity named(const std::string& identifier) {
    return {identifier, "named " + identifier, ModelOrigin::Option};
}

TEST(DeviceFigures, EachFigureComesFromTheBestSourceThatHasAPlausibleOne) {
    struct Case {
        ModelIdentity identity;
        BatteryDesign design;
        FigureOverrides overrides;
        int64_t capacity;
        double volts;
        int64_t watts;
        std::string sources;  // of the name, capacity, voltage and power
    };
    const FigureOverrides all{5000, 7.4, 65};
    const std::string catalogue = "catalogue catalogue catalogue catalogue";
    const std::string own = "dmi battery battery battery";
    const std::string fallback = "dmi default default default";
    // clang-format off
    const Case cases[] = {
        // An uncatalogued machine's own battery, at its pack's voltage.
        {kDmiLaptop, kLaptop, {}, 4922, 11.58, 100, own},
        {{"PinePhone", "PinePhone", ModelOrigin::DeviceTree}, kPhone, {}, 3000, 5.0, 30,
         "devicetree battery default default"},
        // A catalogued model keeps the catalogue, also where it has only defaults.
        {named("iPhone14,5"), kLaptop, {}, 3227, 5.0, 27, catalogue},
        {named("iPod5,1"), kLaptop, {}, 2716, 5.0, 30, catalogue},
        // Absurd design figures fall back: below 100 mAh, 500 V.
        {kDmiLaptop, {99000, kNone, kNone}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {100000, kNone, kNone}, {}, 100, 5.0, 30, "dmi battery default default"},
        {kDmiLaptop, {99000, 57000000, 11580000}, {}, 4922, 11.58, 100, own},
        {kDmiLaptop, {kNone, 57000000, 500000000}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {kNone, 1, 11580000}, {}, 2716, 11.58, 100, "dmi default battery battery"},
        // The user's figures win everywhere; a voltage above 5 V names a pack taking 100 W.
        {kDmiLaptop, kLaptop, all, 5000, 7.4, 65, "dmi option option option"},
        {named("iPhone14,5"), kLaptop, all, 5000, 7.4, 65, "catalogue option option option"},
        {kDmiLaptop, {}, {kNone, 14.8, kNone}, 2716, 14.8, 100, "dmi default option default"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const DeviceFigures f = resolveDeviceFigures(c.identity, c.design, c.overrides);
        SCOPED_TRACE(c.identity.identifier + " " + c.sources);
        EXPECT_EQ(f.capacity, c.capacity);
        EXPECT_DOUBLE_EQ(f.nominalVoltage, c.volts);
        EXPECT_EQ(f.maxChargingWatts, c.watts);
        EXPECT_EQ(std::string(figureSourceName(f.nameSource)) + " " +
                      std::string(figureSourceName(f.capacitySource)) + " " +
                      std::string(figureSourceName(f.nominalVoltageSource)) + " " +
                      std::string(figureSourceName(f.maxChargingWattsSource)),
                  c.sources);
    }
    EXPECT_EQ(resolveDeviceFigures(kDmiLaptop, {}, {}).name, "LENOVO ThinkPad X1 Carbon Gen 9");
    EXPECT_TRUE(resolveDeviceFigures(kDmiLaptop, {}, {}).fastCharge);
    EXPECT_EQ(resolveDeviceFigures(named("iPhone13,2"), {}, {}).name, "iPhone12");
}

class ChangingModelSource final : public ModelSource {
public:
    std::string modelIdentifier() const override { return answers[calls++ % answers.size()]; }
    std::vector<std::string> answers = {"iPhone14,5", "iPhone9,1"};
    mutable size_t calls = 0;
};

// The answers alternate, so a cached identifier would repeat the first model's values.
TEST(Device, AsksTheModelSourceOnEveryCall) {
    ChangingModelSource model;
    testing::FakeBattery battery;
    const Device device(model, battery);
    EXPECT_EQ(device.modelName(), "iPhone 13");
    EXPECT_EQ(device.modelName(), "iPhone 7");
    EXPECT_EQ(device.batteryCapacity(), 3227);
    EXPECT_EQ(device.batteryCapacity(), 1960);
    EXPECT_EQ(model.calls, 4u);
}

}  // namespace
}  // namespace voltaro
