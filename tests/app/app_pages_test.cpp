// The application as the user sees it, offscreen: every page loads without a QML warning, outlet
// changes show in the pages, and taps and swipes reach the screens.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTextLayout>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <sstream>

#include "app/application.h"
#include "app/screens.h"
#include "platform/qt/qt_screen_capture.h"
#include "platform/strings.h"
#include "qt_test_support.h"

namespace voltaro::app {
namespace {

using testing::MessageRecorder;
using testing::waitUntil;

const std::string kDataDir = VOLTARO_TEST_DATA_DIR;
const std::string kAppDataDir = VOLTARO_APP_TEST_DATA_DIR;

// A screen that no controller stands behind yet, drawn by a blank page.
class MadeUpScreen final : public qt::QtScreen {
public:
    explicit MadeUpScreen(bool& alive) : alive_(alive) { alive_ = true; }
    ~MadeUpScreen() override { alive_ = false; }
    QUrl source() const override {
        return QUrl::fromLocalFile(QString::fromStdString(kAppDataDir + "/BlankPage.qml"));
    }

private:
    bool& alive_;
};

// A text as the window draws it: where its ink lies, clipped by the lists that hold it.
struct DrawnText {
    QQuickItem* item;
    QString text;
    QRectF area;      // in the window
    bool overflows;   // wider or higher than its item, and not elided
};

double effectiveOpacity(QQuickItem* item) {
    double opacity = 1;
    for (; item != nullptr; item = item->parentItem()) opacity *= item->opacity();
    return opacity;
}

std::vector<DrawnText> drawnTexts(QQuickItem* root) {
    std::vector<DrawnText> texts;
    std::function<void(QQuickItem*, QRectF)> visit = [&](QQuickItem* item, QRectF clip) {
        if (!item->isVisible() || effectiveOpacity(item) < 0.05) return;
        const QRectF bounds = item->mapRectToScene(item->boundingRect());
        if (item->clip()) clip = clip.intersected(bounds);
        const QString text = item->property("text").toString();
        if (item->inherits("QQuickText") && !text.trimmed().isEmpty()) {
            const double width = item->property("contentWidth").toDouble();
            const double height = item->property("contentHeight").toDouble();
            const int align = item->property("effectiveHorizontalAlignment").toInt();
            const int valign = item->property("verticalAlignment").toInt();
            const double dx = align == Qt::AlignRight     ? item->width() - width
                              : align == Qt::AlignHCenter ? (item->width() - width) / 2
                                                          : 0;
            const double dy = valign == Qt::AlignBottom    ? item->height() - height
                              : valign == Qt::AlignVCenter ? (item->height() - height) / 2
                                                           : 0;
            const QRectF ink = item->mapRectToScene(QRectF(dx, dy, width, height));
            const bool elided = item->property("elide").toInt() != Qt::ElideNone ||
                                item->property("fontSizeMode").toInt() != 0;
            const bool overflows = !elided && (width > item->width() + 1 ||
                                               (item->height() > 0 && height > item->height() + 2));
            if (!ink.intersected(clip).isEmpty()) {
                texts.push_back({item, text, ink.intersected(clip), overflows});
            }
        }
        for (QQuickItem* child : item->childItems()) visit(child, clip);
    };
    visit(root, root->mapRectToScene(root->boundingRect()));
    return texts;
}

// Whether every character of `text` has a glyph of its own in `font` or a fallback of it, rather
// than the empty box of a missing one.
bool hasAllGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    while (layout.createLine().isValid()) {
    }
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (const quint32 glyph : run.glyphIndexes()) {
            if (glyph == 0) return false;
        }
    }
    return true;
}

class AppPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        // Pictures and preferences go to a folder of the test's own.
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral(".config")).toUtf8());
        qputenv("VOLTARO_CONFIG_DIR", home_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("VOLTARO_DATA_DIR", home_.filePath(QStringLiteral("data")).toUtf8());
        setLanguage("en");
    }
    void TearDown() override {
        app_.reset();
        setLanguage("");
        EXPECT_TRUE(recorder_.messages().isEmpty())
            << recorder_.messages().join(QLatin1Char('\n')).toStdString();
    }

    // Starts the application on a replayed script, past the intro.
    void launch(const std::string& script, const std::string& model = "x86_64",
                std::optional<std::string> show = std::nullopt) {
        AppOptions options;
        options.battery.battery = "replay:" + script;
        options.battery.speed = 40;
        options.device.model = model;
        options.show = std::move(show);
        app_ = std::make_unique<Application>(options);
        std::ostringstream err;
        const std::optional<int> code = app_->start(err);
        ASSERT_FALSE(code.has_value()) << err.str();
        // Settled: pages take no taps while they move.
        ASSERT_TRUE(
            waitUntil([&] { return mainScreen() != nullptr && app_->navigator().settled(); }));
    }

    ViewControllerScreen* mainScreen() {
        return qobject_cast<ViewControllerScreen*>(app_->navigator().topScreen());
    }
    ViewController& controller() { return mainScreen()->controller(); }

    // The item of the top page bound to `outlet`.
    QQuickItem* itemOf(QObject* outlet) {
        QQuickItem* page = app_->navigator().topPage();
        if (page == nullptr) return nullptr;
        for (QQuickItem* item : page->findChildren<QQuickItem*>()) {
            if (item->property("outlet").value<QObject*>() == outlet) return item;
        }
        return nullptr;
    }

    void tap(QQuickItem* item) {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, centre.toPoint());
    }

    QTemporaryDir home_;
    MessageRecorder recorder_;
    bool madeUpScreenAlive_ = false;  // outlives the application and its screens
    std::unique_ptr<Application> app_;
};

TEST_F(AppPages, TheIntroLeadsToTheMainScreenWhichStaysUnderneath) {
    launch(kDataDir + "/one_step_in_a_minute.script");
    EXPECT_EQ(app_->navigator().screenNames(),
              (std::vector<std::string>{"InitViewController", "ViewController"}));
    // The intro ended with its elements in the middle and its texts shown.
    auto* intro = qobject_cast<InitViewControllerScreen*>(app_->navigator().screenAt(0));
    ASSERT_NE(intro, nullptr);
    InitViewController& introController = intro->controller();
    const double middle = app_->window()->width() / 2.0;
    EXPECT_DOUBLE_EQ(introController.phoneLeft.constant(),
                     middle - introController.phoneImage.width() / 2);
    EXPECT_DOUBLE_EQ(introController.phoneTitleLeft.constant(),
                     middle - introController.phoneTitle.width() / 2);
    EXPECT_GT(introController.phoneTitle.width(), 0);
    EXPECT_EQ(introController.messageLabel.alpha(), 1.0);
    EXPECT_EQ(introController.v1Label.alpha(), 1.0);
}

TEST_F(AppPages, EveryScreenLoadsWithoutWarnings) {
    launch(kAppDataDir + "/interim_result.script", "iPhone10,2");
    for (const std::string& name : app_->navigator().knownScreens()) {
        const size_t before = app_->navigator().screenNames().size();
        app_->navigator().present(name, ui::Transition::CrossDissolve);
        ASSERT_EQ(app_->navigator().screenNames().size(), before + 1) << name;
        ASSERT_NE(app_->navigator().topPage(), nullptr) << name;
        // Drawn once it has appeared.
        const double shownAt = app_->loop().now();
        ASSERT_TRUE(waitUntil([&] { return app_->loop().now() > shownAt + 1; }));
        EXPECT_FALSE(app_->window()->grabWindow().isNull()) << name;
    }
    // The window's overlays draw too.
    app_->shell().alerts()->show("Title <b>", "Message",
                                 {{"OK", ui::AlertButton::Style::Cancel, {}}});
    app_->shell().shareSheet()->share(std::make_shared<qt::QtImage>(app_->window()->grabWindow()));
    EXPECT_FALSE(app_->window()->grabWindow().isNull());
    app_->shell().alerts()->answer(0);
    app_->shell().shareSheet()->close();
}

TEST_F(AppPages, OutletChangesShowInThePage) {
    launch(kAppDataDir + "/full.script");
    ViewControllerScreen* screen = mainScreen();
    QQuickItem* watt = itemOf(screen->outlet("wattLabel"));
    QQuickItem* flash = itemOf(screen->outlet("flashImage"));
    ASSERT_NE(watt, nullptr);
    ASSERT_NE(flash, nullptr);

    controller().wattLabel.setText("<b>42.5</b>");
    controller().wattLabel.setHidden(false);
    EXPECT_EQ(watt->property("text").toString(), QStringLiteral("<b>42.5</b>"));
    EXPECT_EQ(watt->property("textFormat").toInt(), static_cast<int>(Qt::PlainText));
    EXPECT_TRUE(watt->isVisible());

    const double y = flash->y();
    controller().topFlash.setConstant(controller().topFlash.constant() + 50);
    EXPECT_DOUBLE_EQ(flash->y(), y + 50);

    // The page told the outlets the sizes it laid them out at.
    EXPECT_EQ(controller().view.width(), app_->window()->width());
    EXPECT_EQ(controller().flashImage.width(), flash->width());
}

TEST_F(AppPages, StartAndStopAreTheButtonsOfTheSession) {
    launch(kAppDataDir + "/ready.script");
    ViewControllerScreen* screen = mainScreen();
    EXPECT_FALSE(controller().session().isStart());
    tap(itemOf(screen->outlet("startButton")));
    EXPECT_TRUE(controller().session().isStart());
    EXPECT_EQ(controller().startButton.imageName(), "stopButton");
    tap(itemOf(screen->outlet("startButton")));
    EXPECT_FALSE(controller().session().isStart());
}

TEST_F(AppPages, ALeftSwipeOrTheHistoryButtonOpensTheHistory) {
    launch(kAppDataDir + "/ready.script");
    ViewControllerScreen* screen = mainScreen();
    bool& alive = madeUpScreenAlive_;
    app_->navigator().registerScreen("TestRecordsVC", [this](const ui::ScreenArguments&) {
        return std::make_unique<MadeUpScreen>(madeUpScreenAlive_);
    });

    QQuickWindow* window = app_->window();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(320, 500));
    for (int x = 300; x >= 100; x -= 20) QTest::mouseMove(window, QPoint(x, 502));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(100, 502));
    ASSERT_TRUE(alive);
    EXPECT_EQ(app_->navigator().screenNames().back(), "TestRecordsVC");

    // Going back destroys it once its transition is over; the main screen is as it was.
    app_->navigator().dismiss(ui::Transition::SlideFromLeft);
    ASSERT_TRUE(waitUntil([&] { return !alive; }));
    EXPECT_EQ(app_->navigator().screenNames().back(), "ViewController");

    // Also when the swipe starts on the Start button, which then is not pressed.
    const QPointF start =
        itemOf(screen->outlet("startButton"))
            ->mapToScene(QPointF(20, itemOf(screen->outlet("startButton"))->height() / 2));
    QTest::mousePress(window, Qt::LeftButton, {}, start.toPoint());
    for (int dx = 20; dx <= 200; dx += 20) {
        QTest::mouseMove(window, (start - QPointF(dx, 0)).toPoint());
    }
    QTest::mouseRelease(window, Qt::LeftButton, {}, (start - QPointF(200, 0)).toPoint());
    ASSERT_TRUE(alive);
    EXPECT_FALSE(screen->controller().session().isStart());
    app_->navigator().dismiss(ui::Transition::SlideFromLeft);
    ASSERT_TRUE(waitUntil([&] { return !alive; }));

    // The history button at the top right.
    QQuickItem* historyButton = nullptr;
    for (QQuickItem* item : app_->navigator().topPage()->findChildren<QQuickItem*>()) {
        if (item->property("source").toUrl().toString().endsWith(
                QStringLiteral("historyButton.svg")))
            historyButton = item;
    }
    tap(historyButton);
    EXPECT_TRUE(alive);
}

TEST_F(AppPages, APageThatSlidesTakesNoTapsSoADoubleTapActsOnce) {
    launch(kAppDataDir + "/ready.script");
    const auto doubleTap = [&](const char* objectName) {
        QQuickItem* page = app_->navigator().topPage();
        QQuickItem* button = page->findChild<QQuickItem*>(QLatin1String(objectName));
        ASSERT_NE(button, nullptr);
        // Twice on the same spot, however far the page has moved in between.
        const QPoint spot =
            button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint();
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, spot);
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, spot);
        ASSERT_TRUE(waitUntil([&] { return app_->navigator().settled(); }));
    };
    doubleTap("historyButton");
    EXPECT_EQ(app_->navigator().screenNames(),
              (std::vector<std::string>{"InitViewController", "ViewController", "TestRecordsVC"}));
    doubleTap("backButton");
    EXPECT_EQ(app_->navigator().screenNames(),
              (std::vector<std::string>{"InitViewController", "ViewController"}));
}

TEST_F(AppPages, SharingSavesThePictureAndOffersTheComposedOne) {
    launch(kDataDir + "/one_step_in_a_minute.script");
    ASSERT_TRUE(waitUntil([&] { return !controller().shareButton.hidden(); }));
    tap(itemOf(mainScreen()->outlet("shareButton")));
    qt::QtShareSheet& sheet = *app_->shell().shareSheet();
    ASSERT_TRUE(sheet.showing());
    // The sheet slides in.
    auto* overlay = app_->window()->findChild<QQuickItem*>("shareOverlay");
    ASSERT_NE(overlay, nullptr);
    EXPECT_LT(overlay->property("shown").toDouble(), 1);
    ASSERT_TRUE(waitUntil([&] { return overlay->property("shown").toDouble() == 1; }));

    // A copy of the plain screenshot in the pictures folder.
    const QDir album(home_.filePath(QStringLiteral("Pictures/Voltaro")));
    ASSERT_EQ(album.entryList(QDir::Files).size(), 1);
    const QImage saved(album.filePath(album.entryList(QDir::Files).first()));
    const QSize window = app_->window()->size();
    EXPECT_EQ(saved.size(), window);

    // The offered picture: twice the size, with the QR card at the bottom left.
    const QImage composed(sheet.previewUrl().toLocalFile());
    ASSERT_EQ(composed.size(), window * 2);
    const int cardTop = static_cast<int>(window.height() - 83);
    const QColor margin = composed.pixelColor(2 * 22, 2 * (cardTop + 31));
    EXPECT_GT(margin.lightness(), 240);
    const QColor left = composed.pixelColor(2 * 12, 2 * (cardTop + 31));
    EXPECT_LT(left.lightness(), 100);
    // The buttons hidden for the picture are back.
    EXPECT_FALSE(controller().startButton.hidden());
    EXPECT_FALSE(controller().shareButton.hidden());
    sheet.close();
    // And out.
    EXPECT_TRUE(overlay->isVisible());
    ASSERT_TRUE(waitUntil([&] { return !overlay->isVisible(); }));
}

// Every screen above the intro at the sizes of a phone, a tablet and a laptop: its texts stay in the window,
// clear of each other and within their own boxes; in Japanese and Chinese they are drawn with
// real glyphs. The suite runs again at a scale factor of 2. With VOLTARO_SCREENSHOT_DIR set, the
// pictures are kept there to be looked at.
TEST_F(AppPages, EveryScreenFitsEverySizeInEveryScript) {
    const QString pictures = qEnvironmentVariable("VOLTARO_SCREENSHOT_DIR");
    for (const char* language : {"en", "ja", "zh_TW"}) {
        setLanguage(language);
        launch(kDataDir + "/one_step_in_a_minute.script", "LENOVO ThinkPad X1 Carbon Gen 9");
        for (const std::string& name : app_->navigator().knownScreens()) {
            // The intro, under the main screen, opens a main screen of its own when it ends.
            if (name == "InitViewController") continue;
            if (name != "ViewController") {
                app_->navigator().present(name, ui::Transition::None);
            }
            for (const QSize size : {QSize(360, 740), QSize(800, 1280), QSize(1280, 800)}) {
                app_->window()->resize(size);
                QQuickItem* page = app_->navigator().topPage();
                ASSERT_TRUE(waitUntil([&] {
                    return app_->navigator().settled() && page->width() == size.width() &&
                           page->height() == size.height();
                }));
                // The first frame lays lists out and paints the icons; the second shows them.
                (void)app_->window()->grabWindow();
                const QImage picture = app_->window()->grabWindow();
                const std::string where = name + " " + language + " " +
                                          std::to_string(size.width()) + "x" +
                                          std::to_string(size.height());
                if (!pictures.isEmpty()) {
                    picture.save(pictures + QStringLiteral("/%1-%2-%3x%4.png")
                                                .arg(QString::fromStdString(name),
                                                     QLatin1String(language))
                                                .arg(size.width())
                                                .arg(size.height()));
                }
                const QRectF window{QPointF(), QSizeF(size)};
                // The shading darkens the edges and leaves the middle of the window clear.
                double shaded = 0;
                for (QQuickItem* band : page->findChildren<QQuickItem*>("edgeBand")) {
                    if (band->isVisible()) shaded += band->height();
                }
                EXPECT_LE(shaded, size.height() / 2.0) << where;
                const std::vector<DrawnText> texts = drawnTexts(page);
                for (size_t i = 0; i < texts.size(); ++i) {
                    const DrawnText& text = texts[i];
                    const std::string what = where + ": " + text.text.toStdString();
                    EXPECT_TRUE(window.contains(text.area.adjusted(1, 1, -1, -1))) << what;
                    EXPECT_FALSE(text.overflows) << what;
                    EXPECT_TRUE(hasAllGlyphs(text.text, text.item->property("font").value<QFont>()))
                        << what;
                    for (size_t j = i + 1; j < texts.size(); ++j) {
                        const QRectF both = text.area.intersected(texts[j].area);
                        EXPECT_FALSE(both.width() > 2 && both.height() > 2)
                            << what << " / " << texts[j].text.toStdString();
                    }
                }
            }
            if (name != "ViewController") {
                app_->navigator().dismiss(ui::Transition::None);
                ASSERT_TRUE(waitUntil([&] { return app_->navigator().settled(); }));
            }
        }
        app_.reset();
    }
}

TEST_F(AppPages, ShowOpensTheMainScreenAtOnce) {
    launch(kAppDataDir + "/full.script", "x86_64", "ViewController");
    EXPECT_EQ(app_->navigator().screenNames(), (std::vector<std::string>{"ViewController"}));
}

TEST_F(AppPages, AnUnknownScreenToShowIsAUsageError) {
    AppOptions options;
    options.battery.battery = "replay:" + kAppDataDir + "/full.script";
    options.show = "NoSuchScreen";
    Application app(options);
    std::ostringstream err;
    EXPECT_EQ(app.start(err), std::optional<int>(kExitUsage));
    EXPECT_NE(err.str().find("NoSuchScreen"), std::string::npos);
    EXPECT_NE(err.str().find("ViewController"), std::string::npos);
}

}  // namespace
}  // namespace voltaro::app
