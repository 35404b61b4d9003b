#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voltaro {

// Reads a whole decimal integer: an optional "+" or "-", then one or more digits 0 to 9 and
// nothing else, within the signed 64-bit range. Anything else (blanks, letters, a lone sign,
// overflow) is nullopt.
std::optional<int64_t> parseDecimalInteger(std::string_view text);

// The shortest decimal text that reads back as the same value: plain from 1e-4 to below 1e16
// ("0.1", "57", "700000000.25"), with an exponent beyond ("1e-07", "1e+20"); "nan", "inf" and
// "-inf" for the values without digits.
std::string shortestText(double value);
std::string shortestText(float value);

// `value` with `decimals` digits after a decimal point, rounded as printf's "%.*f" rounds: always
// a point, whatever locale the process runs in ("8.1" where printf would write "8,1").
std::string fixedText(double value, int decimals);

// Typed watt ratings: true (invalid) when the text is empty, longer than 7 characters, not a
// whole decimal number, below 1 or above 100.
bool isInvalidPercentText(std::string_view text);

// Typed capacities: the same without the upper bound.
bool isInvalidCountText(std::string_view text);

}  // namespace voltaro
