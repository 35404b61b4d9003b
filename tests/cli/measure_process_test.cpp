#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_process.h"
#include "cli_runner.h"
#include "support/temp_dir.h"

namespace voltaro::cli {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Ctrl-C (SIGINT) and SIGTERM (systemd, `timeout`) stop the running test as Stop does: the result
// is saved and printed and the exit status is the result's.
TEST(MeasureProcess, AnInterruptStopsTheTestAndSavesIt) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        const testing::TempDir data;
        CliProcess cli({"measure", "--battery", "sim", "--speed", "60", "--start-level", "0.5",
                        "--watts", "20", "--model", "iPhone14,5", "--data-dir",
                        data.path().string()},
                       {});
        ASSERT_TRUE(cli.started());
        // Two level steps into the test: an interim power is on the status line.
        ASSERT_TRUE(cli.waitForOutput("Testing:", 20s)) << cli.output();
        ASSERT_TRUE(cli.waitForOutput(" W\n", 20s, cli.output().find("Testing:"))) << cli.output();
        cli.signal(signal);
        const std::optional<int> status = cli.waitForExit(20s);
        ASSERT_TRUE(status) << cli.output();
        ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
        EXPECT_EQ(WEXITSTATUS(*status), kExitResult) << cli.output();
        EXPECT_NE(cli.output().find("Saved to"), std::string::npos) << cli.output();
        EXPECT_TRUE(fs::exists(data.path() / "history"));
    }
}

// A real battery that jumps to 100 % fails the test; nothing is left to measure, so the run ends.
TEST(MeasureProcess, AFailedTestAtAFullRealBatteryEndsTheRun) {
    const testing::TempDir dir;
    const fs::path supply = dir.path() / "sysfs/class/power_supply/BAT0";
    fs::create_directories(supply);
    const auto write = [&](const char* name, const char* text) {
        std::ofstream(supply / name) << text << '\n';
    };
    write("type", "Battery");
    write("present", "1");
    write("status", "Charging");
    write("capacity", "98");
    CliProcess cli({"measure", "--battery", "linux:BAT0", "--model", "iPhone14,5", "--data-dir",
                    (dir.path() / "data").string()},
                   {{"VOLTARO_SYSFS_ROOT", (dir.path() / "sysfs").string()}});
    ASSERT_TRUE(cli.started());
    ASSERT_TRUE(cli.waitForOutput("Testing:", 20s)) << cli.output();
    write("capacity", "100");  // past the placeholder of 99 % before its time: a failed test
    const std::optional<int> status = cli.waitForExit(20s);
    ASSERT_TRUE(status) << "still running:\n" << cli.output();
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), kExitNoResult);
    EXPECT_NE(cli.output().find("the test failed"), std::string::npos) << cli.output();
    EXPECT_NE(cli.output().find("Saved to"), std::string::npos) << cli.output();
}

}  // namespace
}  // namespace voltaro::cli
