#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>

#include "cli/terminal_view.h"
#include "cli_runner.h"
#include "support/scoped_env.h"
#include "support/scoped_locale.h"

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

TEST(MeasureReplay, EachRunEndsWithItsResultsStatus) {
    const std::string pressed = "0,start\n10,level,0.51\n70,level,0.52\n70,stop\n";
    const struct {
        std::string battery;  // a script of tests/data, a script's text or "sim"
        std::vector<std::string> options;
        int status;
        std::string field;
        nlohmann::json value;
    } cases[] = {
        {"capped_at_model_maximum.script", {"--model", "iPhone10,2"}, kExitResult, "watt", 18.0},
        {"jump_past_placeholder.script", {}, kExitNoResult, "failed", true},
        {"charge_to_full.script", {"--model", "x86_64"}, kExitResult, "finishlevel", 100.0},
        {"sim", {"--watts", "20", "--start-level", "0.5"}, kExitResult, "finishlevel", 100.0},
        {"0,state,charging\n0,level,0.5\n60,level,0.51\n", {}, kExitNoResult, "hasResult", false},
        // No Start button while unplugged or full: the presses do nothing.
        {"0,state,unplugged\n0,level,0.50\n" + pressed, {}, kExitNoResult, "hasResult", false},
        {"0,state,full\n0,level,1.0\n" + pressed, {}, kExitNoResult, "hasResult", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.battery);
        std::optional<ScriptFile> script;
        std::vector<std::string> arguments = {"measure", "--instant", "--json", "--battery"};
        if (c.battery == "sim") {
            arguments.push_back("sim");
        } else if (c.battery.find('\n') != std::string::npos) {
            arguments.push_back("replay:" + script.emplace(c.battery).path());
        } else {
            arguments.push_back("replay:" + data(c.battery));
        }
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun r = run(arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.json()[c.field], c.value);
    }
}

TEST(MeasureReplay, HumanOutputKeepsTheDecimalPointUnderADecimalCommaLocale) {
    const testing::ScopedLocale german("de_DE.UTF-8");
    if (!german.available())
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not generated (scripts/setup)";
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                          "--instant", "--model", "x86_64"});
    ASSERT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("8.1 W"), std::string::npos);
    EXPECT_NE(r.out.find("27.0 mAh/min"), std::string::npos);
    EXPECT_NE(r.out.find("60 s"), std::string::npos);
    EXPECT_NE(r.out.find("★☆☆☆☆"), std::string::npos);
}

// Made-up tests stay out of the user's own history unless a history is named or saving asked.
TEST(MeasureSimulated, IsSavedOnlyWhenAHistoryIsNamedOrSavingAsked) {
    const testing::TempDir dir;
    const testing::ScopedEnv xdg("XDG_DATA_HOME", dir.path().string());
    std::optional<testing::ScopedEnv> unnamed;
    unnamed.emplace("VOLTARO_DATA_DIR", std::nullopt);
    const std::filesystem::path own = dir.path() / "voltaro" / "history";
    const auto sim = [](std::vector<std::string> options) {
        options.insert(options.begin(),
                       {"measure", "--battery", "sim", "--instant", "--start-level", "0.95"});
        return run(options);
    };

    CliRun r = sim({});
    EXPECT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("Not saved: a simulated or replayed run is saved only with --save"),
              std::string::npos)
        << r.out;
    r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"), "--instant"});
    EXPECT_NE(r.out.find("Not saved"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(own));

    r = sim({"--save"});
    EXPECT_NE(r.out.find("Saved to " + own.string()), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(own));

    unnamed.reset();
    EXPECT_EQ(sim({"--json"}).json()["saved"], true);
}

TEST(StarText, PartialStarsCountAsEmptyInTheDrawing) {
    EXPECT_EQ(starText({13, 13, 6.5, 0, 0}), "★★☆☆☆");
    EXPECT_DOUBLE_EQ(starCount({13, 13, 6.5, 0, 0}), 2.5);
}

TEST(LiveLine, RedrawsOneLineWithTheStepsSoFarAndNeverWraps) {
    // 23 characters on a terminal of 24 columns.
    for (const auto& [columns, line] :
         {std::pair(0, "53%  00:01:00  8.1 W  ▅ █"), std::pair(24, "53%  00:01:00  8.1 W  ▅")}) {
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
        EXPECT_EQ(text.substr(text.rfind("\r\033[K") + 4), line);
        // After the prompt of the test, only redraws: no new line.
        const size_t testing = text.find("Testing", afterPrompt);
        ASSERT_NE(testing, std::string::npos);
        EXPECT_EQ(text.find('\n', text.find('\n', testing) + 1), std::string::npos);
    }
}

}  // namespace
}  // namespace voltaro::cli
