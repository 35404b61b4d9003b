#pragma once

#include <QUrl>

#include "app/controller_screen.h"
#include "screens/view_controller.h"

namespace voltaro::app {

// The QML face of the main screen: its actions as invokable methods. A page
// (qml/<ScreenName>.qml) gets its screen as the property `screen`. The intro has no actions: its
// screen is a plain ControllerScreen<InitViewController>.

class ViewControllerScreen : public ControllerScreen<ViewController> {
    Q_OBJECT

public:
    ViewControllerScreen(MainLoop& loop, Device& device, SessionHandoffs& handoffs,
                         ui::Services& services);

    Q_INVOKABLE void buttonClicked() { controller_.buttonClicked(); }
    Q_INVOKABLE void showResultVC() { controller_.showResultVC(); }
    Q_INVOKABLE void testResultButtonTapped() { controller_.testResultButtonTapped(); }
    Q_INVOKABLE void shareButtonClick() { controller_.shareButtonClick(); }
};

}  // namespace voltaro::app
