#pragma once

#include <QLatin1String>
#include <QString>
#include <QUrl>
#include <utility>

#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_navigator.h"

namespace voltaro::app {

// The actions that several screens have, declared once for QML: each screen passes them on to
// its controller where the controller has them (see ControllerScreen), and ignores the others.
class SharedScreenActions : public qt::QtScreen {
    Q_OBJECT

public:
    Q_INVOKABLE virtual void backButtonTapped() = 0;
    Q_INVOKABLE virtual void pop() = 0;
    Q_INVOKABLE virtual void saveButtonTapped() = 0;
    Q_INVOKABLE virtual void scrollViewWillBeginDragging(double contentOffsetY) = 0;
    Q_INVOKABLE virtual void scrollViewDidScroll(double contentOffsetY) = 0;

protected:
    template <class Screen>
    explicit SharedScreenActions(Screen* self) : QtScreen(self) {}
};

// A screen of the application around its controller: the controller's outlets shown to the page
// by name, and the controller's own appearance steps and shared actions called when the
// navigator or the page calls them. A screen adds its other actions, as invokable methods, and
// nothing else.
template <class Controller>
class ControllerScreen : public SharedScreenActions {
public:
    // A screen with no actions beyond the shared ones is this class itself.
    template <class... Arguments>
    explicit ControllerScreen(const char* page, Arguments&&... arguments)
        : ControllerScreen(this, page, std::forward<Arguments>(arguments)...) {}

    Controller& controller() { return controller_; }
    QUrl source() const override { return source_; }

    void viewDidLoad() override {
        if constexpr (requires(Controller & c) { c.viewDidLoad(); }) controller_.viewDidLoad();
    }
    void viewWillAppear() override {
        if constexpr (requires(Controller & c) { c.viewWillAppear(); })
            controller_.viewWillAppear();
    }
    void viewDidAppear() override {
        if constexpr (requires(Controller & c) { c.viewDidAppear(); }) controller_.viewDidAppear();
    }
    void backButtonTapped() override {
        if constexpr (requires(Controller & c) { c.backButtonTapped(); })
            controller_.backButtonTapped();
    }
    void pop() override {
        if constexpr (requires(Controller & c) { c.pop(); }) controller_.pop();
    }
    void saveButtonTapped() override {
        if constexpr (requires(Controller & c) { c.saveButtonTapped(); })
            controller_.saveButtonTapped();
    }
    void scrollViewWillBeginDragging(double y) override {
        if constexpr (requires(Controller & c) { c.scrollViewWillBeginDragging(y); })
            controller_.scrollViewWillBeginDragging(y);
    }
    void scrollViewDidScroll(double y) override {
        if constexpr (requires(Controller & c) { c.scrollViewDidScroll(y); })
            controller_.scrollViewDidScroll(y);
    }

protected:
    // `page`: the file of qml/ that draws the screen. The rest makes the controller.
    template <class Screen, class... Arguments>
    ControllerScreen(Screen* self, const char* page, Arguments&&... arguments)
        : SharedScreenActions(self),
          controller_(std::forward<Arguments>(arguments)...),
          source_(QStringLiteral("qrc:/Voltaro/") + QLatin1String(page)) {}

    Controller controller_;
    // After the controller, so that the adapters go before its outlets do.
    qt::ScreenOutlets outlets_{*this, controller_.outlets};

private:
    QUrl source_;
};

}  // namespace voltaro::app
