#include <gtest/gtest.h>

#include "engine/monitor_start_time.h"
#include "platform/paths.h"
#include "platform/sim/virtual_time.h"
#include "platform/strings.h"
#include "screens/feedback_vc.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/display_text.h"
#include "store/history.h"
#include "support/memory_preferences.h"
#include "support/recording_services.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

using testing::RecordingServices;

TestRecord record(double starttime, double watt, double userStartTime = 0) {
    TestRecord r = {{"date", 1.7e9},     {"watt", watt},       {"min", 30},
                    {"amp", 54.4},       {"startlevel", 50},   {"finishlevel", 55},
                    {"userStartlevel", 51}, {"starttime", starttime}, {"finishtime", starttime + 150},
                    {"averageTime", 30}, {"type", 0},          {"brandid", 0},
                    {"watts", 0},        {"port", 0}};
    if (userStartTime != 0) r["userStartTime"] = userStartTime;
    return r;
}

class HistoryScreenTest : public ::testing::Test {
protected:
    HistoryScreenTest() {
        Paths::setDataDirectory(dir.path());
        setLanguage("en");
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~HistoryScreenTest() override {
        Paths::setDataDirectory({});
        setLanguage("");
    }
    void open() {
        screen.view.setSize(390, 844);
        screen.backButton.setSize(44, 44);
        screen.viewDidLoad();
        screen.viewDidAppear();
    }

    testing::TempDir dir;
    RecordingServices recorder;
    ui::Services services = recorder.services();
    testing::MemoryPreferences preferences;
    VirtualTime clock{0};
    int ratingPagesOpened = 0;
    RatingPrompt rating{preferences, clock, [this] { ++ratingPagesOpened; }};
    TestRecordsVC screen{services, rating};
};

// 2023-11-14 22:13:20 UTC and a day and two days later, as absolute times.
constexpr double kTestA = 721692800.0;
constexpr double kTestB = kTestA + 86400;
constexpr double kTestC = kTestA + 2 * 86400;

TEST_F(HistoryScreenTest, NewestTestFirstAndOnlyItsDateHidden) {
    ASSERT_TRUE(saveHistory({record(kTestA, 10), record(kTestB, 11), record(kTestB, 12),
                             record(kTestC, 13)}));
    open();
    ASSERT_EQ(screen.numberOfSections(), 3u);
    EXPECT_EQ(screen.header(0).startTime, kTestC);
    EXPECT_EQ(screen.header(1).startTime, kTestB);
    EXPECT_EQ(screen.header(2).startTime, kTestA);
    EXPECT_TRUE(screen.header(0).dateHidden);
    EXPECT_FALSE(screen.header(1).dateHidden);
    EXPECT_EQ(screen.header(1).dateText, shortDateText(kTestB));
    EXPECT_EQ(screen.header(2).dateText, "11-14");
    // Within a test, the newest record first.
    ASSERT_EQ(screen.numberOfRows(1), 2u);
    EXPECT_EQ(screen.cell(1, 0).wattText, "12.0w");
    EXPECT_EQ(screen.cell(1, 1).wattText, "11.0w");
    EXPECT_EQ(historyRecords().size(), 4u);
}

TEST_F(HistoryScreenTest, RowsShowTheRecordsValues) {
    TestRecord withoutUserLevel = record(kTestA, 7.25);
    withoutUserLevel.erase("userStartlevel");
    TestRecord zeroUserLevel = record(kTestB, 8);
    zeroUserLevel["userStartlevel"] = 0;
    ASSERT_TRUE(saveHistory({withoutUserLevel, zeroUserLevel}));
    open();
    const TestResultCell newest = screen.cell(0, 0);
    EXPECT_EQ(newest.startLevel, "0");
    const TestResultCell oldest = screen.cell(1, 0);
    EXPECT_EQ(oldest.wattText, "7.2w");
    EXPECT_EQ(oldest.mahText, "54");
    EXPECT_EQ(oldest.timeText, "30");
    EXPECT_EQ(oldest.startLevel, "50");
    EXPECT_EQ(oldest.finishLevel, "55");
}

TEST_F(HistoryScreenTest, TestsOfThisSittingAreHighlighted) {
    ASSERT_TRUE(saveHistory({record(kTestA, 10, kTestA + 5), record(kTestB, 10)}));
    setMonitorStartTime(kTestA);
    open();
    EXPECT_TRUE(screen.cell(1, 0).highlighted);
    EXPECT_EQ(screen.cell(1, 0).wattTextColorName, "highlightColor");
    EXPECT_FALSE(screen.cell(0, 0).highlighted);  // no "userStartTime"
    EXPECT_EQ(screen.cell(0, 0).wattBorderColorName, "textDarkColor");
    setMonitorStartTime(kTestA + 5);  // a later sitting: the same row is no longer new
    EXPECT_FALSE(screen.cell(1, 0).highlighted);
}

TEST_F(HistoryScreenTest, HeadersShowTheChargerOrTheUnknownCharger) {
    TestRecord labelled = record(kTestB, 10);
    labelled["brandid"] = 7;
    labelled["watts"] = 18;
    labelled["port"] = 2;
    ASSERT_TRUE(saveBrandCatalogue({{{"brandid", "7"}, {"brand_name_en", "Volt & Co"},
                                     {"brand_name_cn", "伏特"}}}));
    ASSERT_TRUE(saveHistory({record(kTestA, 10), labelled}));
    open();
    const TestResultHeaderView known = screen.header(0);
    EXPECT_FALSE(known.unknownCharger);
    EXPECT_EQ(known.brandText, "Volt & Co");
    EXPECT_EQ(known.wattText, "18W / USB-C");
    const TestResultHeaderView unknown = screen.header(1);
    EXPECT_TRUE(unknown.unknownCharger);
    EXPECT_EQ(unknown.brandText, "");
}

TEST(ChargerText, FirstRuleThatAppliesWins) {
    setLanguage("en");
    EXPECT_EQ(TestRecordsVC::chargerText(18, 10000, 1, 2), "18W / USB-C");
    EXPECT_EQ(TestRecordsVC::chargerText(0, 10000, 2, 0), "10000mAh");
    EXPECT_EQ(TestRecordsVC::chargerText(0, 0, 2, 1), chargerKindName(2) + "  / USB-A");
    EXPECT_EQ(TestRecordsVC::chargerText(0, 0, 3, 0), chargerKindName(3));
    EXPECT_EQ(TestRecordsVC::chargerText(0, 0, 0, 0), " ");  // brand only
    EXPECT_EQ(TestRecordsVC::chargerText(0, 0, 0, 3), " " + portName(3));
    setLanguage("");
}

TEST_F(HistoryScreenTest, TheHeaderSpeaksForTheRecordWithTheLowestStartLevel) {
    TestRecord later = record(kTestA, 10);
    later["userStartlevel"] = 60;
    later["watts"] = 30;
    TestRecord first = record(kTestA, 10);
    first["userStartlevel"] = 40;
    first["capacity"] = 5000;
    ASSERT_TRUE(saveHistory({later, first}));
    open();
    EXPECT_EQ(screen.header(0).wattText, "5000mAh");
}

TEST_F(HistoryScreenTest, NoKeepsTheHistoryAndYesClearsIt) {
    ASSERT_TRUE(saveHistory({record(kTestA, 10), record(kTestB, 10)}));
    open();
    screen.removeButtonTapped();
    ASSERT_EQ(recorder.alertButtons.size(), 2u);
    EXPECT_EQ(recorder.alertButtons[0].title, "Yes");
    EXPECT_EQ(recorder.alertButtons[1].title, "No");
    EXPECT_FALSE(recorder.alertButtons[1].action);
    EXPECT_EQ(loadHistory().size(), 2u);
    EXPECT_EQ(screen.numberOfSections(), 2u);

    recorder.alertButtons[0].action();
    EXPECT_TRUE(loadHistory().empty());
    EXPECT_EQ(screen.numberOfSections(), 0u);
    EXPECT_TRUE(historyRecords().empty());
}

TEST_F(HistoryScreenTest, HeaderTapOpensTheSavedChargersOfThatTestAndARowItsCurve) {
    ASSERT_TRUE(saveHistory({record(kTestA, 10), record(kTestB, 10)}));
    open();
    screen.handleTap(1);
    EXPECT_EQ(recorder.lastArguments.startTime, kTestA);
    screen.curveButtonTapped(1, 0);
    EXPECT_EQ(recorder.lastArguments.startTime, kTestA);
    EXPECT_EQ(recorder.lastArguments.finishTime, kTestA + 150);
    screen.curveButtonTapped(1, 1);  // no such row
    screen.feedbackButtonTapped();
    screen.settingButtonTapped();
    screen.pop();
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"present ChargerListVC from-right",
                                        "present ChargeCurveVC from-right",
                                        "present FeedbackVC flip", "open settings",
                                        "dismiss from-left"}));
}

TEST_F(HistoryScreenTest, TheTitleCollapsesAndExpandsWithinOneDrag) {
    open();
    screen.scrollViewWillBeginDragging(100);
    screen.scrollViewDidScroll(140);  // the list moves up
    EXPECT_EQ(screen.titleLabel.fontSize(), 20);
    EXPECT_EQ(screen.topConstraint.constant(), 3);
    EXPECT_EQ(screen.leftConstraint.constant(), 54);
    screen.scrollViewDidScroll(120);  // back, but not past where the drag began
    EXPECT_EQ(screen.titleLabel.fontSize(), 20);
    screen.scrollViewDidScroll(90);
    EXPECT_EQ(screen.titleLabel.fontSize(), 33);
    EXPECT_EQ(screen.topConstraint.constant(), 60);
    EXPECT_EQ(screen.leftConstraint.constant(), 20);
    EXPECT_EQ(recorder.animations.back().duration, 0.2);
}

// The rating button opens the rating page at once, whatever the prompt's counters say.
TEST_F(HistoryScreenTest, TheRatingButtonOpensTheRatingPage) {
    open();
    screen.rateButtonTapped();
    EXPECT_EQ(ratingPagesOpened, 1);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(HistoryScreenTest, AnEmptyOrMissingHistoryHasNoSections) {
    open();
    EXPECT_EQ(screen.numberOfSections(), 0u);
    EXPECT_EQ(screen.numberOfRows(3), 0u);
    EXPECT_TRUE(screen.header(3).unknownCharger);
}

class FeedbackScreenTest : public ::testing::Test {
protected:
    FeedbackScreenTest() { setenv("VOLTARO_FEEDBACK_URL", "http://127.0.0.1:9/form", 1); }
    ~FeedbackScreenTest() override { unsetenv("VOLTARO_FEEDBACK_URL"); }

    RecordingServices recorder;
    ui::Services services = recorder.services();
};

TEST_F(FeedbackScreenTest, OnlyTheSpinnerUntilThePageLoads) {
    FeedbackVC screen(services, true);
    screen.view.setSize(390, 844);
    screen.viewDidLoad();
    EXPECT_TRUE(screen.webView.hidden());
    EXPECT_TRUE(screen.activityIndicator.animating());
    EXPECT_FALSE(screen.activityIndicator.hidden());
    EXPECT_EQ(screen.webView.url(), "http://127.0.0.1:9/form");
    EXPECT_FALSE(screen.webView.scrollEnabled());
    EXPECT_EQ(screen.webView.x(), 20);
    EXPECT_EQ(screen.webView.y(), 60);
    EXPECT_EQ(screen.webView.width(), 350);
    EXPECT_EQ(screen.webView.height(), 764);
    screen.webViewDidFinishNavigation();
    EXPECT_FALSE(screen.webView.hidden());
    EXPECT_TRUE(screen.activityIndicator.hidden());
    EXPECT_FALSE(screen.activityIndicator.animating());
    EXPECT_TRUE(screen.messageLabel.hidden());
    screen.backButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "dismiss flip");
}

TEST_F(FeedbackScreenTest, AFailedFirstLoadStopsTheSpinnerAndSaysSoInsteadOfThePage) {
    FeedbackVC screen(services, true);
    screen.viewDidLoad();
    screen.webViewDidFailProvisionalNavigation();
    EXPECT_FALSE(screen.activityIndicator.animating());
    EXPECT_TRUE(screen.activityIndicator.hidden());
    // The engine's error page would lie under the message: only the message and the way to the
    // browser show.
    EXPECT_TRUE(screen.webView.hidden());
    EXPECT_FALSE(screen.messageLabel.hidden());
    EXPECT_FALSE(screen.browserButton.hidden());
}

TEST_F(FeedbackScreenTest, WithoutAWebViewItOffersTheBrowser) {
    FeedbackVC screen(services, false);
    screen.viewDidLoad();
    EXPECT_TRUE(screen.webView.hidden());
    EXPECT_FALSE(screen.messageLabel.hidden());
    EXPECT_FALSE(screen.browserButton.hidden());
    screen.browserButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "open http://127.0.0.1:9/form");
}

}  // namespace
}  // namespace voltaro
