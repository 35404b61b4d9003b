#include "engine/charge_test_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/monitor_start_time.h"
#include "platform/model_source.h"
#include "platform/sim/virtual_time.h"
#include "support/fake_battery.h"
#include "support/recording_session_view.h"

namespace voltaro {
namespace {

using testing::FakeBattery;
using testing::RecordingSessionView;
using Layout = RecordingSessionView::Layout;

class RecordingHandoffs final : public SessionHandoffs {
public:
    void appendTestRecord(TestSession& session) override {
        saved.push_back(session.snapshot());
        session.showRating();
    }
    void refreshBrandCatalogue() override { ++catalogueRefreshes; }
    void updateToWatch(TestSession&) override { ++watchMessages; }

    std::vector<ResultSnapshot> saved;
    int catalogueRefreshes = 0;
    int watchMessages = 0;
};

constexpr double kStart = 1000.0;

// A record's window and the user's start, from kStart: "98@10 .. 100@130 step 60, user 98@10".
std::string windowOf(const ResultSnapshot& s) {
    std::ostringstream text;
    text << s.startlevel << '@' << s.starttime - kStart << " .. " << s.finishlevel << '@'
         << s.finishtime - kStart << " step " << s.averageTime << ", user " << s.userStartlevel
         << '@' << s.userStartTime - kStart;
    return text.str();
}

// A session on an iPhone 13 (3227 mAh, 27 W, fast charge).
class SessionTest : public ::testing::Test {
protected:
    void load(BatteryState state, float level) {
        battery.set(state, level);
        session.viewDidLoad();
        session.viewWillAppear();
    }
    void at(double secondsFromStart) { loop.advanceTo(kStart + secondsFromStart); }
    void press() { session.buttonClicked(); }
    void levelAt(double secondsFromStart, float level) {
        at(secondsFromStart);
        battery.changeLevel(level);
    }
    // Start at 50 % (placeholder 51 at +60), then 51 % at +10 and 52 % at +70.
    void startAndTakeTwoSteps() {
        load(BatteryState::Charging, 0.5f);
        press();
        levelAt(10, 0.51f);
        levelAt(70, 0.52f);
    }

    VirtualTime loop{kStart};
    FixedModelSource models{"iPhone14,5"};
    FakeBattery battery;
    Device device{models, battery};
    RecordingSessionView view;
    RecordingHandoffs handoffs;
    TestSession session{loop, device, view, handoffs};
};

TEST_F(SessionTest, LoadShowsTheSituationOfTheBattery) {
    load(BatteryState::Unplugged, 0.5f);
    EXPECT_EQ(view.layout, Layout::Unplugged);
    EXPECT_EQ(view.promptWatts, 27);
    EXPECT_TRUE(view.fastChargeBadge);
    EXPECT_EQ(view.modelName, "iPhone 13");
    EXPECT_EQ(handoffs.catalogueRefreshes, 1);
    // The reset leaves the placeholder of the next percent, 60 s ahead.
    EXPECT_EQ(session.samples().levelList, std::vector<float>{51});
    EXPECT_EQ(session.samples().timeList, std::vector<double>{kStart + 60});
    EXPECT_EQ(monitorStartTime(), kStart);
}

TEST(SessionTexts, LevelAndClock) {
    // 0.53f * 100 lies just below 53: truncation would show one percent less.
    const std::pair<float, const char*> levels[] = {
        {0.53f, "53%"}, {0.57f, "57%"}, {1.0f, "100%"}, {kUnknownBatteryLevel, "--%"}};
    for (const auto& [level, text] : levels) EXPECT_EQ(TestSession::batteryLevelText(level), text);
    const std::pair<int64_t, const char*> clocks[] = {
        {0, "00:00:00"}, {3 * 3600 + 4 * 60 + 5, "03:04:05"}, {100 * 3600 + 59, "100:00:59"}};
    for (const auto& [seconds, text] : clocks) EXPECT_EQ(TestSession::clockText(seconds), text);
}

TEST_F(SessionTest, EveryStateNotificationResetsTheWindow) {
    load(BatteryState::Charging, 0.5f);
    levelAt(10, 0.51f);
    battery.changeLevel(0.52f);
    ASSERT_EQ(session.samples().size(), 2u);
    at(20);
    battery.changeState(BatteryState::Charging);  // the same state again
    EXPECT_EQ(session.samples().levelList, std::vector<float>{53});
    EXPECT_EQ(session.samples().timeList, std::vector<double>{kStart + 80});
    EXPECT_EQ(view.calls.back(), "connected");
    EXPECT_FALSE(view.fullyCharged);
    EXPECT_TRUE(handoffs.saved.empty());  // no test was running
}

TEST_F(SessionTest, StopBeforeTwoRealSamplesSavesNothing) {
    load(BatteryState::Charging, 0.5f);
    press();
    EXPECT_EQ(view.layout, Layout::Testing);
    levelAt(40, 0.51f);  // fixes the placeholder's time: still one sample
    EXPECT_EQ(session.samples().size(), 1u);
    press();
    EXPECT_FALSE(session.isStart());
    EXPECT_EQ(view.startButtonImage, "testButton");
    EXPECT_EQ(view.layout, Layout::Connected);
    EXPECT_TRUE(handoffs.saved.empty());
}

TEST_F(SessionTest, AFullTestEndsAt100PercentWithOneRecord) {
    load(BatteryState::Charging, 0.97f);  // placeholder 98
    press();
    levelAt(10, 0.98f);
    levelAt(70, 0.99f);  // interim result
    EXPECT_TRUE(view.powerShown);
    EXPECT_EQ(view.calls.back(), "hideChargeMessage");
    levelAt(130, 1.0f);
    EXPECT_FALSE(session.isStart());
    ASSERT_EQ(handoffs.saved.size(), 1u);
    // Only the first change after Start sets the user's start.
    EXPECT_EQ(windowOf(handoffs.saved[0]), "98@10 .. 100@130 step 60, user 98@10");
    EXPECT_GT(view.stars[0], 0.0);
    EXPECT_NE(std::find(view.calls.begin(), view.calls.end(), "finished"), view.calls.end());
}

TEST_F(SessionTest, UnpluggingDuringATestSavesItsResultFirst) {
    startAndTakeTwoSteps();
    battery.changeState(BatteryState::Unplugged);
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_EQ(windowOf(handoffs.saved[0]), "51@10 .. 52@70 step 60, user 51@10");
    EXPECT_EQ(view.layout, Layout::Unplugged);
    EXPECT_FALSE(session.isStart());
}

TEST_F(SessionTest, StartAfterAFinishedTestKeepsTheEarlierSamples) {
    startAndTakeTwoSteps();
    press();
    press();
    levelAt(130, 0.53f);
    press();
    ASSERT_EQ(handoffs.saved.size(), 2u);
    EXPECT_EQ(windowOf(handoffs.saved[1]), "51@10 .. 53@130 step 60, user 52@130");
}

TEST_F(SessionTest, AJumpPastThePlaceholderFailsAndSavesOnce) {
    load(BatteryState::Charging, 0.5f);  // placeholder 51 at +60
    press();
    levelAt(10, 0.53f);  // second sample at +10, before the placeholder's time
    EXPECT_TRUE(view.failedShown);
    EXPECT_FALSE(session.isStart());
    ASSERT_EQ(handoffs.saved.size(), 1u);
    // The record carries the fresh placeholder, 20 s ahead, and the first change's values.
    EXPECT_LT(handoffs.saved[0].watt, 0.0);
    EXPECT_EQ(windowOf(handoffs.saved[0]), "54@30 .. 54@30 step -50, user 51@10");
    EXPECT_EQ(monitorStartTime(), kStart + 10);
    EXPECT_FALSE(view.ratingShown);  // hidden again after saving

    press();  // Start on the failed screen, then Stop: nothing more is saved
    press();
    EXPECT_EQ(handoffs.saved.size(), 1u);
}

TEST_F(SessionTest, AFailedTestIsSavedOnceOnStopEvenWhileTheLevelIsUnknown) {
    load(BatteryState::Charging, 0.5f);
    levelAt(5, 0.53f);  // a second sample 55 s before the placeholder's time: the result will fail
    press();
    levelAt(6, 0.52f);  // ignored, but a change since Start
    battery.changeLevel(kUnknownBatteryLevel);
    EXPECT_TRUE(handoffs.saved.empty());
    press();
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_LT(handoffs.saved[0].watt, 0.0);
    EXPECT_TRUE(view.failedShown);
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "finished"), 0);
    // The placeholder after the last sample, 20 s ahead, as while the level is known.
    EXPECT_EQ(handoffs.saved[0].levelList, std::vector<float>{54});
    EXPECT_EQ(handoffs.saved[0].timeList, std::vector<double>{kStart + 26});
    EXPECT_TRUE(session.samples().empty());
}

TEST_F(SessionTest, OnlyProcessedLevelsReachTheWatchAndTheLog) {
    load(BatteryState::Charging, 0.5f);
    battery.changeLevel(0.51f);
    EXPECT_EQ(handoffs.watchMessages, 1);
    EXPECT_NE(session.testMessage().find("0: 级别: 51.00"), std::string::npos);

    levelAt(10, 0.52f);
    const std::string logBefore = view.testLog;
    battery.changeLevel(0.40f);  // below the last sample: only the label changes
    EXPECT_EQ(view.batteryLevelText, "40%");
    EXPECT_EQ(session.samples().size(), 2u);
    EXPECT_EQ(handoffs.watchMessages, 2);
    EXPECT_EQ(view.testLog, logBefore);
}

TEST_F(SessionTest, AnUnknownLevelIsNoMeasurement) {
    load(BatteryState::Charging, kUnknownBatteryLevel);
    EXPECT_EQ(view.batteryLevelText, "--%");
    EXPECT_TRUE(session.samples().empty());
    press();
    levelAt(10, kUnknownBatteryLevel);
    EXPECT_TRUE(session.samples().empty());
    EXPECT_EQ(handoffs.watchMessages, 0);
    // The first real level opens the window; the next step gives a sound result.
    battery.changeLevel(0.50f);
    levelAt(70, 0.51f);
    press();
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_EQ(handoffs.saved[0].startlevel, 50.0);
    EXPECT_GT(handoffs.saved[0].watt, 0.0);
}

}  // namespace
}  // namespace voltaro
