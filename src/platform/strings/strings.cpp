#include "platform/strings.h"

#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/log.h"
#include "platform/strings/embedded_catalogues.h"
#include "platform/strings/mo_catalogue.h"

namespace voltaro {
namespace {

using strings::kFallbackLanguage;

// ASCII only: locale names are ASCII, and std::tolower would depend on the very locale we pick.
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// Maps a locale name ("zh_TW.UTF-8", "ja_JP", "zh-Hant-HK", "C") to one of our languages;
// nothing when we have no catalogue for it.
std::optional<std::string_view> supportedLanguage(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));  // drop the codeset and modifier
    if (name == "C" || name == "POSIX") return kFallbackLanguage;

    const std::size_t split = name.find_first_of("_-");
    const std::string_view language = name.substr(0, split);
    if (equalsIgnoringCase(language, "en")) return "en";
    if (equalsIgnoringCase(language, "ja")) return "ja";
    if (!equalsIgnoringCase(language, "zh")) return std::nullopt;

    // Chinese: a script subtag decides; otherwise the regions that write traditional characters.
    bool traditional = false;
    std::string_view rest = split == std::string_view::npos ? "" : name.substr(split + 1);
    while (!rest.empty()) {
        const std::size_t next = rest.find_first_of("_-");
        const std::string_view part = rest.substr(0, next);
        rest = next == std::string_view::npos ? "" : rest.substr(next + 1);
        if (equalsIgnoringCase(part, "Hant")) return "zh_TW";
        if (equalsIgnoringCase(part, "Hans")) return "zh_CN";
        if (equalsIgnoringCase(part, "TW") || equalsIgnoringCase(part, "HK") ||
            equalsIgnoringCase(part, "MO")) {
            traditional = true;
        }
    }
    return traditional ? "zh_TW" : "zh_CN";
}

bool isCLocale(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    return name == "C" || name == "POSIX";
}

// As gettext chooses: the messages locale is the first of LC_ALL, LC_MESSAGES and LANG that is set
// and not empty (C when none is). Unless that locale is C or POSIX, LANGUAGE, a colon-separated
// list of preferences, overrides it: its first entry we have a catalogue for wins, and when none
// has one the texts stay in English, as gettext leaves them untranslated. A user who sets LANGUAGE
// on a machine without a locale gets English, as every other program there shows.
std::string_view languageFromEnvironment() {
    std::string_view locale = "C";
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            locale = value;
            break;
        }
    }
    const char* list = std::getenv("LANGUAGE");
    if (list != nullptr && list[0] != '\0' && !isCLocale(locale)) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            if (const auto language = supportedLanguage(rest.substr(0, colon))) return *language;
            rest = colon == std::string_view::npos ? "" : rest.substr(colon + 1);
        }
        return kFallbackLanguage;
    }
    return supportedLanguage(locale).value_or(kFallbackLanguage);
}

const strings::CatalogueSet& catalogues() {
    static const strings::CatalogueSet parsed = [] {
        strings::CatalogueSet set;
        for (const auto& embedded : strings::embeddedCatalogues()) {
            std::string error;
            if (auto catalogue = strings::MoCatalogue::parse(embedded.image, &error)) {
                set.insert_or_assign(std::string(embedded.language), std::move(*catalogue));
            } else {
                log::debug(log::Category::Platform, "strings: catalogue " +
                                                        std::string(embedded.language) +
                                                        " unreadable: " + error);
            }
        }
        return set;
    }();
    return parsed;
}

std::mutex languageMutex;
std::string chosenLanguage;  // empty until first needed

}  // namespace

std::string localized(std::string_view key) {
    return strings::translate(catalogues(), currentLanguage(), key);
}

void setLanguage(std::string_view language) {
    // A language we have no catalogue for counts as no choice.
    const auto supported = language.empty() ? std::nullopt : supportedLanguage(language);
    const std::lock_guard lock(languageMutex);
    chosenLanguage = supported ? *supported : languageFromEnvironment();
}

std::string currentLanguage() {
    const std::lock_guard lock(languageMutex);
    if (chosenLanguage.empty()) chosenLanguage = languageFromEnvironment();
    return chosenLanguage;
}

}  // namespace voltaro
