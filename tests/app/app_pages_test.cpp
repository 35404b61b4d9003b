// The application as the user sees it, offscreen: every page loads and fits, outlets reach the
// pages, and taps and swipes reach the screens.

#include <QDir>
#include <QImage>
#include <QTextLayout>

#include "app/screens.h"
#include "platform/qt/qt_screen_capture.h"
#include "qt_test_support.h"

namespace voltaro::app {
namespace {

using testing::waitUntil;

// The texts under `root` with where their ink lies in the window, clipped by the lists that hold
// them. Each one drawn is checked on the way: it stays in its own box, and every character has a
// glyph in its font or a fallback, not the missing-glyph box.
std::vector<std::pair<QString, QRectF>> checkedTexts(QQuickItem* root, QSizeF window) {
    std::vector<std::pair<QString, QRectF>> texts;
    std::function<void(QQuickItem*, QRectF, double)> visit = [&](QQuickItem* item, QRectF clip,
                                                                 double opacity) {
        opacity *= item->opacity();
        if (!item->isVisible() || opacity < 0.05) return;
        if (item->clip()) clip = clip.intersected(item->mapRectToScene(item->boundingRect()));
        for (QQuickItem* child : item->childItems()) visit(child, clip, opacity);
        const QString text = item->property("text").toString();
        if (!item->inherits("QQuickText") || text.trimmed().isEmpty()) return;
        const QSizeF size(item->property("contentWidth").toDouble(),
                          item->property("contentHeight").toDouble());
        const int align = item->property("effectiveHorizontalAlignment").toInt();
        const int valign = item->property("verticalAlignment").toInt();
        const double dx = align == Qt::AlignRight ? 1 : align == Qt::AlignHCenter ? 0.5 : 0;
        const double dy = valign == Qt::AlignBottom ? 1 : valign == Qt::AlignVCenter ? 0.5 : 0;
        const QPointF at((item->width() - size.width()) * dx,
                         (item->height() - size.height()) * dy);
        const QRectF ink = item->mapRectToScene(QRectF(at, size)).intersected(clip);
        if (ink.isEmpty()) return;
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(QRectF(QPointF(), window).contains(ink.adjusted(1, 1, -1, -1)));
        if (item->property("elide").toInt() == Qt::ElideNone &&
            item->property("fontSizeMode").toInt() == 0) {
            EXPECT_LE(size.width(), item->width() + 1);
            EXPECT_TRUE(item->height() == 0 || size.height() <= item->height() + 2);
        }
        QTextLayout layout(text, item->property("font").value<QFont>());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            EXPECT_FALSE(run.glyphIndexes().contains(0));
        }
        texts.emplace_back(text, ink);
    };
    visit(root, root->mapRectToScene(root->boundingRect()), 1);
    return texts;
}

class AppPages : public testing::AppTest {
protected:
    ViewController& controller() {
        return qobject_cast<ViewControllerScreen*>(app_->navigator().topScreen())->controller();
    }
    bool historyAlive_ = false;  // outlives the application and its screens
};

// What an outlet is told shows in the item that draws it, on every kind of page; a constraint
// moves the item it places.
TEST_F(AppPages, OutletsReachTheItemsThatShowThem) {
    struct Binding {
        const char* screen;
        const char* outlet;
        const char* write;  // the outlet's property, set as the controller would
        QVariant value;
        const char* read;  // the item's property
        QVariant shown;
    };
    const Binding bindings[] = {
        {"ViewController", "wattLabel", "text", "<b>42.5</b>", "text", "<b>42.5</b>"},
        {"ViewController", "connectMessageLabel", "alpha", 0.25, "opacity", 0.25},
        {"ViewController", "startButton", "hidden", true, "visible", false},
        {"ViewController", "PDLabel", "hidden", false, "visible", true},
        {"TestRecordsVC", "titleLabel", "text", "Tests <i>", "text", "Tests <i>"},
        {"ChargerListVC", "titleLabel", "text", "Chargers", "text", "Chargers"},
        {"FeedbackVC", "messageLabel", "text", "Offline", "text", "Offline"},
    };
    launch();
    QQuickItem* flash = outletItem("flashImage");
    ASSERT_NE(flash, nullptr);
    const double y = flash->y();
    controller().topFlash.setConstant(controller().topFlash.constant() + 50);
    EXPECT_DOUBLE_EQ(flash->y(), y + 50);
    for (const Binding& row : bindings) {
        SCOPED_TRACE(std::string(row.screen) + "." + row.outlet + "." + row.write);
        if (!settledOn(row.screen)) present(row.screen);
        QQuickItem* item = outletItem(row.outlet);
        ASSERT_NE(item, nullptr);
        app_->navigator()
            .topScreen()
            ->outlet(QLatin1String(row.outlet))
            ->setProperty(row.write, row.value);
        EXPECT_EQ(item->property(row.read), row.shown);
        if (item->inherits("QQuickText")) {
            EXPECT_EQ(item->property("textFormat").toInt(), static_cast<int>(Qt::PlainText));
        }
    }
}

TEST_F(AppPages, TapsAndSwipesReachTheMainScreen) {
    launch();
    ViewController& main = controller();
    tap(outletItem("startButton"));
    EXPECT_TRUE(main.session().isStart());
    tap(outletItem("startButton"));
    EXPECT_FALSE(main.session().isStart());

    app_->navigator().registerScreen("TestRecordsVC", [this](const ui::ScreenArguments&) {
        return std::make_unique<testing::BlankScreen>(&historyAlive_);
    });
    // A left swipe anywhere, also one that starts on the Start button (which then is not
    // pressed), opens the history; going back destroys it once its slide is over.
    QQuickItem* start = outletItem("startButton");
    for (const QPointF from : {QPointF(320, 500), start->mapToScene({20, start->height() / 2})}) {
        drag(from.toPoint(), QPoint(-200, 2));
        ASSERT_TRUE(historyAlive_);
        EXPECT_FALSE(main.session().isStart());
        app_->navigator().dismiss(ui::Transition::SlideFromLeft);
        ASSERT_TRUE(waitUntil([&] { return !historyAlive_; }));
        EXPECT_TRUE(settledOn("ViewController"));
    }
}

TEST_F(AppPages, APageThatSlidesTakesNoTapsSoADoubleTapActsOnce) {
    launch(std::nullopt);  // the intro, which stays under the main screen
    EXPECT_EQ(app_->navigator().screenNames(),
              (std::vector<std::string>{"InitViewController", "ViewController"}));
    const std::pair<const char*, size_t> taps[] = {{"historyButton", 3}, {"backButton", 2}};
    for (const auto& [button, screens] : taps) {
        QQuickItem* item = first(QLatin1String(button));
        ASSERT_NE(item, nullptr) << button;
        // Twice on the same spot, however far the page has moved in between.
        const QPoint spot = item->mapToScene({item->width() / 2, item->height() / 2}).toPoint();
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, spot);
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, spot);
        ASSERT_TRUE(waitUntil([&] { return app_->navigator().settled(); }));
        EXPECT_EQ(app_->navigator().screenNames().size(), screens) << button;
    }
}

TEST_F(AppPages, TheShareSheetSlidesInWithThePictureAndOut) {
    launch("ViewController", VOLTARO_TEST_DATA_DIR "/one_step_in_a_minute.script");
    ASSERT_TRUE(waitUntil([&] { return !controller().shareButton.hidden(); }));
    tap(outletItem("shareButton"));
    qt::QtShareSheet& sheet = *app_->shell().shareSheet();
    ASSERT_TRUE(sheet.showing());
    auto* overlay = app_->window()->findChild<QQuickItem*>("shareOverlay");
    ASSERT_NE(overlay, nullptr);
    EXPECT_LT(overlay->property("shown").toDouble(), 1);
    ASSERT_TRUE(waitUntil([&] { return overlay->property("shown").toDouble() == 1; }));
    // The plain picture of the window in the pictures folder, the composed one at twice its size.
    const QDir album(home_.filePath(QStringLiteral("Pictures/Voltaro")));
    ASSERT_EQ(album.entryList(QDir::Files).size(), 1);
    const QSize window = app_->window()->size();
    EXPECT_EQ(QImage(album.filePath(album.entryList(QDir::Files).first())).size(), window);
    EXPECT_EQ(QImage(sheet.previewUrl().toLocalFile()).size(), window * 2);
    // The buttons hidden for the picture are back.
    EXPECT_FALSE(controller().startButton.hidden());
    EXPECT_FALSE(controller().shareButton.hidden());
    sheet.close();
    EXPECT_TRUE(overlay->isVisible());
    ASSERT_TRUE(waitUntil([&] { return !overlay->isVisible(); }));
}

// Every screen above the intro at the sizes of a phone, a tablet and a laptop: its texts stay in
// the window, clear of each other and within their own boxes; in Japanese and Chinese they are
// drawn with real glyphs. The suite runs again at a scale factor of 2.
TEST_F(AppPages, EveryScreenFitsEverySizeInEveryScript) {
    for (const char* language : {"en", "ja", "zh_TW"}) {
        setLanguage(language);
        launch("ViewController", VOLTARO_TEST_DATA_DIR "/one_step_in_a_minute.script",
               "LENOVO ThinkPad X1 Carbon Gen 9");
        for (const std::string& name : app_->navigator().knownScreens()) {
            if (name == "InitViewController") continue;
            if (name != "ViewController") app_->navigator().present(name, ui::Transition::None);
            for (const QSize size : {QSize(360, 740), QSize(800, 1280), QSize(1280, 800)}) {
                SCOPED_TRACE(name + " " + language + " " + std::to_string(size.width()));
                app_->window()->resize(size);
                QQuickItem* page = app_->navigator().topPage();
                ASSERT_TRUE(waitUntil(
                    [&] { return app_->navigator().settled() && page->size() == QSizeF(size); }));
                // The first frame lays the lists out, the second lays out what they made.
                (void)app_->window()->grabWindow();
                (void)app_->window()->grabWindow();
                // The shading darkens the edges and leaves the middle of the window clear.
                double shaded = 0;
                for (QQuickItem* band : page->findChildren<QQuickItem*>("edgeBand")) {
                    if (band->isVisible()) shaded += band->height();
                }
                EXPECT_LE(shaded, size.height() / 2.0);
                // The texts' ink stays clear of each other's.
                const auto texts = checkedTexts(page, size);
                for (size_t i = 0; i < texts.size(); ++i) {
                    for (size_t j = i + 1; j < texts.size(); ++j) {
                        const QRectF both = texts[i].second.intersected(texts[j].second);
                        EXPECT_FALSE(both.width() > 2 && both.height() > 2)
                            << texts[i].first.toStdString() << " / "
                            << texts[j].first.toStdString();
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

}  // namespace
}  // namespace voltaro::app
