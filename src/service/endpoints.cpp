#include "service/endpoints.h"

#include <cstdlib>

#ifndef VOLTARO_BRAND_LIST_URL
#define VOLTARO_BRAND_LIST_URL ""
#endif
#ifndef VOLTARO_TEST_RESULT_URL
#define VOLTARO_TEST_RESULT_URL ""
#endif
#ifndef VOLTARO_CHARGER_URL
#define VOLTARO_CHARGER_URL ""
#endif

namespace voltaro {
namespace {

std::string configured(const char* variable, const char* builtIn) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : builtIn;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

ServiceEndpoints ServiceEndpoints::fromConfiguration() {
    ServiceEndpoints endpoints;
    endpoints.brandList = configured("VOLTARO_BRAND_LIST_URL", VOLTARO_BRAND_LIST_URL);
    endpoints.testResult = configured("VOLTARO_TEST_RESULT_URL", VOLTARO_TEST_RESULT_URL);
    endpoints.charger = configured("VOLTARO_CHARGER_URL", VOLTARO_CHARGER_URL);
    return endpoints;
}

bool isWebAddress(std::string_view address) {
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (startsWithIgnoringCase(address, scheme)) return address.size() > scheme.size();
    }
    return false;
}

}  // namespace voltaro
