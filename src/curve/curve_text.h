#pragma once

#include <string>
#include <vector>

#include "curve/charge_curve.h"

namespace voltaro {

// The curve for a terminal `columns` characters wide: the level against time in braille dots
// (two across and four down in each character) beside the level's ticks, the power of each step
// in block characters under it, and the time's ticks at the bottom.
std::vector<std::string> curveTextLines(const ChargeCurve& curve, int columns, int levelRows = 10,
                                        int powerRows = 3);

// The curve as plain text, one line per sample: time since the first sample, level, and the
// power of the step that ends there.
std::vector<std::string> curveSampleLines(const ChargeCurve& curve);

// One block character per value, "▁" for the lowest (or 0, when that is lower) to "█" for the
// highest; a blank for a value that is not a number.
std::string sparkline(const std::vector<double>& values);

}  // namespace voltaro
