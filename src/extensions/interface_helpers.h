#pragma once

#include "platform/ui/outlets.h"
#include "platform/ui/services.h"

namespace voltaro {

// The dark bands at the top and bottom of a full-screen view: each band is W × W/2, solid black
// over its outer tenth and fading to clear towards the middle of the screen. Replacing removes
// the band's earlier layers first; adding draws on top of them.
enum class ShadingMode { Replace, Add };
void applyEdgeShading(double screenWidth, ui::View& topBand, ui::View& bottomBand,
                      ShadingMode mode);

// A 1-point light grey line along the bottom edge of `view`, `width` long from its left edge.
void addBottomBorder(ui::View& view, double width);

// Going forward: the new screen pushes in from the right over 0.25 s.
void presentSlidingRight(ui::Navigator& navigator, const std::string& screenName,
                         const ui::ScreenArguments& arguments = {});
// Going back: the previous screen pushes in from the left over 0.25 s.
void dismissSlidingLeft(ui::Navigator& navigator);

}  // namespace voltaro
