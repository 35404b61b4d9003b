#include <gtest/gtest.h>

#include "cli_runner.h"
#include "platform/preference_store.h"
#include "support/json_expect.h"
#include "support/private_system_bus.h"
#include "support/scoped_env.h"

namespace voltaro::cli {
namespace {

// Which figure wins is tested in tests/device; here, that each source reaches the command.
TEST(DeviceCommand, ShowsTheFiguresAndWhereEachCameFrom) {
    const struct {
        const char* tree;  // recorded in tests/data; empty: a machine that says nothing
        std::vector<std::string> options;
        std::optional<std::string> model;  // VOLTARO_MODEL
        const char* figures;
    } cases[] = {
        {"sysfs-laptop",
         {},
         {},
         R"j({"name": "LENOVO ThinkPad X1 Carbon Gen 9", "nameSource": "dmi",
            "capacitySource": "battery", "nominalVoltage": 11.58, "fastCharge": true})j"},
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
}

// The settings file fills in what the machine does not say; a value out of range is said, not used.
TEST(DeviceCommand, TheUsersFiguresComeFromTheSettingsFile) {
    const testing::ScopedEnv tree("VOLTARO_SYSFS_ROOT", data("sysfs-laptop"));
    PreferenceStore& settings = standardPreferences();
    settings.setString("batteryCapacity", "5100");
    settings.setString("nominalVoltage", "400");
    const CliRun r = run({"device", "--json"});
    testing::expectJsonHolds(r.json(), R"({"capacity": 5100, "capacitySource": "option",
                                          "nominalVoltage": 11.58})");
    EXPECT_NE(r.err.find("\"nominalVoltage\" is ignored"), std::string::npos) << r.err;
    settings.removeObject("batteryCapacity");
    settings.removeObject("nominalVoltage");
}

TEST(MeasureUPower, AutoPrefersUPowerThenTheKernelsBattery) {
    testing::TempDir tree;
    const auto battery = tree.path() / "class/power_supply/BAT0";
    std::filesystem::create_directories(battery);
    std::ofstream(battery / "type") << "Battery\n";
    std::ofstream(battery / "status") << "Full\n";
    std::ofstream(battery / "capacity") << "100\n";
    const testing::ScopedEnv root("VOLTARO_SYSFS_ROOT", tree.path().string());
    EXPECT_NE(run({"measure"}).out.find("Battery: BAT0 in "), std::string::npos);  // no system bus

    testing::PrivateSystemBus bus;
    bus.startUPower();
    bus.setupDisplayDevice(100.0, 4);
    const CliRun r = run({"measure"});
    EXPECT_EQ(r.status, kExitNoResult);
    EXPECT_NE(r.out.find("Battery: UPower's display device on the system bus"), std::string::npos)
        << r.out;
}

}  // namespace
}  // namespace voltaro::cli
