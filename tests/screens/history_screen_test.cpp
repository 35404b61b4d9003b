#include "screen_fixture.h"
#include "screens/feedback_vc.h"
#include "support/scoped_env.h"

namespace voltaro {
namespace {

using testing::hiddenViews;
using testing::Texts;

constexpr double kTestA = testing::ScreenTest::kNow;
constexpr double kTestB = kTestA + 86400;
constexpr double kTestC = kTestA + 2 * 86400;

class HistoryScreenTest : public testing::ScreenTest {
protected:
    void open(const std::vector<TestRecord>& history) {
        ASSERT_TRUE(saveHistory(history));
        screen.viewDidLoad();
        screen.viewDidAppear();
    }
    // Power, mAh a minute, seconds a percent, start and finish level of a row.
    Texts row(size_t section, size_t index) const {
        const TestResultCell cell = screen.cell(section, index);
        return {cell.wattText, cell.mahText, cell.timeText, cell.startLevel, cell.finishLevel};
    }

    RatingPrompt rating{preferences, clock, [] {}};
    TestRecordsVC screen{services, rating};
};

// A row's start level is the one the person saw, else the battery's.
TEST_F(HistoryScreenTest, NewestTestFirstAndOnlyItsDateHidden) {
    TestRecord withoutUserLevel = result(kTestA, 7.25);
    withoutUserLevel.erase("userStartlevel");
    TestRecord zeroUserLevel = result(kTestC, 13);
    zeroUserLevel["userStartlevel"] = 0;
    open({withoutUserLevel, result(kTestB, 11), result(kTestB, 12), zeroUserLevel});
    ASSERT_EQ(screen.numberOfSections(), 3u);
    EXPECT_TRUE(screen.header(0).dateHidden);
    EXPECT_FALSE(screen.header(1).dateHidden);
    EXPECT_EQ(screen.header(2).dateText, shortDateText(kTestA));
    // Within a test, the newest record first.
    ASSERT_EQ(screen.numberOfRows(1), 2u);
    EXPECT_EQ(row(1, 0)[0], "12.0w");
    EXPECT_EQ(row(1, 1)[0], "11.0w");
    EXPECT_EQ(row(2, 0), (Texts{"7.2w", "54", "30", "50", "55"}));
    EXPECT_EQ(row(0, 0)[3], "0");
    EXPECT_EQ(historyRecords().size(), 4u);
}

TEST_F(HistoryScreenTest, HeadersShowTheChargerOrTheUnknownCharger) {
    TestRecord labelled = result(kTestB);
    setCharger(labelled, {7, 18, 0, 2, 0});
    // The record with the lowest start level speaks for its test.
    TestRecord later = result(kTestC);
    later["userStartlevel"] = 60;
    later["watts"] = 30;
    TestRecord first = result(kTestC);
    first["userStartlevel"] = 40;
    first["capacity"] = 5000;
    ASSERT_TRUE(saveBrandCatalogue({brand("7", "Volt & Co")}));
    open({result(kTestA), labelled, later, first});
    EXPECT_EQ(screen.header(0).wattText, "5000mAh");
    EXPECT_FALSE(screen.header(1).unknownCharger);
    EXPECT_EQ(screen.header(1).brandText, "Volt & Co");
    EXPECT_TRUE(screen.header(2).unknownCharger);
    EXPECT_TRUE(screen.header(3).unknownCharger);                       // no such test
    EXPECT_EQ(TestRecordsVC::chargerText(0, 10000, 2, 0), "10000mAh");  // capacity before the kind
}

TEST_F(HistoryScreenTest, TapsOpenTheOtherScreensAndTheClearingAlert) {
    open({result(kTestA), result(kTestB)});
    screen.handleTap(1);
    screen.curveButtonTapped(1, 0);
    EXPECT_EQ(recorder.lastArguments.startTime, kTestA);
    EXPECT_EQ(recorder.lastArguments.finishTime, kTestA + 150);
    screen.curveButtonTapped(1, 1);  // no such row
    screen.handleTap(2);             // no such test
    EXPECT_EQ(recorder.calls,
              (Texts{"present ChargerListVC from-right", "present ChargeCurveVC from-right"}));

    // No keeps the history, Yes clears it.
    screen.removeButtonTapped();
    ASSERT_EQ(recorder.alertButtons.size(), 2u);
    EXPECT_FALSE(recorder.alertButtons[1].action);
    EXPECT_EQ(screen.numberOfSections(), 2u);
    recorder.alertButtons[0].action();
    EXPECT_TRUE(loadHistory().empty());
    EXPECT_EQ(screen.numberOfSections(), 0u);
}

// A failed first load, or no web engine at all: the engine's error page would lie under the
// message, so only the message and the way to the browser show; the page never scrolls.
TEST(FeedbackScreenTest, WithoutThePageOnlyTheMessageAndTheBrowserShow) {
    const testing::ScopedEnv address{"VOLTARO_FEEDBACK_URL", "http://127.0.0.1:9/form"};
    testing::RecordingServices recorder;
    ui::Services services = recorder.services();
    for (const bool webEngine : {true, false}) {
        FeedbackVC screen(services, webEngine);
        screen.viewDidLoad();
        if (webEngine) {
            EXPECT_FALSE(screen.webView.scrollEnabled());
            screen.webViewDidFailProvisionalNavigation();
        }
        EXPECT_EQ(hiddenViews(screen.outlets), (Texts{"webView", "activityIndicator"}))
            << webEngine;
        screen.browserButtonTapped();
        EXPECT_EQ(recorder.calls.back(), "open http://127.0.0.1:9/form") << webEngine;
    }
}

}  // namespace
}  // namespace voltaro
