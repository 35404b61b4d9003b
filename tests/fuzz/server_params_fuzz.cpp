// What a client sends the server: a query or form text and an Accept-Language header (cut by
// fuzz::kFileSeparator), read as a test result, a charger label and a leaderboard query. A request
// is either refused with the parameter named or read into values within their bounds.
#include <httplib.h>

#include <cmath>

#include "fuzz_support.h"
#include "server/result_text.h"
#include "server/text_checks.h"
#include "server/upload_checks.h"

VOLTARO_FUZZ(bytes) {
    using namespace server;
    const auto readOrRefuse = [](const auto& read) {
        try {
            read();
        } catch (const BadRequest& refused) {
            fuzz::check(!refused.parameter().empty(), "a refusal without its parameter");
        }
    };
    const std::vector<std::string_view> parts = fuzz::parts(bytes, 2);
    Parameters parameters;
    httplib::detail::parse_query_text(std::string(parts[0]), parameters);
    const std::string acceptLanguage(parts.size() == 2 ? parts[1] : "");

    readOrRefuse([&] {
        const TestUpload test = readTestUpload(parameters);
        fuzz::check(std::isfinite(test.watt) && std::isfinite(test.startTime),
                    "an unbounded number");
        fuzz::check(isCleanText(test.model, kMaxNameCharacters), "a model name that is not clean");
        for (const Comparison& comparison : {Comparison{}, Comparison{1, 3, 10, 20}}) {
            const ResultTexts texts = resultTexts(test.watt, test.model, comparison);
            fuzz::check(isValidUtf8(texts.english) && isValidUtf8(texts.japanese),
                        "a reply text that is not UTF-8");
        }
    });
    readOrRefuse([&] { readChargerLabel(parameters); });
    readOrRefuse([&] {
        const LeaderboardQuery query = readLeaderboardQuery(parameters, acceptLanguage);
        if (query.model) htmlEscaped(*query.model), queryEncoded(*query.model);
    });
}
