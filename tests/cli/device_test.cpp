#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "cli_runner.h"
#include "engine/rate_estimator.h"
#include "platform/preference_store.h"
#include "store/history.h"
#include "support/private_system_bus.h"
#include "support/scoped_env.h"

namespace voltaro::cli {
namespace {

testing::ScopedEnv recordedTree(const std::string& name) {
    return testing::ScopedEnv("VOLTARO_SYSFS_ROOT", data(name));
}

TEST(DeviceCommand, ALaptopIsMeasuredAtItsPacksVoltage) {
    const auto tree = recordedTree("sysfs-laptop");
    const CliRun r = run({"device", "--json"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    const auto j = r.json();
    EXPECT_EQ(j["identifier"], "LENOVO 20XW0055GE");
    EXPECT_EQ(j["name"], "LENOVO ThinkPad X1 Carbon Gen 9");
    EXPECT_EQ(j["nameSource"], "dmi");
    EXPECT_EQ(j["capacity"], 4922);
    EXPECT_EQ(j["capacitySource"], "battery");
    EXPECT_DOUBLE_EQ(j["nominalVoltage"].get<double>(), 11.58);
    EXPECT_EQ(j["maxChargingWatts"], 100);
    EXPECT_EQ(j["fastCharge"], true);

    const CliRun lines = run({"device"});
    EXPECT_NE(lines.out.find("Capacity       4922 mAh (from the battery)"), std::string::npos)
        << lines.out;
    EXPECT_NE(lines.out.find("Voltage        11.58 V"), std::string::npos) << lines.out;

    // A replayed step of one percent a minute: 49 mAh a minute at 11.58 V.
    const CliRun measured = replay("one_step_in_a_minute.script");
    ASSERT_EQ(measured.status, kExitResult) << measured.err;
    RateResult expected;
    SampleWindow window;
    window.append(51, 0);
    window.append(52, 60);
    ASSERT_TRUE(computeResult(window, 4922, 100, expected, 11.58f));
    EXPECT_EQ(measured.json()["watt"].get<double>(), expected.totalWatt);
    EXPECT_EQ(measured.json()["amp"].get<double>(), 49.0);
    EXPECT_TRUE(measured.json()["kernelWatts"].is_null()) << "a replay has no kernel figure";
}

TEST(DeviceCommand, APhoneIsNamedByItsDeviceTree) {
    const auto tree = recordedTree("sysfs-phone");
    const auto j = run({"device", "--json"}).json();
    EXPECT_EQ(j["name"], "Pine64 PinePhone (1.2)");
    EXPECT_EQ(j["nameSource"], "devicetree");
    EXPECT_EQ(j["capacity"], 3000);
    EXPECT_EQ(j["capacitySource"], "battery");
    EXPECT_DOUBLE_EQ(j["nominalVoltage"].get<double>(), 5.0);
    EXPECT_EQ(j["maxChargingWatts"], 30);

    const auto catalogued = run({"device", "--model", "iPhone14,5", "--json"}).json();
    EXPECT_EQ(catalogued["name"], "iPhone 13");
    EXPECT_EQ(catalogued["capacity"], 3227);
    EXPECT_EQ(catalogued["maxChargingWatts"], 27);
    EXPECT_EQ(catalogued["capacitySource"], "catalogue");
    EXPECT_EQ(catalogued["nameSource"], "catalogue");
}

TEST(DeviceCommand, AMachineThatSaysNothingGetsTheDefaults) {
    const auto j = run({"device", "--json"}).json();
    EXPECT_EQ(j["capacity"], 2716);
    EXPECT_EQ(j["maxChargingWatts"], 30);
    EXPECT_EQ(j["capacitySource"], "default");
    EXPECT_EQ(j["nameSource"], "uname");

    const testing::ScopedEnv model("VOLTARO_MODEL", "Gadget 7");
    EXPECT_EQ(run({"device", "--json"}).json()["nameSource"], "option");
}

TEST(DeviceCommand, TheUsersFiguresComeFromOptionsOrTheSettingsFile) {
    const auto tree = recordedTree("sysfs-laptop");
    PreferenceStore& settings = standardPreferences();
    settings.setString("batteryCapacity", "5100");
    settings.setInteger("maxChargingWatts", 65);
    settings.setString("nominalVoltage", "lots");  // ignored, and said so
    CliRun r = run({"device", "--json"});
    EXPECT_EQ(r.json()["capacity"], 5100);
    EXPECT_EQ(r.json()["capacitySource"], "option");
    EXPECT_EQ(r.json()["maxChargingWatts"], 65);
    EXPECT_DOUBLE_EQ(r.json()["nominalVoltage"].get<double>(), 11.58);
    EXPECT_EQ(r.err, "");  // "lots" is no number: as if absent

    settings.setString("nominalVoltage", "400");
    r = run({"device", "--json", "--capacity", "4000", "--voltage", "7.7"});
    EXPECT_EQ(r.json()["capacity"], 4000);
    EXPECT_DOUBLE_EQ(r.json()["nominalVoltage"].get<double>(), 7.7);
    EXPECT_EQ(r.err, "");  // the option hides the bad setting

    r = run({"device", "--json"});
    EXPECT_NE(r.err.find("\"nominalVoltage\" is ignored"), std::string::npos) << r.err;
    EXPECT_DOUBLE_EQ(r.json()["nominalVoltage"].get<double>(), 11.58);

    for (const char* key : {"batteryCapacity", "maxChargingWatts", "nominalVoltage"}) {
        settings.removeObject(key);
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--capacity", "50"},
                                                {"--capacity", "2e6"},
                                                {"--voltage", "0"},
                                                {"--voltage", "nan"},
                                                {"--max-watts", "-1"},
                                                {"--max-watts", "many"}}) {
        std::vector<std::string> arguments = {"device"};
        arguments.insert(arguments.end(), bad.begin(), bad.end());
        const CliRun refused = run(arguments);
        EXPECT_EQ(refused.status, kExitUsage) << bad[0] << " " << bad[1];
        EXPECT_NE(refused.err.find(bad[0]), std::string::npos) << refused.err;
    }
}

TEST(MeasureUPower, FollowsTheMockedBatteryThroughSignals) {
    testing::PrivateSystemBus bus;
    bus.startUPower();
    bus.setupDisplayDevice(50.0, 1, 31.2);
    CliRun r;
    std::thread measure([&r] { r = run({"measure", "--json"}); });  // "auto" finds UPower
    bus.awaitDisplayDeviceReads(2);  // the check of "auto", then the battery's own reading
    bus.setDisplayProperty("Percentage", 51.0);
    bus.setDisplayProperty("Percentage", 52.0);
    // A real battery runs on real time: the window must span a whole second.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    bus.setDisplayProperty("Percentage", 100.0);
    measure.join();

    ASSERT_EQ(r.status, kExitResult) << r.err << r.out;
    const auto j = r.json();
    EXPECT_EQ(j["levelList"], nlohmann::json::parse("[51.0, 52.0, 100.0]"));
    EXPECT_EQ(j["watt"], 30.0) << "a fast rise, capped";
    EXPECT_NEAR(j["kernelWatts"].get<double>(), 31.2, 1e-9);
    const auto history = loadHistory();
    ASSERT_FALSE(history.empty());
    EXPECT_NEAR(history.back().at("kernelWatt"), 31.2, 1e-9);
    EXPECT_EQ(history.back().at("watt"), 30.0) << "the kernel's figure never replaces ours";
}

TEST(MeasureUPower, AutoPrefersUPowerThenTheKernelsBattery) {
    testing::TempDir tree;
    const auto battery = tree.path() / "class/power_supply/BAT0";
    std::filesystem::create_directories(battery);
    std::ofstream(battery / "type") << "Battery\n";
    std::ofstream(battery / "status") << "Full\n";
    std::ofstream(battery / "capacity") << "100\n";
    const testing::ScopedEnv root("VOLTARO_SYSFS_ROOT", tree.path().string());
    const std::string kernels = "Battery: BAT0 in " + (tree.path() / "class/power_supply").string();

    // No system bus at all, then a bus without UPower, then UPower without a battery.
    CliRun r = run({"measure"});
    EXPECT_EQ(r.status, kExitNoResult);
    EXPECT_NE(r.out.find(kernels), std::string::npos) << r.out;
    testing::PrivateSystemBus bus;
    r = run({"measure", "--battery", "upower"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, "voltaro-cli: --battery upower: UPower is not running on the system bus\n");
    bus.startUPower();
    EXPECT_NE(run({"measure"}).out.find(kernels), std::string::npos);

    bus.setupDisplayDevice(100.0, 4);
    r = run({"measure"});
    EXPECT_EQ(r.status, kExitNoResult);
    EXPECT_NE(r.out.find("Battery: UPower's display device on the system bus"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("The battery is full"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace voltaro::cli
