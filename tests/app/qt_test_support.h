#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/qt/named_resources.h"
#include "platform/qt/qt_navigator.h"
#include "platform/strings.h"
#include "store/history.h"

namespace voltaro::testing {

// The warnings, critical and fatal messages of Qt and QML since the last call (qt_test_main.cpp
// keeps them).
QStringList takeQtWarnings();

// Runs Qt's event loop until `condition` holds or `timeout` passes; true when it held. The loop
// waits for events, woken every 20 ms to look again.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const QDeadlineTimer deadline(timeout);
    QTimer wake;
    wake.start(20);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline QColor namedColor(const char* name) {
    return qt::NamedResources::color(QLatin1String(name));
}

// Pixels of `image` in `area` within 40 of `color` on each channel.
inline int pixelsOf(const QImage& image, QRect area, QColor color) {
    int count = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - color.red()) < 40 &&
                     std::abs(c.green() - color.green()) < 40 &&
                     std::abs(c.blue() - color.blue()) < 40;
        }
    }
    return count;
}

// One saved result of the test that started at `startTime`, with no charger unless `charger`
// names one.
inline TestRecord savedTest(double startTime, double watt = 9, double level = 30,
                            const TestRecord& charger = {}) {
    TestRecord record{{"starttime", startTime},
                      {"finishtime", startTime + 150},
                      {"date", 978307200 + startTime},
                      {"watt", watt},
                      {"amp", watt * 45},
                      {"min", 36},
                      {"startlevel", level},
                      {"finishlevel", level + 12},
                      {"userStartlevel", level + 1},
                      {"userStartTime", startTime + 30}};
    for (const char* key : {"type", "brandid", "watts", "port", "capacity"}) record[key] = 0;
    for (const auto& [key, value] : charger) record[key] = value;
    return record;
}

// A screen drawn by a blank page, for one a test does not look at; `*alive` tells while it lives.
class BlankScreen final : public qt::QtScreen {
public:
    explicit BlankScreen(bool* alive = nullptr) : alive_(alive) {
        if (alive_ != nullptr) *alive_ = true;
    }
    ~BlankScreen() override {
        if (alive_ != nullptr) *alive_ = false;
    }
    QUrl source() const override {
        return QUrl::fromLocalFile(QStringLiteral(VOLTARO_APP_TEST_DATA_DIR "/BlankPage.qml"));
    }

private:
    bool* alive_;
};

// The application offscreen, in a home folder of the test's own and in English; a test fails on
// any warning of Qt or QML.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("HOME", home_.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral(".config")).toUtf8());
        qputenv("VOLTARO_CONFIG_DIR", home_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("VOLTARO_DATA_DIR", home_.filePath(QStringLiteral("data")).toUtf8());
        setLanguage("en");
        (void)takeQtWarnings();
    }
    void TearDown() override {
        app_.reset();
        setLanguage("");
        const QStringList warnings = takeQtWarnings();
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    }

    // Starts the application on a replayed script with `show` open at once (nothing: the intro,
    // then the main screen), and waits until it has settled.
    void launch(std::optional<std::string> show = "ViewController",
                const std::string& script = VOLTARO_APP_TEST_DATA_DIR "/ready.script",
                const std::string& model = "x86_64") {
        app::AppOptions options;
        options.battery.battery = "replay:" + script;
        options.battery.speed = 40;
        options.device.model = model;
        options.show = show;
        app_ = std::make_unique<app::Application>(options);
        std::ostringstream err;
        ASSERT_FALSE(app_->start(err).has_value()) << err.str();
        ASSERT_TRUE(waitUntil([&] { return settledOn(show.value_or("ViewController")); }));
    }

    void present(const std::string& name, const ui::ScreenArguments& arguments = {}) {
        app_->navigator().present(name, ui::Transition::SlideFromRight, arguments);
        ASSERT_TRUE(waitUntil([&] { return settledOn(name); })) << name;
    }

    bool settledOn(const std::string& name) {
        const std::vector<std::string> names = app_->navigator().screenNames();
        return app_->navigator().settled() && !names.empty() && names.back() == name;
    }

    // The top screen once the pages have settled with a `Screen` on top; null if none comes.
    template <class Screen>
    Screen* settledOn() {
        Screen* screen = nullptr;
        waitUntil([&] {
            screen = qobject_cast<Screen*>(app_->navigator().topScreen());
            return screen != nullptr && app_->navigator().settled();
        });
        return screen;
    }

    // The items of the top page that `pick` picks, visible ones first, then top to bottom. The
    // window is drawn first: positioners and lists lay out when it polishes.
    std::vector<QQuickItem*> pageItems(const std::function<bool(QQuickItem*)>& pick) {
        (void)app_->window()->grabWindow();
        std::vector<QQuickItem*> items;
        const std::function<void(QQuickItem*)> visit = [&](QQuickItem* item) {
            if (pick(item)) items.push_back(item);
            for (QQuickItem* child : item->childItems()) visit(child);
        };
        visit(app_->navigator().topPage());
        std::stable_sort(items.begin(), items.end(), [](QQuickItem* a, QQuickItem* b) {
            return std::pair(!a->isVisible(), a->mapToScene(QPointF()).y()) <
                   std::pair(!b->isVisible(), b->mapToScene(QPointF()).y());
        });
        return items;
    }

    std::vector<QQuickItem*> visibleItems(const std::function<bool(QQuickItem*)>& pick) {
        return pageItems([&](QQuickItem* item) { return item->isVisible() && pick(item); });
    }

    // The visible items of the top page whose `property` is `value`.
    std::vector<QQuickItem*> named(const QString& value, const char* property = "objectName") {
        return visibleItems([&](QQuickItem* item) { return item->property(property) == value; });
    }

    QQuickItem* first(const QString& value, const char* property = "objectName") {
        const std::vector<QQuickItem*> found = named(value, property);
        return found.empty() ? nullptr : found.front();
    }

    // The item of the top page that shows the top screen's outlet `outlet`, a visible one first.
    QQuickItem* outletItem(const char* outlet) {
        QObject* adapter = app_->navigator().topScreen()->outlet(QLatin1String(outlet));
        const std::vector<QQuickItem*> found = pageItems([&](QQuickItem* item) {
            return item->property("outlet").value<QObject*>() == adapter;
        });
        return found.empty() ? nullptr : found.front();
    }

    // The texts shown in `root`, in reading order (top to bottom, then left to right).
    QStringList textsIn(QQuickItem* root) {
        std::vector<QQuickItem*> texts = visibleItems([&](QQuickItem* item) {
            return item->inherits("QQuickText") && (item == root || root->isAncestorOf(item));
        });
        std::stable_sort(texts.begin(), texts.end(), [](QQuickItem* a, QQuickItem* b) {
            const QPointF p = a->mapToScene(QPointF());
            const QPointF q = b->mapToScene(QPointF());
            return std::abs(p.y() - q.y()) > 4 ? p.y() < q.y() : p.x() < q.x();
        });
        QStringList shown;
        for (QQuickItem* text : texts) shown.push_back(text->property("text").toString());
        return shown;
    }

    void tap(QQuickItem* item) {
        ASSERT_NE(item, nullptr);
        (void)app_->window()->grabWindow();
        const QPointF middle(item->width() / 2, item->height() / 2);
        QTest::mouseClick(app_->window(), Qt::LeftButton, {}, item->mapToScene(middle).toPoint());
    }

    // A finger drag from `from` by `by`, in steps.
    void drag(QPoint from, QPoint by) {
        QQuickWindow* window = app_->window();
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step) QTest::mouseMove(window, from + by * step / 10, 16);
        QTest::mouseRelease(window, Qt::LeftButton, {}, from + by, 16);
    }

    // Types `text` (Latin letters and digits) into the focused item.
    void type(const std::string& text) {
        for (const char c : text) QTest::keyClick(app_->window(), c);
    }

    QTemporaryDir home_;
    std::unique_ptr<app::Application> app_;
};

}  // namespace voltaro::testing
