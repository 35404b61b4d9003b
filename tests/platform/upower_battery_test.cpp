#include "platform/linux/upower_battery.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_main_loop.h"
#include "support/counting_loop.h"
#include "support/private_system_bus.h"

namespace voltaro {
namespace {

using Events = std::vector<std::string>;

class UPowerBatteryTest : public ::testing::Test {
protected:
    // A monitored battery of a started service that records events with what a listener sees
    // then: "state charging", "level 51", "power 312" (tenths of a watt; -10 when none).
    UPowerBattery& monitored(double percentage, uint32_t state, double energyRate = 0.0) {
        bus_.startUPower();
        bus_.setupDisplayDevice(percentage, state, energyRate);
        UPowerBattery& battery = battery_.emplace(counted_);
        battery.onStateChanged(
            [&battery, this] { heard("state " + std::string(batteryStateName(battery.state()))); });
        battery.onLevelChanged([&battery, this] {
            heard("level " + std::to_string(std::lround(battery.level() * 100)));
        });
        battery.onReportedPowerChanged([&battery, this] {
            heard("power " +
                  std::to_string(std::lround(battery.reportedWatts().value_or(-1) * 10)));
        });
        battery.setMonitoringEnabled(true);
        return battery;
    }

    Events await(size_t count) {
        bool late = false;
        const auto deadline = loop_.scheduleOnce(20.0, [&] {
            late = true;
            loop_.quit();
        });
        while (events_.size() < count && !late) loop_.run();
        deadline->invalidate();
        EXPECT_FALSE(late) << "waited in vain for " << count << " events";
        return std::exchange(events_, {});
    }

    void heard(std::string event) {
        events_.push_back(std::move(event));
        loop_.quit();
    }

    testing::PrivateSystemBus bus_;
    SystemMainLoop loop_;
    testing::CountingLoop counted_{loop_};
    std::optional<UPowerBattery> battery_;
    Events events_;
};

TEST_F(UPowerBatteryTest, FollowsTheDisplayDeviceAndTheServiceThroughSignalsWithoutPolling) {
    UPowerBattery& battery = monitored(50.0, 1, 31.2);
    EXPECT_TRUE(battery.connected());
    EXPECT_FLOAT_EQ(battery.level(), 0.50f);
    EXPECT_EQ(battery.state(), BatteryState::Charging);
    EXPECT_DOUBLE_EQ(battery.reportedWatts().value_or(0), 31.2);

    bus_.setDisplayProperty("Percentage", 51.0);
    EXPECT_EQ(await(1), Events{"level 51"});
    bus_.setDisplayProperty("State", uint32_t{4});
    EXPECT_EQ(await(1), Events{"state full"});
    bus_.setDisplayProperty("EnergyRate", 0.0);  // UPower's "no rate known"
    EXPECT_EQ(await(1), Events{"power -10"});

    bus_.stopUPower();
    EXPECT_EQ(await(2), (Events{"state unknown", "level -100"}));
    bus_.startUPower();
    bus_.setupDisplayDevice(60.0, 1);
    EXPECT_EQ(await(2), (Events{"state charging", "level 60"}));
    bus_.setDisplayProperty("Percentage", 61.0);  // and its signals are followed again
    EXPECT_EQ(await(1), Events{"level 61"});

    // A quiet second: nothing wakes the loop.
    const int postsBefore = counted_.posts;
    loop_.scheduleOnce(1.0, [this] { loop_.quit(); });
    loop_.run();
    EXPECT_EQ(counted_.timers, 0) << "the source set a timer: it polls";
    EXPECT_EQ(counted_.posts, postsBefore) << "something woke the loop while nothing changed";

    // Without monitoring the source no longer holds the loop open.
    battery.setMonitoringEnabled(false);
    loop_.run();
    EXPECT_TRUE(events_.empty());
}

TEST_F(UPowerBatteryTest, OddValuesAndSignalsNeverPassForFigures) {
    UPowerBattery& battery = monitored(50.0, 1);
    bus_.setDisplayProperty("Percentage", std::string("fifty"));
    EXPECT_EQ(await(1), Events{"level -100"});
    for (const double bad : {150.0, -2.0, std::nan("")}) {
        bus_.setDisplayProperty("Percentage", 53.0);
        bus_.setDisplayProperty("Percentage", bad);
        EXPECT_EQ(await(2), (Events{"level 53", "level -100"})) << bad;
    }
    bus_.setDisplayProperty("State", std::string("charging"));
    EXPECT_EQ(await(1), Events{"state unknown"});
    bus_.setDisplayProperty("State", uint32_t{1});
    EXPECT_EQ(await(1), Events{"state charging"});
    bus_.setDisplayProperty("EnergyRate", std::string("31 W"));
    bus_.setDisplayProperty("EnergyRate", 1e9);

    // A PropertiesChanged of the wrong form, and one of another interface, are passed over.
    bus_.emitDisplaySignal("org.freedesktop.DBus.Properties", "PropertiesChanged", "s",
                           {sdbus::Variant(std::string("x"))});
    bus_.emitDisplaySignal(
        "org.freedesktop.DBus.Properties", "PropertiesChanged", "sa{sv}as",
        {sdbus::Variant(std::string("org.example.Other")),
         sdbus::Variant(std::map<std::string, sdbus::Variant>{{"Percentage", sdbus::Variant(9.0)}}),
         sdbus::Variant(std::vector<std::string>{})});
    bus_.setDisplayProperty("Percentage", 54.0);
    EXPECT_EQ(await(1), Events{"level 54"});
    EXPECT_EQ(battery.reportedWatts(), std::nullopt);

    bus_.setDisplayProperty("IsPresent", false);
    EXPECT_EQ(await(2), (Events{"state unknown", "level -100"}));
}

TEST_F(UPowerBatteryTest, SaysWhyItCannotBeUsed) {
    EXPECT_EQ(UPowerBattery::probe().problem, "UPower is not running on the system bus");
    bus_.startUPower();
    EXPECT_EQ(UPowerBattery::probe().problem, "UPower reports no battery");
    bus_.setupDisplayDevice(80.0, 2);
    EXPECT_TRUE(UPowerBattery::probe().batteryPresent);

    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/voltaro-test-bus", 1);
    const std::string problem = UPowerBattery::probe().problem;
    EXPECT_EQ(problem.rfind("the system bus cannot be reached", 0), 0u) << problem;
    UPowerBattery battery(counted_);
    EXPECT_FALSE(battery.connected());
    battery.setMonitoringEnabled(true);
    EXPECT_EQ(battery.level(), kUnknownBatteryLevel);
    battery.setMonitoringEnabled(false);
}

// Charging and full are followed through the bus above; these are the codes that need a choice.
TEST(UPowerStates, PendingStatesFollowTheChargerAndOthersAreUnknown) {
    EXPECT_EQ(batteryStateFromUPower(5), BatteryState::Charging);
    EXPECT_EQ(batteryStateFromUPower(6), BatteryState::Unplugged);
    EXPECT_EQ(batteryStateFromUPower(7), BatteryState::Unknown);
}

}  // namespace
}  // namespace voltaro
