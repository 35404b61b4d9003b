#include "platform/qt/qt_navigator.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QVariant>
#include <QtDebug>
#include <utility>

#include "platform/log.h"

namespace voltaro::qt {
namespace {

QVariant itemValue(QQuickItem* item) {
    return QVariant::fromValue<QObject*>(item);
}

}  // namespace

QtNavigator::QtNavigator(QQmlEngine& engine, QtMainLoop& loop) : engine_(engine), loop_(loop) {}

QtNavigator::~QtNavigator() {
    *alive_ = false;
    for (const auto& connection : hostLaidOut_) QObject::disconnect(connection);
    clear();
}

void QtNavigator::registerScreen(const std::string& name, Factory factory) {
    factories_[name] = std::move(factory);
}

bool QtNavigator::knowsScreen(const std::string& name) const {
    return factories_.contains(name);
}

std::vector<std::string> QtNavigator::knownScreens() const {
    std::vector<std::string> names;
    for (const auto& [name, factory] : factories_) names.push_back(name);
    return names;
}

void QtNavigator::setHost(QQuickItem* host) {
    for (const auto& connection : hostLaidOut_) QObject::disconnect(connection);
    host_ = host;
    if (host_ == nullptr) return;
    const auto laidOut = [this] {
        if (!waiting_.empty()) presentWaiting();
    };
    hostLaidOut_ = {QObject::connect(host_, &QQuickItem::widthChanged, host_, laidOut),
                    QObject::connect(host_, &QQuickItem::heightChanged, host_, laidOut)};
}

void QtNavigator::presentWaiting() {
    if (host_ == nullptr || host_->width() <= 0 || host_->height() <= 0) return;
    const std::vector<Request> requests = std::exchange(waiting_, {});
    for (const Request& request : requests) {
        presentNow(request.name, request.transition, request.arguments);
    }
}

double QtNavigator::duration(ui::Transition transition) {
    switch (transition) {
        case ui::Transition::None:
            return 0;
        case ui::Transition::SlideFromRight:
        case ui::Transition::SlideFromLeft:
            return ui::kSlideDuration;
        case ui::Transition::FlipHorizontal:
            return kFlipDuration;
        case ui::Transition::CrossDissolve:
            return kCrossDissolveDuration;
    }
    return 0;
}

const char* QtNavigator::transitionName(ui::Transition transition) {
    switch (transition) {
        case ui::Transition::None:
            return "none";
        case ui::Transition::SlideFromRight:
            return "slideFromRight";
        case ui::Transition::SlideFromLeft:
            return "slideFromLeft";
        case ui::Transition::FlipHorizontal:
            return "flipHorizontal";
        case ui::Transition::CrossDissolve:
            return "crossDissolve";
    }
    return "none";
}

QQuickItem* QtNavigator::makePage(QtScreen& screen) {
    QQmlComponent component(&engine_, screen.source());
    if (component.isError()) {
        qWarning().noquote() << "cannot load" << screen.source().toString() << ":"
                             << component.errorString();
        return nullptr;
    }
    QObject* object =
        component.createWithInitialProperties({{"screen", QVariant::fromValue<QObject*>(&screen)},
                                               {"width", host_->width()},
                                               {"height", host_->height()}});
    auto* item = qobject_cast<QQuickItem*>(object);
    if (item == nullptr) {
        qWarning().noquote() << "cannot make a page of" << screen.source().toString() << ":"
                             << component.errorString();
        delete object;
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(item, QQmlEngine::CppOwnership);
    return item;
}

void QtNavigator::present(const std::string& screenName, ui::Transition transition,
                          const ui::ScreenArguments& arguments) {
    const auto factory = factories_.find(screenName);
    if (factory == factories_.end()) {
        log::debug(log::Category::Platform, "no screen named " + screenName + " to present");
        return;
    }
    if (host_ == nullptr) {
        qWarning("no screen stack to present %s on", screenName.c_str());
        return;
    }
    if (!waiting_.empty() || host_->width() <= 0 || host_->height() <= 0) {
        waiting_.push_back({screenName, transition, arguments});
        return;
    }
    presentNow(screenName, transition, arguments);
}

void QtNavigator::presentNow(const std::string& screenName, ui::Transition transition,
                             const ui::ScreenArguments& arguments) {
    const auto factory = factories_.find(screenName);
    if (factory == factories_.end()) return;
    std::unique_ptr<QtScreen> screen = factory->second(arguments);
    if (!screen) return;
    QQuickItem* item = makePage(*screen);
    if (item == nullptr) return;

    // The first screen simply appears.
    if (pages_.empty()) transition = ui::Transition::None;
    QtScreen& presentedScreen = *screen;
    pages_.push_back({screenName, std::move(screen), item});

    QMetaObject::invokeMethod(host_, "present", Q_ARG(QVariant, itemValue(item)),
                              Q_ARG(QVariant, QString::fromLatin1(transitionName(transition))),
                              Q_ARG(QVariant, loop_.realMilliseconds(duration(transition))));
    presentedScreen.viewDidLoad();
    presentedScreen.viewWillAppear();

    beginTransition();
    std::weak_ptr<bool> alive = alive_;
    QPointer<QQuickItem> page = item;
    loop_.scheduleOnce(duration(transition), [this, alive, page, screenName, &presentedScreen] {
        if (auto flag = alive.lock(); !flag || !*flag) return;
        if (page != nullptr) {
            if (host_ != nullptr) {
                QMetaObject::invokeMethod(host_, "settle", Q_ARG(QVariant, itemValue(page)));
            }
            presentedScreen.viewDidAppear();
            if (presented_) presented_(screenName, presentedScreen);
        }
        transitionEnded();
    });
}

void QtNavigator::dismiss(ui::Transition transition) {
    if (pages_.size() < 2) {
        log::debug(log::Category::Platform, "the first screen is never dismissed");
        return;
    }
    auto leaving = std::make_shared<Page>(std::move(pages_.back()));
    pages_.pop_back();
    Page& revealed = pages_.back();
    if (host_ != nullptr) {
        QMetaObject::invokeMethod(host_, "dismiss", Q_ARG(QVariant, itemValue(leaving->item)),
                                  Q_ARG(QVariant, itemValue(revealed.item)),
                                  Q_ARG(QVariant, QString::fromLatin1(transitionName(transition))),
                                  Q_ARG(QVariant, loop_.realMilliseconds(duration(transition))));
    }
    revealed.screen->screenRevealed();

    beginTransition();
    std::weak_ptr<bool> alive = alive_;
    QPointer<QQuickItem> revealedItem = revealed.item;
    loop_.scheduleOnce(duration(transition), [this, alive, leaving, revealedItem] {
        if (auto flag = alive.lock(); !flag || !*flag) return;
        destroyPage(*leaving);
        if (host_ != nullptr && revealedItem != nullptr) {
            QMetaObject::invokeMethod(host_, "settle", Q_ARG(QVariant, itemValue(revealedItem)));
        }
        transitionEnded();
    });
}

void QtNavigator::whenSettled(std::function<void()> work) {
    if (settled()) {
        work();
        return;
    }
    settledWork_.push_back(std::move(work));
}

void QtNavigator::beginTransition() {
    if (transitions_++ == 0 && host_ != nullptr) host_->setProperty("interactive", false);
}

void QtNavigator::transitionEnded() {
    --transitions_;
    if (transitions_ == 0 && host_ != nullptr) host_->setProperty("interactive", true);
    if (!settled()) return;
    // The work may present again, and so add work of its own.
    for (auto& work : std::exchange(settledWork_, {})) work();
}

void QtNavigator::destroyPage(Page& page) {
    // The page goes before its screen, so that no binding reads a destroyed adapter.
    if (page.item != nullptr) {
        if (host_ != nullptr) {
            QMetaObject::invokeMethod(host_, "remove", Q_ARG(QVariant, itemValue(page.item)));
        }
        page.item->setParentItem(nullptr);
        delete page.item.data();
    }
    page.screen.reset();
}

void QtNavigator::clear() {
    while (!pages_.empty()) {
        destroyPage(pages_.back());
        pages_.pop_back();
    }
}

std::vector<std::string> QtNavigator::screenNames() const {
    std::vector<std::string> names;
    for (const Page& page : pages_) names.push_back(page.name);
    return names;
}

QtScreen* QtNavigator::topScreen() const {
    return pages_.empty() ? nullptr : pages_.back().screen.get();
}

QtScreen* QtNavigator::screenAt(size_t index) const {
    return index < pages_.size() ? pages_[index].screen.get() : nullptr;
}

QQuickItem* QtNavigator::topPage() const {
    return pages_.empty() ? nullptr : pages_.back().item.data();
}

}  // namespace voltaro::qt
