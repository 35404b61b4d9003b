#include "app/screens.h"

namespace voltaro::app {

ViewControllerScreen::ViewControllerScreen(MainLoop& loop, Device& device,
                                           SessionHandoffs& handoffs, ui::Services& services)
    : controller_(loop, device, handoffs, services) {}

QUrl ViewControllerScreen::source() const {
    return QUrl(QStringLiteral("qrc:/Voltaro/ViewController.qml"));
}

QUrl InitViewControllerScreen::source() const {
    return QUrl(QStringLiteral("qrc:/Voltaro/InitViewController.qml"));
}

}  // namespace voltaro::app
