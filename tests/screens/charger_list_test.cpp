#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "charger_screens_fixture.h"
#include "screens/charger_list_vc.h"
#include "screens/select_model_vc.h"
#include "store/charger_config.h"
#include "store/display_text.h"
#include "store/history.h"

namespace voltaro {
namespace {

using ChargerMap = std::map<std::string, double>;

constexpr double kTestA = 721000000.0;
constexpr double kTestB = 721086400.0;

class ChargerListTest : public testing::ChargerScreensTest {
protected:
    // Saves the history and opens the list for the test that started at `startTime`, as the
    // history screen does.
    void open(const std::vector<TestRecord>& history, double startTime) {
        ASSERT_TRUE(saveHistory(history));
        historyRecords() = loadHistory();
        openAgain(startTime);
    }
    void openAgain(double startTime) {
        screen = std::make_unique<ChargerListVC>(services, preferences, clock, upload(),
                                                 ui::ScreenArguments{startTime});
        screen->view.setSize(390, 844);
        screen->viewDidLoad();
        screen->viewDidAppear();
    }
    ChargerListVC::UploadChargerConfig upload() {
        return [this](const ChargerMap& config, std::function<void()> completion) {
            // What the history held when the upload was asked for.
            historyAtUpload = loadHistory();
            uploads.push_back(config);
            if (completion) completion();
        };
    }
    // Makes every write of the history fail: the data directory is a file.
    void blockHistoryWrites() {
        const auto blocker = dataDir.path() / "blocked";
        std::ofstream(blocker) << "not a directory";
        Paths::setDataDirectory(blocker);
    }
    TestRecord storedRecordOf(double startTime) {
        for (const TestRecord& record : loadHistory()) {
            if (recordStartTime(record) == startTime) return record;
        }
        ADD_FAILURE() << "no record of the test";
        return {};
    }
    static std::vector<double> chargerOf(const TestRecord& record) {
        return {record.at("brandid"), record.at("watts"), record.at("type"), record.at("port"),
                record.at("capacity")};
    }

    std::unique_ptr<ChargerListVC> screen;
    std::vector<ChargerMap> uploads;
    std::vector<TestRecord> historyAtUpload;
};

TEST_F(ChargerListTest, ATestWithoutChargerDataOpensWithTheBlankRowChecked) {
    lastAddedKind() = AddedKind::Brand;
    open({result(kTestA), result(kTestB)}, kTestA);
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    ASSERT_EQ(screen->numberOfRows(), 1u);
    const ChargerTypeList blank = screen->cell(0);
    EXPECT_EQ(blank.brandText, "Unknown");
    EXPECT_EQ(blank.wattText, "-");
    EXPECT_EQ(blank.portText, "-");
    EXPECT_TRUE(blank.checked);
    EXPECT_EQ(blank.textColorName, "highlightColor");
    // The first appearance stores the blank description.
    const std::vector<config> stored = loadConfigList(preferences);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(stored[0].isBlank());
    EXPECT_EQ(stored[0].startTime, kNow);
}

TEST_F(ChargerListTest, ADescriptionSavedOnTheSetupScreenIsCheckedAndWrittenOnLeaving) {
    open({result(kTestA), result(kTestB), result(kTestB, 12)}, kTestB);
    screen->addButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "present SelectModelVC from-right");

    SelectModelVC setup(services, preferences, clock);
    setup.viewDidLoad();
    setup.viewDidAppear();
    setup.wattButtonTapped(3);  // 18 W, seeded
    setup.portButtonTapped(2);  // USB-C
    setup.saveButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    screen->viewDidAppear();  // the list shows again

    ASSERT_EQ(screen->numberOfRows(), 2u);
    const ChargerTypeList added = screen->cell(1);
    EXPECT_EQ(added.wattText, "18W");
    EXPECT_EQ(added.portText, "USB-C");
    EXPECT_TRUE(added.checked);
    EXPECT_EQ(added.textColorName, "highlightColor");
    EXPECT_FALSE(screen->cell(0).checked);
    EXPECT_EQ(screen->cell(0).textColorName, "textBrightColor");
    // Nothing is written before the user leaves.
    EXPECT_EQ(chargerOf(storedRecordOf(kTestB)), (std::vector<double>{0, 0, 0, 0, 0}));

    recorder.calls.clear();
    screen->backButtonTapped();
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"dismiss from-left"});
    for (const TestRecord& record : loadHistory()) {
        const std::vector<double> expected = recordStartTime(record) == kTestB
                                                 ? std::vector<double>{0, 18, 1, 2, 0}
                                                 : std::vector<double>{0, 0, 0, 0, 0};
        EXPECT_EQ(chargerOf(record), expected);
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
    open({result(kTestA)}, kTestA);
    ASSERT_EQ(screen->numberOfRows(), 5u);
    const auto texts = [&](size_t row) {
        const ChargerTypeList cell = screen->cell(row);
        return std::vector<std::string>{cell.brandText, cell.wattText, cell.portText};
    };
    EXPECT_EQ(texts(0), (std::vector<std::string>{"Unknown", "-", "-"}));
    // A brand the catalogue does not know shows the catalogue's fallback; capacity wins.
    EXPECT_EQ(texts(1), (std::vector<std::string>{"Unknown", "20000mAh", "USB-A"}));
    EXPECT_EQ(texts(2), (std::vector<std::string>{"Volt & Co", "18W", portName(3)}));
    EXPECT_EQ(texts(3), (std::vector<std::string>{"Unknown", "10000mAh", "-"}));
    EXPECT_EQ(texts(4), (std::vector<std::string>{"Unknown", chargerKindName(3), "-"}));
    EXPECT_EQ(chargerKindName(3), "Car Charger");
}

TEST_F(ChargerListTest, TheTestsCurrentChargerIsCheckedAndTouchesMarkRows) {
    TestRecord earlier = result(kTestA);
    TestRecord latest = result(kTestA);
    latest["type"] = 2;
    latest["capacity"] = 10000;
    ASSERT_TRUE(saveConfigList(preferences, {{1, 0, 0, 2, 0, 10000}, {2, 0, 0, 0, 0, 0}}));
    // Of several records of the test, the last one speaks for it.
    open({earlier, latest}, kTestA);
    EXPECT_TRUE(screen->cell(1).checked);
    EXPECT_FALSE(screen->cell(0).checked);

    screen->didDeselectRow(1);
    EXPECT_FALSE(screen->cell(1).checked);
    EXPECT_EQ(screen->cell(1).textColorName, "textBrightColor");
    screen->viewDidAppear();  // a reload draws every row from the stored state again
    EXPECT_TRUE(screen->cell(1).checked);
}

TEST_F(ChargerListTest, ChoosingARowWritesTheTestThenUploadsAndCloses) {
    ASSERT_TRUE(saveConfigList(preferences, {{1, 7, 18, 1, 2, 0}, {2, 0, 0, 0, 0, 0}}));
    open({result(kTestA), result(kTestB)}, kTestA);
    screen->didSelectRow(1);
    EXPECT_TRUE(screen->cell(1).checked);
    EXPECT_EQ(chargerOf(storedRecordOf(kTestA)), (std::vector<double>{7, 18, 1, 2, 0}));
    EXPECT_EQ(chargerOf(storedRecordOf(kTestB)), (std::vector<double>{0, 0, 0, 0, 0}));
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0], (ChargerMap{{"starttime", kTestA},
                                      {"brandid", 7},
                                      {"watts", 18},
                                      {"type", 1},
                                      {"capacity", 0},
                                      {"port", 2}}));
    // The upload was asked for once the history held the charger.
    ASSERT_EQ(historyAtUpload.size(), 2u);
    EXPECT_EQ(chargerOf(historyAtUpload[0]), (std::vector<double>{7, 18, 1, 2, 0}));
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    // Choosing does not touch the charger being edited.
    EXPECT_EQ(editingRecord().at("watts"), 0);
}

TEST_F(ChargerListTest, ChoosingTheBlankRowClearsTheTestsCharger) {
    TestRecord labelled = result(kTestA);
    labelled["brandid"] = 7;
    labelled["watts"] = 18;
    labelled["type"] = 1;
    labelled["port"] = 2;
    open({labelled}, kTestA);
    ASSERT_FALSE(screen->cell(0).checked);  // the test's charger is not in the list
    screen->didSelectRow(0);
    EXPECT_EQ(chargerOf(storedRecordOf(kTestA)), (std::vector<double>{0, 0, 0, 0, 0}));
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0], (ChargerMap{{"starttime", kTestA},
                                      {"brandid", 0},
                                      {"watts", 0},
                                      {"type", 0},
                                      {"capacity", 0},
                                      {"port", 0}}));
}

TEST_F(ChargerListTest, AFailedWriteSkipsTheUploadButStillCloses) {
    ASSERT_TRUE(saveConfigList(preferences, {{1, 7, 18, 1, 2, 0}, {2, 0, 0, 0, 0, 0}}));
    open({result(kTestA)}, kTestA);
    blockHistoryWrites();
    screen->didSelectRow(1);
    EXPECT_TRUE(uploads.empty());
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
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
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"dismiss from-left"});
}

TEST_F(ChargerListTest, DeletingRemovesTheRowsDescription) {
    ASSERT_TRUE(saveConfigList(
        preferences,
        {{1, 0, 5, 1, 0, 0}, {2, 0, 12, 1, 0, 0}, {3, 0, 18, 1, 0, 0}, {4, 0, 0, 0, 0, 0}}));
    open({result(kTestA)}, kTestA);
    ASSERT_TRUE(screen->canEditRow(2));
    screen->deleteRow(2);  // 12 W
    EXPECT_EQ(screen->lastDeletedRow(), 2u);
    ASSERT_EQ(screen->numberOfRows(), 3u);
    EXPECT_EQ(screen->cell(1).wattText, "18W");
    EXPECT_EQ(screen->cell(2).wattText, "5W");
    const std::vector<config> stored = loadConfigList(preferences);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].watt, 5);
    EXPECT_EQ(stored[1].watt, 18);
    EXPECT_TRUE(stored[2].isBlank());
}

TEST_F(ChargerListTest, DeletingEveryRowThenReopeningShowsOneBlankRow) {
    ASSERT_TRUE(saveConfigList(preferences, {{1, 0, 5, 1, 0, 0}, {2, 0, 12, 1, 0, 0}}));
    open({result(kTestA)}, kTestA);
    ASSERT_EQ(screen->numberOfRows(), 3u);
    while (screen->numberOfRows() > 0) screen->deleteRow(0);
    EXPECT_TRUE(loadConfigList(preferences).empty());
    EXPECT_FALSE(screen->canEditRow(0));

    screen->backButtonTapped();
    openAgain(kTestA);
    ASSERT_EQ(screen->numberOfRows(), 1u);
    EXPECT_EQ(screen->cell(0).brandText, "Unknown");
    EXPECT_TRUE(screen->cell(0).checked);
}

TEST_F(ChargerListTest, TheTitleCollapsesWhileTheListMovesUpAndExpandsBack) {
    open({result(kTestA)}, kTestA);
    screen->titleLabel.setSize(150, 40);
    screen->scrollViewWillBeginDragging(100);
    screen->scrollViewDidScroll(100);  // no movement, no change
    EXPECT_TRUE(recorder.animations.empty());
    screen->scrollViewDidScroll(130);
    EXPECT_EQ(screen->titleLabel.fontSize(), 20);
    EXPECT_EQ(screen->titleTopConstraint.constant(), 33);
    EXPECT_EQ(screen->titleLeftConstraint.constant(), 120);  // centred: (390 - 150) / 2
    EXPECT_EQ(screen->tableTopConstraint.constant(), 70);
    screen->scrollViewDidScroll(110);  // back, but not past where the drag began
    EXPECT_EQ(screen->titleLabel.fontSize(), 20);
    screen->scrollViewDidScroll(80);
    EXPECT_EQ(screen->titleLabel.fontSize(), 33);
    EXPECT_EQ(screen->titleTopConstraint.constant(), 60);
    EXPECT_EQ(screen->titleLeftConstraint.constant(), 20);
    EXPECT_EQ(screen->tableTopConstraint.constant(), 110);
    ASSERT_FALSE(recorder.animations.empty());
    EXPECT_EQ(recorder.animations.back().duration, 0.2);
}

TEST(ChargerTypeListTest, TheCardIsInsetInItsRowsFrame) {
    EXPECT_EQ(ChargerTypeList::insetFrame({0, 70, 390, 70}), (ui::Rect{10, 80, 370, 60}));
}

}  // namespace
}  // namespace voltaro
