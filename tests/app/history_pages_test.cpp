// The history and feedback pages offscreen: they load without a QML warning whatever the size of
// the history, show what the screens decide, and send taps, drags and swipes to the screens.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLibraryInfo>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>
#include <set>
#include <sstream>

#include "app/application.h"
#include "app/curve_screens.h"
#include "app/history_screens.h"
#include "platform/curl/local_http_server.h"
#include "platform/qt/named_resources.h"
#include "platform/strings.h"
#include "qt_test_support.h"
#include "store/brand_catalogue.h"
#include "store/history.h"

namespace voltaro::app {
namespace {

using testing::MessageRecorder;
using testing::waitUntil;

const std::string kAppDataDir = VOLTARO_APP_TEST_DATA_DIR;
const QString kFeedbackAddress = QStringLiteral("http://127.0.0.1:9/voltaro-feedback");

// Records the addresses the application asks the desktop to open, instead of opening them.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    OpenedUrls() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~OpenedUrls() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

// Stands in for a screen this test does not look at, drawn by a blank page.
class StandInScreen final : public qt::QtScreen {
public:
    QUrl source() const override {
        return QUrl::fromLocalFile(QString::fromStdString(kAppDataDir + "/BlankPage.qml"));
    }
};

// One saved result of the test that started at `startTime`.
TestRecord result(double startTime, double watt, double level) {
    return {{"starttime", startTime},
            {"date", 978307200 + startTime},
            {"watt", watt},
            {"amp", watt * 45},
            {"min", 36},
            {"startlevel", level},
            {"finishlevel", level + 12},
            {"userStartlevel", level + 1},
            {"userStartTime", startTime + 30}};
}

TestRecord labelled(TestRecord record, double brand, double watts, double port) {
    record["brandid"] = brand;
    record["watts"] = watts;
    record["port"] = port;
    return record;
}

class HistoryPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral(".config")).toUtf8());
        qputenv("VOLTARO_CONFIG_DIR", home_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("VOLTARO_DATA_DIR", home_.filePath(QStringLiteral("data")).toUtf8());
        qputenv("VOLTARO_FEEDBACK_URL", kFeedbackAddress.toUtf8());
        setLanguage("en");
        ASSERT_TRUE(saveBrandCatalogue(
            {{{"brandid", "7"}, {"brand_name_en", "<b>Volt</b>"}, {"brand_name_cn", "Volt"}}}));
    }
    void TearDown() override {
        app_.reset();
        setLanguage("");
        qunsetenv("VOLTARO_FEEDBACK_URL");
        EXPECT_TRUE(recorder_.messages().isEmpty())
            << recorder_.messages().join(QLatin1Char('\n')).toStdString();
    }

    // Starts the application with the history screen open over the main screen.
    void launchHistory(const std::vector<TestRecord>& history) {
        ASSERT_TRUE(saveHistory(history));
        launch();
    }
    // The same with the three tests of tests/data/curve_history, two with their samples kept.
    void launchCurveHistory() {
        const QDir data(home_.filePath(QStringLiteral("data")));
        ASSERT_TRUE(data.mkpath(QStringLiteral(".")));
        for (const QString& file : {QStringLiteral("history"), QStringLiteral("samples")}) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(VOLTARO_TEST_DATA_DIR "/curve_history/") + file,
                                    data.filePath(file)));
        }
        launch();
    }
    void launch() {
        AppOptions options;
        options.battery.battery = "replay:" + kAppDataDir + "/ready.script";
        options.battery.speed = 40;
        options.device.model = "x86_64";
        options.show = "TestRecordsVC";
        app_ = std::make_unique<Application>(options);
        std::ostringstream err;
        ASSERT_FALSE(app_->start(err).has_value()) << err.str();
        ASSERT_TRUE(
            waitUntil([&] { return historyScreen() != nullptr && app_->navigator().settled(); }));
    }

    template <typename Screen>
    Screen* settledOn() {
        Screen* screen = nullptr;
        waitUntil([&] {
            screen = qobject_cast<Screen*>(app_->navigator().topScreen());
            return screen != nullptr && app_->navigator().settled();
        });
        return screen;
    }

    // The first visible item named `objectName` under `item`, looking at its visual children.
    static QQuickItem* findVisible(QQuickItem* item, const QString& objectName) {
        if (item == nullptr) return nullptr;
        if (item->objectName() == objectName && item->isVisible()) return item;
        for (QQuickItem* child : item->childItems()) {
            if (QQuickItem* found = findVisible(child, objectName)) return found;
        }
        return nullptr;
    }

    // Pixels of `image` in `area` within `tolerance` of `color` on each channel.
    static int pixelsOf(const QImage& image, QRect area, QColor color, int tolerance = 40) {
        int count = 0;
        area = area.intersected(image.rect());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - color.red()) < tolerance &&
                    std::abs(c.green() - color.green()) < tolerance &&
                    std::abs(c.blue() - color.blue()) < tolerance) {
                    ++count;
                }
            }
        }
        return count;
    }

    // Taps the feedback button and waits for the page.
    FeedbackVCScreen* openFeedback() {
        tap(named("feedbackButton"));
        FeedbackVCScreen* feedback = nullptr;
        waitUntil([&] {
            feedback = qobject_cast<FeedbackVCScreen*>(app_->navigator().topScreen());
            return feedback != nullptr && app_->navigator().settled();
        });
        return feedback;
    }

    TestRecordsVCScreen* historyScreen() {
        return qobject_cast<TestRecordsVCScreen*>(app_->navigator().topScreen());
    }

    template <typename T = QQuickItem>
    T* named(const char* objectName) {
        QQuickItem* page = app_->navigator().topPage();
        return page == nullptr ? nullptr : page->findChild<T*>(QLatin1String(objectName));
    }

    // The item of the top page bound to `outlet`.
    QQuickItem* itemOf(QObject* outlet) {
        for (QQuickItem* item : app_->navigator().topPage()->findChildren<QQuickItem*>()) {
            if (item->property("outlet").value<QObject*>() == outlet) return item;
        }
        return nullptr;
    }

    // The visible texts of the top page, the list's cards included, that show `text`.
    QList<QQuickItem*> textsShowing(const QString& text) {
        QList<QQuickItem*> found;
        std::function<void(QQuickItem*)> visit = [&](QQuickItem* item) {
            if (item->inherits("QQuickText") && item->property("text").toString() == text &&
                item->isVisible()) {
                found.push_back(item);
            }
            for (QQuickItem* child : item->childItems()) visit(child);
        };
        visit(app_->navigator().topPage());
        return found;
    }

    // The card of the `index`th test on the page (newest first), once the list has made it.
    // The list's delegates are its content's visual children, not its QObject children.
    QQuickItem* card(int index) {
        auto* list = named("historyList");
        if (list == nullptr) return nullptr;
        auto* content = list->property("contentItem").value<QQuickItem*>();
        for (QQuickItem* item : content->childItems()) {
            if (item->property("testHeader").isValid() &&
                item->property("index").toInt() == index) {
                return item;
            }
        }
        return nullptr;
    }

    void tapAt(QQuickItem* item, QPointF point) {
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, item->mapToScene(point).toPoint());
    }
    void tap(QQuickItem* item) {
        ASSERT_NE(item, nullptr);
        tapAt(item, QPointF(item->width() / 2, item->height() / 2));
    }

    // A finger drag from `from` by `by`, in steps.
    void drag(QPoint from, QPoint by) {
        QQuickWindow* window = app_->window();
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step) {
            QTest::mouseMove(window, from + by * step / 10, 16);
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, from + by, 16);
    }

    QTemporaryDir home_;
    MessageRecorder recorder_;
    std::unique_ptr<Application> app_;
};

TEST_F(HistoryPages, AnEmptyHistoryShowsNoCards) {
    launchHistory({});
    auto* list = named("historyList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->property("count").toInt(), 0);
    EXPECT_EQ(historyScreen()->tests()->rowCount(), 0);
    // The title is the screen's, at its full size.
    QQuickItem* title = itemOf(historyScreen()->outlet("titleLabel"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->property("text").toString(),
              QString::fromStdString(localized("historyButtonLabel")));
    EXPECT_EQ(title->property("font").value<QFont>().pixelSize(), 33);
}

TEST_F(HistoryPages, ACardShowsTheChargerAndTheResultsOfItsTest) {
    const double older = 700000000;
    const double newer = 700090000;
    // The newer test began after the main screen appeared in this run: its box is highlighted.
    TestRecord current = labelled(result(newer, 12.34, 40), 7, 18, 2);
    current["userStartTime"] = 1e12;
    launchHistory({result(older, 5, 20), labelled(result(newer, 20.5, 30), 7, 18, 2), current});
    ASSERT_TRUE(waitUntil([&] { return card(1) != nullptr; }));

    // Brand names are shown as they are, never as markup.
    const QList<QQuickItem*> brands = textsShowing(QStringLiteral("<b>Volt</b>"));
    ASSERT_EQ(brands.size(), 1);
    EXPECT_EQ(brands.first()->property("textFormat").toInt(), static_cast<int>(Qt::PlainText));
    EXPECT_EQ(textsShowing(QStringLiteral("18W / USB-C")).size(), 1);
    EXPECT_EQ(textsShowing(QString::fromStdString(localized("unknown"))).size(), 1);
    // The newest test hides its date, the older one shows it.
    EXPECT_EQ(textsShowing(QString::fromStdString(historyScreen()->controller().header(1).dateText))
                  .size(),
              1);
    EXPECT_TRUE(
        textsShowing(QString::fromStdString(historyScreen()->controller().header(0).dateText))
            .empty());

    // Rows newest first, each power in the colour the screen names.
    const QList<QQuickItem*> highlighted = textsShowing(QStringLiteral("12.3w"));
    const QList<QQuickItem*> plain = textsShowing(QStringLiteral("20.5w"));
    ASSERT_EQ(highlighted.size(), 1);
    ASSERT_EQ(plain.size(), 1);
    EXPECT_LT(highlighted.first()->mapToScene({}).y(), plain.first()->mapToScene({}).y());
    EXPECT_EQ(highlighted.first()->property("color").value<QColor>(),
              qt::NamedResources::color(QStringLiteral("highlightColor")));
    EXPECT_EQ(plain.first()->property("color").value<QColor>(),
              qt::NamedResources::color(QStringLiteral("textBrightColor")));
    EXPECT_EQ(textsShowing(QStringLiteral("41 → 52")).size(), 1);

    // A header of 50 points, two rows of 70 each holding a cell of 60, and a footer of 1; the
    // header and the cells have corners of 10.
    EXPECT_EQ(card(0)->height(), 50 + 2 * 70 + 1);
    QQuickItem* header = findVisible(card(0), QStringLiteral("cardHeader"));
    QQuickItem* cell = findVisible(card(0), QStringLiteral("resultCell"));
    ASSERT_NE(header, nullptr);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(header->height(), 50);
    EXPECT_EQ(cell->height(), 60);
    EXPECT_EQ(header->property("radius").toDouble(), 10);
    EXPECT_EQ(cell->property("radius").toDouble(), 10);
    EXPECT_EQ(card(1)->mapToScene({}).y() - card(0)->mapToScene({}).y(), card(0)->height());
}

TEST_F(HistoryPages, DraggingTheListShrinksTheTitleAndDraggingBackRestoresIt) {
    std::vector<TestRecord> history;
    for (int test = 0; test < 500; ++test) history.push_back(result(700000000 + test * 600, 9, 30));
    launchHistory(history);
    auto* list = named("historyList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->property("count").toInt(), 500);
    TestRecordsVC& controller = historyScreen()->controller();
    QQuickItem* title = itemOf(historyScreen()->outlet("titleLabel"));
    ASSERT_NE(title, nullptr);

    // The list's offset from the top of its content.
    const auto offset = [list] {
        return list->property("contentY").toDouble() - list->property("originY").toDouble();
    };
    const auto atRest = [list] { return !list->property("moving").toBool(); };

    drag(QPoint(200, 600), QPoint(0, -300));
    ASSERT_TRUE(waitUntil([&] { return controller.titleLabel.fontSize() == 20; }));
    EXPECT_EQ(controller.topConstraint.constant(), 3);
    EXPECT_EQ(controller.leftConstraint.constant(), controller.backButton.width() + 10);
    EXPECT_GT(controller.backButton.width(), 0);
    ASSERT_TRUE(waitUntil([&] {
        return title->property("font").value<QFont>().pixelSize() == 20 &&
               title->x() == controller.leftConstraint.constant();
    }));
    ASSERT_TRUE(waitUntil(atRest));
    drag(QPoint(200, 600), QPoint(0, -300));
    ASSERT_TRUE(waitUntil(atRest));
    ASSERT_GT(offset(), 500);

    // Back down, less far than the list went: only the offset at which this drag began tells
    // that the list moves down.
    drag(QPoint(200, 300), QPoint(0, 250));
    ASSERT_TRUE(waitUntil([&] { return controller.titleLabel.fontSize() == 33; }));
    ASSERT_TRUE(waitUntil(atRest));
    EXPECT_GT(offset(), 0);
    EXPECT_EQ(controller.topConstraint.constant(), 60);
    ASSERT_TRUE(
        waitUntil([&] { return title->property("font").value<QFont>().pixelSize() == 33; }));
}

TEST_F(HistoryPages, TappingAHeaderOpensTheChargerListOfThatTest) {
    launchHistory({result(700000000, 5, 20), result(700090000.5, 9, 30)});
    // The saved charger list is told which test it is about.
    std::optional<double> openedFor;
    app_->navigator().registerScreen("ChargerListVC", [&](const ui::ScreenArguments& arguments) {
        openedFor = arguments.startTime;
        return std::make_unique<StandInScreen>();
    });
    ASSERT_TRUE(waitUntil([&] { return card(1) != nullptr; }));

    tapAt(card(1), QPointF(card(1)->width() / 2, 20));
    ASSERT_TRUE(openedFor.has_value());
    EXPECT_EQ(*openedFor, 700000000);
    EXPECT_EQ(app_->navigator().screenNames().back(), "ChargerListVC");
}

// The buttons of the window as a screen reader finds them: role, name and place.
void collectButtons(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& buttons) {
    if (node == nullptr || node->state().invisible) return;
    if (node->role() == QAccessible::Button || node->role() == QAccessible::PushButton) {
        buttons.push_back(node);
    }
    for (int i = 0; i < node->childCount(); ++i) collectButtons(node->child(i), buttons);
}

TEST_F(HistoryPages, KeysAndScreenReadersReachEveryControl) {
    launchHistory({result(700000000, 5, 20), labelled(result(700090000, 9, 30), 7, 18, 2)});
    ASSERT_TRUE(waitUntil([&] { return card(1) != nullptr; }));
    QQuickWindow* window = app_->window();

    // Every button has a name for the screen reader.
    std::vector<QAccessibleInterface*> buttons;
    collectButtons(QAccessible::queryAccessibleInterface(window), buttons);
    ASSERT_GE(buttons.size(), 8u);  // back, remove, two headers, two curves, three in the dock
    for (QAccessibleInterface* button : buttons) {
        EXPECT_FALSE(button->text(QAccessible::Name).isEmpty())
            << button->rect().x() << "," << button->rect().y();
    }

    // Tab visits each of them once, in reading order, and comes round again.
    std::vector<QQuickItem*> visited;
    for (size_t i = 0; i <= buttons.size(); ++i) {
        QTest::keyClick(window, Qt::Key_Tab);
        visited.push_back(window->activeFocusItem());
    }
    ASSERT_EQ(visited.size(), buttons.size() + 1);
    EXPECT_EQ(visited.front(), visited.back());
    EXPECT_EQ(std::set<QQuickItem*>(visited.begin(), visited.end()).size(), buttons.size());
    for (size_t i = 1; i + 1 < visited.size(); ++i) {
        const QRectF before = visited[i - 1]->mapRectToScene(visited[i - 1]->boundingRect());
        const QRectF after = visited[i]->mapRectToScene(visited[i]->boundingRect());
        const bool sameRow = std::abs(before.center().y() - after.center().y()) <
                             std::min(before.height(), after.height()) / 2;
        EXPECT_TRUE(sameRow ? before.x() < after.x() : before.y() < after.y())
            << visited[i]->objectName().toStdString();
    }
    // Shift+Tab goes back one.
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window->activeFocusItem(), visited[visited.size() - 2]);

    // Enter presses the focused control.
    for (size_t i = 0; i < buttons.size() &&
                       window->activeFocusItem()->objectName() != QStringLiteral("removeButton");
         ++i) {
        QTest::keyClick(window, Qt::Key_Tab);
    }
    QTest::keyClick(window, Qt::Key_Return);
    ASSERT_TRUE(app_->shell().alerts()->showing());
    app_->shell().alerts()->answer(1);  // No

    // Escape goes back.
    QTest::keyClick(window, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] {
        return app_->navigator().settled() &&
               app_->navigator().screenNames().back() == "ViewController";
    }));
}

TEST_F(HistoryPages, ComingBackToTheListKeepsItsScrollPosition) {
    std::vector<TestRecord> history;
    for (int test = 0; test < 40; ++test) history.push_back(result(700000000 + test * 600, 9, 30));
    launchHistory(history);
    app_->navigator().registerScreen("ChargerListVC", [](const ui::ScreenArguments&) {
        return std::make_unique<StandInScreen>();
    });
    auto* list = named("historyList");
    ASSERT_NE(list, nullptr);
    list->setProperty("contentY", list->property("originY").toDouble() + 1500);
    const double scrolled = list->property("contentY").toDouble();
    app_->navigator().present("ChargerListVC", ui::Transition::SlideFromRight);
    ASSERT_TRUE(waitUntil([&] { return app_->navigator().settled(); }));
    app_->navigator().dismiss(ui::Transition::SlideFromLeft);
    ASSERT_NE(settledOn<TestRecordsVCScreen>(), nullptr);
    EXPECT_EQ(list->property("contentY").toDouble(), scrolled);
}

TEST_F(HistoryPages, AResultsChevronOpensItsCurveWhichTakesAnotherTestToCompare) {
    launchCurveHistory();
    ASSERT_TRUE(waitUntil([&] { return card(0) != nullptr; }));
    tap(findVisible(card(0), QStringLiteral("curveButton")));
    auto* curve = settledOn<ChargeCurveVCScreen>();
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->controller().titleLabel.text(), "18W / USB-C");
    EXPECT_EQ(textsShowing(QStringLiteral("18W / USB-C")).size(), 1);
    EXPECT_EQ(textsShowing(QStringLiteral("25.3 mAh/min")).size(), 1);
    EXPECT_EQ(curve->drawing()[QStringLiteral("level")].toList().size(), 51);

    // At the sizes the application is made for, everything stays on the page, the chart with
    // room to be read.
    for (const QSize size : {QSize(360, 740), QSize(1280, 800), QSize(390, 844)}) {
        app_->window()->resize(size);
        QQuickItem* chart = named("curveChart");
        QQuickItem* compare = named("compareButton");
        ASSERT_TRUE(waitUntil([&] {
            QQuickItem* page = app_->navigator().topPage();
            return page->width() == size.width() && page->height() == size.height() &&
                   curve->controller().chartView.width() == chart->width() &&
                   curve->controller().chartView.height() == chart->height();
        }));
        const QRectF chartArea = chart->mapRectToScene(chart->boundingRect());
        const QRectF button = compare->mapRectToScene(compare->boundingRect());
        EXPECT_GE(chartArea.height(), 150) << size.width();
        EXPECT_GE(chartArea.left(), 0);
        EXPECT_LE(chartArea.right(), size.width());
        EXPECT_LT(chartArea.bottom(), button.top()) << size.width();
        EXPECT_LE(button.bottom(), size.height()) << size.width();
    }

    tap(named("compareButton"));
    ASSERT_TRUE(waitUntil([&] {
        return findVisible(app_->navigator().topPage(), QStringLiteral("compareSheet")) != nullptr;
    }));
    auto* choices = named("compareChoices");
    ASSERT_NE(choices, nullptr);
    ASSERT_EQ(choices->property("count").toInt(), 2);
    QQuickItem* first = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        const auto rows = choices->property("contentItem").value<QQuickItem*>()->childItems();
        first = rows.isEmpty() ? nullptr : rows.first();
        return first != nullptr && first->height() > 0;
    }));
    tap(first);
    ASSERT_TRUE(waitUntil([&] { return named("curveComparedLine")->isVisible(); }));
    EXPECT_FALSE(curve->controller().comparedLegendLabel.hidden());

    // The level in the highlight colour and the power of the steps in their own.
    const QImage picture = app_->window()->grabWindow();
    if (const QByteArray dir = qgetenv("VOLTARO_SCREENSHOT_DIR"); !dir.isEmpty()) {
        picture.save(QString::fromLocal8Bit(dir) + QStringLiteral("/charge-curve.png"));
    }
    QQuickItem* chart = named("curveChart");
    const QRect chartArea = chart->mapRectToScene(chart->boundingRect()).toRect();
    EXPECT_GT(
        pixelsOf(picture, chartArea, qt::NamedResources::color(QStringLiteral("highlightColor"))),
        300);
    EXPECT_GT(pixelsOf(picture, chartArea, qt::NamedResources::color(QStringLiteral("powerColor"))),
              150);

    // Escape goes back.
    QTest::keyClick(app_->window(), Qt::Key_Escape);
    EXPECT_NE(settledOn<TestRecordsVCScreen>(), nullptr);
}

TEST_F(HistoryPages, ALongPressOnAResultOpensItsCurveTooAndATapDoesNot) {
    launchCurveHistory();
    ASSERT_TRUE(waitUntil([&] { return card(1) != nullptr; }));
    const QPoint onRow =
        card(1)->mapToScene(QPointF(card(1)->width() / 2, card(1)->height() - 30)).toPoint();
    QTest::mouseClick(app_->window(), Qt::LeftButton, {}, onRow);
    QTest::qWait(300);
    EXPECT_EQ(app_->navigator().screenNames().back(), "TestRecordsVC");
    QTest::mousePress(app_->window(), Qt::LeftButton, {}, onRow);
    QTest::qWait(1200);
    QTest::mouseRelease(app_->window(), Qt::LeftButton, {}, onRow);
    auto* curve = settledOn<ChargeCurveVCScreen>();
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->controller().titleLabel.text(), "10000mAh / USB-A");
}

TEST_F(HistoryPages, ARightSwipeGoesBackToTheMainScreen) {
    launchHistory({result(700000000, 5, 20)});
    ASSERT_TRUE(waitUntil([&] { return card(0) != nullptr; }));
    const QPointF onCard = card(0)->mapToScene(QPointF(40, card(0)->height() - 20));
    drag(onCard.toPoint(), QPoint(220, 0));
    ASSERT_TRUE(waitUntil([&] {
        return app_->navigator().settled() &&
               app_->navigator().screenNames().back() == "ViewController";
    }));
}

TEST_F(HistoryPages, RemovingAsksFirstThenEmptiesTheList) {
    launchHistory({result(700000000, 5, 20), result(700090000, 9, 30)});
    qt::QtAlerts& alerts = *app_->shell().alerts();
    tap(named("removeButton"));
    ASSERT_TRUE(alerts.showing());
    alerts.answer(1);  // No
    EXPECT_EQ(named("historyList")->property("count").toInt(), 2);

    tap(named("removeButton"));
    ASSERT_TRUE(alerts.showing());
    alerts.answer(0);  // Yes
    EXPECT_EQ(named("historyList")->property("count").toInt(), 0);
    EXPECT_TRUE(loadHistory().empty());
}

TEST_F(HistoryPages, RateOpensTheRatingPage) {
    OpenedUrls opened;
    launchHistory({});
    tap(named("rateButton"));
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls.first(), QUrl(QStringLiteral(VOLTARO_HOME_URL)));
}

// Run twice: with the web engine as installed, and with VOLTARO_NO_WEB_ENGINE hiding it.
bool webEngineHidden() {
    return qEnvironmentVariableIsSet("VOLTARO_NO_WEB_ENGINE");
}

TEST_F(HistoryPages, TheFeedbackPageEmbedsTheFormWhereTheWebEngineIsInstalled) {
    if (webEngineHidden()) GTEST_SKIP() << "the web engine is hidden in this run";
    if (!QDir(QLibraryInfo::path(QLibraryInfo::QmlImportsPath))
             .exists(QStringLiteral("QtWebEngine/qmldir"))) {
        GTEST_SKIP() << "qml6-module-qtwebengine is not installed";
    }
    testing::LocalHttpServer server;
    server.routes().Get("/form", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body style='background:#0f0;height:4000px'>Form</body></html>",
                             "text/html");
    });
    server.start();

    // The form loads behind the spinner and then shows; a form that cannot be reached shows
    // only the message and the way to the browser, not the engine's error page.
    for (const bool reachable : {true, false}) {
        qputenv("VOLTARO_FEEDBACK_URL",
                reachable ? server.url("/form").c_str() : kFeedbackAddress.toUtf8().constData());
        launchHistory({});
        FeedbackVCScreen* feedback = openFeedback();
        ASSERT_NE(feedback, nullptr);
        ASSERT_TRUE(feedback->webViewAvailable());
        QQuickItem* host = named("webHost");
        ASSERT_NE(host, nullptr);
        ASSERT_NE(host->property("webPage").value<QQuickItem*>(), nullptr);
        ASSERT_TRUE(waitUntil([&] { return feedback->outlet("activityIndicator")->property("hidden").toBool(); },
                              std::chrono::seconds(60)));
        EXPECT_EQ(host->isVisible(), reachable) << reachable;
        EXPECT_EQ(itemOf(feedback->outlet("messageLabel"))->isVisible(), !reachable) << reachable;
        EXPECT_EQ(itemOf(feedback->outlet("browserButton"))->isVisible(), !reachable) << reachable;
        app_.reset();
    }
}

TEST_F(HistoryPages, TheFeedbackPageOffersTheBrowserWhereTheWebEngineIsMissing) {
    if (!webEngineHidden()) GTEST_SKIP() << "the web engine is not hidden in this run";
    OpenedUrls opened;
    launchHistory({});
    FeedbackVCScreen* feedback = openFeedback();
    ASSERT_NE(feedback, nullptr);
    EXPECT_FALSE(feedback->webViewAvailable());

    QQuickItem* message = itemOf(feedback->outlet("messageLabel"));
    QQuickItem* browser = itemOf(feedback->outlet("browserButton"));
    ASSERT_NE(message, nullptr);
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_EQ(message->property("text").toString(),
              QString::fromStdString(localized("feedbackNoWebView")));
    EXPECT_TRUE(browser->isVisible());
    EXPECT_FALSE(textsShowing(QString::fromStdString(localized("feedbackOpenInBrowser"))).empty());
    // Neither the page's place nor the spinner shows.
    ASSERT_NE(named("webHost"), nullptr);
    EXPECT_FALSE(named("webHost")->isVisible());
    EXPECT_TRUE(feedback->outlet("activityIndicator")->property("hidden").toBool());

    tap(browser);
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls.first(), QUrl(kFeedbackAddress));

    tap(named("backButton"));
    ASSERT_TRUE(
        waitUntil([&] { return app_->navigator().settled() && historyScreen() != nullptr; }));
}

TEST_F(HistoryPages, WithoutAFormAddressTheFeedbackPageOnlySaysSo) {
    qputenv("VOLTARO_FEEDBACK_URL", "");
    launchHistory({});
    FeedbackVCScreen* feedback = openFeedback();
    ASSERT_NE(feedback, nullptr);
    EXPECT_EQ(itemOf(feedback->outlet("messageLabel"))->property("text").toString(),
              QString::fromStdString(localized("feedbackUnavailable")));
    EXPECT_FALSE(itemOf(feedback->outlet("browserButton"))->isVisible());
}

}  // namespace
}  // namespace voltaro::app

#include "history_pages_test.moc"
