#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlPropertyMap>
#include <QUrl>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_main_loop.h"
#include "platform/ui/services.h"

class QQmlEngine;
class QQuickItem;

namespace voltaro::qt {

// One screen as the navigator shows it: a controller wrapped for QML (this object, handed to the
// page as its `screen` property) and the QML page that draws it. The screen is a map of its
// outlets' adapters by name (see ScreenOutlets), so the page reads `screen.startButton` and the
// screen's class declares only its actions. Pages cannot replace an outlet.
class QtScreen : public QQmlPropertyMap {
    Q_OBJECT

public:
    QtScreen() : QQmlPropertyMap(this, nullptr) {}

    // The adapter of the outlet `name`; null for none.
    QObject* outlet(const QString& name) const { return value(name).value<QObject*>(); }

    virtual QUrl source() const = 0;

    // Called in this order when the screen is opened, once its page has its size.
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    // When the transition that brought the screen in has ended.
    virtual void viewDidAppear() {}
    // The screen above this one was dismissed. Screens are presented over full screen: the one
    // below stays as it was and gets no appearance calls unless it makes them here.
    virtual void screenRevealed() {}

protected:
    // A screen with actions passes itself, so that QML sees its own methods and properties.
    template <class Screen>
    explicit QtScreen(Screen* self) : QQmlPropertyMap(self, nullptr) {}

    QVariant updateValue(const QString& key, const QVariant&) override { return value(key); }
};

// Full-screen screens on a stack of QML pages. Each screen is made by its registered factory when
// opened and destroyed when dismissed; the pages come and go with the transitions of
// ui::Transition, timed on the loop (so a time scale speeds them up too). The QML host item
// (ScreenStack.qml) animates; this class decides when each page is made, settled and destroyed.
class QtNavigator final : public ui::Navigator {
public:
    using Factory = std::function<std::unique_ptr<QtScreen>(const ui::ScreenArguments&)>;
    // Told after a screen was loaded and has appeared.
    using PresentedHandler = std::function<void(const std::string& name, QtScreen& screen)>;

    static constexpr double kCrossDissolveDuration = 0.35;
    static constexpr double kFlipDuration = 0.6;

    QtNavigator(QQmlEngine& engine, QtMainLoop& loop);
    ~QtNavigator() override;
    QtNavigator(const QtNavigator&) = delete;
    QtNavigator& operator=(const QtNavigator&) = delete;

    void registerScreen(const std::string& name, Factory factory);
    bool knowsScreen(const std::string& name) const;
    std::vector<std::string> knownScreens() const;

    // The item that holds the pages; set before the first present().
    void setHost(QQuickItem* host);
    void onPresented(PresentedHandler handler) { presented_ = std::move(handler); }

    // An unknown screen name, or a page that cannot be made, is logged and nothing happens. Pages
    // are made at the host's size: until the window has laid the host out, presenting waits.
    void present(const std::string& screenName, ui::Transition transition,
                 const ui::ScreenArguments& arguments = {}) override;
    // The first screen is never dismissed.
    void dismiss(ui::Transition transition) override;

    // Destroys every page and screen, topmost first (before the QML engine goes).
    void clear();

    // No transition runs and no screen waits to be presented.
    bool settled() const { return transitions_ == 0 && waiting_.empty(); }
    // Runs `work` once settled: now, or when the running transitions are over.
    void whenSettled(std::function<void()> work);

    std::vector<std::string> screenNames() const;  // bottom first
    QtScreen* topScreen() const;
    QtScreen* screenAt(size_t index) const;  // bottom first; null past the top
    QQuickItem* topPage() const;

    static double duration(ui::Transition transition);
    static const char* transitionName(ui::Transition transition);

private:
    struct Page {
        std::string name;
        std::unique_ptr<QtScreen> screen;
        QPointer<QQuickItem> item;
    };

    struct Request {
        std::string name;
        ui::Transition transition;
        ui::ScreenArguments arguments;
    };

    QQuickItem* makePage(QtScreen& screen);
    void presentNow(const std::string& screenName, ui::Transition transition,
                    const ui::ScreenArguments& arguments);
    void presentWaiting();
    // The pages take no input while any transition runs.
    void beginTransition();
    void transitionEnded();
    void destroyPage(Page& page);

    QQmlEngine& engine_;
    QtMainLoop& loop_;
    QPointer<QQuickItem> host_;
    std::map<std::string, Factory> factories_;
    std::vector<Page> pages_;
    std::vector<Request> waiting_;
    int transitions_ = 0;
    std::vector<std::function<void()>> settledWork_;
    std::array<QMetaObject::Connection, 2> hostLaidOut_;
    PresentedHandler presented_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace voltaro::qt
