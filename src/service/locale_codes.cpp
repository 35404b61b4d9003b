#include "service/locale_codes.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ascii_text.h"

namespace voltaro {
namespace {

// ASCII only, whatever locale the process has set.
bool allLetters(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

LocaleCodes parseLocaleName(std::string_view name) {
    LocaleCodes codes;
    name = name.substr(0, name.find_first_of(".@"));
    const size_t separator = name.find_first_of("_-");
    const std::string_view language = name.substr(0, separator);
    // Two or three letters (ISO 639); "C" and "POSIX" fail this on purpose.
    if (language.size() < 2 || language.size() > 3 || !allLetters(language)) return codes;
    codes.language = asciiLower(language);
    if (separator == std::string_view::npos) return codes;
    const std::string_view region = name.substr(separator + 1);
    // Two letters (ISO 3166) or three digits (UN M.49).
    if ((region.size() == 2 && allLetters(region)) || (region.size() == 3 && allDigits(region))) {
        codes.region = asciiUpper(region);
    }
    return codes;
}

LocaleCodes localeCodesFromEnvironment() {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || value[0] == '\0') continue;
        std::string_view name(value);
        if (std::string_view(variable) == "LANGUAGE") name = name.substr(0, name.find(':'));
        if (name.empty()) continue;
        return parseLocaleName(name);
    }
    return {};
}

}  // namespace voltaro
