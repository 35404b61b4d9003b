#pragma once

#include <string>
#include <string_view>

namespace voltaro {

// Language and region of the user's locale as the service wants them: "zh" and "CN" for
// "zh_CN.UTF-8"; "0" for a part the locale does not have.
struct LocaleCodes {
    std::string language = "0";
    std::string region = "0";
};

// Reads a POSIX locale name ("language[_REGION][.codeset][@modifier]"); "C" and "POSIX" have
// neither part.
LocaleCodes parseLocaleName(std::string_view name);

// The first non-empty of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG.
LocaleCodes localeCodesFromEnvironment();

}  // namespace voltaro
