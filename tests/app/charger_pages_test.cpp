// The charger pages as the user sees them, offscreen, over real stores in folders of the test's
// own: every page loads without a QML warning, taps and typing in the pages reach the screens,
// and what the screens decide shows in the pages.

#include <gtest/gtest.h>

#include <QFont>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/charger_screens.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/preference_store.h"
#include "platform/strings.h"
#include "qt_test_support.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/charger_config.h"
#include "store/charger_state.h"
#include "store/history.h"
#include "store/quick_picks.h"

namespace voltaro::app {
namespace {

using testing::MessageRecorder;
using testing::waitUntil;

const std::string kAppDataDir = VOLTARO_APP_TEST_DATA_DIR;

constexpr double kTestStart = 721000000.0;

// One saved result of the test that started at `startTime`, without charger data.
TestRecord result(double startTime) {
    return {{"date", 1.7e9},
            {"watt", 10},
            {"min", 30},
            {"amp", 54.4},
            {"startlevel", 50},
            {"finishlevel", 55},
            {"starttime", startTime},
            {"finishtime", startTime + 150},
            {"type", 0},
            {"brandid", 0},
            {"watts", 0},
            {"port", 0},
            {"capacity", 0}};
}

BrandRecord brand(const std::string& id, const std::string& englishName) {
    return {{"brandid", id}, {"brand_name_en", englishName}, {"brand_name_cn", englishName}};
}

// Every item under `root`, delegates of lists included.
void collectItems(QQuickItem* root, std::vector<QQuickItem*>& items) {
    if (root == nullptr) return;
    for (QQuickItem* child : root->childItems()) {
        items.push_back(child);
        collectItems(child, items);
    }
}

class ChargerPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral(".config")).toUtf8());
        qputenv("VOLTARO_CONFIG_DIR", home_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("VOLTARO_DATA_DIR", home_.filePath(QStringLiteral("data")).toUtf8());
        ASSERT_TRUE(Paths::ensureDirectory(Paths::dataDirectory()));
        setLanguage("en");
        resetSharedState();
    }
    void TearDown() override {
        app_.reset();
        resetSharedState();
        setLanguage("");
        EXPECT_TRUE(recorder_.messages().isEmpty())
            << recorder_.messages().join(QLatin1Char('\n')).toStdString();
    }

    static void resetSharedState() {
        historyRecords().clear();
        editingRecord().clear();
        lastAddedKind() = AddedKind::Nothing;
        chargerSelection() = ChargerSelection{};
    }

    // Starts the application on its main screen.
    void launch() {
        AppOptions options;
        options.battery.battery = "replay:" + kAppDataDir + "/ready.script";
        options.battery.speed = 40;
        options.device.model = "x86_64";
        options.show = "ViewController";
        app_ = std::make_unique<Application>(options);
        std::ostringstream err;
        const std::optional<int> code = app_->start(err);
        ASSERT_FALSE(code.has_value()) << err.str();
        ASSERT_TRUE(waitUntil([&] { return settledOn("ViewController"); }));
    }

    // A saved test, read in as the history screen does, and the list opened for it.
    void openListForSavedTest() {
        ASSERT_TRUE(saveHistory({result(kTestStart)}));
        historyRecords() = loadHistory();
        ui::ScreenArguments arguments;
        arguments.startTime = kTestStart;
        present("ChargerListVC", arguments);
    }

    void present(const std::string& name, const ui::ScreenArguments& arguments = {}) {
        app_->navigator().present(name, ui::Transition::SlideFromRight, arguments);
        ASSERT_TRUE(waitUntil([&] { return settledOn(name); })) << name;
    }

    bool settledOn(const std::string& name) {
        return app_->navigator().settled() && !app_->navigator().screenNames().empty() &&
               app_->navigator().screenNames().back() == name;
    }

    template <class Screen>
    Screen* top() {
        return qobject_cast<Screen*>(app_->navigator().topScreen());
    }

    // Positioners and lists place their items when the window polishes, before a frame: drawing
    // the window once does that now.
    void layOut() { (void)app_->window()->grabWindow(); }

    std::vector<QQuickItem*> pageItems() {
        layOut();
        std::vector<QQuickItem*> items;
        collectItems(app_->navigator().topPage(), items);
        return items;
    }

    // The visible item of the top page bound to `outlet`.
    QQuickItem* itemOf(QObject* outlet) {
        for (QQuickItem* item : pageItems()) {
            if (item->isVisible() && item->property("outlet").value<QObject*>() == outlet) {
                return item;
            }
        }
        return nullptr;
    }

    // The visible items of the top page with `objectName`, top to bottom.
    std::vector<QQuickItem*> named(const QString& objectName) {
        std::vector<QQuickItem*> found;
        for (QQuickItem* item : pageItems()) {
            if (item->isVisible() && item->objectName() == objectName) found.push_back(item);
        }
        std::sort(found.begin(), found.end(), [](QQuickItem* a, QQuickItem* b) {
            return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
        });
        return found;
    }

    // The visible items with `objectName` once the page shows `count` of them (lists lay out
    // their rows on the next frame).
    std::vector<QQuickItem*> laidOut(const QString& objectName, size_t count) {
        std::vector<QQuickItem*> found;
        waitUntil([&] {
            found = named(objectName);
            return found.size() == count;
        });
        return found;
    }

    // The visible button of the top page with the accessible name `name`.
    QQuickItem* buttonNamed(const std::string& name) {
        for (QQuickItem* item : pageItems()) {
            if (item->isVisible() &&
                item->property("accessibleName").toString().toStdString() == name) {
                return item;
            }
        }
        return nullptr;
    }

    // The texts shown under `item`, in reading order (top to bottom, then left to right).
    QStringList textsIn(QQuickItem* item) {
        std::vector<QQuickItem*> items{item};
        collectItems(item, items);
        std::vector<std::pair<QPointF, QString>> shown;
        for (QQuickItem* child : items) {
            if (child->isVisible() && child->inherits("QQuickText")) {
                shown.emplace_back(child->mapToScene(QPointF()),
                                   child->property("text").toString());
            }
        }
        std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
            if (std::abs(a.first.y() - b.first.y()) > 4) return a.first.y() < b.first.y();
            return a.first.x() < b.first.x();
        });
        QStringList texts;
        for (const auto& [position, text] : shown) texts.push_back(text);
        return texts;
    }

    void tap(QQuickItem* item) {
        ASSERT_NE(item, nullptr);
        layOut();
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, centre.toPoint());
    }

    // Taps `item` and waits until the screen `next` is up and settled.
    void tapAndWaitFor(QQuickItem* item, const std::string& next) {
        tap(item);
        ASSERT_TRUE(waitUntil([&] { return settledOn(next); })) << next;
    }

    // Types `text` (Latin letters and digits) into the window's focused item.
    void type(const std::string& text) {
        for (const char c : text) QTest::keyClick(app_->window(), c);
    }

    void drag(QPoint from, QPoint to) {
        QQuickWindow* window = app_->window();
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        constexpr int kSteps = 12;
        for (int step = 1; step <= kSteps; ++step) {
            QTest::mouseMove(window, from + (to - from) * step / kSteps);
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, to);
    }

    TestRecord storedRecord() {
        for (const TestRecord& record : loadHistory()) {
            if (recordStartTime(record) == kTestStart) return record;
        }
        ADD_FAILURE() << "no record of the test";
        return {};
    }

    QTemporaryDir home_;
    MessageRecorder recorder_;
    SystemClock clock_;
    std::unique_ptr<Application> app_;
};

TEST_F(ChargerPages, EachPageLoadsWithoutWarnings) {
    ASSERT_TRUE(saveBrandCatalogue({brand("1", "Amperon"), brand("2", "<b>Bellcharge</b>")}));
    launch();
    openListForSavedTest();
    present("SelectModelVC");
    ui::ScreenArguments capacity;
    capacity.entryType = AddWattsVC::kCapacityType;
    present("AddWattsVC", capacity);
    present("AddBrandVC");
    EXPECT_FALSE(app_->window()->grabWindow().isNull());
    EXPECT_EQ(app_->navigator().screenNames(),
              (std::vector<std::string>{"ViewController", "ChargerListVC", "SelectModelVC",
                                        "AddWattsVC", "AddBrandVC"}));
}

TEST_F(ChargerPages, TheListShowsTheBlankChargerCheckedAsACard) {
    launch();
    openListForSavedTest();
    auto* screen = top<ChargerListVCScreen>();
    ASSERT_NE(screen, nullptr);
    const std::vector<QQuickItem*> cards = laidOut(QStringLiteral("chargerCard"), 1);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(textsIn(cards[0]), (QStringList{"Unknown", "-", "-"}));
    EXPECT_EQ(named(QStringLiteral("checkedImage")).size(), 1u);
    // The card sits inside its row as the screen insets it, and clips to its corners.
    EXPECT_EQ(cards[0]->x(), 10);
    EXPECT_EQ(cards[0]->y(), 10);
    EXPECT_EQ(cards[0]->width(), app_->window()->width() - 20);
    EXPECT_EQ(cards[0]->height(), ChargerListVC::kRowHeight - 10);
    EXPECT_TRUE(cards[0]->clip());
}

TEST_F(ChargerPages, AChargerComposedOnTheSetupScreenIsListedCheckedAndKeptOnLeaving) {
    launch();
    openListForSavedTest();
    auto* list = top<ChargerListVCScreen>();
    ASSERT_NE(list, nullptr);
    tapAndWaitFor(itemOf(list->outlet("addButton")), "SelectModelVC");

    auto* setup = top<SelectModelVCScreen>();
    ASSERT_NE(setup, nullptr);
    // A car charger of 12 W with a USB-C port.
    tap(itemOf(setup->outlet("typeButton3")));
    EXPECT_EQ(setup->outlet("typeButton3")->property("titleColorName").toString(),
              QStringLiteral("highlightColor"));
    EXPECT_EQ(setup->outlet("typeButton1")->property("titleColorName").toString(),
              QStringLiteral("white"));
    QQuickItem* twelve = itemOf(setup->outlet("wattButton2"));
    ASSERT_NE(twelve, nullptr);
    EXPECT_EQ(textsIn(twelve), QStringList{"12"});
    tap(twelve);
    EXPECT_TRUE(setup->controller().wattButton2.selected());
    tap(itemOf(setup->outlet("portButton2")));
    EXPECT_EQ(chargerSelection(), (ChargerSelection{3, 0, 12, 2, 0}));
    tapAndWaitFor(itemOf(setup->outlet("addButton")), "ChargerListVC");

    // Newest first under the blank charger, and checked in its place.
    const std::vector<QQuickItem*> cards = laidOut(QStringLiteral("chargerCard"), 2);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(textsIn(cards[1]), (QStringList{"Unknown", "12W", "USB-C"}));
    const std::vector<QQuickItem*> checks = named(QStringLiteral("checkedImage"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(cards[1]->isAncestorOf(checks[0]));

    // The back button writes it into the test's record.
    QQuickItem* back = buttonNamed(localized("backButtonLabel"));
    tapAndWaitFor(back, "ViewController");
    const TestRecord stored = storedRecord();
    EXPECT_EQ(stored.at("type"), 3);
    EXPECT_EQ(stored.at("watts"), 12);
    EXPECT_EQ(stored.at("port"), 2);
}

TEST_F(ChargerPages, TappingAChargerLabelsTheTestAndCloses) {
    addConfig(standardPreferences(), clock_, ChargerSelection{2, 0, 0, 1, 10000});
    launch();
    openListForSavedTest();
    const std::vector<QQuickItem*> cards = laidOut(QStringLiteral("chargerCard"), 2);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(textsIn(cards[1]), (QStringList{"Unknown", "10000mAh", "USB-A"}));
    tapAndWaitFor(cards[1], "ViewController");
    const TestRecord stored = storedRecord();
    EXPECT_EQ(stored.at("type"), 2);
    EXPECT_EQ(stored.at("capacity"), 10000);
    EXPECT_EQ(stored.at("port"), 1);
}

TEST_F(ChargerPages, ALeftSwipeOnACardUncoversItsDeleteButton) {
    addConfig(standardPreferences(), clock_, ChargerSelection{1, 0, 18, 2, 0});
    launch();
    openListForSavedTest();
    std::vector<QQuickItem*> cards = laidOut(QStringLiteral("chargerCard"), 2);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_TRUE(named(QStringLiteral("deleteButton")).empty());
    const QPointF centre = cards[1]->mapToScene(QPointF(cards[1]->width() / 2, 35));
    drag(centre.toPoint(), (centre - QPointF(150, 0)).toPoint());
    std::vector<QQuickItem*> deleteButtons;
    ASSERT_TRUE(waitUntil([&] {
        deleteButtons = named(QStringLiteral("deleteButton"));
        return deleteButtons.size() == 1;
    }));
    // The uncovered button lies beside the card, clear of it.
    const QPointF button = deleteButtons[0]->mapToScene(QPointF());
    ASSERT_TRUE(waitUntil(
        [&] { return cards[1]->mapToScene(QPointF(cards[1]->width(), 0)).x() <= button.x(); }));
    tap(deleteButtons[0]);
    ASSERT_TRUE(waitUntil([&] { return named(QStringLiteral("chargerCard")).size() == 1; }));
    // Only the blank charger is left in the saved list.
    EXPECT_EQ(loadConfigList(standardPreferences()).size(), 1u);
    EXPECT_EQ(top<ChargerListVCScreen>()->controller().numberOfRows(), 1u);
}

TEST_F(ChargerPages, ScrollingTheListUpShrinksAndCentresTheTitle) {
    for (int64_t watt = 1; watt <= 14; ++watt) {
        addConfig(standardPreferences(), clock_, ChargerSelection{1, 0, watt, 0, 0});
    }
    launch();
    openListForSavedTest();
    auto* screen = top<ChargerListVCScreen>();
    ASSERT_NE(screen, nullptr);
    QQuickItem* title = itemOf(screen->outlet("titleLabel"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->property("font").value<QFont>().pixelSize(), 33);

    const QPoint middle(195, 500);
    drag(middle, middle - QPoint(0, 240));
    ASSERT_TRUE(waitUntil([&] {
        return title->property("font").value<QFont>().pixelSize() == 20 &&
               std::abs(title->x() + title->width() / 2 - 195) < 1;
    }));
    EXPECT_EQ(screen->controller().tableTopConstraint.constant(), 70);

    drag(middle, middle + QPoint(0, 240));
    ASSERT_TRUE(waitUntil([&] {
        return title->property("font").value<QFont>().pixelSize() == 33 && title->x() == 20;
    }));
}

TEST_F(ChargerPages, AValueTypedOnTheEntryPageBecomesTheChosenFirstQuickPick) {
    launch();
    present("SelectModelVC");
    tapAndWaitFor(buttonNamed(localized("添加功率")), "AddWattsVC");
    auto* entry = top<AddWattsVCScreen>();
    ASSERT_NE(entry, nullptr);

    // The field has the keyboard at once; the save button waits for a character.
    const std::vector<QQuickItem*> fields = named(QStringLiteral("inputTextField"));
    ASSERT_EQ(fields.size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return fields[0]->hasActiveFocus(); }));
    EXPECT_TRUE(entry->controller().inputTextField.focused());
    EXPECT_FALSE(itemOf(entry->outlet("saveButton"))->isEnabled());
    EXPECT_EQ(textsIn(itemOf(entry->outlet("saveButton"))), QStringList{"Save"});

    type("45");
    EXPECT_EQ(entry->controller().inputTextField.text(), "45");
    EXPECT_TRUE(itemOf(entry->outlet("saveButton"))->isEnabled());
    tapAndWaitFor(itemOf(entry->outlet("saveButton")), "SelectModelVC");

    auto* setup = top<SelectModelVCScreen>();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(textsIn(itemOf(setup->outlet("wattButton1"))), QStringList{"45"});
    EXPECT_TRUE(setup->controller().wattButton1.selected());
    EXPECT_EQ(chargerSelection().watt, 45);
}

TEST_F(ChargerPages, AnOutOfRangeValueGetsTheAlertAndStays) {
    launch();
    ui::ScreenArguments watts;
    watts.entryType = AddWattsVC::kWattType;
    present("AddWattsVC", watts);
    ASSERT_TRUE(
        waitUntil([&] { return named(QStringLiteral("inputTextField"))[0]->hasActiveFocus(); }));
    // Enter in the empty field does nothing, as the save button is off.
    QTest::keyClick(app_->window(), Qt::Key_Return);
    EXPECT_FALSE(app_->shell().alerts()->showing());
    type("101");
    tap(itemOf(top<AddWattsVCScreen>()->outlet("saveButton")));
    EXPECT_TRUE(app_->shell().alerts()->showing());
    EXPECT_EQ(app_->shell().alerts()->title().toStdString(), localized("over100"));
    app_->shell().alerts()->answer(0);
    EXPECT_EQ(app_->navigator().screenNames().back(), "AddWattsVC");
    EXPECT_EQ(quickPicks(standardPreferences(), QuickPickKind::Watt)[0], 0);
}

TEST_F(ChargerPages, ABrandPickedFromTheSectionsBecomesTheChosenFirstBrand) {
    ASSERT_TRUE(
        saveBrandCatalogue({brand("1", "Amperon"), brand("2", "Boltwise"), brand("3", "Auravolt"),
                            brand("4", "bellcharge <i>"), brand("5", "Xenpower")}));
    launch();
    present("SelectModelVC");
    auto* setup = top<SelectModelVCScreen>();
    ASSERT_NE(setup, nullptr);
    // The quick picks are the catalogue's first three brands.
    EXPECT_EQ(textsIn(itemOf(setup->outlet("brandButton1"))), QStringList{"Amperon"});
    EXPECT_EQ(itemOf(setup->outlet("brandButton1"))->width(), SelectModelVC::kBrandButtonWidth);
    tapAndWaitFor(buttonNamed(localized("addBrandTitle")), "AddBrandVC");
    auto* picker = top<AddBrandVCScreen>();
    ASSERT_NE(picker, nullptr);

    // Sections under their letters, names as plain text, the index on the right.
    const std::vector<QQuickItem*> cells = laidOut(QStringLiteral("brandCell"), 5);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(textsIn(cells[0]), QStringList{"Amperon"});
    EXPECT_EQ(textsIn(cells[4]), QStringList{"bellcharge <i>"});
    for (QQuickItem* item : pageItems()) {
        if (item->inherits("QQuickText") && item->property("text").toString() == "bellcharge <i>") {
            EXPECT_EQ(item->property("textFormat").toInt(), static_cast<int>(Qt::PlainText));
        }
    }
    const std::vector<QQuickItem*> index = named(QStringLiteral("sectionIndex"));
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(textsIn(index[0]), (QStringList{"A", "B", "X", "b"}));

    // Searching keeps the index and filters the rows.
    const std::vector<QQuickItem*> search = named(QStringLiteral("searchInput"));
    ASSERT_EQ(search.size(), 1u);
    tap(search[0]);
    ASSERT_TRUE(waitUntil([&] { return search[0]->hasActiveFocus(); }));
    type("x");
    EXPECT_EQ(picker->controller().searchBar.text(), "x");
    std::vector<QQuickItem*> shown;
    ASSERT_TRUE(waitUntil([&] {
        shown = named(QStringLiteral("brandCell"));
        return shown.size() == 1;
    }));
    EXPECT_EQ(textsIn(shown[0]), QStringList{"Xenpower"});
    EXPECT_EQ(textsIn(named(QStringLiteral("sectionIndex"))[0]), (QStringList{"A", "B", "X", "b"}));

    tapAndWaitFor(shown[0], "SelectModelVC");
    EXPECT_EQ(textsIn(itemOf(setup->outlet("brandButton1"))), QStringList{"Xenpower"});
    EXPECT_TRUE(setup->controller().brandButton1.selected());
    EXPECT_EQ(chargerSelection().brand, 5);
}

TEST_F(ChargerPages, AnIndexLetterBringsItsSectionToTheTop) {
    std::vector<BrandRecord> brands;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        for (int i = 0; i < 3; ++i) {
            brands.push_back(brand(std::to_string(brands.size() + 1),
                                   std::string(1, letter) + "rand " + std::to_string(i)));
        }
    }
    ASSERT_TRUE(saveBrandCatalogue(brands));
    launch();
    present("AddBrandVC");
    const std::vector<QQuickItem*> index = named(QStringLiteral("sectionIndex"));
    ASSERT_EQ(index.size(), 1u);
    QQuickItem* letterM = nullptr;
    std::vector<QQuickItem*> letters;
    collectItems(index[0], letters);
    for (QQuickItem* item : letters) {
        if (item->property("text").toString() == "M") letterM = item;
    }
    tap(letterM);
    const std::vector<QQuickItem*> table = named(QStringLiteral("brandTable"));
    ASSERT_EQ(table.size(), 1u);
    const QPointF tableTop = table[0]->mapToScene(QPointF());
    // The first brand shown at the top of the table is M's first.
    std::vector<QQuickItem*> cells = named(QStringLiteral("brandCell"));
    QQuickItem* firstShown = nullptr;
    for (QQuickItem* cell : cells) {
        if (cell->mapToScene(QPointF()).y() >= tableTop.y()) {
            firstShown = cell;
            break;
        }
    }
    ASSERT_NE(firstShown, nullptr);
    EXPECT_EQ(textsIn(firstShown), QStringList{"Mrand 0"});
}

}  // namespace
}  // namespace voltaro::app
