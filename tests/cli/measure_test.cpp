#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/terminal_view.h"
#include "cli_runner.h"
#include "platform/paths.h"
#include "support/scoped_locale.h"
#include "support/temp_dir.h"

namespace voltaro::cli {
namespace {

TEST(MeasureReplay, ReproducesAOneStepResult) {
    const CliRun r = replay("one_step_in_a_minute.script", {"--model", "x86_64"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    const auto j = r.json();
    EXPECT_EQ(j["failed"], false);
    EXPECT_NEAR(j["watt"].get<double>(), 8.1, 0.005);
    EXPECT_DOUBLE_EQ(j["amp"].get<double>(), 27.0);
    EXPECT_EQ(j["averageTime"], 60.0);
    EXPECT_EQ(j["min"], 60.0);
    EXPECT_EQ(j["startlevel"], 51.0);
    EXPECT_EQ(j["finishlevel"], 52.0);
    EXPECT_EQ(j["starttime"], 1010.0);
    EXPECT_EQ(j["finishtime"], 1070.0);
    EXPECT_EQ(j["userStartTime"], 1010.0);
    EXPECT_EQ(j["userStartlevel"], 51.0);
    EXPECT_EQ(j["levelList"], nlohmann::json::parse("[51.0, 52.0]"));
    EXPECT_EQ(j["stars"][0], 13.0);
    EXPECT_NEAR(j["stars"][1].get<double>(), 4.55, 1e-5);
}

TEST(MeasureReplay, CapsAtTheModelMaximum) {
    const CliRun r = replay("capped_at_model_maximum.script", {"--model", "iPhone10,2"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    const auto j = r.json();
    EXPECT_EQ(j["watt"], 18.0);
    for (const auto& width : j["stars"]) EXPECT_EQ(width, 13.0);
}

TEST(MeasureReplay, AFailedTestHasNoResult) {
    const CliRun r = replay("jump_past_placeholder.script");
    EXPECT_EQ(r.status, kExitNoResult);
    const auto j = r.json();
    EXPECT_EQ(j["failed"], true);
    EXPECT_LT(j["watt"].get<double>(), 0.0);
}

TEST(MeasureReplay, EndsAtAFullBattery) {
    const CliRun r = replay("charge_to_full.script", {"--model", "x86_64"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    EXPECT_EQ(r.json()["finishlevel"], 100.0);
}

TEST(MeasureReplay, AScriptThatNeverStartsHasNoResult) {
    ScriptFile script("0,state,charging\n0,level,0.5\n60,level,0.51\n");
    const CliRun r = run({"measure", "--battery", "replay:" + script.path(), "--instant"});
    EXPECT_EQ(r.status, kExitNoResult);
    EXPECT_NE(r.out.find("No result"), std::string::npos);
}

TEST(MeasureReplay, HumanOutputShowsPowerRateAndStars) {
    // Numbers keep their point in a decimal-comma locale.
    const testing::ScopedLocale german("de_DE.UTF-8");
    if (!german.available()) GTEST_SKIP() << "the de_DE.UTF-8 locale is not generated (scripts/setup)";
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                       "--instant", "--model", "x86_64"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("8.1 W"), std::string::npos);
    EXPECT_NE(r.out.find("27.0 mAh/min"), std::string::npos);
    EXPECT_NE(r.out.find("60 s"), std::string::npos);
    EXPECT_NE(r.out.find("★☆☆☆☆"), std::string::npos);
}

TEST(MeasureSimulated, RunsToFullOnVirtualTime) {
    const CliRun r = run({"measure", "--battery", "sim", "--instant", "--json", "--model",
                       "iPhone14,5", "--watts", "20", "--start-level", "0.5"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    const auto j = r.json();
    EXPECT_EQ(j["finishlevel"], 100.0);
    // A 20 W charger under the 27 W maximum, tapering above 80 %: well under 20 W on average.
    EXPECT_GT(j["watt"].get<double>(), 12.0);
    EXPECT_LT(j["watt"].get<double>(), 20.0);
}

TEST(MeasureReplay, AScriptedStartDoesOnlyWhatTheButtonCould) {
    // No Start button while unplugged or full: the presses do nothing and no test runs.
    for (const char* setting : {"0,state,unplugged\n0,level,0.50\n", "0,state,full\n0,level,1.0\n"}) {
        ScriptFile script(std::string(setting) + "0,start\n10,level,0.51\n70,level,0.52\n70,stop\n");
        const CliRun r = run({"measure", "--battery", "replay:" + script.path(), "--instant", "--json"});
        EXPECT_EQ(r.status, kExitNoResult) << setting;
        EXPECT_EQ(r.json()["hasResult"], false) << setting;
    }
}

// Made-up tests stay out of the user's own history unless a history is named or saving asked.
TEST(MeasureSimulated, IsSavedOnlyWhenAHistoryIsNamedOrSavingAsked) {
    const testing::TempDir dir;
    Paths::setDataDirectory({});  // an earlier run's --data-dir
    const std::string named = getenv("VOLTARO_DATA_DIR");
    const char* xdg = getenv("XDG_DATA_HOME");
    const std::optional<std::string> savedXdg = xdg ? std::optional<std::string>(xdg) : std::nullopt;
    unsetenv("VOLTARO_DATA_DIR");
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    const std::filesystem::path own = dir.path() / "voltaro" / "history";
    const std::vector<std::string> sim = {"measure", "--battery", "sim", "--instant",
                                          "--start-level", "0.95"};
    const auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = sim;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return run(arguments);
    };

    CliRun r = with({});
    EXPECT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("Not saved: a simulated or replayed run is saved only with --save"),
              std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(own));
    r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"), "--instant"});
    EXPECT_NE(r.out.find("Not saved"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(own));

    r = with({"--save"});
    EXPECT_NE(r.out.find("Saved to " + own.string()), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(own));

    setenv("VOLTARO_DATA_DIR", named.c_str(), 1);
    r = with({"--json"});
    EXPECT_EQ(r.json()["saved"], true);
    savedXdg ? setenv("XDG_DATA_HOME", savedXdg->c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST(MeasureArguments, BadArgumentsExitWith2) {
    EXPECT_EQ(run({"measure", "--battery", "usb"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--battery", "replay:"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--battery", "sim", "--watts", "-3"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--battery", "sim", "--start-level", "1.5"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--battery", "sim", "--speed", "0"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--battery", "replay:x", "--watts", "10"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--clock-start", "soon"}).status, kExitUsage);
    EXPECT_EQ(run({"measure", "--frobnicate"}).status, kExitUsage);
    EXPECT_EQ(run({}).status, kExitUsage);
    EXPECT_EQ(run({"--help"}).status, 0);
}

TEST(MeasureArguments, ABadScriptNamesTheFileAndLine) {
    ScriptFile script("0,state,charging\n5,level,high\n");
    const CliRun r = run({"measure", "--battery", "replay:" + script.path(), "--instant"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_NE(r.err.find(script.path() + ":2:"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST(DeviceCommand, ShowsTheCatalogueFacts) {
    const CliRun r = run({"device", "--model", "iPhone9,1", "--json"});
    ASSERT_EQ(r.status, 0);
    const auto j = r.json();
    EXPECT_EQ(j["name"], "iPhone 7");
    EXPECT_EQ(j["capacity"], 1960);
    EXPECT_EQ(j["maxChargingWatts"], 10);
    EXPECT_EQ(j["fastCharge"], false);
}

TEST(StarText, PartialStarsCountAsEmptyInTheDrawing) {
    EXPECT_EQ(starText({13, 13, 6.5, 0, 0}), "★★☆☆☆");
    EXPECT_DOUBLE_EQ(starCount({13, 13, 6.5, 0, 0}), 2.5);
}

TEST(LiveLine, RedrawsOneLineWithTheStepsSoFarAndNeverWraps) {
    for (const int columns : {0, 24}) {
        std::ostringstream out;
        TerminalView view(out, TerminalView::Mode::LiveLine, columns);
        view.showConnectedLayout(false);
        view.flush();
        const size_t afterPrompt = out.str().size();
        view.showTestingLayout(0, 0);
        view.showBatteryLevelText("53%");
        view.flush();
        view.showClockText("00:01:00");
        view.showResult(8.1, 60);
        view.showStepPowers({8.1, NAN, 16.2});
        view.flush();
        const std::string text = out.str();
        const std::string redrawn = text.substr(text.rfind("\r\033[K") + 4);
        if (columns == 0) {
            EXPECT_EQ(redrawn, "53%  00:01:00  8.1 W  ▅ █");
        } else {
            EXPECT_EQ(redrawn, "53%  00:01:00  8.1 W  ▅");  // 23 characters
        }
        // After the prompt of the test, only redraws: no new line.
        const size_t testing = text.find("Testing", afterPrompt);
        ASSERT_NE(testing, std::string::npos);
        EXPECT_EQ(text.find('\n', text.find('\n', testing) + 1), std::string::npos);
    }
}

}  // namespace
}  // namespace voltaro::cli
