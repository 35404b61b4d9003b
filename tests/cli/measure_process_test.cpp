// The real voltaro-cli as a child process: what only a process shows.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "support/child_process.h"

namespace voltaro::cli {
namespace {

using testing::ChildProcess;

// Ctrl-C and SIGTERM stop the running test as Stop does: the result is saved and printed.
TEST(MeasureProcess, AnInterruptStopsTheTestAndSavesIt) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        const testing::TempDir home;
        ChildProcess cli({VOLTARO_CLI_PATH, "measure", "--battery", "sim", "--speed", "60",
                          "--start-level", "0.5", "--watts", "20", "--model", "iPhone14,5",
                          "--data-dir", home.path().string()});
        ASSERT_TRUE(cli.started());
        // Two level steps into the test: an interim power is on the status line.
        ASSERT_TRUE(cli.waitForOut("Testing:")) << cli.out();
        ASSERT_TRUE(cli.waitForOut(" W\n", cli.out().find("Testing:"))) << cli.out();
        cli.signal(signal);
        EXPECT_EQ(cli.wait(std::chrono::seconds(20)), kExitResult) << cli.out() << cli.err();
        EXPECT_NE(cli.out().find("Saved to"), std::string::npos) << cli.out();
        EXPECT_TRUE(std::filesystem::exists(home.path() / "history"));
    }
}

// A real battery that jumps to 100 % fails the test; nothing is left to measure, so the run ends.
TEST(MeasureProcess, AFailedTestAtAFullRealBatteryEndsTheRun) {
    const testing::TempDir dir;
    const std::filesystem::path supply = dir.path() / "sysfs/class/power_supply/BAT0";
    std::filesystem::create_directories(supply);
    const auto write = [&](const char* name, const char* text) {
        std::ofstream(supply / name) << text << '\n';
    };
    write("type", "Battery");
    write("present", "1");
    write("status", "Charging");
    write("capacity", "98");
    ChildProcess cli({VOLTARO_CLI_PATH, "measure", "--battery", "linux:BAT0", "--model",
                      "iPhone14,5", "--data-dir", (dir.path() / "data").string()},
                     {{"VOLTARO_SYSFS_ROOT", (dir.path() / "sysfs").string()}});
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(cli.waitForOut("Testing:")) << cli.out();
    write("capacity", "100");  // past the placeholder of 99 % before its time: a failed test
    EXPECT_EQ(cli.wait(std::chrono::seconds(20)), kExitNoResult) << cli.out();
    EXPECT_NE(cli.out().find("the test failed"), std::string::npos) << cli.out();
    EXPECT_NE(cli.out().find("Saved to"), std::string::npos) << cli.out();
}

// With no service address there is nothing to upload a label to, and so nothing to wait for.
TEST(LabelProcess, EndsAtOnceWhenThereIsNoServiceToTell) {
    const testing::TempDir home;
    std::filesystem::copy(data("curve_history"), home.path());
    ChildProcess cli({VOLTARO_CLI_PATH, "label", "818000000", "--watts", "18", "--data-dir",
                      home.path().string()});
    EXPECT_EQ(cli.wait(std::chrono::seconds(5)), 0) << "not done well within the 10 s upload wait";
}

}  // namespace
}  // namespace voltaro::cli
