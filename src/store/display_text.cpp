#include "store/display_text.h"

#include <cmath>
#include <ctime>

#include "platform/clock.h"
#include "platform/strings.h"

namespace voltaro {

std::string portName(int64_t port) {
    switch (port) {
        case 1:
            return "USB-A";
        case 2:
            return "USB-C";
        case 3:
            return localized("Wireless");
        default:
            return {};
    }
}

std::string chargerKindName(int64_t kind) {
    switch (kind) {
        case 1:
            return localized("Wall Charger");
        case 2:
            return localized("Power Bank");
        case 3:
            return localized("Car Charger");
        default:
            return {};
    }
}

std::string shortDateText(double seconds) {
    if (!(seconds > 0)) return {};
    // Whole seconds, as a date shows them; beyond time_t's range no calendar date exists.
    const double unixSeconds = std::floor(unixTimeFromAbsolute(seconds));
    if (!(unixSeconds < 9.2e18)) return "Unknow";
    const auto time = static_cast<std::time_t>(unixSeconds);
    ::tzset();  // the zone in force now, as a fresh formatter would see it
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) return "Unknow";
    char text[16];
    if (std::strftime(text, sizeof text, "%m-%d", &local) == 0) return "Unknow";
    return text;
}

std::string currentLanguageFlag() {
    return localized("languageFlag");
}

AttributedText attributedMessage(std::string_view text) {
    return attributedMessage(text, currentLanguageFlag());
}

AttributedText attributedMessage(std::string_view text, std::string_view languageFlag) {
    return AttributedText{std::string(text), AttributedText::kFontSize,
                          languageFlag == "1" ? 0.0 : 4.0};
}

}  // namespace voltaro
