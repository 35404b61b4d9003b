#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "server/storage.h"

namespace voltaro::server {

// Query or form parameters as received, decoded; a name may repeat.
using Parameters = std::multimap<std::string, std::string>;

// A parameter that is missing, repeated or out of bounds: the request is refused as a whole.
class BadRequest : public std::runtime_error {
public:
    BadRequest(std::string parameter, const std::string& reason)
        : std::runtime_error(parameter + ": " + reason), parameter_(std::move(parameter)) {}
    const std::string& parameter() const { return parameter_; }

private:
    std::string parameter_;
};

// The test-result request. A missing "vindor_id" leaves vendorId empty: the test can be compared
// but not stored, as it could not be told apart from another.
TestUpload readTestUpload(const Parameters& parameters);

// The charger-description form.
ChargerLabel readChargerLabel(const Parameters& parameters);

// The languages of the result texts and the leaderboard page.
enum class Language { English, SimplifiedChinese, TraditionalChinese, Japanese };
inline constexpr Language kLanguages[] = {Language::English, Language::SimplifiedChinese,
                                          Language::TraditionalChinese, Language::Japanese};
const char* languageCode(Language language);  // "en", "zh_CN", "zh_TW", "ja"

// What the leaderboard is asked for: a model (nullopt: all models) and a language ("lang", else
// the first of Accept-Language that the page has, else English).
struct LeaderboardQuery {
    std::optional<std::string> model;
    Language language = Language::English;
};
LeaderboardQuery readLeaderboardQuery(const Parameters& parameters,
                                      const std::string& acceptLanguage);

}  // namespace voltaro::server
