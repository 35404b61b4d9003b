#include "extensions/number_text.h"

#include <charconv>
#include <cmath>

namespace voltaro {
namespace {

constexpr size_t kMaxTypedLength = 7;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A typed number: the checks in order, each making the text invalid.
bool isInvalidTypedNumber(std::string_view text, std::optional<int64_t> upperBound) {
    // Longer than 7 bytes is longer than 7 characters or not made of ASCII digits: invalid either
    // way, so counting bytes gives the same answer as counting characters.
    if (text.empty() || text.size() > kMaxTypedLength) return true;
    const auto number = parseDecimalInteger(text);
    if (!number || *number < 1) return true;
    return upperBound && *number > *upperBound;
}

}  // namespace

std::optional<int64_t> parseDecimalInteger(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    for (const char c : digits) {
        if (!isDigit(c)) return std::nullopt;
    }
    // from_chars takes a "-" but no "+"; the minus stays so that the lowest value still reads.
    const std::string_view number = text.front() == '+' ? digits : text;
    int64_t value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) {
        return std::nullopt;
    }
    return value;
}

template <class Number>
std::string shortest(Number value) {
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    // Plain decimals where they stay readable (700000000, not 7e+08); exponents beyond.
    const Number magnitude = std::fabs(value);
    const bool plain = magnitude == 0 || (magnitude >= Number(1e-4) && magnitude < Number(1e16));
    const auto result = plain ? std::to_chars(buffer, end, value, std::chars_format::fixed)
                              : std::to_chars(buffer, end, value);
    return std::string(buffer, result.ptr);
}

std::string shortestText(double value) {
    return shortest(value);
}

std::string shortestText(float value) {
    return shortest(value);
}

std::string fixedText(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    // Large enough for any double in fixed notation (up to 309 digits before the point).
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) return "nan";
    return std::string(buffer, end);
}

bool isInvalidPercentText(std::string_view text) {
    return isInvalidTypedNumber(text, 100);
}

bool isInvalidCountText(std::string_view text) {
    return isInvalidTypedNumber(text, std::nullopt);
}

}  // namespace voltaro
