#include "device/device_figures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voltaro {
namespace {

constexpr BatteryDesign kLaptop{std::nullopt, 57000000, 11580000};  // energy-only figures
constexpr BatteryDesign kPhone{3000000, std::nullopt, 3800000};     // charge figures

ModelIdentity dmiLaptop() {
    return {"LENOVO 20XW0055GE", "LENOVO ThinkPad X1 Carbon Gen 9", ModelOrigin::Dmi};
}

std::string sources(const DeviceFigures& f) {
    return std::string(figureSourceName(f.nameSource)) + " " +
           std::string(figureSourceName(f.capacitySource)) + " " +
           std::string(figureSourceName(f.nominalVoltageSource)) + " " +
           std::string(figureSourceName(f.maxChargingWattsSource));
}

TEST(DeviceFigures, AnUncataloguedMachineUsesItsOwnBattery) {
    const DeviceFigures laptop = resolveDeviceFigures(dmiLaptop(), kLaptop, {});
    EXPECT_EQ(laptop.name, "LENOVO ThinkPad X1 Carbon Gen 9");
    EXPECT_EQ(laptop.capacity, 4922);
    EXPECT_DOUBLE_EQ(laptop.nominalVoltage, 11.58);
    EXPECT_EQ(laptop.maxChargingWatts, 100);
    EXPECT_TRUE(laptop.fastCharge);
    EXPECT_EQ(sources(laptop), "dmi battery battery battery");

    const DeviceFigures phone = resolveDeviceFigures(
        {"Pine64 PinePhone (1.2)", "Pine64 PinePhone (1.2)", ModelOrigin::DeviceTree}, kPhone, {});
    EXPECT_EQ(phone.capacity, 3000);
    EXPECT_DOUBLE_EQ(phone.nominalVoltage, 5.0);
    EXPECT_EQ(phone.maxChargingWatts, 30);
    EXPECT_EQ(sources(phone), "devicetree battery default default");

    const DeviceFigures bare =
        resolveDeviceFigures({"x86_64", "x86_64", ModelOrigin::Uname}, {}, {});
    EXPECT_EQ(bare.capacity, 2716);
    EXPECT_EQ(bare.maxChargingWatts, 30);
    EXPECT_EQ(sources(bare), "uname default default default");
}

TEST(DeviceFigures, CataloguedModelsKeepTheCatalogueExactly) {
    for (const auto& [identifier, name, capacity, watts] :
         std::vector<std::tuple<std::string, std::string, int64_t, int64_t>>{
             {"iPhone14,5", "iPhone 13", 3227, 27},
             {"iPhone13,2", "iPhone12", 2815, 30},            // listed for capacity only
             {"iPod5,1", "iPod Touch (5 Gen)", 2716, 30}}) {  // named, figures by default
        const DeviceFigures f =
            resolveDeviceFigures({identifier, "ignored", ModelOrigin::Option}, kLaptop, {});
        EXPECT_EQ(f.name, name);
        EXPECT_EQ(f.capacity, capacity) << identifier;
        EXPECT_EQ(f.maxChargingWatts, watts) << identifier;
        EXPECT_DOUBLE_EQ(f.nominalVoltage, 5.0) << identifier;
        EXPECT_EQ(sources(f), "catalogue catalogue catalogue catalogue");
    }
}

TEST(DeviceFigures, AbsurdDesignFiguresFallBack) {
    struct Case {
        BatteryDesign design;
        int64_t capacity;
        double volts;
    };
    const std::vector<Case> table = {
        {{99000, std::nullopt, std::nullopt}, 2716, 5.0},  // below 100 mAh
        {{100000, std::nullopt, std::nullopt}, 100, 5.0},
        {{100000000000, std::nullopt, std::nullopt}, 2716, 5.0},  // 100,000,000 mAh
        {{99000, 57000000, 11580000}, 4922, 11.58},               // the energy figure steps in
        {{std::nullopt, 57000000, std::nullopt}, 2716, 5.0},      // energy without a voltage
        {{std::nullopt, 57000000, 500000000}, 2716, 5.0},         // a 500 V "battery"
        {{std::nullopt, 57000000, 100}, 2716, 5.0},               // 0.0001 V
        {{std::nullopt, 1, 11580000}, 2716, 11.58},
    };
    for (const Case& c : table) {
        const DeviceFigures f = resolveDeviceFigures(dmiLaptop(), c.design, {});
        EXPECT_EQ(f.capacity, c.capacity);
        EXPECT_DOUBLE_EQ(f.nominalVoltage, c.volts);
        EXPECT_EQ(f.maxChargingWatts, c.volts > 5.0 ? 100 : 30);
        EXPECT_EQ(f.capacitySource,
                  c.capacity == 2716 ? FigureSource::Default : FigureSource::Battery);
    }
}

TEST(DeviceFigures, TheUsersFiguresWinEverywhere) {
    const FigureOverrides all{5000, 7.4, 65};
    for (const ModelIdentity& identity :
         {dmiLaptop(), ModelIdentity{"iPhone14,5", "iPhone14,5", ModelOrigin::Option}}) {
        const DeviceFigures f = resolveDeviceFigures(identity, kLaptop, all);
        EXPECT_EQ(f.capacity, 5000);
        EXPECT_DOUBLE_EQ(f.nominalVoltage, 7.4);
        EXPECT_EQ(f.maxChargingWatts, 65);
        EXPECT_EQ(f.capacitySource, FigureSource::Option);
        EXPECT_EQ(f.maxChargingWattsSource, FigureSource::Option);
    }
    // A voltage above 5 V names a multi-cell pack, which takes up to 100 W.
    const DeviceFigures f =
        resolveDeviceFigures(dmiLaptop(), {}, {std::nullopt, 14.8, std::nullopt});
    EXPECT_EQ(f.maxChargingWatts, 100);
    EXPECT_EQ(f.capacity, 2716);
    EXPECT_EQ(f.nameSource, FigureSource::Dmi);
    EXPECT_EQ(resolveDeviceFigures({"x", "x", ModelOrigin::Option}, {}, {}).nameSource,
              FigureSource::Option);
}

}  // namespace
}  // namespace voltaro
