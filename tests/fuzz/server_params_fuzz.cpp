// What a client sends the server: a query or form text and an Accept-Language header (cut by
// fuzz::kFileSeparator), decoded as the server decodes them and read as a test result, a charger
// label and a leaderboard query. A request is either refused with the parameter named or read into
// values within their bounds, and the reply texts are made for whatever was read.
#include <httplib.h>

#include <cmath>

#include "fuzz_support.h"
#include "server/result_text.h"
#include "server/text_checks.h"
#include "server/upload_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace voltaro;
    using namespace voltaro::server;
    const auto parts = fuzz::partsOf(fuzz::bytesOf(data, size), fuzz::kFileSeparator);
    Parameters parameters;
    httplib::detail::parse_query_text(std::string(parts[0]), parameters);
    const std::string acceptLanguage = parts.size() > 1 ? std::string(parts[1]) : std::string();

    try {
        const TestUpload test = readTestUpload(parameters);
        fuzz::check(std::isfinite(test.watt) && std::isfinite(test.startTime),
                    "an unbounded number");
        fuzz::check(isCleanText(test.model, kMaxNameCharacters), "a model name that is not clean");
        deciwattOf(test.watt);
        for (const Comparison& comparison : {Comparison{}, Comparison{1, 3, 10, 20}}) {
            const ResultTexts texts = resultTexts(test.watt, test.model, comparison);
            fuzz::check(isValidUtf8(texts.english) && isValidUtf8(texts.japanese),
                        "a reply text that is not UTF-8");
        }
    } catch (const BadRequest& refused) {
        fuzz::check(!refused.parameter().empty(), "a refusal without its parameter");
    }
    try {
        const ChargerLabel label = readChargerLabel(parameters);
        (void)label;
    } catch (const BadRequest& refused) {
        fuzz::check(!refused.parameter().empty(), "a refusal without its parameter");
    }
    try {
        const LeaderboardQuery query = readLeaderboardQuery(parameters, acceptLanguage);
        if (query.model) htmlEscaped(*query.model), queryEncoded(*query.model);
    } catch (const BadRequest& refused) {
        fuzz::check(!refused.parameter().empty(), "a refusal without its parameter");
    }
    for (const auto& [name, value] : parameters) {
        isCleanText(value, kMaxNameCharacters);
        isUuid(value);
        parseFiniteNumber(value);
        htmlEscaped(value);
        asciiUpperCase(name);
    }
    return 0;
}
