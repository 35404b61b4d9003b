#include "platform/linux/linux_power_supply.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/sysfs_model_source.h"
#include "platform/sim/virtual_time.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

class SysfsTree : public ::testing::Test {
protected:
    // Writes an attribute as sysfs shows it; `raw` keeps the text exactly (device-tree NULs).
    void write(const fs::path& relative, const std::string& text, bool raw = false) {
        const fs::path file = dir_.path() / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text << (raw ? "" : "\n");
    }
    void set(const std::string& supply, const std::string& attribute, const std::string& value) {
        write("class/power_supply/" + supply + "/" + attribute, value);
    }
    void remove(const std::string& relative) { fs::remove_all(dir_.path() / relative); }
    void addBattery(const std::string& name, const std::string& capacity,
                    const std::string& status) {
        set(name, "type", "Battery");
        set(name, "capacity", capacity);
        set(name, "status", status);
    }
    void addExternal(const std::string& name, const std::string& type, const std::string& online) {
        set(name, "type", type);
        set(name, "online", online);
    }
    void dmi(const std::string& vendor, const std::string& product, const std::string& version) {
        write("class/dmi/id/sys_vendor", vendor);
        write("class/dmi/id/product_name", product);
        write("class/dmi/id/product_version", version);
    }
    Sysfs sysfs() const { return Sysfs(dir_.path()); }
    ModelIdentity identity() const { return SysfsModelSource(sysfs()).identity(); }
    LinuxPowerSupply source(std::optional<std::string> name = std::nullopt) {
        return LinuxPowerSupply(loop_, sysfs(), std::move(name));
    }

    // A source of BAT0 at 40 %, unplugged, that records events with what a listener sees then:
    // "state <name>@<percent>", "level <percent>", "power <watts>".
    LinuxPowerSupply& monitored() {
        addBattery("BAT0", "40", "Discharging");
        LinuxPowerSupply& supply = supply_.emplace(loop_, sysfs());
        auto percent = [&supply] { return std::to_string(std::lround(supply.level() * 100)); };
        supply.onStateChanged([&supply, percent, this] {
            events_.push_back("state " + std::string(batteryStateName(supply.state())) + "@" +
                              percent());
        });
        supply.onLevelChanged([percent, this] { events_.push_back("level " + percent()); });
        supply.onReportedPowerChanged([&supply, this] {
            events_.push_back("power " +
                              std::to_string(std::lround(supply.reportedWatts().value_or(-1))));
        });
        supply.setMonitoringEnabled(true);
        return supply;
    }
    Events poll(int times = 1) {
        loop_.advanceBy(times * LinuxPowerSupply::kPollInterval);
        return std::exchange(events_, {});
    }

    testing::TempDir dir_;
    VirtualTime loop_;
    std::optional<LinuxPowerSupply> supply_;
    Events events_;
};

TEST_F(SysfsTree, MapsStatusToState) {
    const std::pair<std::string, BatteryState> table[] = {
        {"Charging", BatteryState::Charging},     {"  Full \t", BatteryState::Full},
        {"Discharging", BatteryState::Unplugged}, {"Not charging", BatteryState::Unplugged},
        {"Unknown", BatteryState::Unknown},       {"\x01\xff junk", BatteryState::Unknown},
    };
    for (const auto& [status, expected] : table) {
        addBattery("BAT0", "50", status);
        EXPECT_EQ(source().state(), expected) << "status \"" << status << "\"";
    }
}

TEST_F(SysfsTree, NotChargingIsChargingOnlyWhilePowerComesIn) {
    addBattery("BAT0", "80", "Not charging");
    const auto supply = source();
    // Another battery or a UPS being online is no charger; neither is an unreadable flag.
    addExternal("BAT1", "Battery", "1");
    addExternal("ups", "UPS", "1");
    addExternal("usb", "USB", "junk");
    EXPECT_EQ(supply.state(), BatteryState::Unplugged);
    addExternal("charger", "USB_PD", "2");  // a programmable supply is online too
    EXPECT_EQ(supply.state(), BatteryState::Charging);
}

TEST_F(SysfsTree, ReadsCapacityAsClampedFraction) {
    const float unknown = kUnknownBatteryLevel;
    const std::string huge(10000, '7');
    const std::pair<std::string, float> table[] = {
        {"57", 0.57f},   {"150", 1.0f},    {"-3", 0.0f},     {" 42\n", 0.42f},
        {"", unknown},   {"12x", unknown}, {"4.5", unknown}, {"99999999999999999999999", unknown},
        {huge, unknown},
    };
    for (const auto& [capacity, expected] : table) {
        addBattery("BAT0", capacity, "Charging");
        const auto supply = source();
        EXPECT_FLOAT_EQ(supply.level(), expected) << "capacity \"" << capacity.substr(0, 30);
        EXPECT_EQ(supply.state(), BatteryState::Charging) << "a bad capacity spoils only the level";
    }
    remove("class/power_supply/BAT0/capacity");
    fs::create_directory(sysfs().powerSupplies() / "BAT0/capacity");  // not readable as a file
    EXPECT_EQ(source().level(), unknown);
}

TEST_F(SysfsTree, ChoosesFirstSystemBatteryOrTheNamedSupply) {
    addExternal("AC", "Mains", "1");
    addBattery("0-mouse", "90", "Discharging");  // sorts first but is a peripheral's battery
    set("0-mouse", "scope", "Device");
    write("class/power_supply/stray-file", "Battery");
    EXPECT_EQ(source().level(), kUnknownBatteryLevel);
    EXPECT_EQ(source().state(), BatteryState::Unknown);
    EXPECT_EQ(source().reportedWatts(), std::nullopt);
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()), BatteryDesign{});

    remove("class/power_supply/stray-file");
    addBattery("BAT1", "20", "Discharging");
    addBattery("BAT0", "30", "Charging");
    set("BAT", "type", "UPS");
    EXPECT_EQ(LinuxPowerSupply::findBattery(sysfs()), "BAT0");
    EXPECT_FLOAT_EQ(source().level(), 0.30f);
    EXPECT_EQ(source("BAT1").state(), BatteryState::Unplugged);
    EXPECT_FLOAT_EQ(source("0-mouse").level(), 0.90f) << "the user's choice is kept";

    const auto supplies = LinuxPowerSupply::listSupplies(sysfs());
    ASSERT_EQ(supplies.size(), 5u);
    EXPECT_EQ(supplies[0].name, "0-mouse");
    EXPECT_EQ(supplies[1].name + " " + supplies[1].type, "AC Mains");

    for (const std::string bad : {"BAT9", "", "../BAT0"}) {
        EXPECT_EQ(source(bad).supplyName(), std::nullopt) << bad;
        EXPECT_EQ(source(bad).level(), kUnknownBatteryLevel) << bad;
    }
}

TEST_F(SysfsTree, RaisesEventsOnlyOnChange) {
    addExternal("AC", "Mains", "0");
    LinuxPowerSupply& supply = monitored();
    EXPECT_TRUE(poll().empty()) << "the values at start are the baseline";

    set("BAT0", "capacity", "41");
    EXPECT_FLOAT_EQ(supply.level(), 0.40f) << "values change with the poll, not before";
    EXPECT_EQ(poll(2), Events{"level 41"});

    // Both change: the state event comes first and already sees the new level.
    set("BAT0", "status", "Full");
    set("BAT0", "capacity", "100");
    EXPECT_EQ(poll(), (Events{"state full@100", "level 100"}));

    // "Not charging" follows the charger while the battery's own files stay the same.
    set("BAT0", "status", "Not charging");
    set("AC", "online", "1");
    EXPECT_EQ(poll(), Events{"state charging@100"});
    set("AC", "online", "0");
    set("BAT0", "capacity", "junk");
    set("BAT0", "power_now", "20000000");
    EXPECT_EQ(poll(), (Events{"state unplugged@-100", "level -100", "power 20"}));
}

TEST_F(SysfsTree, FollowsBatteryAwayAndBack) {
    set("BAT0", "power_now", "20000000");
    LinuxPowerSupply& supply = monitored();
    remove("class/power_supply/BAT0");
    EXPECT_EQ(poll(2), (Events{"state unknown@-100", "level -100", "power -1"}));

    addBattery("BAT1", "75", "Charging");
    EXPECT_EQ(poll(), (Events{"state charging@75", "level 75"}));
    EXPECT_EQ(supply.supplyName(), "BAT1");

    // A named supply is waited for under its name.
    auto named = source("BAT0");
    named.setMonitoringEnabled(true);
    addBattery("BAT0", "10", "Discharging");
    poll();
    EXPECT_FLOAT_EQ(named.level(), 0.10f);
    EXPECT_EQ(supply.supplyName(), "BAT0") << "the automatic choice moves to the first battery";
}

// The virtual loop's run() returns only once no timer is left.
TEST_F(SysfsTree, StopsPollingWhenMonitoringIsOff) {
    LinuxPowerSupply& supply = monitored();
    supply.setMonitoringEnabled(true);
    supply.setMonitoringEnabled(false);
    loop_.run();
    set("BAT0", "capacity", "55");
    EXPECT_TRUE(poll().empty());
    EXPECT_FLOAT_EQ(supply.level(), 0.55f) << "without monitoring every call reads afresh";

    // A listener may turn monitoring off; the pending level event is then dropped.
    supply.onStateChanged([&supply] { supply.setMonitoringEnabled(false); });
    supply.setMonitoringEnabled(true);
    set("BAT0", "status", "Charging");
    set("BAT0", "capacity", "56");
    EXPECT_EQ(poll(), Events{"state charging@56"});
    loop_.run();

    supply.setMonitoringEnabled(true);
    supply_.reset();
    loop_.run();  // a destroyed source leaves no timer behind
}

TEST_F(SysfsTree, ReportedPowerIsTheKernelsOwnFigure) {
    struct Case {
        std::string power, current, voltage;
        std::optional<double> watts;
    };
    const Case table[] = {
        {"31200000", "", "", 31.2},
        {"-31200000", "", "", 31.2},  // some drivers sign the direction
        {"", "850000", "3950000", 3.3575},
        {"", "850000", "0", std::nullopt},
        {"", "999999999999", "3950000", std::nullopt},
        {"5000000000000", "850000", "3950000", std::nullopt},  // an absurd power is not replaced
        {"junk", "", "", std::nullopt},
    };
    const auto supply = source();
    for (const Case& c : table) {
        remove("class/power_supply/BAT0");
        addBattery("BAT0", "50", "Charging");
        if (!c.power.empty()) set("BAT0", "power_now", c.power);
        if (!c.current.empty()) set("BAT0", "current_now", c.current);
        if (!c.voltage.empty()) set("BAT0", "voltage_now", c.voltage);
        const auto watts = supply.reportedWatts();
        EXPECT_NEAR(watts.value_or(-1), c.watts.value_or(-1), 1e-9) << c.power << "/" << c.current;
    }
}

TEST_F(SysfsTree, DesignFiguresAreWholePositiveNumbersOrNothing) {
    set("BAT0", "type", "Battery");
    set("BAT0", "charge_full_design", "3000000");
    set("BAT0", "energy_full_design", "57000000");
    set("BAT0", "voltage_min_design", "11580000");
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()), (BatteryDesign{3000000, 57000000, 11580000}));
    EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs(), "../BAT0"), BatteryDesign{});

    for (const std::string bad : {"-3000000", "0", "3.5e6", "99999999999999999999999"}) {
        set("BAT0", "charge_full_design", bad);
        EXPECT_EQ(LinuxPowerSupply::readDesign(sysfs()).chargeFullDesign, std::nullopt) << bad;
    }
}

TEST_F(SysfsTree, TheDeviceTreeModelComesBeforeDmi) {
    dmi("LENOVO", "20XW0055GE", "ThinkPad X1 Carbon Gen 9");
    write("firmware/devicetree/base/model", std::string("Pine64 PinePhone (1.2)\0", 23), true);
    EXPECT_EQ(identity().origin, ModelOrigin::DeviceTree);
    EXPECT_EQ(identity().identifier, "Pine64 PinePhone (1.2)");
}

TEST_F(SysfsTree, DmiNamesTheModelAndSkipsPlaceholders) {
    // An empty name: the model falls back to uname. The name doubles as the identifier.
    const std::array<std::string, 4> table[] = {
        // The vendor is not said twice.
        {"HP", "HP EliteBook 840 G8 Notebook PC", "SBKPF", "HP EliteBook 840 G8 Notebook PC"},
        {"To be filled by O.E.M.", "To Be Filled By O.E.M.", "To be filled by O.E.M.", ""},
        {"  ACME\tLabs ", "Rocket\x01\xc3\xa9 9", "", "ACME Labs Rocket ?? 9"},
    };
    for (const auto& [vendor, product, version, name] : table) {
        dmi(vendor, product, version);
        const ModelIdentity id = identity();
        EXPECT_EQ(id.origin, name.empty() ? ModelOrigin::Uname : ModelOrigin::Dmi) << product;
        if (name.empty()) continue;
        EXPECT_EQ(id.name, name);
        EXPECT_EQ(id.identifier, name);
    }
}

}  // namespace
}  // namespace voltaro
