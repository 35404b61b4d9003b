#include "engine/charge_test_session.h"

#include <gtest/gtest.h>

#include "engine/monitor_start_time.h"
#include "platform/log.h"
#include "platform/model_source.h"
#include "platform/sim/virtual_time.h"
#include "support/fake_battery.h"
#include "support/recording_session_view.h"

namespace voltaro {
namespace {

using testing::FakeBattery;
using testing::RecordingSessionView;
using Layout = RecordingSessionView::Layout;

// Keeps every saved snapshot and every watch hand-off.
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

// A session on an iPhone 13 (3227 mAh, 27 W, fast charge) unless a test picks another model.
class SessionTest : public ::testing::Test {
protected:
    explicit SessionTest(const char* model = "iPhone14,5") : models(model) {}

    void load(BatteryState state, float level) {
        battery.set(state, level);
        session.viewDidLoad();
        session.viewWillAppear();
    }
    void at(double secondsFromStart) { loop.advanceTo(kStart + secondsFromStart); }
    void press() { session.buttonClicked(); }

    VirtualTime loop{kStart};
    FixedModelSource models;
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
    EXPECT_EQ(view.batteryLevelText, "50%");
    EXPECT_EQ(handoffs.catalogueRefreshes, 1);
    EXPECT_EQ(session.currentmAh(), 3227);
    // The reset leaves the placeholder of the next percent, 60 s ahead.
    EXPECT_EQ(session.samples().levelList, std::vector<float>{51});
    EXPECT_EQ(session.samples().timeList, std::vector<double>{kStart + 60});
    EXPECT_EQ(monitorStartTime(), kStart);

    battery.changeState(BatteryState::Charging);
    EXPECT_EQ(view.layout, Layout::Connected);
    EXPECT_FALSE(view.fullyCharged);
}

TEST_F(SessionTest, ConnectedAtAFullBatteryOffersNoStart) {
    load(BatteryState::Charging, 0.99f);
    battery.changeLevel(1.0f);
    battery.changeState(BatteryState::Full);
    EXPECT_EQ(view.layout, Layout::Connected);
    EXPECT_TRUE(view.fullyCharged);
}

TEST_F(SessionTest, LaunchedAtAFullBatteryOffersNoStart) {
    load(BatteryState::Full, 1.0f);
    EXPECT_EQ(view.layout, Layout::Connected);
    EXPECT_TRUE(view.fullyCharged);
}

TEST(BatteryLevelText, ShowsTheWholePercentThatTheKernelReports) {
    // 0.53f * 100 lies just below 53: truncation would show one percent less.
    const std::pair<float, const char*> cases[] = {
        {0.53f, "53%"}, {0.59f, "59%"}, {0.57f, "57%"}, {0.0f, "0%"}, {1.0f, "100%"},
        {kUnknownBatteryLevel, "--%"}};
    for (const auto& [level, text] : cases) EXPECT_EQ(TestSession::batteryLevelText(level), text);
}

TEST_F(SessionTest, EveryStateNotificationResetsTheWindow) {
    load(BatteryState::Charging, 0.5f);
    at(10);
    battery.changeLevel(0.51f);
    battery.changeLevel(0.52f);
    ASSERT_EQ(session.samples().size(), 2u);
    at(20);
    battery.changeState(BatteryState::Charging);  // the same state again
    EXPECT_EQ(session.samples().levelList, std::vector<float>{53});
    EXPECT_EQ(session.samples().timeList, std::vector<double>{kStart + 80});
    EXPECT_EQ(view.calls.back(), "connected");
    EXPECT_TRUE(handoffs.saved.empty());  // no test was running
}

TEST_F(SessionTest, StopBeforeAnyLevelChangeSavesNothing) {
    load(BatteryState::Charging, 0.5f);
    press();
    EXPECT_TRUE(session.isStart());
    EXPECT_EQ(view.layout, Layout::Testing);
    at(30);
    press();
    EXPECT_FALSE(session.isStart());
    EXPECT_EQ(view.layout, Layout::Connected);
    EXPECT_EQ(view.startButtonImage, "testButton");
    EXPECT_TRUE(handoffs.saved.empty());
    EXPECT_EQ(session.samples().size(), 1u);
}

TEST_F(SessionTest, OneRealSampleIsNoResult) {
    load(BatteryState::Charging, 0.5f);
    press();
    at(20);
    battery.changeLevel(0.51f);  // fixes the placeholder's time
    EXPECT_EQ(session.samples().size(), 1u);
    press();
    EXPECT_EQ(view.layout, Layout::Connected);
    EXPECT_TRUE(handoffs.saved.empty());
}

TEST_F(SessionTest, AFullTestEndsAt100PercentWithOneRecord) {
    load(BatteryState::Charging, 0.97f);  // placeholder 98
    press();
    at(10);
    battery.changeLevel(0.98f);
    at(70);
    battery.changeLevel(0.99f);  // interim result
    EXPECT_TRUE(view.powerShown);
    EXPECT_TRUE(session.isStart());
    EXPECT_EQ(view.calls.back(), "hideChargeMessage");
    at(130);
    battery.changeLevel(1.0f);
    EXPECT_FALSE(session.isStart());
    ASSERT_EQ(handoffs.saved.size(), 1u);
    const ResultSnapshot& saved = handoffs.saved[0];
    EXPECT_EQ(saved.startlevel, 98.0);
    EXPECT_EQ(saved.finishlevel, 100.0);
    EXPECT_EQ(saved.starttime, kStart + 10);
    EXPECT_EQ(saved.finishtime, kStart + 130);
    EXPECT_EQ(saved.averageTime, 60.0);
    EXPECT_EQ(saved.userStartTime, kStart + 10);
    EXPECT_EQ(saved.userStartlevel, 98.0);  // the placeholder's level
    EXPECT_TRUE(view.ratingShown);
    EXPECT_GT(view.stars[0], 0.0);
    // After the result the share and reply are shown, the clock hidden, and a later press of
    // Start goes on from the same window.
    EXPECT_NE(std::find(view.calls.begin(), view.calls.end(), "finished"), view.calls.end());
    EXPECT_EQ(session.userStartTime(), 0.0);
}

TEST_F(SessionTest, UnpluggingDuringATestSavesItsResultFirst) {
    load(BatteryState::Charging, 0.5f);
    press();
    at(10);
    battery.changeLevel(0.51f);
    at(70);
    battery.changeLevel(0.52f);
    battery.changeState(BatteryState::Unplugged);
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_EQ(handoffs.saved[0].finishlevel, 52.0);
    EXPECT_EQ(view.layout, Layout::Unplugged);
    EXPECT_FALSE(session.isStart());
    EXPECT_EQ(session.samples().levelList, std::vector<float>{53});
}

TEST_F(SessionTest, AJumpPastThePlaceholderFailsAndSavesOnce) {
    load(BatteryState::Charging, 0.5f);  // placeholder 51 at +60
    press();
    at(10);
    battery.changeLevel(0.53f);  // second sample at +10, before the placeholder's time
    EXPECT_TRUE(view.failedShown);
    EXPECT_FALSE(session.isStart());
    ASSERT_EQ(handoffs.saved.size(), 1u);
    const ResultSnapshot& saved = handoffs.saved[0];
    EXPECT_LT(saved.watt, 0.0);
    // The record carries the fresh placeholder, 20 s ahead, and the first change's values.
    EXPECT_EQ(saved.startlevel, 54.0);
    EXPECT_EQ(saved.finishlevel, 54.0);
    EXPECT_EQ(saved.starttime, kStart + 30);
    EXPECT_EQ(saved.userStartTime, kStart + 10);
    EXPECT_EQ(saved.userStartlevel, 51.0);
    EXPECT_EQ(monitorStartTime(), kStart + 10);
    EXPECT_FALSE(view.ratingShown);  // hidden again after saving
    EXPECT_EQ(view.startButtonImage, "testButton");

    press();  // Start on the failed screen, then Stop: nothing more is saved
    press();
    EXPECT_EQ(handoffs.saved.size(), 1u);
}

TEST_F(SessionTest, AFailedResultOnStopSavesExactlyOneRecord) {
    load(BatteryState::Charging, 0.5f);
    at(5);
    battery.changeLevel(0.53f);  // before Start: a second sample 55 s before the placeholder's
    press();
    at(6);
    battery.changeLevel(0.52f);  // ignored, but a change was seen since Start
    EXPECT_TRUE(handoffs.saved.empty());
    press();
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_LT(handoffs.saved[0].watt, 0.0);
    EXPECT_TRUE(view.failedShown);
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "finished"), 0);
}

TEST_F(SessionTest, AFailedTestIsSavedWhileTheLevelIsUnknown) {
    load(BatteryState::Charging, 0.5f);
    at(5);
    battery.changeLevel(0.53f);  // a second sample before the placeholder's time: it will fail
    press();
    at(6);
    battery.changeLevel(0.52f);  // a change since Start
    battery.changeLevel(kUnknownBatteryLevel);
    press();
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_LT(handoffs.saved[0].watt, 0.0);
    // The placeholder after the last sample, 20 s ahead, as while the level is known.
    EXPECT_EQ(handoffs.saved[0].levelList, std::vector<float>{54});
    EXPECT_EQ(handoffs.saved[0].timeList, std::vector<double>{kStart + 26});
    EXPECT_TRUE(session.samples().empty());
}

TEST_F(SessionTest, StartAfterAFinishedTestKeepsTheEarlierSamples) {
    load(BatteryState::Charging, 0.5f);
    press();
    at(10);
    battery.changeLevel(0.51f);
    at(70);
    battery.changeLevel(0.52f);
    press();
    ASSERT_EQ(handoffs.saved.size(), 1u);
    press();
    at(130);
    battery.changeLevel(0.53f);
    press();
    ASSERT_EQ(handoffs.saved.size(), 2u);
    EXPECT_EQ(handoffs.saved[1].starttime, kStart + 10);
    EXPECT_EQ(handoffs.saved[1].averageTime, 60.0);
    EXPECT_EQ(handoffs.saved[1].userStartTime, kStart + 130);
    EXPECT_EQ(handoffs.saved[1].userStartlevel, 52.0);
}

TEST_F(SessionTest, OnlyTheFirstChangeAfterStartSetsTheUserStart) {
    load(BatteryState::Charging, 0.5f);
    press();
    at(10);
    battery.changeLevel(0.51f);
    at(70);
    battery.changeLevel(0.52f);
    EXPECT_EQ(session.userStartTime(), kStart + 10);
    EXPECT_EQ(session.userStartlevel(), 51.0f);
}

TEST_F(SessionTest, IgnoredLevelsChangeOnlyTheLabel) {
    load(BatteryState::Charging, 0.5f);
    at(10);
    battery.changeLevel(0.52f);
    const int watchBefore = handoffs.watchMessages;
    const std::string logBefore = view.testLog;
    battery.changeLevel(0.40f);
    EXPECT_EQ(view.batteryLevelText, "40%");
    EXPECT_EQ(session.samples().size(), 2u);
    EXPECT_EQ(handoffs.watchMessages, watchBefore);
    EXPECT_EQ(view.testLog, logBefore);
}

TEST_F(SessionTest, ProcessedLevelsReachTheWatchAndTheLog) {
    load(BatteryState::Charging, 0.5f);
    battery.changeLevel(0.51f);
    EXPECT_EQ(handoffs.watchMessages, 1);
    const std::string& log = session.testMessage();
    EXPECT_EQ(log.rfind("Test log:\n Add Notification 0", 0), 0u);
    EXPECT_NE(log.find("\n battery changed 1\n replace the first\n0: 级别: 51.00"),
              std::string::npos);
    EXPECT_NE(log.find("\n updateToWatch1 1\n updateToWatch2 1"), std::string::npos);
}

TEST_F(SessionTest, TheClockTicksWhileATestRuns) {
    load(BatteryState::Charging, 0.5f);
    press();
    at(0.1);
    EXPECT_EQ(view.clockText, "00:00:00");
    at(3600.05);
    EXPECT_EQ(view.clockText, "01:00:00");
    EXPECT_EQ(session.testTime(), 3600);
    EXPECT_EQ(view.flashes, static_cast<int>(3600.05 / 0.7));
    press();
    const int flashes = view.flashes;
    at(4000);
    EXPECT_EQ(view.clockText, "01:00:00");
    EXPECT_EQ(view.flashes, flashes);
}

TEST(ClockText, HoursWidenPast99) {
    EXPECT_EQ(TestSession::clockText(0), "00:00:00");
    EXPECT_EQ(TestSession::clockText(3 * 3600 + 4 * 60 + 5), "03:04:05");
    EXPECT_EQ(TestSession::clockText(100 * 3600 + 59), "100:00:59");
}

TEST_F(SessionTest, AnUnknownLevelIsNoMeasurement) {
    load(BatteryState::Charging, kUnknownBatteryLevel);
    EXPECT_EQ(view.batteryLevelText, "--%");
    EXPECT_TRUE(session.samples().empty());
    press();
    at(10);
    battery.changeLevel(kUnknownBatteryLevel);
    EXPECT_TRUE(session.samples().empty());
    EXPECT_EQ(handoffs.watchMessages, 0);
    // The first real level opens the window; the next step gives a sound result.
    battery.changeLevel(0.50f);
    at(70);
    battery.changeLevel(0.51f);
    press();
    ASSERT_EQ(handoffs.saved.size(), 1u);
    EXPECT_EQ(handoffs.saved[0].startlevel, 50.0);
    EXPECT_GT(handoffs.saved[0].watt, 0.0);
}

class SmallBatterySessionTest : public SessionTest {
protected:
    SmallBatterySessionTest() : SessionTest("iPhone9,1") {}  // 1960 mAh, 10 W, no fast charge
};

TEST_F(SmallBatterySessionTest, NoBadgeWithoutFastCharging) {
    load(BatteryState::Unplugged, 0.3f);
    EXPECT_FALSE(view.fastChargeBadge);
    EXPECT_EQ(view.promptWatts, 10);
}

TEST_F(SessionTest, FailedTestsAreLoggedToTheConsole) {
    std::vector<std::string> lines;
    log::setSink(
        [](log::Category, std::string_view line, void* context) {
            static_cast<std::vector<std::string>*>(context)->emplace_back(line);
        },
        &lines);
    load(BatteryState::Charging, 0.5f);
    press();
    at(10);
    battery.changeLevel(0.53f);
    log::setSink(nullptr, nullptr);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "this is happened"), lines.end());
}

}  // namespace
}  // namespace voltaro
