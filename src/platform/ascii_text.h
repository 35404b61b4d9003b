#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

// Small text routines for the core and for the server, which links none of the core: so they are
// all inline here. ASCII only, whatever locale the process has set.
namespace voltaro {

namespace ascii_detail {
inline std::string shiftedLetters(std::string_view text, char first, char target) {
    std::string result(text);
    for (char& c : result) {
        if (c >= first && c <= first + 25) c = static_cast<char>(c - first + target);
    }
    return result;
}
}  // namespace ascii_detail

inline std::string asciiUpper(std::string_view text) {
    return ascii_detail::shiftedLetters(text, 'a', 'A');
}

inline std::string asciiLower(std::string_view text) {
    return ascii_detail::shiftedLetters(text, 'A', 'a');
}

// A finite decimal number ("18", "-3.5", "1e-07") and nothing around it, not even blanks.
inline std::optional<double> finiteNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Appends `text` for character data of XML or HTML: & < > always, and " ' as well where the text
// may stand inside a quoted attribute.
inline void appendMarkupEscaped(std::string& out, std::string_view text, bool quotes) {
    for (const char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (quotes && c == '"') {
            out += "&quot;";
        } else if (quotes && c == '\'') {
            out += "&#39;";
        } else {
            out += c;
        }
    }
}

}  // namespace voltaro
