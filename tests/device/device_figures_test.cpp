#include "device/device_figures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voltaro {
namespace {

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
    const Case cases[] = {
        // An uncatalogued machine's own battery, at its pack's voltage.
        {kDmiLaptop, kLaptop, {}, 4922, 11.58, 100, own},
        {{"PinePhone", "PinePhone", ModelOrigin::DeviceTree},
         kPhone,
         {},
         3000,
         5.0,
         30,
         "devicetree battery default default"},
        {{"x86_64", "x86_64", ModelOrigin::Uname},
         {},
         {},
         2716,
         5.0,
         30,
         "uname default default default"},
        // A catalogued model keeps the catalogue, also where it has only defaults.
        {named("iPhone14,5"), kLaptop, {}, 3227, 5.0, 27, catalogue},
        {named("iPhone13,2"), kLaptop, {}, 2815, 5.0, 30, catalogue},
        {named("iPod5,1"), kLaptop, {}, 2716, 5.0, 30, catalogue},
        // Absurd design figures fall back: below 100 mAh, 100,000,000 mAh, 500 V, 0.0001 V.
        {kDmiLaptop, {99000, kNone, kNone}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {100000, kNone, kNone}, {}, 100, 5.0, 30, "dmi battery default default"},
        {kDmiLaptop, {100000000000, kNone, kNone}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {99000, 57000000, 11580000}, {}, 4922, 11.58, 100, own},
        {kDmiLaptop, {kNone, 57000000, kNone}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {kNone, 57000000, 500000000}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {kNone, 57000000, 100}, {}, 2716, 5.0, 30, fallback},
        {kDmiLaptop, {kNone, 1, 11580000}, {}, 2716, 11.58, 100, "dmi default battery battery"},
        // The user's figures win everywhere; a voltage above 5 V names a pack taking 100 W.
        {kDmiLaptop, kLaptop, all, 5000, 7.4, 65, "dmi option option option"},
        {named("iPhone14,5"), kLaptop, all, 5000, 7.4, 65, "catalogue option option option"},
        {kDmiLaptop, {}, {kNone, 14.8, kNone}, 2716, 14.8, 100, "dmi default option default"},
    };
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

}  // namespace
}  // namespace voltaro
