// Placeholder until the string tables land: English keys as texts.
#include "platform/strings.h"

namespace voltaro {

std::string localized(std::string_view key) {
    if (key == "languageFlag") return "1";
    return std::string(key);
}

void setLanguage(std::string_view) {}

std::string currentLanguage() { return "en"; }

}  // namespace voltaro
