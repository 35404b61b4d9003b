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

TEST(SessionScript, AMalformedLineNamesTheFileAndLine) {
    try {
        parse("0,state,charging\n5,start\n4,stop\n");
        ADD_FAILURE() << "a time going backwards was accepted";
    } catch (const ScriptError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("test.script:3: ", 0), 0u) << error.what();
    }
    EXPECT_TRUE(parse("").events.empty());
    EXPECT_THROW(loadSessionScript("/nonexistent/voltaro.script"), ScriptError);
}

// Leading state and level lines set the starting battery; every later line is an event.
TEST(ReplayBattery, PlaysEventsAtTheirSecondsAndRepeatsValues) {
    const SessionScript script = parse(
        "# a charge from 50 %\n"
        "0,state,charging\n"
        "\n"
        "0, level, 0.50   # spaces are fine\n"
        "0,start\n"
        "0,level,0.5\n"
        "12.5,level,0.51\n"
        "30,state,charging\n"
        "71,appear\n");
    ASSERT_EQ(script.events.size(), 5u);
    EXPECT_EQ(script.events[2].line, 7);
    VirtualTime loop(500.0);
    ReplayBattery battery(loop, script);
    EXPECT_EQ(battery.state(), BatteryState::Charging);
    EXPECT_FLOAT_EQ(battery.level(), 0.5f);
    std::vector<std::pair<std::string, double>> seen;
    const auto note = [&](const char* what) { seen.emplace_back(what, loop.now() - 500); };
    battery.onLevelChanged([&] { note("level"); });
    battery.onStateChanged([&] { note("state"); });
    battery.onCommand([&](ScriptEvent::Kind kind) {
        note(kind == ScriptEvent::Kind::Start ? "start" : "appear");
    });
    bool finished = false;
    battery.onFinished([&] { finished = true; });
    battery.setMonitoringEnabled(true);
    battery.play();
    loop.run();
    const std::vector<std::pair<std::string, double>> expected = {
        {"start", 0}, {"level", 0}, {"level", 12.5}, {"state", 30}, {"appear", 71}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(finished);
}

TEST(SimulatedBattery, ChargesInOnePercentStepsAndTapersAbove80) {
    VirtualTime loop(0.0);
    SimulatedBattery battery(loop, {18.0, 0.78f, 2716, 30});
    // 27.16 mAh per percent at 18 W (1 mAh/s at 5 V): 27.16 s a step before the taper.
    EXPECT_NEAR(battery.secondsForStepFrom(50), 27.16, 1e-9);
    EXPECT_GT(battery.secondsForStepFrom(90), battery.secondsForStepFrom(80));
    EXPECT_NEAR(battery.secondsForStepFrom(100), 2 * 27.16, 1e-9);

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
