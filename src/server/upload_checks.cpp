#include "server/upload_checks.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "platform/ascii_text.h"
#include "server/text_checks.h"

namespace voltaro::server {
namespace {

constexpr size_t kMaxSampleListBytes = 8192;

// Bounds of the numbers a test carries. Times count seconds from 2001 (a virtual clock may start
// at 0); a failed test has a negative power.
struct Bounds {
    double low;
    double high;
};
constexpr Bounds kPower{-1000, 1000};
constexpr Bounds kTime{-1e10, 1e10};
constexpr Bounds kUnixDate{0, 1e11};
constexpr Bounds kLevel{0, 100};
constexpr Bounds kRate{-1e9, 1e9};

// The one value of a parameter; nullopt when absent, BadRequest when repeated.
std::optional<std::string> single(const Parameters& parameters, const std::string& name) {
    const auto [first, last] = parameters.equal_range(name);
    if (first == last) return std::nullopt;
    if (std::next(first) != last) throw BadRequest(name, "given more than once");
    return first->second;
}

std::string required(const Parameters& parameters, const std::string& name) {
    std::optional<std::string> value = single(parameters, name);
    if (!value || value->empty()) throw BadRequest(name, "missing");
    return std::move(*value);
}

double numberWithin(const std::string& name, const std::string& text, Bounds bounds) {
    const std::optional<double> value = finiteNumber(text);
    if (!value || *value < bounds.low || *value > bounds.high) {
        char range[64];
        std::snprintf(range, sizeof range, "%g to %g", bounds.low, bounds.high);
        throw BadRequest(name, std::string("not a number from ") + range);
    }
    return *value;
}

double requiredNumber(const Parameters& parameters, const std::string& name, Bounds bounds) {
    return numberWithin(name, required(parameters, name), bounds);
}

// Absent or empty is no value.
std::optional<double> optionalNumber(const Parameters& parameters, const std::string& name,
                                     Bounds bounds) {
    const std::optional<std::string> text = single(parameters, name);
    if (!text || text->empty()) return std::nullopt;
    return numberWithin(name, *text, bounds);
}

int64_t requiredWholeNumber(const Parameters& parameters, const std::string& name, int64_t high) {
    const double value = requiredNumber(parameters, name, {0, static_cast<double>(high)});
    if (value != std::floor(value)) throw BadRequest(name, "not a whole number");
    return static_cast<int64_t>(value);
}

// Texts made of the characters `allowed` accepts, up to `maxBytes`; absent is empty.
template <class Allowed>
std::string optionalPlainText(const Parameters& parameters, const std::string& name,
                              size_t maxBytes, Allowed allowed) {
    std::string text = single(parameters, name).value_or("");
    if (text.size() > maxBytes) {
        throw BadRequest(name, "longer than " + std::to_string(maxBytes) + " bytes");
    }
    for (const char c : text) {
        if (!allowed(c)) throw BadRequest(name, "holds a character it cannot have");
    }
    return text;
}

bool isAsciiAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string vendorIdentifier(const Parameters& parameters, bool mandatory) {
    const std::string text = single(parameters, "vindor_id").value_or("");
    if (text.empty()) {
        if (mandatory) throw BadRequest("vindor_id", "missing");
        return text;
    }
    if (!isUuid(text)) throw BadRequest("vindor_id", "not a UUID");
    return asciiUpper(text);
}

std::optional<Language> languageNamed(std::string_view tag) {
    std::string lower = asciiLower(tag);
    for (char& c : lower) {
        if (c == '_') c = '-';
    }
    const auto startsWith = [&](std::string_view prefix) { return lower.rfind(prefix, 0) == 0; };
    if (lower == "zh-tw" || lower == "zh-hk" || lower == "zh-mo" || startsWith("zh-hant")) {
        return Language::TraditionalChinese;
    }
    if (lower == "zh" || startsWith("zh-")) return Language::SimplifiedChinese;
    if (lower == "ja" || startsWith("ja-")) return Language::Japanese;
    if (lower == "en" || startsWith("en-")) return Language::English;
    return std::nullopt;
}

}  // namespace

TestUpload readTestUpload(const Parameters& parameters) {
    TestUpload test;
    test.vendorId = vendorIdentifier(parameters, false);
    test.startTime = requiredNumber(parameters, "starttime", kTime);
    test.watt = requiredNumber(parameters, "watt", kPower);
    test.model = required(parameters, "model");
    if (!isCleanText(test.model, kMaxNameCharacters)) {
        throw BadRequest("model", "not a text of at most " + std::to_string(kMaxNameCharacters) +
                                      " characters without control characters");
    }
    test.date = optionalNumber(parameters, "date", kUnixDate);
    test.min = optionalNumber(parameters, "min", kRate);
    test.amp = optionalNumber(parameters, "amp", kRate);
    test.averageTime = optionalNumber(parameters, "averageTime", kRate);
    test.startLevel = optionalNumber(parameters, "startlevel", kLevel);
    test.finishLevel = optionalNumber(parameters, "finishlevel", kLevel);
    test.userStartLevel = optionalNumber(parameters, "userStartlevel", kLevel);
    test.finishTime = optionalNumber(parameters, "finishtime", kTime);
    test.userStartTime = optionalNumber(parameters, "userStartTime", kTime);

    // Comma-separated numbers; kept as sent.
    const auto numberCharacter = [](char c) {
        return isAsciiAlphanumeric(c) || c == '.' || c == ',' || c == '-' || c == '+';
    };
    test.levelList =
        optionalPlainText(parameters, "levellist", kMaxSampleListBytes, numberCharacter);
    test.timeList = optionalPlainText(parameters, "timelist", kMaxSampleListBytes, numberCharacter);
    const auto codeCharacter = [](char c) {
        return isAsciiAlphanumeric(c) || c == '-' || c == '_';
    };
    test.languageCode = optionalPlainText(parameters, "language_code", 16, codeCharacter);
    test.regionCode = optionalPlainText(parameters, "region_code", 16, codeCharacter);
    test.version =
        optionalPlainText(parameters, "version", 32, [](char c) { return c > ' ' && c < 0x7F; });
    return test;
}

ChargerLabel readChargerLabel(const Parameters& parameters) {
    ChargerLabel label;
    label.vendorId = vendorIdentifier(parameters, true);
    label.startTime = requiredNumber(parameters, "starttime", kTime);
    label.charger.brandId = requiredWholeNumber(parameters, "brand_id", kMaxBrandId);
    label.charger.watts = requiredWholeNumber(parameters, "charger_watts", 1000);
    label.charger.type = requiredWholeNumber(parameters, "charger_type", 3);
    label.charger.port = requiredWholeNumber(parameters, "charger_port", 3);
    label.charger.capacity = requiredWholeNumber(parameters, "charger_capacity", 1'000'000);
    return label;
}

const char* languageCode(Language language) {
    static constexpr const char* kCodes[] = {"en", "zh_CN", "zh_TW", "ja"};  // as Language runs
    static_assert(std::size(kCodes) == std::size(kLanguages));
    const auto index = static_cast<size_t>(language);
    return index < std::size(kCodes) ? kCodes[index] : kCodes[0];
}

LeaderboardQuery readLeaderboardQuery(const Parameters& parameters,
                                      const std::string& acceptLanguage) {
    LeaderboardQuery query;
    if (std::optional<std::string> model = single(parameters, "model"); model && !model->empty()) {
        if (!isCleanText(*model, kMaxNameCharacters)) {
            throw BadRequest("model", "not a text of at most " +
                                          std::to_string(kMaxNameCharacters) +
                                          " characters without control characters");
        }
        query.model = std::move(*model);
    }
    if (const std::optional<std::string> lang = single(parameters, "lang");
        lang && !lang->empty()) {
        for (const Language language : kLanguages) {
            if (*lang == languageCode(language)) {
                query.language = language;
                return query;
            }
        }
        throw BadRequest("lang", "not one of en, zh_CN, zh_TW, ja");
    }
    // "zh-TW,zh;q=0.9,en;q=0.8": the first tag the page has wins.
    size_t start = 0;
    while (start < acceptLanguage.size()) {
        size_t end = acceptLanguage.find(',', start);
        if (end == std::string::npos) end = acceptLanguage.size();
        std::string_view tag(acceptLanguage.data() + start, end - start);
        tag = tag.substr(0, tag.find(';'));
        while (!tag.empty() && tag.front() == ' ') tag.remove_prefix(1);
        while (!tag.empty() && tag.back() == ' ') tag.remove_suffix(1);
        if (const std::optional<Language> language = languageNamed(tag)) {
            query.language = *language;
            break;
        }
        start = end + 1;
    }
    return query;
}

}  // namespace voltaro::server
