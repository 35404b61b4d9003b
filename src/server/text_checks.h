#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace voltaro::server {

inline constexpr int64_t kMaxBrandId = 2'147'483'647;
inline constexpr size_t kMaxNameCharacters = 64;  // brand and model names

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// Valid UTF-8 of at most `maxCharacters` code points without control characters (C0, DEL, C1).
bool isCleanText(std::string_view text, size_t maxCharacters);

// 8-4-4-4-12 hexadecimal digits joined by hyphens, either case.
bool isUuid(std::string_view text);

// For text inside HTML elements and quoted attributes.
std::string htmlEscaped(std::string_view text);

// Form encoding of a query value: every byte outside A-Z a-z 0-9 - . _ ~ as %XX.
std::string queryEncoded(std::string_view text);

// "1,203": whole numbers with a comma between groups of three digits.
std::string groupedNumber(int64_t value);

}  // namespace voltaro::server
