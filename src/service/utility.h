#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "service/endpoints.h"
#include "store/records.h"

namespace voltaro {

// The remote service client: fetches the brand catalogue, sends finished tests and charger
// descriptions. Every request is fire-and-forget: the call returns at once, a failure of any kind
// is silent, and a completion runs on the main loop only on success.
//
// Keeps no state between requests. A reply that arrives after this object is gone is still handled
// (the catalogue stored, the completion run), so only the HttpClient must outlive its requests.
class Utility {
public:
    // What the client needs of the rest of the program, asked when needed.
    struct Collaborators {
        // Replaces the brand catalogue; returns whether it was written.
        std::function<bool(const std::vector<BrandRecord>&)> storeBrandList;
        // The language flag, "1" to "4": which text of a test-result reply to show.
        std::function<std::string()> languageFlag;
        // The application's vendor identifier (a UUID text) on this device.
        std::function<std::string()> vendorIdentifier;
        // The display name of this device's model.
        std::function<std::string()> modelName;
    };

    using Completion = std::function<void()>;
    using ResultCompletion = std::function<void(const std::string& text, float watt)>;

    Utility(HttpClient& http, ServiceEndpoints endpoints, Collaborators collaborators);

    // Fetches the brand list and stores it as the whole catalogue; the completion runs once the
    // catalogue is written.
    void fetchBrandList(Completion completion) const;

    // Sends a saved test; the completion gets the reply's text in the user's language and the
    // record's "watt".
    void uploadTestResult(const TestRecord& record, const std::string& timeList,
                          const std::string& levelList, ResultCompletion completion) const;

    // Sends a charger description ("starttime", "brandid", "watts", "type", "port", "capacity";
    // an absent key counts as 0). The completion runs after any reply that reads as JSON.
    void uploadChargerConfig(const std::map<std::string, double>& config,
                             Completion completion) const;

private:
    HttpClient& http_;
    ServiceEndpoints endpoints_;
    Collaborators collaborators_;
};

}  // namespace voltaro
