#pragma once

#include <QLatin1String>
#include <QString>
#include <QUrl>
#include <utility>

#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_navigator.h"

namespace voltaro::app {

// A screen of the application around its controller: the controller's outlets shown to the page
// by name, and the controller's own appearance steps called when the navigator calls them. A
// screen adds its actions, as invokable methods, and nothing else.
template <class Controller>
class ControllerScreen : public qt::QtScreen {
public:
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

protected:
    // `page`: the file of qml/ that draws the screen. The rest makes the controller.
    template <class Screen, class... Arguments>
    ControllerScreen(Screen* self, const char* page, Arguments&&... arguments)
        : QtScreen(self),
          controller_(std::forward<Arguments>(arguments)...),
          source_(QStringLiteral("qrc:/Voltaro/") + QLatin1String(page)) {}

    Controller controller_;
    // After the controller, so that the adapters go before its outlets do.
    qt::ScreenOutlets outlets_{*this, controller_.outlets};

private:
    QUrl source_;
};

}  // namespace voltaro::app
