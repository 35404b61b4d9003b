#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace voltaro {

// Port code to text: 1 "USB-A", 2 "USB-C", 3 the localized "Wireless", anything else empty.
std::string portName(int64_t port);

// Kind code to text: 1 "Wall Charger", 2 "Power Bank", 3 "Car Charger" (localized), anything
// else empty.
std::string chargerKindName(int64_t kind);

// "MM-dd" of an absolute time (seconds since 2001-01-01 00:00:00 UTC) in the time zone in force
// now; empty for 0, negative times and NaN, "Unknow" for a time no calendar can show.
std::string shortDateText(double seconds);

// The localized "languageFlag": "1" to "4", selecting language-dependent behaviour.
std::string currentLanguageFlag();

// A message's styled form: the text over its whole length in the system font, with a line
// spacing that depends on the language. Toolkit-independent; front-ends map it to their types.
struct AttributedText {
    static constexpr double kFontSize = 13.0;  // points, system font

    std::string text;
    double fontSize = kFontSize;
    double lineSpacing = 0.0;  // points

    bool operator==(const AttributedText&) const = default;
};

// Line spacing 0 for language flag "1", otherwise 4.
AttributedText attributedMessage(std::string_view text);
AttributedText attributedMessage(std::string_view text, std::string_view languageFlag);

}  // namespace voltaro
