#include <fstream>
#include <memory>

#include "screen_fixture.h"
#include "screens/charger_list_vc.h"
#include "screens/select_model_vc.h"

namespace voltaro {
namespace {

using testing::Texts;
using Charger = std::vector<double>;

constexpr double kTestA = 721000000.0;
constexpr double kTestB = 721086400.0;
const Charger kNoCharger = {0, 0, 0, 0, 0};

class ChargerListTest : public testing::ScreenTest {
protected:
    // Saves the history and opens the list for the test that started at `startTime`.
    void open(const std::vector<TestRecord>& history, double startTime) {
        ASSERT_TRUE(saveHistory(history));
        openAgain(startTime);
    }
    void openAgain(double startTime) {
        historyRecords() = loadHistory();
        const auto upload = [this](const TestRecord& config, std::function<void()> completion) {
            historyAtUpload = loadHistory();
            uploads.push_back(config);
            if (completion) completion();
        };
        screen = std::make_unique<ChargerListVC>(services, preferences, clock, upload,
                                                 ui::ScreenArguments{startTime});
        screen->viewDidLoad();
        screen->viewDidAppear();
    }
    // Makes every write of the history fail: the data directory is a file.
    void blockHistoryWrites() {
        const auto blocker = dataDir.path() / "blocked";
        std::ofstream(blocker) << "not a directory";
        Paths::setDataDirectory(blocker);
    }
    // Brand, watt column and port of a row, with "*" after the port when it is checked.
    Texts row(size_t index) const {
        const ChargerTypeList cell = screen->cell(index);
        EXPECT_EQ(cell.textColorName, cell.checked ? "highlightColor" : "textBrightColor");
        return {cell.brandText, cell.wattText, cell.portText + (cell.checked ? "*" : "")};
    }

    std::unique_ptr<ChargerListVC> screen;
    std::vector<TestRecord> uploads;
    std::vector<TestRecord> historyAtUpload;
};

// A test without charger data opens with the blank row checked, which the first appearance
// stores; a description saved on the setup screen is then checked, and written on leaving.
TEST_F(ChargerListTest, ADescriptionSavedOnTheSetupScreenIsCheckedAndWrittenOnLeaving) {
    open({result(kTestA), result(kTestB), result(kTestB, 12)}, kTestB);
    ASSERT_EQ(screen->numberOfRows(), 1u);
    EXPECT_EQ(row(0), (Texts{"Unknown", "-", "-*"}));
    EXPECT_EQ(loadConfigList(preferences), (std::vector<config>{{kNow, 0, 0, 0, 0, 0}}));
    screen->addButtonTapped();
    SelectModelVC setup(services, preferences, clock);
    setup.viewDidLoad();
    setup.viewDidAppear();
    setup.wattButtonTapped(3);  // 18 W, seeded
    setup.portButtonTapped(2);  // USB-C
    setup.saveButtonTapped();
    screen->viewDidAppear();
    ASSERT_EQ(screen->numberOfRows(), 2u);
    EXPECT_EQ(row(0), (Texts{"Unknown", "-", "-"}));
    EXPECT_EQ(row(1), (Texts{"Unknown", "18W", "USB-C*"}));
    EXPECT_EQ(chargerOf(loadHistory().at(1)), kNoCharger);  // nothing is written before leaving
    screen->backButtonTapped();
    for (const TestRecord& record : loadHistory()) {
        EXPECT_EQ(chargerOf(record),
                  (recordStartTime(record) == kTestB ? Charger{0, 18, 1, 2, 0} : kNoCharger));
    }
    EXPECT_TRUE(uploads.empty());  // leaving does not send the description
}

TEST_F(ChargerListTest, RowsShowTheBrandTheWattColumnAndThePortNewestFirst) {
    ASSERT_TRUE(saveBrandCatalogue({brand("7", "Volt & Co")}));
    ASSERT_TRUE(saveConfigList(preferences, {{1, 0, 0, 3, 0, 0},      // a car charger
                                             {2, 0, 0, 2, 0, 10000},  // a power bank
                                             {3, 7, 18, 1, 3, 0},     // all but capacity
                                             {4, 9, 5, 2, 1, 20000},  // unknown brand
                                             {5, 0, 0, 0, 0, 0}}));   // blank, last
    TestRecord latest = result(kTestA);
    setCharger(latest, {0, 0, 2, 0, 10000});
    // Of several records of the test, the last one speaks for it.
    open({result(kTestA), latest}, kTestA);
    ASSERT_EQ(screen->numberOfRows(), 5u);
    EXPECT_EQ(row(0), (Texts{"Unknown", "-", "-"}));
    // A brand the catalogue does not know shows the catalogue's fallback; capacity wins.
    EXPECT_EQ(row(1), (Texts{"Unknown", "20000mAh", "USB-A"}));
    EXPECT_EQ(row(2), (Texts{"Volt & Co", "18W", portName(3)}));
    EXPECT_EQ(row(3), (Texts{"Unknown", "10000mAh", "-*"}));
    EXPECT_EQ(row(4), (Texts{"Unknown", "Car Charger", "-"}));
}

// Choosing labels the test at once, then sends the description once the history holds it.
TEST_F(ChargerListTest, ChoosingARowWritesTheTestThenUploadsAndCloses) {
    ASSERT_TRUE(saveConfigList(preferences, {{1, 7, 18, 1, 2, 0}, {2, 0, 0, 0, 0, 0}}));
    open({result(kTestA), result(kTestB)}, kTestA);
    screen->didSelectRow(1);
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].at("starttime"), kTestA);
    EXPECT_EQ(chargerOf(uploads[0]), (Charger{7, 18, 1, 2, 0}));
    EXPECT_EQ(chargerOf(historyAtUpload.at(0)), (Charger{7, 18, 1, 2, 0}));
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");

    // The blank row clears the test's charger.
    openAgain(kTestA);
    screen->didSelectRow(0);
    EXPECT_EQ(chargerOf(loadHistory().at(0)), kNoCharger);
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(chargerOf(uploads[1]), kNoCharger);

    // A failed write sends nothing but still closes.
    recorder.calls.clear();
    blockHistoryWrites();
    screen->didSelectRow(1);
    EXPECT_EQ(uploads.size(), 2u);
    EXPECT_EQ(recorder.calls, Texts{"dismiss from-left"});
}

TEST_F(ChargerListTest, LeavingStaysWhileTheHistoryCannotBeWritten) {
    open({result(kTestA)}, kTestA);
    const auto callsBefore = recorder.calls;
    blockHistoryWrites();
    screen->backButtonTapped();
    screen->saveAndPop();
    EXPECT_EQ(recorder.calls, callsBefore);
    Paths::setDataDirectory(dataDir.path());  // writable again
    screen->saveAndPop();
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    recorder.calls.clear();
    blockHistoryWrites();
    screen->pop();  // leaves without writing
    EXPECT_EQ(recorder.calls, Texts{"dismiss from-left"});
}

TEST_F(ChargerListTest, DeletingRemovesTheRowsDescription) {
    ASSERT_TRUE(
        saveConfigList(preferences, {{1, 0, 5, 1, 0, 0}, {2, 0, 12, 1, 0, 0}, {3, 0, 0, 0, 0, 0}}));
    open({result(kTestA)}, kTestA);
    screen->deleteRow(1);  // 12 W
    ASSERT_EQ(screen->numberOfRows(), 2u);
    EXPECT_EQ(row(1)[1], "5W");
    EXPECT_EQ(loadConfigList(preferences),
              (std::vector<config>{{1, 0, 5, 1, 0, 0}, {3, 0, 0, 0, 0, 0}}));
}

}  // namespace
}  // namespace voltaro
