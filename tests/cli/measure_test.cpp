#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>

#include "cli/terminal_view.h"
#include "cli_runner.h"
#include "support/json_expect.h"
#include "support/scoped_env.h"
#include "support/scoped_locale.h"

namespace voltaro::cli {
namespace {

TEST(MeasureReplay, EachRunEndsWithItsResultsStatus) {
    const std::string pressed = "0,start\n10,level,0.51\n70,level,0.52\n70,stop\n";
    const char* noResult = R"({"hasResult": false})";
    const struct {
        std::string battery;  // a script in tests/data or a script's text
        std::vector<std::string> options;
        int status;
        const char* figures;         // what the JSON holds
        const char* tree = nullptr;  // a machine recorded in tests/data
    } cases[] = {
        {"one_step_in_a_minute",
         {"--model", "x86_64", "--clock-start", "1000"},
         kExitResult,
         R"({"failed": false, "watt": 8.1, "amp": 27, "averageTime": 60, "min": 60, "startlevel": 51,
             "finishlevel": 52, "starttime": 1010, "finishtime": 1070, "userStartTime": 1010,
             "userStartlevel": 51, "levelList": [51, 52], "stars": [13, 4.55]})"},
        // A laptop's pack: 49 mAh a minute at 11.58 V is 49 × 60 / 1000 × 11.58 W.
        {"one_step_in_a_minute", {}, kExitResult, R"({"watt": 34.0452})", "sysfs-laptop"},
        {"jump_past_placeholder", {}, kExitNoResult, R"({"failed": true})"},
        {"0,state,charging\n0,level,0.5\n60,level,0.51\n", {}, kExitNoResult, noResult},
        // No Start button while unplugged or full: the presses do nothing.
        {"0,state,unplugged\n0,level,0.50\n" + pressed, {}, kExitNoResult, noResult},
        {"0,state,full\n0,level,1.0\n" + pressed, {}, kExitNoResult, noResult},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.battery);
        std::optional<testing::ScopedEnv> tree;
        if (c.tree != nullptr) tree.emplace("VOLTARO_SYSFS_ROOT", data(c.tree));
        const bool written = c.battery.find('\n') != std::string::npos;
        std::vector<std::string> arguments = {
            "measure", "--instant", "--json", "--battery",
            "replay:" + (written ? scriptFile(c.battery) : data(c.battery + ".script"))};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun r = run(arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        testing::expectJsonHolds(r.json(), c.figures);
    }
}

TEST(MeasureReplay, HumanOutputKeepsTheDecimalPointUnderADecimalCommaLocale) {
    const testing::ScopedLocale german("de_DE.UTF-8");
    if (!german.available())
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not generated (scripts/setup)";
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                          "--instant", "--model", "x86_64"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    // 13 and 4.55 of 13: a third of a star is drawn empty and counted.
    for (const char* shown : {"8.1 W", "27.0 mAh/min", "60 s", "★☆☆☆☆  1.4 of 5 stars"}) {
        EXPECT_NE(r.out.find(shown), std::string::npos) << shown;
    }
}

// Made-up tests stay out of the user's own history unless a history is named or saving asked.
TEST(MeasureSimulated, IsSavedOnlyWhenAHistoryIsNamedOrSavingAsked) {
    const testing::TempDir dir;
    const testing::ScopedEnv xdg("XDG_DATA_HOME", dir.path().string());
    std::optional<testing::ScopedEnv> unnamed(std::in_place, "VOLTARO_DATA_DIR", std::nullopt);
    const std::filesystem::path own = dir.path() / "voltaro" / "history";
    const auto sim = [](std::vector<std::string> options) {
        options.insert(options.begin(), {"measure", "--battery", "sim", "--instant"});
        return run(options);
    };
    CliRun r = sim({});
    EXPECT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("Not saved: a simulated or replayed run is saved only with --save"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(std::filesystem::exists(own));
    r = sim({"--save"});
    EXPECT_NE(r.out.find("Saved to " + own.string()), std::string::npos) << r.out;

    unnamed.reset();
    EXPECT_EQ(sim({"--json"}).json()["saved"], true);
}

// 23 characters on a terminal of 24 columns: the line is cut, never wrapped, and only redrawn.
TEST(LiveLine, RedrawsOneLineThatNeverWraps) {
    std::ostringstream out;
    TerminalView view(out, TerminalView::Mode::LiveLine, 24);
    view.showTestingLayout(0, 0);
    view.showBatteryLevelText("53%");
    view.flush();
    view.showClockText("00:01:00");
    view.showResult(8.1, 60);
    view.showStepPowers({8.1, NAN, 16.2});
    view.flush();
    const std::string text = out.str();
    EXPECT_EQ(text.substr(text.rfind("\r\033[K") + 4), "53%  00:01:00  8.1 W  ▅");
    const size_t testing = text.find("Testing");
    ASSERT_NE(testing, std::string::npos);
    EXPECT_EQ(text.find('\n', text.find('\n', testing) + 1), std::string::npos);
}

}  // namespace
}  // namespace voltaro::cli
