// The history, curve and feedback pages offscreen: what the pages add to their screens (drawing,
// metrics, keys, gestures, the kept scroll position, the web engine).

#include <QAccessible>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStyleHints>
#include <set>

#include "app/curve_screens.h"
#include "app/history_screens.h"
#include "platform/curl/local_http_server.h"
#include "qt_test_support.h"
#include "store/brand_catalogue.h"

namespace voltaro::app {
namespace {

using testing::namedColor;
using testing::pixelsOf;
using testing::savedTest;
using testing::waitUntil;

const QString kFeedbackAddress = QStringLiteral("http://127.0.0.1:9/voltaro-feedback");
const TestRecord kVoltCharger{{"brandid", 7}, {"watts", 18}, {"port", 2}};

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

// The buttons of the window as a screen reader finds them.
void collectButtons(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& buttons) {
    if (node == nullptr || node->state().invisible) return;
    if (node->role() == QAccessible::Button || node->role() == QAccessible::PushButton) {
        buttons.push_back(node);
    }
    for (int i = 0; i < node->childCount(); ++i) collectButtons(node->child(i), buttons);
}

class HistoryPages : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        qputenv("VOLTARO_FEEDBACK_URL", kFeedbackAddress.toUtf8());
        ASSERT_TRUE(saveBrandCatalogue(
            {{{"brandid", "7"}, {"brand_name_en", "<b>Volt</b>"}, {"brand_name_cn", "Volt"}}}));
    }
    void TearDown() override {
        AppTest::TearDown();
        qunsetenv("VOLTARO_FEEDBACK_URL");
    }

    // The application with the history screen open over the main screen, once `cards` show.
    void launchHistory(const std::vector<TestRecord>& history, size_t cards = 0) {
        ASSERT_TRUE(saveHistory(history));
        launch("TestRecordsVC");
        ASSERT_TRUE(waitUntil([&] { return this->cards().size() >= cards; }));
    }
    void launchTenMinutesApart(int tests) {
        std::vector<TestRecord> history;
        for (int test = 0; test < tests; ++test) history.push_back(savedTest(7e8 + test * 600));
        launchHistory(history);
    }
    // The same with the three tests of tests/data/curve_history, two with their samples kept.
    void launchCurveHistory() {
        const QDir data(home_.filePath(QStringLiteral("data")));
        ASSERT_TRUE(data.mkpath(QStringLiteral(".")));
        for (const QString& file : {QStringLiteral("history"), QStringLiteral("samples")}) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(VOLTARO_TEST_DATA_DIR "/curve_history/") + file,
                                    data.filePath(file)));
        }
        launch("TestRecordsVC");
        ASSERT_TRUE(waitUntil([&] { return cards().size() >= 2; }));
    }

    // The tests' cards the list has made, newest first.
    std::vector<QQuickItem*> cards() {
        return visibleItems(
            [](QQuickItem* item) { return item->property("testHeader").isValid(); });
    }
    QQuickItem* list() { return first(QStringLiteral("historyList")); }
    FeedbackVCScreen* openFeedback() {
        tap(first(QStringLiteral("feedbackButton")));
        return settledOn<FeedbackVCScreen>();
    }
};

TEST_F(HistoryPages, ACardShowsBrandsAsTextInTheScreensColoursAndMetrics) {
    // The newer test began after the main screen appeared in this run: its figures are highlighted.
    TestRecord current = savedTest(700090000, 12.34, 40, kVoltCharger);
    current["userStartTime"] = 1e12;
    launchHistory(
        {savedTest(700000000, 5, 20), savedTest(700090000, 20.5, 30, kVoltCharger), current}, 2);
    const std::vector<QQuickItem*> brands = named(QStringLiteral("<b>Volt</b>"), "text");
    ASSERT_EQ(brands.size(), 1u);
    EXPECT_EQ(brands[0]->property("textFormat").toInt(), static_cast<int>(Qt::PlainText));
    EXPECT_EQ(named(QStringLiteral("12.3w"), "text").at(0)->property("color").value<QColor>(),
              namedColor("highlightColor"));
    EXPECT_EQ(named(QStringLiteral("20.5w"), "text").at(0)->property("color").value<QColor>(),
              namedColor("textBrightColor"));

    // A header of 50, two rows of 70 each holding a cell of 60, a footer of 1; corners of 10.
    const std::vector<QQuickItem*> card = cards();
    EXPECT_EQ(card[0]->height(), 50 + 2 * 70 + 1);
    EXPECT_EQ(card[1]->mapToScene({}).y() - card[0]->mapToScene({}).y(), card[0]->height());
    const QQuickItem* header = named(QStringLiteral("cardHeader")).at(0);
    const QQuickItem* cell = named(QStringLiteral("resultCell")).at(0);
    EXPECT_EQ(header->height(), 50);
    EXPECT_EQ(cell->height(), 60);
    EXPECT_EQ(header->property("radius").toDouble(), 10);
    EXPECT_EQ(cell->property("radius").toDouble(), 10);
}

TEST_F(HistoryPages, DraggingTheListShrinksTheTitleAndDraggingBackRestoresIt) {
    launchTenMinutesApart(40);
    QQuickItem* items = list();
    TestRecordsVC& controller = settledOn<TestRecordsVCScreen>()->controller();
    QQuickItem* title = outletItem("titleLabel");
    const auto titleSize = [&] { return title->property("font").value<QFont>().pixelSize(); };
    const auto atRest = [&] { return !items->property("moving").toBool(); };
    drag(QPoint(200, 600), QPoint(0, -300));
    ASSERT_TRUE(waitUntil([&] {
        return titleSize() == 20 && title->x() == controller.leftConstraint.constant() && atRest();
    }));
    drag(QPoint(200, 600), QPoint(0, -300));
    ASSERT_TRUE(waitUntil(atRest));
    ASSERT_GT(items->property("contentY").toDouble() - items->property("originY").toDouble(), 500);
    // Back down, less far than the list went: only where this drag began tells that it goes down.
    drag(QPoint(200, 300), QPoint(0, 250));
    ASSERT_TRUE(waitUntil([&] { return titleSize() == 33 && atRest(); }));
    EXPECT_EQ(controller.topConstraint.constant(), 60);
}

TEST_F(HistoryPages, ATapOnAHeaderOpensTheChargersOfItsTestRateTheRatingPageARightSwipeGoesBack) {
    launchHistory({savedTest(700000000), savedTest(700090000.5)}, 2);
    std::optional<double> openedFor;
    app_->navigator().registerScreen("ChargerListVC", [&](const ui::ScreenArguments& arguments) {
        openedFor = arguments.startTime;
        return std::make_unique<testing::BlankScreen>();
    });
    const QPointF header = cards()[1]->mapToScene(QPointF(cards()[1]->width() / 2, 20));
    QTest::mouseClick(app_->window(), Qt::LeftButton, {}, header.toPoint());
    EXPECT_EQ(openedFor.value_or(0), 700000000);
    ASSERT_TRUE(waitUntil([&] { return settledOn("ChargerListVC"); }));
    app_->navigator().dismiss(ui::Transition::SlideFromLeft);
    ASSERT_TRUE(waitUntil([&] { return settledOn("TestRecordsVC"); }));
    const OpenedUrls opened;
    tap(first(QStringLiteral("rateButton")));
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl(QStringLiteral(VOLTARO_HOME_URL))});
    drag(cards()[0]->mapToScene(QPointF(40, cards()[0]->height() - 20)).toPoint(), QPoint(220, 0));
    ASSERT_TRUE(waitUntil([&] { return settledOn("ViewController"); }));
}

TEST_F(HistoryPages, KeysAndScreenReadersReachEveryControl) {
    launchHistory({savedTest(700000000, 5, 20), savedTest(700090000, 9, 30, kVoltCharger)}, 2);
    QQuickWindow* window = app_->window();
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
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window->activeFocusItem(), visited[visited.size() - 2]);

    // Enter presses the focused control: the remove button asks, Yes empties the list.
    while (window->activeFocusItem()->objectName() != QStringLiteral("removeButton")) {
        QTest::keyClick(window, Qt::Key_Tab);
    }
    QTest::keyClick(window, Qt::Key_Return);
    ASSERT_TRUE(app_->shell().alerts()->showing());
    app_->shell().alerts()->answer(0);  // Yes
    EXPECT_EQ(list()->property("count").toInt(), 0);
    QTest::keyClick(window, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return settledOn("ViewController"); }));
}

TEST_F(HistoryPages, ComingBackToTheListKeepsItsScrollPosition) {
    launchTenMinutesApart(40);
    app_->navigator().registerScreen("ChargerListVC", [](const ui::ScreenArguments&) {
        return std::make_unique<testing::BlankScreen>();
    });
    QQuickItem* items = list();
    items->setProperty("contentY", items->property("originY").toDouble() + 1500);
    const double scrolled = items->property("contentY").toDouble();
    present("ChargerListVC");
    app_->navigator().dismiss(ui::Transition::SlideFromLeft);
    ASSERT_TRUE(waitUntil([&] { return settledOn("TestRecordsVC"); }));
    EXPECT_EQ(items->property("contentY").toDouble(), scrolled);
}

TEST_F(HistoryPages, AResultsChevronOpensItsCurveWhichFitsAndIsDrawn) {
    launchCurveHistory();
    tap(named(QStringLiteral("curveButton")).at(0));
    auto* curve = settledOn<ChargeCurveVCScreen>();
    ASSERT_NE(curve, nullptr);
    // At the sizes the application is made for, the chart has room to be read above the button.
    QQuickItem* chart = first(QStringLiteral("curveChart"));
    QQuickItem* compare = first(QStringLiteral("compareButton"));
    for (const QSize size : {QSize(360, 740), QSize(1280, 800)}) {
        SCOPED_TRACE(size.width());
        app_->window()->resize(size);
        ASSERT_TRUE(waitUntil([&] {
            return app_->navigator().topPage()->size() == QSizeF(size) &&
                   curve->controller().chartView.width() == chart->width() &&
                   curve->controller().chartView.height() == chart->height();
        }));
        const QRectF chartArea = chart->mapRectToScene(chart->boundingRect());
        const QRectF button = compare->mapRectToScene(compare->boundingRect());
        EXPECT_GE(chartArea.height(), 150);
        EXPECT_LT(chartArea.bottom(), button.top());
        EXPECT_LE(button.bottom(), size.height());
    }

    // The level in the highlight colour and the power of the steps in their own.
    const QImage picture = app_->window()->grabWindow();
    const QRect area = chart->mapRectToScene(chart->boundingRect()).toRect();
    EXPECT_GT(pixelsOf(picture, area, namedColor("highlightColor")), 300);
    EXPECT_GT(pixelsOf(picture, area, namedColor("powerColor")), 150);
}

TEST_F(HistoryPages, ALongPressOnAResultOpensItsCurveATapDoesNot) {
    QGuiApplication::styleHints()->setMousePressAndHoldInterval(100);
    launchCurveHistory();
    QQuickItem* card = cards()[1];
    const QPoint row = card->mapToScene(QPointF(card->width() / 2, card->height() - 30)).toPoint();
    QTest::mouseClick(app_->window(), Qt::LeftButton, {}, row);
    EXPECT_EQ(app_->navigator().screenNames().back(), "TestRecordsVC");
    QTest::mousePress(app_->window(), Qt::LeftButton, {}, row);
    auto* curve = settledOn<ChargeCurveVCScreen>();
    QTest::mouseRelease(app_->window(), Qt::LeftButton, {}, row);
    QGuiApplication::styleHints()->setMousePressAndHoldInterval(-1);
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->controller().titleLabel.text(), "10000mAh / USB-A");
}

// With the web engine the form loads behind the spinner and then shows; a form that cannot be
// reached, or a run with VOLTARO_NO_WEB_ENGINE hiding the engine, shows only the message and the
// way to the browser, not the engine's error page.
TEST_F(HistoryPages, TheFeedbackPageShowsTheFormWhereItLoadsAndOtherwiseOffersTheBrowser) {
    const bool engine = !qEnvironmentVariableIsSet("VOLTARO_NO_WEB_ENGINE") &&
                        QDir(QLibraryInfo::path(QLibraryInfo::QmlImportsPath))
                            .exists(QStringLiteral("QtWebEngine/qmldir"));
    testing::LocalHttpServer server;
    server.routes().Get("/form", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><body style='background:#0f0;height:4000px'>Form</body></html>",
                             "text/html");
    });
    server.start();
    for (const bool reachable : {true, false}) {
        if (reachable && !engine) continue;
        SCOPED_TRACE(reachable);
        qputenv("VOLTARO_FEEDBACK_URL",
                reachable ? server.url("/form").c_str() : kFeedbackAddress.toUtf8().constData());
        const OpenedUrls opened;
        launchHistory({});
        FeedbackVCScreen* feedback = openFeedback();
        ASSERT_NE(feedback, nullptr);
        EXPECT_EQ(feedback->webViewAvailable(), engine);
        QQuickItem* host = app_->navigator().topPage()->findChild<QQuickItem*>("webHost");
        ASSERT_NE(host, nullptr);
        if (engine) {
            ASSERT_NE(host->property("webPage").value<QQuickItem*>(), nullptr);
            ASSERT_TRUE(waitUntil([&] { return feedback->controller().activityIndicator.hidden(); },
                                  std::chrono::seconds(60)));
        }
        EXPECT_EQ(host->isVisible(), reachable);
        EXPECT_EQ(outletItem("messageLabel")->isVisible(), !reachable);
        EXPECT_EQ(outletItem("browserButton")->isVisible(), !reachable);
        if (!reachable) {
            tap(outletItem("browserButton"));
            EXPECT_EQ(opened.urls, QList<QUrl>{QUrl(kFeedbackAddress)});
        }
        app_.reset();
    }
}

TEST_F(HistoryPages, WithoutAFormAddressTheFeedbackPageOnlySaysSo) {
    qputenv("VOLTARO_FEEDBACK_URL", "");
    launchHistory({});
    ASSERT_NE(openFeedback(), nullptr);
    EXPECT_EQ(outletItem("messageLabel")->property("text").toString(),
              QString::fromStdString(localized("feedbackUnavailable")));
    EXPECT_FALSE(outletItem("browserButton")->isVisible());
}

}  // namespace
}  // namespace voltaro::app

#include "history_pages_test.moc"
