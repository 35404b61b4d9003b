// The Qt side of the platform layer: loop, animator, adapters, alerts, pictures, share sheet.

#include <QEasingCurve>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QQmlPropertyMap>
#include <QSignalSpy>
#include <QThread>
#include <cmath>
#include <numbers>
#include <thread>

#include "platform/qt/animation_context.h"
#include "platform/qt/layer_item.h"
#include "platform/qt/named_resources.h"
#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_alerts.h"
#include "platform/qt/qt_animator.h"
#include "platform/qt/qt_main_loop.h"
#include "platform/qt/qt_photo_album.h"
#include "platform/qt/qt_screen_capture.h"
#include "platform/qt/qt_share_sheet.h"
#include "platform/qt/qt_url_opener.h"
#include "platform/strings.h"
#include "qt_test_support.h"

namespace voltaro::qt {
namespace {

using testing::pixelsOf;
using testing::waitUntil;

QImage filledImage(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// A loop a hundred times faster than real time from 1000 s, a folder, and a stand-in for the
// desktop's handler of addresses and files.
class QtPlatform : public ::testing::Test {
protected:
    QtMainLoop loop{100.0, 1000.0};
    QtAnimator animator{loop};
    QTemporaryDir folder;
    std::vector<QUrl> opened;
    std::function<bool(const QUrl&)> opener = [this](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
};

TEST_F(QtPlatform, TimersFireInScaledLoopTimeInOrderAndPostsRunOnTheLoopThread) {
    std::vector<std::pair<std::string, double>> fired;
    loop.scheduleOnce(5, [&] { fired.emplace_back("b", loop.now()); });
    loop.scheduleOnce(2, [&] { fired.emplace_back("a", loop.now()); });
    QThread* ranOn = nullptr;
    std::thread worker([&] { loop.post([&] { ranOn = QThread::currentThread(); }); });
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return fired.size() == 2 && ranOn != nullptr; }));
    EXPECT_EQ(fired[0].first, "a");
    EXPECT_GE(fired[0].second, 1002.0);
    EXPECT_GE(fired[1].second, 1005.0);
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
    // Loop time to real milliseconds, rounded up.
    EXPECT_EQ(loop.realMilliseconds(1.0), 10);
    EXPECT_EQ(loop.realMilliseconds(0.001), 1);
    EXPECT_EQ(loop.realMilliseconds(-3), 0);
}

TEST_F(QtPlatform, TimersScheduledByALateTimerCountFromWhenItWasDue) {
    std::vector<std::string> fired;
    loop.scheduleOnce(1, [&] {
        fired.push_back("first");
        loop.scheduleOnce(2, [&] { fired.push_back("second, due at 3"); });
    });
    loop.scheduleOnce(10, [&] { fired.push_back("third, due at 10"); });
    // The main thread is busy (as while drawing a heavy frame) until all three are overdue.
    while (loop.now() < 1012.0) {
    }
    ASSERT_TRUE(waitUntil([&] { return fired.size() == 3; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"first", "second, due at 3", "third, due at 10"}));
}

TEST_F(QtPlatform, AnimationsCarryTheirScaledDurationAndCurveAndCompleteWhenItHasPassed) {
    AnimationStyle inside;
    animator.animate(2.5, [&] { inside = AnimationContext::current(); });
    EXPECT_EQ(inside.durationMs, 25);
    EXPECT_EQ(inside.easing, QEasingCurve::InOutQuad);
    EXPECT_FALSE(AnimationContext::current().animated());

    const double start = loop.now();
    std::optional<double> finishedAt;
    bool finishedFlag = false;
    animator.animateSpring(
        1.6, {0.8, 1.0}, [] {},
        [&](bool finished) {
            finishedAt = loop.now();
            finishedFlag = finished;
        });
    EXPECT_FALSE(finishedAt.has_value());
    ASSERT_TRUE(waitUntil([&] { return finishedAt.has_value(); }));
    EXPECT_GE(*finishedAt, start + 1.6);
    EXPECT_TRUE(finishedFlag);
}

TEST_F(QtPlatform, ASpringOvershootsAsFarAsItsDampingRatioAndPushSay) {
    const auto overshoot = [&](ui::SpringParameters spring) {
        const AnimationStyle style = animator.springStyle(1.6, spring);
        EXPECT_EQ(style.easing, QEasingCurve::OutBack);
        QEasingCurve curve(QEasingCurve::OutBack);
        curve.setOvershoot(style.overshoot);
        double peak = 0;
        for (int i = 0; i <= 10000; ++i) peak = std::max(peak, curve.valueForProgress(i / 10000.0));
        return peak - 1.0;
    };
    // From rest, a spring of damping ratio ζ first overshoots by exp(−ζπ/√(1−ζ²)).
    const double fromRest = std::exp(-0.8 * std::numbers::pi / std::sqrt(1 - 0.64));
    EXPECT_NEAR(overshoot({0.8, 0.0}), fromRest, 1e-3);
    // Pushed towards its target at the start, it swings further.
    const double pushed = overshoot({0.8, 1.0});
    EXPECT_GT(pushed, fromRest + 1e-4);
    EXPECT_GT(overshoot({0.8, 4.0}), pushed + 1e-3);
    EXPECT_EQ(animator.springStyle(1.6, {1.0, 0.0}).easing, QEasingCurve::OutCubic);
}

// Each outlet of a screen's list shows under its name, through the adapter of its own kind (a
// label and a table are views too); a label tells of each change once, a table of each reload.
TEST_F(QtPlatform, ScreenOutletsShowByNameThroughTheAdapterOfTheirKind) {
    ui::OutletList list;
    ui::Label title{list, "title"};
    ui::Table rows{list, "rows"};
    ui::View band{list, "band"};
    ui::Constraint top{list, "top", 12};
    QQmlPropertyMap map;
    const ScreenOutlets outlets(map, list);
    QStringList names = map.keys();
    names.sort();
    EXPECT_EQ(names, (QStringList{"band", "rows", "title", "top"}));
    EXPECT_EQ(outlets.adapter<LabelAdapter>(QStringLiteral("band")), nullptr);
    EXPECT_EQ(map.value("top").value<QObject*>()->property("constant"), 12.0);

    LabelAdapter* label = outlets.adapter<LabelAdapter>(QStringLiteral("title"));
    ASSERT_NE(label, nullptr);
    QSignalSpy text(label, &LabelAdapter::textChanged);
    QSignalSpy style(label, &LabelAdapter::styleChanged);
    title.setText("8.1");
    title.setText("8.1");
    EXPECT_EQ(text.count(), 1);
    EXPECT_EQ(map.value("title").value<QObject*>()->property("text"), QStringLiteral("8.1"));
    title.setStyledText({"Tap <b>Start</b>", 13, 4});
    EXPECT_EQ(text.count(), 2);
    EXPECT_EQ(style.count(), 1);
    EXPECT_TRUE(label->styled());
    EXPECT_EQ(label->text(), QStringLiteral("Tap <b>Start</b>"));

    TableAdapter* table = outlets.adapter<TableAdapter>(QStringLiteral("rows"));
    ASSERT_NE(table, nullptr);
    rows.setHidden(true);
    rows.reloadData();
    EXPECT_EQ(table->revision(), 1);
}

TEST_F(QtPlatform, AnAdaptersAnimationArrivesBeforeTheValue) {
    ui::ImageView flash;
    ImageViewAdapter adapter(flash);
    std::vector<std::string> order;
    QObject::connect(&adapter, &OutletAdapter::animationChanged, [&] {
        order.push_back("animation " + std::to_string(adapter.animationDuration()));
    });
    QObject::connect(&adapter, &ViewAdapter::alphaChanged,
                     [&] { order.push_back("alpha " + std::to_string(adapter.alpha())); });
    {
        const AnimationContext::Scope scope({700, QEasingCurve::InOutQuad, 0});
        flash.setAlpha(0.4);
    }
    flash.setAlpha(1.0);  // outside any animation: at once
    EXPECT_EQ(order, (std::vector<std::string>{"animation 700", "alpha 0.400000", "animation 0",
                                               "alpha 1.000000"}));
    EXPECT_EQ(adapter.animationEasing(), static_cast<int>(QEasingCurve::Linear));
}

TEST_F(QtPlatform, NamedColoursAndImagesExistAndUnknownNamesGiveNothing) {
    for (const char* name : {"highlightColor", "textDarkColor", "textBrightColor",
                             "cellBackgroundColor", "black", "lightGray"}) {
        EXPECT_EQ(NamedResources::color(QLatin1String(name)).alpha(), 255) << name;
    }
    for (const char* name :
         {"testButton", "stopButton", "flash", "star", "phone", "line", "QRcode"}) {
        EXPECT_FALSE(NamedResources::image(QLatin1String(name), QSize(40, 40)).isNull()) << name;
    }
    EXPECT_EQ(NamedResources::color(QStringLiteral("clear")).alpha(), 0);
    EXPECT_EQ(NamedResources::color(QStringLiteral("noSuchColor")).alpha(), 0);
    EXPECT_TRUE(NamedResources::image(QStringLiteral("noSuchImage"), QSize(4, 4)).isNull());
    EXPECT_TRUE(NamedResources::imageUrl(QString()).isEmpty());
}

// A view's layers reach the item that paints them, stretched to its width.
TEST_F(QtPlatform, AViewsGradientLayerIsPaintedStretchedToTheItemsWidth) {
    ui::View band;
    ViewAdapter adapter(band);
    ui::Layer gradient;
    gradient.width = 100;
    gradient.height = 50;
    gradient.colorNames = {"black", "clear"};
    gradient.locations = {0.1, 1.0};
    band.addLayer(gradient);
    LayerItem item;
    item.setWidth(200);
    item.setHeight(50);
    item.setFitWidth(true);
    item.setLayers(adapter.layers());
    QImage canvas(200, 50, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        item.paint(&painter);
    }
    // Solid black over the top tenth, fading to clear at the bottom, across the whole width.
    EXPECT_EQ(canvas.pixelColor(150, 2), QColor(Qt::black));
    EXPECT_LT(canvas.pixelColor(150, 49).alpha(), 16);
    EXPECT_GT(canvas.pixelColor(150, 25).alpha(), canvas.pixelColor(150, 45).alpha());
}

TEST_F(QtPlatform, AlertsShowOneAtATimeAndRunTheTappedButton) {
    QtAlerts alerts;
    QSignalSpy current(&alerts, &QtAlerts::currentChanged);
    std::vector<std::string> tapped;
    alerts.show("First", "<i>plain</i>",
                {{"OK", ui::AlertButton::Style::Cancel, [&] { tapped.push_back("first OK"); }}});
    alerts.show(
        "Second", "",
        {{"No", ui::AlertButton::Style::Cancel, {}},
         {"Yes", ui::AlertButton::Style::Destructive, [&] { tapped.push_back("second Yes"); }}});
    EXPECT_TRUE(alerts.showing());
    EXPECT_EQ(alerts.title(), QStringLiteral("First"));
    EXPECT_EQ(alerts.message(), QStringLiteral("<i>plain</i>"));
    EXPECT_EQ(current.count(), 1);
    alerts.answer(0);
    EXPECT_EQ(alerts.title(), QStringLiteral("Second"));
    ASSERT_EQ(alerts.buttons().size(), 2);
    EXPECT_EQ(alerts.buttons().at(1).toMap()["style"].toString(), QStringLiteral("destructive"));
    alerts.answer(1);
    EXPECT_FALSE(alerts.showing());
    EXPECT_EQ(tapped, (std::vector<std::string>{"first OK", "second Yes"}));
}

TEST_F(QtPlatform, ACaptureComposesTheOverlayAtScaleTwo) {
    QtScreenCapture capture;
    const QtImage base(filledImage(QSize(300, 400), Qt::blue));
    const ui::Rect frame{20, 317, 132, 63};
    const std::shared_ptr<ui::Image> composed = capture.compose(base, "QRcode", frame, 2.0);
    ASSERT_NE(composed, nullptr);
    EXPECT_EQ(composed->scale(), 2.0);
    const QImage& image = static_cast<const QtImage&>(*composed).image();
    EXPECT_EQ(image.size(), QSize(600, 800));
    // The card's white margin just inside its left edge, the base elsewhere.
    EXPECT_EQ(pixelsOf(image, QRect(2 * 22, 2 * (317 + 31), 1, 1), Qt::white), 1);
    EXPECT_EQ(pixelsOf(image, QRect(2 * 18, 2 * (317 + 31), 1, 1), Qt::blue), 1);
    EXPECT_EQ(pixelsOf(image, QRect(2 * 100, 2 * 100, 1, 1), Qt::blue), 1);
    EXPECT_EQ(capture.compose(base, "noSuchImage", frame, 2.0), nullptr);
}

TEST_F(QtPlatform, ThePhotoAlbumReportsAFolderItCannotMake) {
    setLanguage("en");
    QFile blocker(folder.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtPhotoAlbum album(folder.filePath(QStringLiteral("file/Voltaro")));
    const std::optional<std::string> error = album.save(QtImage(filledImage(QSize(4, 4), Qt::red)));
    setLanguage("");
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("file/Voltaro"), std::string::npos) << *error;
}

TEST_F(QtPlatform, TheShareSheetSavesAsksBeforeReplacingOpensAndCloses) {
    QtShareSheet sheet(opener);
    int closed = 0;
    sheet.share(std::make_shared<QtImage>(filledImage(QSize(30, 20), Qt::green)),
                [&] { ++closed; });
    EXPECT_TRUE(sheet.showing());
    ASSERT_TRUE(sheet.previewUrl().isLocalFile());
    EXPECT_EQ(QImage(sheet.previewUrl().toLocalFile()).size(), QSize(30, 20));

    const QString target = folder.filePath(QStringLiteral("result.png"));
    EXPECT_TRUE(sheet.saveAs(target));
    EXPECT_FALSE(sheet.failed());
    EXPECT_EQ(QImage(target).size(), QSize(30, 20));
    // A file that is there is replaced only when the save is asked again for it.
    QImage(QSize(5, 5), QImage::Format_RGB32).save(target, "PNG");
    EXPECT_FALSE(sheet.saveAs(target));
    EXPECT_TRUE(sheet.confirmingReplace());
    EXPECT_EQ(QImage(target).size(), QSize(5, 5));
    EXPECT_TRUE(sheet.saveAs(target));
    EXPECT_FALSE(sheet.confirmingReplace());
    EXPECT_EQ(QImage(target).size(), QSize(30, 20));

    EXPECT_FALSE(sheet.saveAs(folder.filePath(QStringLiteral("missing/folder/result.png"))));
    EXPECT_TRUE(sheet.failed());
    EXPECT_FALSE(sheet.status().isEmpty());

    EXPECT_TRUE(sheet.openWithApplication());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(QFile::exists(opened[0].toLocalFile()));
    EXPECT_EQ(closed, 0);
    sheet.close();
    EXPECT_FALSE(sheet.showing());
    EXPECT_EQ(closed, 1);
}

TEST_F(QtPlatform, TheUrlOpenerOpensOnlyAddresses) {
    QtUrlOpener urls(opener);
    urls.open("https://voltaro.app/feedback?from=app");
    urls.open("not an address");
    urls.openApplicationSettings();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].host(), QStringLiteral("voltaro.app"));
}

}  // namespace
}  // namespace voltaro::qt
