// Replies of the remote service: the first byte chooses the status and the language, the rest is
// the body given to the brand-list, test-result and charger-description handlers.
#include "fuzz_support.h"
#include "platform/paths.h"
#include "service/utility.h"
#include "store/brand_catalogue.h"

VOLTARO_FUZZ(bytes) {
    // Answers every request at once with the same reply.
    struct ReplyingClient final : HttpClient {
        HttpReply reply;
        void send(HttpRequest, ReplyHandler onReply) override { onReply(reply); }
    };
    Paths::setDataDirectory(fuzz::scratchFiles({}, {}));
    if (bytes.empty()) return;
    const auto flags = static_cast<uint8_t>(bytes[0]);
    constexpr long kStatuses[] = {200, 204, 205, 500};
    ReplyingClient http;
    http.reply.status = kStatuses[flags % 4];
    http.reply.body = std::string(bytes.substr(1));
    http.reply.json = readJsonReply(http.reply.status, http.reply.body);
    const std::string languageFlag(1, static_cast<char>('1' + (flags >> 2) % 5));

    std::vector<BrandRecord> stored;
    const Utility utility(
        http, {"http://127.0.0.1/brands", "http://127.0.0.1/result", "http://127.0.0.1/charger"},
        {[&](const std::vector<BrandRecord>& brands) {
             stored = brands;
             return saveBrandCatalogue(brands);
         },
         [&] { return languageFlag; }, [] { return std::string(36, 'A'); },
         [] { return std::string("model"); }});
    bool catalogueWritten = false;
    utility.fetchBrandList([&] { catalogueWritten = true; });
    fuzz::check(!catalogueWritten || loadBrandCatalogue() == stored,
                "the stored brand list reads back otherwise");
    utility.uploadTestResult({{"watt", 12.5}}, "1,2", "50,51", [](const std::string&, float watt) {
        fuzz::check(watt == 12.5f, "the result's watt changed");
    });
    utility.uploadChargerConfig({{"starttime", 1.0}}, [] {});
}
