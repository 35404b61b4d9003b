#include "platform/linux/linux_power_supply.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

struct FakeTimer final : Timer {
    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }
    bool valid = true;
};

// Keeps the repeating timers so that a test fires them by hand instead of waiting.
struct FakeLoop final : MainLoop {
    AbsoluteTime now() const override { return 0.0; }
    void post(Task task) override { task(); }
    std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) override {
        intervals.push_back(interval);
        timers.push_back({std::make_shared<FakeTimer>(), std::move(task)});
        return timers.back().first;
    }
    std::shared_ptr<Timer> scheduleOnce(double, Task) override { return nullptr; }
    void run() override {}
    void quit() override {}
    void beginExternalWork() override {}
    void endExternalWork() override {}

    void tick() {
        for (size_t i = 0; i < timers.size(); ++i) {
            if (timers[i].first->valid) timers[i].second();
        }
    }
    size_t liveTimers() const {
        size_t n = 0;
        for (const auto& timer : timers) n += timer.first->valid ? 1 : 0;
        return n;
    }

    std::vector<double> intervals;
    std::vector<std::pair<std::shared_ptr<FakeTimer>, Task>> timers;
};

class LinuxPowerSupplyTest : public ::testing::Test {
protected:
    LinuxPowerSupplyTest()
        : root_(fs::temp_directory_path() / ("voltaro-power-supply-" + std::to_string(::getpid()) +
                                             "-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(supplies_);
    }
    ~LinuxPowerSupplyTest() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Writes an attribute the way sysfs shows it: one line ending in a newline.
    void set(const std::string& supply, const std::string& attribute, const std::string& value) {
        fs::create_directories(supplies_ / supply);
        std::ofstream(supplies_ / supply / attribute) << value << '\n';
    }
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
    LinuxPowerSupply source(std::optional<std::string> name = std::nullopt) {
        return LinuxPowerSupply(loop_, Sysfs(root_), std::move(name));
    }

    // Records events with what a listener sees then: "state <name>@<percent>", "level <percent>".
    void listen(LinuxPowerSupply& supply) {
        auto percent = [&supply] { return std::to_string(std::lround(supply.level() * 100)); };
        supply.onStateChanged([&supply, percent, this] {
            events_.push_back("state " + std::string(batteryStateName(supply.state())) + "@" +
                              percent());
        });
        supply.onLevelChanged([percent, this] { events_.push_back("level " + percent()); });
    }
    Events takeEvents() { return std::exchange(events_, {}); }

    const fs::path root_;
    const fs::path supplies_ = Sysfs(root_).powerSupplies();
    FakeLoop loop_;
    Events events_;
};

TEST_F(LinuxPowerSupplyTest, MapsStatusToState) {
    const std::vector<std::pair<std::string, BatteryState>> table = {
        {"Charging", BatteryState::Charging},     {"Full", BatteryState::Full},
        {"Discharging", BatteryState::Unplugged}, {"Not charging", BatteryState::Unplugged},
        {"Unknown", BatteryState::Unknown},       {"", BatteryState::Unknown},
        {"\x01\xff junk", BatteryState::Unknown}, {"  Full \t", BatteryState::Full},
    };
    for (const auto& [status, expected] : table) {
        addBattery("BAT0", "50", status);
        EXPECT_EQ(source().state(), expected) << "status \"" << status << "\"";
    }
    fs::remove(supplies_ / "BAT0" / "status");
    EXPECT_EQ(source().state(), BatteryState::Unknown);
}

TEST_F(LinuxPowerSupplyTest, NotChargingIsChargingOnlyWhilePowerComesIn) {
    addBattery("BAT0", "80", "Not charging");
    const auto supply = source();
    // Another battery or a UPS being online is no charger; neither is an unreadable flag.
    addExternal("BAT1", "Battery", "1");
    addExternal("ups", "UPS", "1");
    addExternal("usb", "USB", "junk");
    EXPECT_EQ(supply.state(), BatteryState::Unplugged);

    for (const std::string type : {"Mains", "USB", "USB_C", "USB_PD", "Wireless"}) {
        addExternal("charger", type, "1");
        EXPECT_EQ(supply.state(), BatteryState::Charging) << type;
        addExternal("charger", type, "0");
        EXPECT_EQ(supply.state(), BatteryState::Unplugged) << type;
    }
    addExternal("charger", "USB_PD", "2");  // a programmable supply is online too
    EXPECT_EQ(supply.state(), BatteryState::Charging);
}

TEST_F(LinuxPowerSupplyTest, ReadsCapacityAsClampedFraction) {
    const float unknown = kUnknownBatteryLevel;
    std::vector<std::pair<std::string, float>> table = {
        {"57", 0.57f}, {"0", 0.0f}, {"150", 1.0f}, {"-3", 0.0f}, {" 42\n", 0.42f}};
    for (const std::string junk : {"abc", "", "12x", "4.5", "nan", "99999999999999999999999"}) {
        table.emplace_back(junk, unknown);
    }
    table.emplace_back(std::string(10000, '7'), unknown);
    for (const auto& [capacity, expected] : table) {
        addBattery("BAT0", capacity, "Charging");
        const auto supply = source();
        EXPECT_FLOAT_EQ(supply.level(), expected) << "capacity \"" << capacity.substr(0, 30);
        EXPECT_EQ(supply.state(), BatteryState::Charging) << "a bad capacity spoils only the level";
    }
    fs::remove(supplies_ / "BAT0" / "capacity");
    EXPECT_EQ(source().level(), unknown);
    fs::create_directory(supplies_ / "BAT0" / "capacity");  // there, but not readable as a file
    EXPECT_EQ(source().level(), unknown);
}

TEST_F(LinuxPowerSupplyTest, ChoosesFirstSystemBatteryOrTheNamedSupply) {
    addExternal("AC", "Mains", "1");
    addBattery("BAT1", "20", "Discharging");
    addBattery("BAT0", "30", "Charging");
    set("BAT", "type", "UPS");
    addBattery("0-mouse", "90", "Discharging");  // sorts first but is a peripheral's battery
    set("0-mouse", "scope", "Device");

    EXPECT_EQ(LinuxPowerSupply::findBattery(Sysfs(root_)), "BAT0");
    EXPECT_EQ(source().supplyName(), "BAT0");
    EXPECT_FLOAT_EQ(source().level(), 0.30f);
    EXPECT_FLOAT_EQ(source("BAT1").level(), 0.20f);
    EXPECT_EQ(source("BAT1").state(), BatteryState::Unplugged);
    EXPECT_FLOAT_EQ(source("0-mouse").level(), 0.90f) << "the user's choice is kept";

    const auto supplies = LinuxPowerSupply::listSupplies(Sysfs(root_));
    ASSERT_EQ(supplies.size(), 5u);
    EXPECT_EQ(supplies[0].name, "0-mouse");
    EXPECT_EQ(supplies[1].name + " " + supplies[1].type, "AC Mains");

    for (const std::string bad : {"BAT9", "", "..", "../BAT0"}) {
        const auto missing = source(bad);
        EXPECT_EQ(missing.supplyName(), std::nullopt) << bad;
        EXPECT_EQ(missing.level(), kUnknownBatteryLevel) << bad;
        EXPECT_EQ(missing.state(), BatteryState::Unknown) << bad;
    }
}

TEST_F(LinuxPowerSupplyTest, WithoutBatteryReportsUnknown) {
    addExternal("AC", "Mains", "1");
    set("hid-mouse", "type", "Battery");
    set("hid-mouse", "scope", "Device");
    std::ofstream(supplies_ / "stray-file") << "Battery\n";
    for (const fs::path& root : {root_, root_ / "nowhere"}) {
        const LinuxPowerSupply supply(loop_, Sysfs(root));
        EXPECT_EQ(supply.level(), kUnknownBatteryLevel) << root;
        EXPECT_EQ(supply.state(), BatteryState::Unknown) << root;
        EXPECT_EQ(LinuxPowerSupply::findBattery(Sysfs(root)), std::nullopt) << root;
    }
    EXPECT_TRUE(LinuxPowerSupply::listSupplies(Sysfs(root_ / "nowhere")).empty());
}

TEST_F(LinuxPowerSupplyTest, RaisesEventsOnlyOnChange) {
    addBattery("BAT0", "40", "Discharging");
    addExternal("AC", "Mains", "0");
    auto supply = source();
    listen(supply);
    supply.setMonitoringEnabled(true);
    supply.setMonitoringEnabled(true);
    ASSERT_EQ(loop_.liveTimers(), 1u);
    EXPECT_EQ(loop_.intervals, std::vector<double>{1.0});
    loop_.tick();
    EXPECT_TRUE(takeEvents().empty()) << "the values at start are the baseline";

    set("BAT0", "capacity", "41");
    EXPECT_FLOAT_EQ(supply.level(), 0.40f) << "values change with the poll, not before";
    loop_.tick();
    loop_.tick();
    EXPECT_EQ(takeEvents(), Events{"level 41"});

    set("BAT0", "status", "Charging");
    loop_.tick();
    EXPECT_EQ(takeEvents(), Events{"state charging@41"});

    // Both change: the state event comes first and already sees the new level.
    set("BAT0", "status", "Full");
    set("BAT0", "capacity", "100");
    loop_.tick();
    EXPECT_EQ(takeEvents(), (Events{"state full@100", "level 100"}));

    // "Not charging" follows the charger while the battery's own files stay the same.
    set("BAT0", "status", "Not charging");
    set("AC", "online", "1");
    loop_.tick();
    set("AC", "online", "0");
    loop_.tick();
    set("BAT0", "capacity", "junk");
    loop_.tick();
    EXPECT_EQ(takeEvents(), (Events{"state charging@100", "state unplugged@100", "level -100"}));
}

TEST_F(LinuxPowerSupplyTest, FollowsBatteryAwayAndBack) {
    addBattery("BAT0", "40", "Discharging");
    auto supply = source();
    listen(supply);
    supply.setMonitoringEnabled(true);

    fs::remove_all(supplies_ / "BAT0");
    loop_.tick();
    loop_.tick();
    EXPECT_EQ(takeEvents(), (Events{"state unknown@-100", "level -100"}));

    addBattery("BAT1", "75", "Charging");
    loop_.tick();
    EXPECT_EQ(takeEvents(), (Events{"state charging@75", "level 75"}));
    EXPECT_EQ(supply.supplyName(), "BAT1");

    // A named supply is waited for under its name.
    auto named = source("BAT0");
    named.setMonitoringEnabled(true);
    addBattery("BAT0", "10", "Discharging");
    loop_.tick();
    EXPECT_FLOAT_EQ(named.level(), 0.10f);
    EXPECT_EQ(supply.supplyName(), "BAT0") << "the automatic choice moves to the first battery";
}

TEST_F(LinuxPowerSupplyTest, StopsPollingWhenMonitoringIsOff) {
    addBattery("BAT0", "40", "Discharging");
    {
        auto supply = source();
        listen(supply);
        supply.setMonitoringEnabled(true);
        supply.setMonitoringEnabled(false);
        EXPECT_EQ(loop_.liveTimers(), 0u);
        set("BAT0", "capacity", "55");
        loop_.tick();
        EXPECT_TRUE(takeEvents().empty());
        EXPECT_FLOAT_EQ(supply.level(), 0.55f) << "without monitoring every call reads afresh";

        // A listener may turn monitoring off; the pending level event is then dropped.
        supply.onStateChanged([&supply] { supply.setMonitoringEnabled(false); });
        supply.setMonitoringEnabled(true);
        set("BAT0", "status", "Charging");
        set("BAT0", "capacity", "56");
        loop_.tick();
        EXPECT_EQ(takeEvents(), Events{"state charging@56"});
        EXPECT_EQ(loop_.liveTimers(), 0u);

        supply.setMonitoringEnabled(true);
    }
    EXPECT_EQ(loop_.liveTimers(), 0u) << "a destroyed source leaves no timer behind";
}

}  // namespace
}  // namespace voltaro
