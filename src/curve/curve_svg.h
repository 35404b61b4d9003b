#pragma once

#include <string>
#include <vector>

#include "curve/charge_curve.h"

namespace voltaro {

// The curve as an SVG picture `width` x `height` pixels: the level against time, the power of
// each step on a second scale at the right, both axes with their ticks, and above them `title`
// and `captionLines` (plain texts, escaped; characters that XML cannot hold are replaced).
std::string curveSvg(const ChargeCurve& curve, const std::string& title,
                     const std::vector<std::string>& captionLines, double width = 800,
                     double height = 480);

// `text` as XML character data: markup characters escaped, control characters and bytes that are
// not UTF-8 replaced by U+FFFD.
std::string xmlText(const std::string& text);

}  // namespace voltaro
