#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "platform/sim/replay_battery.h"
#include "platform/sim/session_script.h"
#include "platform/sim/simulated_battery.h"
#include "platform/sim/virtual_time.h"

namespace voltaro {
namespace {

SessionScript parse(const std::string& text) {
    std::istringstream input(text);
    return parseSessionScript(input, "test.script");
}

std::string errorOf(const std::string& text) {
    try {
        parse(text);
    } catch (const ScriptError& error) {
        return error.what();
    }
    return "";
}

TEST(SessionScript, LeadingStateAndLevelLinesSetTheStartingBattery) {
    const SessionScript script = parse(
        "# a charge from 50 %\n"
        "0,state,charging\n"
        "\n"
        "0, level, 0.50   # spaces are fine\n"
        "0,start\n"
        "0,level,0.5\n"
        "12.5,level,0.51\n"
        "70,stop\n"
        "71,appear\n");
    EXPECT_EQ(script.initialState, BatteryState::Charging);
    EXPECT_FLOAT_EQ(script.initialLevel, 0.5f);
    ASSERT_EQ(script.events.size(), 5u);
    EXPECT_EQ(script.events[1].kind, ScriptEvent::Kind::Level);  // after another line: an event
    EXPECT_EQ(script.events[2].seconds, 12.5);
    EXPECT_EQ(script.events[2].line, 7);
    EXPECT_EQ(script.events[4].kind, ScriptEvent::Kind::Appear);
}

TEST(SessionScript, MalformedLinesNameTheFileAndLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"0,state,charging\nx,level,0.5\n", "test.script:2: the time is not a number of seconds"},
        {"5,start\n4,stop\n", "test.script:2: the time goes backwards"},
        {"-1,start\n", "test.script:1: the time is negative"},
        {"0,state,plugged\n", "test.script:1: unknown state"},
        {"0,level,1.5\n", "test.script:1: the level"},
        {"0,jump\n", "test.script:1: unknown event"},
        {"0\n", "test.script:1: the event is missing"},
        {"1e999,start\n", "test.script:1: the time is not a number"},
    };
    for (const auto& [text, error] : cases) EXPECT_EQ(errorOf(text).rfind(error, 0), 0u) << text;
    EXPECT_EQ(errorOf(""), "");
    EXPECT_THROW(loadSessionScript("/nonexistent/voltaro.script"), ScriptError);
}

TEST(ReplayBattery, PlaysEventsAtTheirSecondsAndRepeatsValues) {
    VirtualTime loop(500.0);
    ReplayBattery battery(loop, parse("0,state,charging\n0,level,0.5\n"
                                      "10,level,0.5\n20,start\n30,state,charging\n"));
    EXPECT_EQ(battery.state(), BatteryState::Charging);
    EXPECT_FLOAT_EQ(battery.level(), 0.5f);
    std::vector<std::string> seen;
    battery.onLevelChanged([&] { seen.push_back("level@" + std::to_string(int(loop.now()))); });
    battery.onStateChanged([&] { seen.push_back("state@" + std::to_string(int(loop.now()))); });
    battery.onCommand([&](ScriptEvent::Kind) { seen.push_back("start"); });
    bool finished = false;
    battery.onFinished([&] { finished = true; });
    battery.setMonitoringEnabled(true);
    battery.play();
    loop.run();
    EXPECT_EQ(seen, (std::vector<std::string>{"level@510", "start", "state@530"}));
    EXPECT_TRUE(finished);
}

TEST(SimulatedBattery, ChargesInOnePercentStepsAndTapersAbove80) {
    VirtualTime loop(0.0);
    SimulatedBattery battery(loop, {18.0, 0.78f, 2716, 30});
    // 27.16 mAh per percent at 18 W (1 mAh/s at 5 V): 27.16 s a step before the taper.
    EXPECT_NEAR(battery.secondsForStepFrom(50), 27.16, 1e-9);
    EXPECT_GT(battery.secondsForStepFrom(90), battery.secondsForStepFrom(80));
    EXPECT_NEAR(battery.secondsForStepFrom(100), 2 * 27.16, 1e-9);
    // A charger above the model's 30 W charges at 30 W.
    SimulatedBattery fast(loop, {100.0, 0.5f, 2716, 30});
    EXPECT_NEAR(fast.secondsForStepFrom(50), 27.16 * 18 / 30, 1e-9);

    std::vector<float> levels;
    battery.onLevelChanged([&] { levels.push_back(battery.level()); });
    bool full = false;
    battery.onStateChanged([&] { full = battery.state() == BatteryState::Full; });
    battery.setMonitoringEnabled(true);
    loop.run();
    ASSERT_EQ(levels.size(), 22u);
    EXPECT_FLOAT_EQ(levels.front(), 0.79f);
    EXPECT_FLOAT_EQ(levels.back(), 1.0f);
    EXPECT_TRUE(full);
}

}  // namespace
}  // namespace voltaro
