// The Qt side of the platform layer: loop, animator, adapters, alerts, pictures, share sheet.

#include <gtest/gtest.h>

#include <QEasingCurve>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QQmlPropertyMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <numbers>
#include <optional>
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

using testing::waitUntil;

QImage filledImage(QSize size, QColor color, double scale = 1.0) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    image.setDevicePixelRatio(scale);
    return image;
}

bool near(QColor a, QColor b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance &&
           std::abs(a.alpha() - b.alpha()) <= tolerance;
}

TEST(QtMainLoop, TimersFireInLoopTimeAtTheScaleInOrder) {
    // 1000 times faster than real time: timers due after 2 and 5 s of loop time.
    QtMainLoop loop(1000.0, 100.0);
    std::vector<std::string> fired;
    std::vector<double> times;
    loop.scheduleOnce(5, [&] {
        fired.push_back("b");
        times.push_back(loop.now());
    });
    loop.scheduleOnce(2, [&] {
        fired.push_back("a");
        times.push_back(loop.now());
    });
    ASSERT_TRUE(waitUntil([&] { return fired.size() == 2; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"a", "b"}));
    EXPECT_GE(times[0], 102.0);
    EXPECT_GE(times[1], 105.0);
}

TEST(QtMainLoop, TimersScheduledByALateTimerCountFromWhenItWasDue) {
    QtMainLoop loop(1000.0, 0.0);
    std::vector<std::string> fired;
    loop.scheduleOnce(1, [&] {
        fired.push_back("first");
        loop.scheduleOnce(2, [&] { fired.push_back("second, due at 3"); });
    });
    loop.scheduleOnce(10, [&] { fired.push_back("third, due at 10"); });
    // The main thread is busy (as while drawing a heavy frame) until all three are overdue.
    while (loop.now() < 50.0) {
    }
    ASSERT_TRUE(waitUntil([&] { return fired.size() == 3; }));
    EXPECT_EQ(fired, (std::vector<std::string>{"first", "second, due at 3", "third, due at 10"}));
}

TEST(QtMainLoop, InvalidatedRepeatingTimerStops) {
    QtMainLoop loop(200.0, 0.0);
    int ticks = 0;
    std::shared_ptr<Timer> timer;
    timer = loop.scheduleRepeating(0.5, [&] {
        if (++ticks == 3) timer->invalidate();
    });
    ASSERT_TRUE(waitUntil([&] { return ticks == 3; }));
    EXPECT_FALSE(timer->isValid());
    const double stoppedAt = loop.now();
    // Another four intervals of loop time pass without a tick.
    ASSERT_TRUE(waitUntil([&] { return loop.now() > stoppedAt + 2.0; }));
    EXPECT_EQ(ticks, 3);
}

TEST(QtMainLoop, PostedTasksRunOnTheLoopThread) {
    QtMainLoop loop;
    QThread* ranOn = nullptr;
    std::thread worker([&] { loop.post([&] { ranOn = QThread::currentThread(); }); });
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return ranOn != nullptr; }));
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

TEST(QtMainLoop, ScalesLoopTimeToRealTimeRoundingUp) {
    QtMainLoop loop(4.0, 500.0);
    EXPECT_EQ(loop.realMilliseconds(1.0), 250);
    EXPECT_EQ(loop.realMilliseconds(0.001), 1);  // rounded up
    EXPECT_EQ(loop.realMilliseconds(0), 0);
    EXPECT_EQ(loop.realMilliseconds(-3), 0);
}

TEST(QtAnimator, ChangesInsideAnAnimationCarryItsDurationAndCurve) {
    QtMainLoop loop(2.0);
    QtAnimator animator(loop);
    AnimationStyle inside;
    animator.animate(0.7, [&] { inside = AnimationContext::current(); });
    EXPECT_EQ(inside.durationMs, 350);  // 0.7 s of loop time at twice real time
    EXPECT_EQ(inside.easing, QEasingCurve::InOutQuad);
    EXPECT_FALSE(AnimationContext::current().animated());
}

TEST(QtAnimator, CompletionRunsOnceTheDurationHasPassed) {
    QtMainLoop loop(100.0, 0.0);
    QtAnimator animator(loop);
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
    EXPECT_GE(*finishedAt, 1.6);
    EXPECT_TRUE(finishedFlag);
}

TEST(QtAnimator, SpringOvershootsAsFarAsItsDampingRatioAndPushSay) {
    QtMainLoop loop;
    QtAnimator animator(loop);
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

    const AnimationStyle critical = animator.springStyle(1.6, {1.0, 0.0});
    EXPECT_EQ(critical.easing, QEasingCurve::OutCubic);
}

// Each outlet of a screen's list shows under its name, through the adapter of its own kind (a
// label and a table are views too).
TEST(ScreenOutlets, ShowEachOutletByNameThroughTheAdapterOfItsKind) {
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
    title.setText("Charging");
    EXPECT_EQ(map.value("title").value<QObject*>()->property("text"), QStringLiteral("Charging"));
    EXPECT_NE(outlets.adapter<TableAdapter>(QStringLiteral("rows")), nullptr);
    EXPECT_EQ(outlets.adapter<LabelAdapter>(QStringLiteral("band")), nullptr);
    EXPECT_EQ(map.value("top").value<QObject*>()->property("constant"), 12.0);
}

TEST(OutletAdapters, LabelChangesReachTheProperties) {
    ui::Label label;
    LabelAdapter adapter(label);
    QSignalSpy text(&adapter, &LabelAdapter::textChanged);
    QSignalSpy style(&adapter, &LabelAdapter::styleChanged);

    label.setText("8.1");
    label.setText("8.1");
    EXPECT_EQ(text.count(), 1);

    label.setStyledText({"Tap <b>Start</b>", 13, 4});
    EXPECT_EQ(text.count(), 2);
    EXPECT_EQ(style.count(), 1);
    EXPECT_TRUE(adapter.styled());
    EXPECT_EQ(adapter.fontSize(), 13);
    EXPECT_EQ(adapter.lineSpacing(), 4);
    // Markup stays text.
    EXPECT_EQ(adapter.text(), QStringLiteral("Tap <b>Start</b>"));
}

TEST(OutletAdapters, TheAnimationArrivesBeforeTheValue) {
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

TEST(OutletAdapters, LayersAndTableReloadsReachTheirProperties) {
    ui::View band;
    ViewAdapter bandAdapter(band);
    ui::Layer gradient;
    gradient.height = 195;
    gradient.colorNames = {"black", "clear"};
    band.addLayer(gradient);
    ASSERT_EQ(bandAdapter.layers().size(), 1);
    const QVariantMap layer = bandAdapter.layers().at(0).toMap();
    EXPECT_EQ(layer["kind"].toString(), QStringLiteral("gradient"));
    EXPECT_EQ(layer["height"].toDouble(), 195);
    EXPECT_EQ(layer["colorNames"].toList().at(1).toString(), QStringLiteral("clear"));

    ui::Table table;
    TableAdapter tableAdapter(table);
    table.setHidden(true);
    EXPECT_EQ(tableAdapter.revision(), 0);
    table.reloadData();
    EXPECT_EQ(tableAdapter.revision(), 1);
}

TEST(NamedResources, NamedColoursAndImagesExist) {
    for (const char* name : {"highlightColor", "textDarkColor", "textBrightColor",
                             "cellBackgroundColor", "black", "lightGray"}) {
        EXPECT_TRUE(NamedResources::hasColor(QString::fromLatin1(name))) << name;
        EXPECT_EQ(NamedResources::color(QString::fromLatin1(name)).alpha(), 255) << name;
    }
    EXPECT_EQ(NamedResources::color(QStringLiteral("clear")).alpha(), 0);
    EXPECT_EQ(NamedResources::color(QStringLiteral("noSuchColor")).alpha(), 0);

    for (const char* name :
         {"testButton", "stopButton", "flash", "star", "phone", "line", "QRcode"}) {
        const QImage image = NamedResources::image(QString::fromLatin1(name), QSize(40, 40));
        EXPECT_FALSE(image.isNull()) << name;
    }
    EXPECT_TRUE(NamedResources::image(QStringLiteral("noSuchImage"), QSize(4, 4)).isNull());
    EXPECT_TRUE(NamedResources::imageUrl(QString()).isEmpty());
}

TEST(LayerItem, PaintsGradientsStretchedToItsWidth) {
    LayerItem item;
    item.setWidth(200);
    item.setHeight(50);
    item.setFitWidth(true);
    item.setLayers({QVariantMap{{"kind", "gradient"},
                                {"x", 0.0},
                                {"y", 0.0},
                                {"width", 100.0},
                                {"height", 50.0},
                                {"colorNames", QVariantList{"black", "clear"}},
                                {"locations", QVariantList{0.1, 1.0}},
                                {"startX", 0.0},
                                {"startY", 0.0},
                                {"endX", 0.0},
                                {"endY", 1.0}}});
    QImage canvas(200, 50, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        item.paint(&painter);
    }
    // Solid black over the top tenth, fading to clear at the bottom, across the whole width.
    EXPECT_EQ(canvas.pixelColor(150, 2).alpha(), 255);
    EXPECT_EQ(canvas.pixelColor(150, 2).red(), 0);
    EXPECT_LT(canvas.pixelColor(150, 49).alpha(), 16);
    EXPECT_GT(canvas.pixelColor(150, 25).alpha(), canvas.pixelColor(150, 45).alpha());
}

TEST(QtAlerts, ShowsOneAlertAtATimeAndRunsTheTappedButton) {
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

TEST(QtScreenCapture, ComposesTheOverlayAtScaleTwo) {
    QtScreenCapture capture;
    const QtImage base(filledImage(QSize(300, 400), QColor(0, 0, 255)));
    const ui::Rect frame{20, std::trunc(400 - 83.0), 132, 63};
    const std::shared_ptr<ui::Image> composed = capture.compose(base, "QRcode", frame, 2.0);
    ASSERT_NE(composed, nullptr);
    EXPECT_EQ(composed->scale(), 2.0);
    EXPECT_EQ(composed->width(), 300);
    EXPECT_EQ(composed->height(), 400);
    const QImage& image = static_cast<const QtImage&>(*composed).image();
    EXPECT_EQ(image.size(), QSize(600, 800));
    // The card's white margin just inside its left edge, the base elsewhere.
    EXPECT_TRUE(near(image.pixelColor(2 * 22, 2 * (317 + 31)), Qt::white));
    EXPECT_TRUE(near(image.pixelColor(2 * 18, 2 * (317 + 31)), QColor(0, 0, 255)));
    EXPECT_TRUE(near(image.pixelColor(2 * 100, 2 * 100), QColor(0, 0, 255)));

    EXPECT_EQ(capture.compose(base, "noSuchImage", frame, 2.0), nullptr);
}

TEST(QtPhotoAlbum, ReportsAFolderItCannotMake) {
    setLanguage("en");
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QtPhotoAlbum album(home.filePath(QStringLiteral("file/Voltaro")));
    const std::optional<std::string> error = album.save(QtImage(filledImage(QSize(4, 4), Qt::red)));
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("file/Voltaro"), std::string::npos) << *error;
    setLanguage("");
}

TEST(QtShareSheet, SavesOpensAndCloses) {
    QTemporaryDir folder;
    std::vector<QUrl> opened;
    QtShareSheet sheet([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    QSignalSpy showing(&sheet, &QtShareSheet::showingChanged);
    int closed = 0;
    sheet.share(std::make_shared<QtImage>(filledImage(QSize(30, 20), Qt::green)),
                [&] { ++closed; });
    EXPECT_TRUE(sheet.showing());
    EXPECT_EQ(showing.count(), 1);
    ASSERT_TRUE(sheet.previewUrl().isLocalFile());
    EXPECT_EQ(QImage(sheet.previewUrl().toLocalFile()).size(), QSize(30, 20));
    EXPECT_TRUE(sheet.suggestedPath().endsWith(QStringLiteral(".png")));

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

TEST(QtUrlOpener, OpensOnlyAddresses) {
    std::vector<QUrl> opened;
    QtUrlOpener urls([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    urls.open("https://voltaro.app/feedback?from=app");
    urls.open("not an address");
    urls.openApplicationSettings();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].host(), QStringLiteral("voltaro.app"));
}

}  // namespace
}  // namespace voltaro::qt
