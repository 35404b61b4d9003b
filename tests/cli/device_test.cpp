#include <gtest/gtest.h>

#include "cli_runner.h"
#include "platform/preference_store.h"
#include "support/json_expect.h"
#include "support/private_system_bus.h"
#include "support/scoped_env.h"

namespace voltaro::cli {
namespace {

// Which figure wins is the device layer's (tests/device); here, that the machine's files, the
// model options and the catalogue reach the command, and its JSON names each figure's source.
TEST(DeviceCommand, ShowsTheFiguresAndWhereEachCameFrom) {
    const struct {
        const char* tree;  // recorded in tests/data; empty: a machine that says nothing
        std::vector<std::string> options;
        std::optional<std::string> model;  // VOLTARO_MODEL
        const char* figures;
    } cases[] = {
        {"sysfs-laptop", {}, {}, R"j({"identifier": "LENOVO 20XW0055GE",
            "name": "LENOVO ThinkPad X1 Carbon Gen 9", "nameSource": "dmi", "capacity": 4922,
            "capacitySource": "battery", "nominalVoltage": 11.58, "maxChargingWatts": 100,
            "fastCharge": true})j"},
        {"sysfs-phone", {"--model", "iPhone14,5"}, {}, R"j({"name": "iPhone 13",
            "nameSource": "catalogue", "capacity": 3227, "capacitySource": "catalogue",
            "maxChargingWatts": 27})j"},
        {"", {}, "Gadget 7", R"j({"nameSource": "option", "capacitySource": "default"})j"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.figures);
        std::optional<testing::ScopedEnv> tree;
        if (*c.tree != '\0') tree.emplace("VOLTARO_SYSFS_ROOT", data(c.tree));
        const testing::ScopedEnv model("VOLTARO_MODEL", c.model);
        std::vector<std::string> arguments = {"device", "--json"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun r = run(arguments);
        ASSERT_EQ(r.status, 0) << r.err;
        testing::expectJsonHolds(r.json(), c.figures);
    }
    const testing::ScopedEnv tree("VOLTARO_SYSFS_ROOT", data("sysfs-laptop"));
    const std::string lines = run({"device"}).out;
    EXPECT_NE(lines.find("Capacity       4922 mAh (from the battery)"), std::string::npos) << lines;
    EXPECT_NE(lines.find("Voltage        11.58 V"), std::string::npos) << lines;
}

TEST(DeviceCommand, TheUsersFiguresComeFromOptionsOrTheSettingsFile) {
    const testing::ScopedEnv tree("VOLTARO_SYSFS_ROOT", data("sysfs-laptop"));
    PreferenceStore& settings = standardPreferences();
    settings.setString("batteryCapacity", "5100");
    settings.setInteger("maxChargingWatts", 65);
    settings.setString("nominalVoltage", "lots");  // no number: as if absent, and not said
    CliRun r = run({"device", "--json"});
    testing::expectJsonHolds(r.json(), R"({"capacity": 5100, "capacitySource": "option",
                                          "maxChargingWatts": 65, "nominalVoltage": 11.58})");
    EXPECT_EQ(r.err, "");

    settings.setString("nominalVoltage", "400");
    r = run({"device", "--json", "--capacity", "4000", "--voltage", "7.7"});
    testing::expectJsonHolds(r.json(), R"({"capacity": 4000, "nominalVoltage": 7.7})");
    EXPECT_EQ(r.err, "");  // the option hides the bad setting

    r = run({"device", "--json"});
    EXPECT_NE(r.err.find("\"nominalVoltage\" is ignored"), std::string::npos) << r.err;
    EXPECT_DOUBLE_EQ(r.json()["nominalVoltage"].get<double>(), 11.58);
    for (const char* key : {"batteryCapacity", "maxChargingWatts", "nominalVoltage"}) {
        settings.removeObject(key);
    }
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
