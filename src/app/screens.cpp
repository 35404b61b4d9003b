#include "app/screens.h"

namespace voltaro::app {

ViewControllerScreen::ViewControllerScreen(MainLoop& loop, Device& device,
                                           SessionHandoffs& handoffs, ui::Services& services)
    : ControllerScreen(this, "ViewController.qml", loop, device, handoffs, services) {}

}  // namespace voltaro::app
