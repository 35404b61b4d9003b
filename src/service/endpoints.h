#pragma once

#include <string>
#include <string_view>

namespace voltaro {

// Addresses of the remote service. An empty or malformed address turns its request off.
struct ServiceEndpoints {
    std::string brandList;
    std::string testResult;
    std::string charger;

    // The addresses built in (CMake cache variables VOLTARO_BRAND_LIST_URL,
    // VOLTARO_TEST_RESULT_URL, VOLTARO_CHARGER_URL), each overridden by the environment variable
    // of the same name when that is set, even to an empty text.
    static ServiceEndpoints fromConfiguration();
};

// True for an absolute http:// or https:// address with something after the scheme.
bool isWebAddress(std::string_view address);

}  // namespace voltaro
