#pragma once

#include "platform/ui/outlets.h"

namespace voltaro {

// What every screen controller starts with: the list its outlets add themselves to, for the
// toolkit to bind each by name, and the screen's own view, the first of them, whose size the
// toolkit keeps current. A controller declares its other outlets after it.
struct ScreenController {
    ui::OutletList outlets;
    ui::View view{outlets, "view"};
};

}  // namespace voltaro
