#pragma once

#include <string>
#include <string_view>

namespace voltaro {

// The text of a localisation key in the user's language ("en", "zh_CN", "zh_TW", "ja"), chosen
// from LANGUAGE, LC_ALL, LC_MESSAGES and LANG as gettext chooses (LANGUAGE wins unless the locale
// is C or POSIX), English otherwise. A key that no catalogue has comes back unchanged.
std::string localized(std::string_view key);

// Chooses the language explicitly ("en", "zh_CN", "zh_TW", "ja"); an empty text goes back to the
// environment's choice. For tests and for front-ends with a language option.
void setLanguage(std::string_view language);

// The language in use: "en", "zh_CN", "zh_TW" or "ja".
std::string currentLanguage();

}  // namespace voltaro
