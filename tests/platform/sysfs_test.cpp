#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/linux/linux_power_supply.h"
#include "platform/linux/sysfs_model_source.h"
#include "platform/sim/virtual_time.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

class SysfsTree : public ::testing::Test {
protected:
    // Writes an attribute as sysfs shows it; `raw` keeps the text exactly (device-tree NULs).
    void write(const fs::path& relative, const std::string& text, bool raw = false) {
        const fs::path file = dir_.path() / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text << (raw ? "" : "\n");
    }
    void dmi(const std::string& vendor, const std::string& product, const std::string& version) {
        write("class/dmi/id/sys_vendor", vendor);
        write("class/dmi/id/product_name", product);
        write("class/dmi/id/product_version", version);
    }
    void battery(const std::string& attribute, const std::string& value) {
        write("class/power_supply/BAT0/type", "Battery");
        write("class/power_supply/BAT0/" + attribute, value);
    }
    Sysfs sysfs() const { return Sysfs(dir_.path()); }
    ModelIdentity identity() const { return SysfsModelSource(sysfs()).identity(); }

    testing::TempDir dir_;
};

TEST_F(SysfsTree, TheDeviceTreeComesFirstThenDmiThenUname) {
    EXPECT_EQ(identity().origin, ModelOrigin::Uname);
    EXPECT_EQ(identity().identifier, UnameModelSource().modelIdentifier());

    dmi("LENOVO", "20XW0055GE", "ThinkPad X1 Carbon Gen 9");
    EXPECT_EQ(identity().origin, ModelOrigin::Dmi);
    EXPECT_EQ(identity().name, "LENOVO ThinkPad X1 Carbon Gen 9");
    EXPECT_EQ(identity().identifier, "LENOVO 20XW0055GE");

    write("firmware/devicetree/base/model", std::string("Pine64 PinePhone (1.2)\0", 23), true);
    EXPECT_EQ(identity().origin, ModelOrigin::DeviceTree);
    EXPECT_EQ(identity().name, "Pine64 PinePhone (1.2)");
    EXPECT_EQ(identity().identifier, "Pine64 PinePhone (1.2)");
}

TEST_F(SysfsTree, DmiNamesTheModelAndSkipsPlaceholders) {
    struct Case {
        std::string vendor, product, version, name, identifier;
    };
    const std::vector<Case> table = {
        {"Dell Inc.", "XPS 13 9310", "", "Dell Inc. XPS 13 9310", "Dell Inc. XPS 13 9310"},
        // The vendor is not said twice.
        {"HP", "HP EliteBook 840 G8 Notebook PC", "SBKPF", "HP EliteBook 840 G8 Notebook PC",
         "HP EliteBook 840 G8 Notebook PC"},
        {"To be filled by O.E.M.", "To Be Filled By O.E.M.", "To be filled by O.E.M.", "", ""},
        {"System manufacturer", "System Product Name", "System Version", "", ""},
        {"Default string", "B450M DS3H", "Default string", "B450M DS3H", "B450M DS3H"},
        {"LENOVO", "20XW0055GE", "Not Applicable", "LENOVO 20XW0055GE", "LENOVO 20XW0055GE"},
        {"Framework", "0000000000", "A6", "Framework A6", "Framework A6"},
        {"  ACME\tLabs ", "Rocket\x01\xc3\xa9 9", "", "ACME Labs Rocket ?? 9",
         "ACME Labs Rocket ?? 9"},
    };
    for (const Case& c : table) {
        dmi(c.vendor, c.product, c.version);
        const ModelIdentity id = identity();
        if (c.name.empty()) {
            EXPECT_EQ(id.origin, ModelOrigin::Uname) << c.product;
            continue;
        }
        EXPECT_EQ(id.origin, ModelOrigin::Dmi) << c.product;
        EXPECT_EQ(id.name, c.name);
        EXPECT_EQ(id.identifier, c.identifier);
    }
    dmi("Vendor", std::string(5000, 'a') + "b", "");
    EXPECT_EQ(identity().origin, ModelOrigin::Uname) << "an attribute beyond 4 KiB is unreadable";
    std::string longName;
    while (longName.size() < 300) longName += "ab";
    dmi("Vendor", longName, "");
    EXPECT_EQ(identity().name, "Vendor " + longName.substr(0, 128));
}

TEST_F(SysfsTree, DesignFiguresAreWholePositiveNumbersOrNothing) {
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()), BatteryDesign{});
    battery("charge_full_design", "3000000");
    battery("energy_full_design", "57000000");
    battery("voltage_min_design", "11580000");
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()), (BatteryDesign{3000000, 57000000, 11580000}));

    for (const std::string& bad :
         std::vector<std::string>{"", "-3000000", "0", "3.5e6", "lots", "99999999999999999999999",
                                  std::string(5000, '9')}) {
        battery("charge_full_design", bad);
        EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()).chargeFullDesign, std::nullopt) << bad;
    }
    fs::remove(dir_.path() / "class/power_supply/BAT0/voltage_min_design");
    fs::create_directory(dir_.path() / "class/power_supply/BAT0/voltage_min_design");
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()).voltageMinDesign, std::nullopt);

    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs(), "BAT0").energyFullDesign, 57000000);
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs(), "../BAT0"), BatteryDesign{});
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs(), "BAT9"), BatteryDesign{});
}

TEST_F(SysfsTree, ReportedPowerIsTheKernelsOwnFigure) {
    VirtualTime loop(0.0);
    LinuxPowerSupply supply(loop, sysfs());
    battery("capacity", "50");
    EXPECT_EQ(supply.reportedWatts(), std::nullopt);

    struct Case {
        std::string power, current, voltage;
        std::optional<double> watts;
    };
    const std::vector<Case> table = {
        {"31200000", "", "", 31.2},
        {"-31200000", "", "", 31.2},  // some drivers sign the direction
        {"", "850000", "3950000", 3.3575},
        {"", "-850000", "3950000", 3.3575},
        {"", "850000", "0", std::nullopt},
        {"", "850000", "", std::nullopt},
        {"", "999999999999", "3950000", std::nullopt},
        {"5000000000000", "850000", "3950000", std::nullopt},  // an absurd power is not replaced
        {"junk", "", "", std::nullopt},
    };
    for (const Case& c : table) {
        for (const char* name : {"power_now", "current_now", "voltage_now"}) {
            fs::remove(dir_.path() / "class/power_supply/BAT0" / name);
        }
        if (!c.power.empty()) battery("power_now", c.power);
        if (!c.current.empty()) battery("current_now", c.current);
        if (!c.voltage.empty()) battery("voltage_now", c.voltage);
        const auto watts = supply.reportedWatts();
        ASSERT_EQ(watts.has_value(), c.watts.has_value()) << c.power << "/" << c.current;
        if (watts) {
            EXPECT_NEAR(*watts, *c.watts, 1e-9);
        }
    }

    // While monitoring, a change of the figure is an event of its own.
    int events = 0;
    supply.onReportedPowerChanged([&] { ++events; });
    supply.setMonitoringEnabled(true);
    battery("power_now", "20000000");
    loop.advanceBy(1.0);
    loop.advanceBy(1.0);
    EXPECT_EQ(events, 1);
    EXPECT_DOUBLE_EQ(supply.reportedWatts().value_or(0), 20.0);
    fs::remove_all(dir_.path() / "class/power_supply/BAT0");  // the battery goes away
    loop.advanceBy(1.0);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(supply.reportedWatts(), std::nullopt);
    supply.setMonitoringEnabled(false);
}

}  // namespace
}  // namespace voltaro
