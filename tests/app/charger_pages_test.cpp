// The charger pages offscreen over real stores: taps, swipes and typing reach the screens, and
// what the screens decide shows in the pages.

#include "app/charger_screens.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/preference_store.h"
#include "qt_test_support.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/charger_config.h"
#include "store/charger_state.h"

namespace voltaro::app {
namespace {

using testing::waitUntil;

constexpr double kTestStart = 721000000.0;

class ChargerPages : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(Paths::ensureDirectory(Paths::dataDirectory()));
        resetSharedState();
    }
    void TearDown() override {
        AppTest::TearDown();
        resetSharedState();
    }
    static void resetSharedState() {
        historyRecords().clear();
        editingRecord().clear();
        lastAddedKind() = AddedKind::Nothing;
        chargerSelection() = ChargerSelection{};
    }

    // The saved chargers `saved`, then the list opened for a saved test without charger data,
    // as the history screen opens it; its cards once it shows one for each.
    std::vector<QQuickItem*> openList(const std::vector<ChargerSelection>& saved = {}) {
        SystemClock clock;
        for (const ChargerSelection& charger : saved)
            addConfig(standardPreferences(), clock, charger);
        EXPECT_TRUE(saveHistory({testing::savedTest(kTestStart)}));
        historyRecords() = loadHistory();
        launch();
        ui::ScreenArguments arguments;
        arguments.startTime = kTestStart;
        present("ChargerListVC", arguments);
        return saved.size() > 4 ? named(QStringLiteral("chargerCard"))
                                : laidOut(QStringLiteral("chargerCard"), saved.size() + 1);
    }

    // The visible items named `objectName` once there are `count` of them.
    std::vector<QQuickItem*> laidOut(const QString& objectName, size_t count) {
        std::vector<QQuickItem*> found;
        EXPECT_TRUE(waitUntil([&] { return (found = named(objectName)).size() == count; }))
            << objectName.toStdString();
        return found;
    }

    // The visible control that a screen reader calls by the localized text `key`.
    QQuickItem* button(const char* key) {
        return first(QString::fromStdString(localized(key)), "accessibleName");
    }

    void tapAndWaitFor(QQuickItem* item, const std::string& next) {
        tap(item);
        ASSERT_TRUE(waitUntil([&] { return settledOn(next); })) << next;
    }

    static void saveBrands(const std::vector<std::string>& names) {
        std::vector<BrandRecord> brands;
        for (const std::string& name : names) {
            brands.push_back({{"brandid", std::to_string(brands.size() + 1)},
                              {"brand_name_en", name},
                              {"brand_name_cn", name}});
        }
        ASSERT_TRUE(saveBrandCatalogue(brands));
    }
};

TEST_F(ChargerPages, TheBlankChargerIsAnInsetCardAndOneComposedOnTheSetupScreenIsListedChecked) {
    std::vector<QQuickItem*> cards = openList();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(textsIn(cards[0]), (QStringList{"Unknown", "-", "-"}));
    EXPECT_EQ(cards[0]->position(), QPointF(10, 10));
    EXPECT_EQ(cards[0]->size(),
              QSizeF(app_->window()->width() - 20, ChargerListVC::kRowHeight - 10));
    EXPECT_TRUE(cards[0]->clip());

    // A car charger of 12 W with a USB-C port, listed newest first under the blank one, checked.
    tapAndWaitFor(outletItem("addButton"), "SelectModelVC");
    for (const char* button : {"typeButton3", "wattButton2", "portButton2"}) {
        tap(outletItem(button));
    }
    tapAndWaitFor(outletItem("addButton"), "ChargerListVC");
    cards = laidOut(QStringLiteral("chargerCard"), 2);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(textsIn(cards[1]), (QStringList{"Unknown", "12W", "USB-C"}));
    const std::vector<QQuickItem*> checks = named(QStringLiteral("checkedImage"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(cards[1]->isAncestorOf(checks[0]));
    tapAndWaitFor(button("backButtonLabel"), "ViewController");
}

TEST_F(ChargerPages, ALeftSwipeUncoversACardsDeleteButtonAndATapOnACardLabelsTheTest) {
    std::vector<QQuickItem*> cards =
        openList({{2, 0, 0, 1, 10000}, {1, 0, 18, 2, 0}});  // newest first: 18 W, then 10000 mAh
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_TRUE(named(QStringLiteral("deleteButton")).empty());
    drag(cards[1]->mapToScene(QPointF(cards[1]->width() / 2, 35)).toPoint(), QPoint(-150, 0));
    const std::vector<QQuickItem*> deleteButtons = laidOut(QStringLiteral("deleteButton"), 1);
    ASSERT_EQ(deleteButtons.size(), 1u);
    // The uncovered button lies beside the card, clear of it.
    const double buttonLeft = deleteButtons[0]->mapToScene(QPointF()).x();
    ASSERT_TRUE(waitUntil(
        [&] { return cards[1]->mapToScene(QPointF(cards[1]->width(), 0)).x() <= buttonLeft; }));
    tap(deleteButtons[0]);
    cards = laidOut(QStringLiteral("chargerCard"), 2);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(textsIn(cards[1]), (QStringList{"Unknown", "10000mAh", "USB-A"}));
    tapAndWaitFor(cards[1], "ViewController");
}

TEST_F(ChargerPages, ScrollingTheListUpShrinksAndCentresTheTitle) {
    std::vector<ChargerSelection> saved;
    for (int64_t watt = 1; watt <= 14; ++watt) saved.push_back({1, 0, watt, 0, 0});
    openList(saved);
    QQuickItem* title = outletItem("titleLabel");
    const auto titleSize = [&] { return title->property("font").value<QFont>().pixelSize(); };
    EXPECT_EQ(titleSize(), 33);
    drag(QPoint(195, 500), QPoint(0, -240));
    ASSERT_TRUE(waitUntil(
        [&] { return titleSize() == 20 && std::abs(title->x() + title->width() / 2 - 195) < 1; }));
    drag(QPoint(195, 500), QPoint(0, 240));
    ASSERT_TRUE(waitUntil([&] { return titleSize() == 33 && title->x() == 20; }));
}

TEST_F(ChargerPages, TheEntryFieldTakesTheKeysAndEnterSavesOnlyWhenSaveCould) {
    launch();
    present("SelectModelVC");
    tapAndWaitFor(button("添加功率"), "AddWattsVC");
    QQuickItem* field = first(QStringLiteral("inputTextField"));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(waitUntil([&] { return field->hasActiveFocus(); }));
    EXPECT_FALSE(outletItem("saveButton")->isEnabled());
    QTest::keyClick(app_->window(), Qt::Key_Return);
    EXPECT_TRUE(settledOn("AddWattsVC"));
    EXPECT_FALSE(app_->shell().alerts()->showing());
    type("45");
    EXPECT_TRUE(outletItem("saveButton")->isEnabled());
    QTest::keyClick(app_->window(), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return settledOn("SelectModelVC"); }));
    EXPECT_EQ(textsIn(outletItem("wattButton1")), QStringList{"45"});
}

TEST_F(ChargerPages, BrandsShowAsTextByTheirIndexAndOneFoundBySearchBecomesTheFirstQuickPick) {
    saveBrands({"Amperon", "Boltwise", "Auravolt", "bellcharge <i>", "Xenpower"});
    launch();
    present("SelectModelVC");
    EXPECT_EQ(outletItem("brandButton1")->width(), SelectModelVC::kBrandButtonWidth);
    tapAndWaitFor(button("addBrandTitle"), "AddBrandVC");
    ASSERT_EQ(laidOut(QStringLiteral("brandCell"), 5).size(), 5u);
    const std::vector<QQuickItem*> markup = named(QStringLiteral("bellcharge <i>"), "text");
    ASSERT_EQ(markup.size(), 1u);
    EXPECT_EQ(markup[0]->property("textFormat").toInt(), static_cast<int>(Qt::PlainText));
    const QStringList letters{"A", "B", "X", "b"};
    EXPECT_EQ(textsIn(first(QStringLiteral("sectionIndex"))), letters);

    // Searching keeps the index and filters the rows.
    tap(first(QStringLiteral("searchInput")));
    ASSERT_TRUE(waitUntil([&] { return first(QStringLiteral("searchInput"))->hasActiveFocus(); }));
    type("x");
    const std::vector<QQuickItem*> shown = laidOut(QStringLiteral("brandCell"), 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(textsIn(first(QStringLiteral("sectionIndex"))), letters);
    tapAndWaitFor(shown[0], "SelectModelVC");
    EXPECT_EQ(textsIn(outletItem("brandButton1")), QStringList{"Xenpower"});
}

TEST_F(ChargerPages, AnIndexLetterBringsItsSectionToTheTop) {
    std::vector<std::string> names;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        for (const char* rest : {"rand 0", "rand 1", "rand 2"})
            names.push_back(letter + std::string(rest));
    }
    saveBrands(names);
    launch();
    present("AddBrandVC");
    tap(named(QStringLiteral("M"), "text").at(0));
    // The first brand shown at the top of the table is M's first.
    const double tableTop = first(QStringLiteral("brandTable"))->mapToScene(QPointF()).y();
    const std::vector<QQuickItem*> cells = visibleItems([&](QQuickItem* item) {
        return item->objectName() == QStringLiteral("brandCell") &&
               item->mapToScene(QPointF()).y() >= tableTop;
    });
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(textsIn(cells[0]), QStringList{"Mrand 0"});
}

}  // namespace
}  // namespace voltaro::app
