#include "service/utility.h"

#include <array>
#include <optional>
#include <utility>

#include "platform/log.h"
#include "service/locale_codes.h"
#include "service/value_text.h"

namespace voltaro {
namespace {

void note(const std::string& line) {
    log::debug(log::Category::Service, line);
}

bool usableEndpoint(const std::string& address, const char* request) {
    if (isWebAddress(address)) return true;
    note(std::string(request) + (address.empty() ? ": no address configured, not sent"
                                                 : ": not an http(s) address, not sent"));
    return false;
}

std::string callOrEmpty(const std::function<std::string()>& source) {
    return source ? source() : std::string();
}

// Reply member and catalogue key of each brand field.
constexpr std::array<std::pair<const char*, const char*>, 3> kBrandFields{{
    {"brand_id", "brandid"},
    {"brand_name_en", "brand_name_en"},
    {"brand_name_cn", "brand_name_cn"},
}};

// Empty when the reply is not an array. An object missing a field, or holding null, an array or
// an object in one, is no brand and is skipped like any element that is not an object.
std::optional<std::vector<BrandRecord>> brandRecordsFromReply(const nlohmann::json& reply) {
    if (!reply.is_array()) return std::nullopt;
    std::vector<BrandRecord> records;
    for (const nlohmann::json& element : reply) {
        if (!element.is_object()) continue;
        BrandRecord record;
        for (const auto& [member, key] : kBrandFields) {
            const auto found = element.find(member);
            if (found == element.end()) break;
            std::optional<std::string> text = scalarText(*found);
            if (!text) break;
            record.emplace(key, std::move(*text));
        }
        if (record.size() == kBrandFields.size()) records.push_back(std::move(record));
    }
    return records;
}

const char* resultMemberFor(const std::string& languageFlag) {
    if (languageFlag == "1") return "content";
    if (languageFlag == "2") return "content_cn";
    if (languageFlag == "3") return "content_tr";
    if (languageFlag == "4") return "content_jp";
    return nullptr;
}

std::optional<std::string> resultTextFromReply(const nlohmann::json& reply,
                                               const std::string& languageFlag) {
    if (!reply.is_object() || reply.empty()) return std::nullopt;
    const char* member = resultMemberFor(languageFlag);
    if (member == nullptr) return std::nullopt;
    const auto found = reply.find(member);
    if (found == reply.end()) return std::nullopt;
    return scalarText(*found).value_or(std::string());
}

double valueOrZero(const std::map<std::string, double>& values, const char* key) {
    const auto found = values.find(key);
    return found != values.end() ? found->second : 0.0;
}

const char* applicationVersion() {
#ifdef VOLTARO_VERSION
    return VOLTARO_VERSION;
#else
    return "";
#endif
}

}  // namespace

Utility::Utility(HttpClient& http, ServiceEndpoints endpoints, Collaborators collaborators)
    : http_(http), endpoints_(std::move(endpoints)), collaborators_(std::move(collaborators)) {}

void Utility::fetchBrandList(Completion completion) const {
    if (!usableEndpoint(endpoints_.brandList, "brand list")) return;
    HttpRequest request{HttpRequest::Method::Get, endpoints_.brandList, {}};
    // The handler holds its own copies: it may run after this object is gone.
    http_.send(std::move(request), [store = collaborators_.storeBrandList,
                                    completion = std::move(completion)](const HttpReply& reply) {
        if (!reply.json) return;
        const std::optional<std::vector<BrandRecord>> records = brandRecordsFromReply(*reply.json);
        if (!records) {
            note("brand list: the reply is not an array");
            return;
        }
        if (!store || !store(*records)) {
            note("brand list: the catalogue was not saved");
            return;
        }
        if (completion) completion();
    });
}

void Utility::uploadTestResult(const TestRecord& record, const std::string& timeList,
                               const std::string& levelList, ResultCompletion completion) const {
    if (!usableEndpoint(endpoints_.testResult, "test result")) return;

    FormParameters parameters;
    for (const char* key :
         {"date", "watt", "min", "amp", "startlevel", "finishlevel", "userStartlevel", "starttime",
          "finishtime", "userStartTime", "averageTime"}) {
        const auto found = record.find(key);
        parameters.emplace_back(key, found != record.end() ? numberText(found->second) : "");
    }
    parameters.emplace_back("levellist", levelList);
    parameters.emplace_back("timelist", timeList);
    parameters.emplace_back("model", callOrEmpty(collaborators_.modelName));
    const LocaleCodes locale = localeCodesFromEnvironment();
    parameters.emplace_back("language_code", locale.language);
    parameters.emplace_back("region_code", locale.region);
    if (const std::string version = applicationVersion(); !version.empty()) {
        parameters.emplace_back("version", version);
    }
    parameters.emplace_back("vindor_id", callOrEmpty(collaborators_.vendorIdentifier));

    const float watt = static_cast<float>(valueOrZero(record, "watt"));
    HttpRequest request{HttpRequest::Method::Get, endpoints_.testResult, std::move(parameters)};
    http_.send(std::move(request), [languageFlag = collaborators_.languageFlag, watt,
                                    completion = std::move(completion)](const HttpReply& reply) {
        if (!reply.json) return;
        // The flag is read when the reply arrives, as the text is shown then.
        const std::optional<std::string> text =
            resultTextFromReply(*reply.json, callOrEmpty(languageFlag));
        if (!text) {
            note("test result: the reply has no text for this language");
            return;
        }
        if (completion) completion(*text, watt);
    });
}

void Utility::uploadChargerConfig(const std::map<std::string, double>& config,
                                  Completion completion) const {
    if (!usableEndpoint(endpoints_.charger, "charger description")) return;

    FormParameters parameters;
    for (const auto& [parameter, key] : std::array<std::pair<const char*, const char*>, 6>{{
             {"starttime", "starttime"},
             {"brand_id", "brandid"},
             {"charger_watts", "watts"},
             {"charger_type", "type"},
             {"charger_port", "port"},
             {"charger_capacity", "capacity"},
         }}) {
        parameters.emplace_back(parameter, numberText(valueOrZero(config, key)));
    }
    // An unknown vendor identifier is sent empty: the description is still worth having.
    parameters.emplace_back("vindor_id", callOrEmpty(collaborators_.vendorIdentifier));

    HttpRequest request{HttpRequest::Method::Post, endpoints_.charger, std::move(parameters)};
    http_.send(std::move(request), [completion = std::move(completion)](const HttpReply& reply) {
        if (!reply.json) return;  // the content of the reply is not read
        if (completion) completion();
    });
}

}  // namespace voltaro
