#include "service/utility.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "service/locale_codes.h"
#include "service/value_text.h"
#include "support/scoped_env.h"

namespace voltaro {
namespace {

using testing::ScopedEnv;
using Brands = std::vector<BrandRecord>;

constexpr const char* kVendor = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";

// Keeps what is sent and answers when the test says (the real client is tested elsewhere).
struct HeldClient final : HttpClient {
    std::vector<HttpRequest> sent;
    std::vector<ReplyHandler> waiting;
    void send(HttpRequest request, ReplyHandler onReply) override {
        sent.push_back(std::move(request));
        waiting.push_back(std::move(onReply));
    }
};

class UtilityTest : public ::testing::Test {
protected:
    Utility utility() {
        return Utility(client, endpoints,
                       {.storeBrandList =
                            [this](const Brands& records) {
                                stored.push_back(records);
                                return storeSucceeds;
                            },
                        .languageFlag = [this] { return languageFlag; },
                        .vendorIdentifier = [this] { return vendorIdentifier; },
                        .modelName = [] { return std::string("iPhone 13"); }});
    }

    // Each request is answered once the Utility that sent it is gone: the reply is still handled.
    void answer(const std::string& body, long status = 200) {
        const HttpReply reply{
            .error = {}, .status = status, .body = body, .json = readJsonReply(status, body)};
        for (const HttpClient::ReplyHandler& handler : std::exchange(client.waiting, {}))
            handler(reply);
    }

    bool fetchBrands(const std::string& reply) {
        bool completed = false;
        utility().fetchBrandList([&] { completed = true; });
        answer(reply);
        return completed;
    }

    // The completion's text, if it ran; its watt goes to `watt`.
    std::optional<std::string> resultText(const std::string& reply,
                                          const TestRecord& record = {{"watt", 12.3456789}}) {
        std::optional<std::string> text;
        utility().uploadTestResult(record, "1.5,2.5", "50,51", [&](const std::string& t, float w) {
            text = t;
            watt = w;
        });
        answer(reply);
        return text;
    }

    bool uploadCharger(const std::map<std::string, double>& config, const std::string& reply,
                       long status = 200) {
        bool completed = false;
        utility().uploadChargerConfig(config, [&] { completed = true; });
        answer(reply, status);
        return completed;
    }

    HeldClient client;
    ServiceEndpoints endpoints{"http://127.0.0.1/brands", "http://127.0.0.1/result",
                               "http://127.0.0.1/charger"};
    std::vector<Brands> stored;
    bool storeSucceeds = true;
    std::string languageFlag = "1";
    std::string vendorIdentifier = kVendor;
    float watt = 0;
};

TEST_F(UtilityTest, ABrandListReplyReplacesTheCatalogueWhenItIsAnArray) {
    const std::pair<const char*, std::optional<Brands>> cases[] = {
        {"[]", Brands{}},
        // Numbers become texts; an entry that is not an object or lacks a usable field is skipped.
        {R"([{"brand_id":3.0,"brand_name_en":"Ohm","brand_name_cn":"欧姆"}, 3, null, [],
             {"brand_id":"07","brand_name_en":12.5,"brand_name_cn":true,"extra":[1]},
             {"brand_id":null,"brand_name_en":"A","brand_name_cn":"B"}])",
         Brands{{{"brandid", "3"}, {"brand_name_en", "Ohm"}, {"brand_name_cn", "欧姆"}},
                {{"brandid", "07"}, {"brand_name_en", "12.5"}, {"brand_name_cn", "true"}}}},
        {"<html>[]</html>", std::nullopt}};
    for (const auto& [reply, expected] : cases) {
        SCOPED_TRACE(reply);
        stored.clear();
        EXPECT_EQ(fetchBrands(reply), expected.has_value());  // nothing stored: no completion
        EXPECT_EQ(stored, expected ? std::vector<Brands>{*expected} : std::vector<Brands>{});
    }

    storeSucceeds = false;  // the completion waits for the catalogue to be written
    EXPECT_FALSE(fetchBrands("[]"));
}

TEST_F(UtilityTest, TheResultReplysTextIsTheMemberOfTheUsersLanguage) {
    const char* texts = R"({"content":"Hi","content_cn":"X","content_jp":"J"})";
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"4", texts, "J"},
        {"01", texts, std::nullopt},
        {"1", R"({"content":2.5})", "2.5"},
        {"1", R"({"content":null})", ""},
        {"1", "\"Hi\"", std::nullopt}};
    for (const auto& [flag, reply, text] : cases) {
        SCOPED_TRACE(std::string(flag) + " " + reply);
        languageFlag = flag;
        watt = 0;
        EXPECT_EQ(resultText(reply), text);
        EXPECT_EQ(watt, text ? 12.3456789f : 0.0f);  // the record's, in single precision
    }
}

TEST_F(UtilityTest, TheTestResultRequestCarriesTheFinishedTest) {
    const ScopedEnv language("LANGUAGE", std::nullopt);
    const ScopedEnv all("LC_ALL", "zh_CN.UTF-8");
    const TestRecord record{{"date", 1672531200.0}, {"watt", 18.5},
                            {"min", 2.0},           {"startlevel", 50.0},
                            {"finishlevel", 100.0}, {"starttime", 694224000.25},
                            {"averageTime", 36.75}, {"userStartlevel", 0.0}};
    ASSERT_EQ(resultText(R"({"content":"Hi"})", record), "Hi");
    ASSERT_EQ(client.sent.size(), 1u);
    EXPECT_EQ(client.sent[0].method, HttpRequest::Method::Get);
    EXPECT_EQ(client.sent[0].url, endpoints.testResult);
    EXPECT_EQ(formEncode(client.sent[0].parameters),
              "date=1672531200&watt=18.5&min=2&amp=&startlevel=50&finishlevel=100"
              "&userStartlevel=0&starttime=694224000.25&finishtime=&userStartTime="
              "&averageTime=36.75&levellist=50%2C51&timelist=1.5%2C2.5&model=iPhone%2013"
              "&language_code=zh&region_code=CN&version=" VOLTARO_VERSION "&vindor_id=" +
                  std::string(kVendor));
}

TEST_F(UtilityTest, TheChargerDescriptionIsPostedAsAFormAbsentValuesZero) {
    const std::map<std::string, double> charger{
        {"starttime", 694224000.25}, {"brandid", 12}, {"watts", 18}, {"type", 1}, {"port", 2}};
    EXPECT_TRUE(uploadCharger(charger, R"({"error":"db"})", 500));  // any JSON reply completes
    EXPECT_FALSE(uploadCharger({{"starttime", 3600.0}, {"watts", 7.5}}, "<html>Saved</html>"));
    ASSERT_EQ(client.sent.size(), 2u);
    EXPECT_EQ(client.sent[0].method, HttpRequest::Method::Post);
    EXPECT_EQ(client.sent[0].url, endpoints.charger);
    EXPECT_EQ(formEncode(client.sent[0].parameters),
              "starttime=694224000.25&brand_id=12&charger_watts=18&charger_type=1"
              "&charger_port=2&charger_capacity=0&vindor_id=" +
                  std::string(kVendor));
}

TEST_F(UtilityTest, EmptyOrMalformedEndpointsSendNothing) {
    for (const char* address : {"", "127.0.0.1/brands", "ftp://127.0.0.1/", " http://host"}) {
        SCOPED_TRACE(address);
        endpoints = {address, address, address};
        const Utility service = utility();
        service.fetchBrandList([] { ADD_FAILURE(); });
        service.uploadTestResult({}, "", "", [](const std::string&, float) { ADD_FAILURE(); });
        service.uploadChargerConfig({}, [] { ADD_FAILURE(); });
        EXPECT_TRUE(client.sent.empty());
    }
}

// An empty variable counts as unset.
TEST(ServiceEnvironment, VariablesChooseTheAddressesAndTheLocale) {
    const ScopedEnv brands("VOLTARO_BRAND_LIST_URL", "https://127.0.0.1:1/brands");
    const ScopedEnv result("VOLTARO_TEST_RESULT_URL", "");
    const ScopedEnv language("LANGUAGE", "ja_JP:en_US");
    const ScopedEnv all("LC_ALL", "");
    const ScopedEnv messages("LC_MESSAGES", std::nullopt);
    const ScopedEnv lang("LANG", "de_AT.UTF-8");
    const ServiceEndpoints endpoints = ServiceEndpoints::fromConfiguration();
    EXPECT_EQ(endpoints.brandList, "https://127.0.0.1:1/brands");
    EXPECT_EQ(endpoints.testResult, "");
    EXPECT_EQ(localeCodesFromEnvironment().region, "JP");
}

TEST(ValueTexts, NumbersAndLocaleNames) {
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(1e21), "1000000000000000000000");
    EXPECT_EQ(numberText(12.3f), "12.300000190734863");  // the float's own value, in full

    const std::pair<const char*, const char*> locales[] = {
        {"sr_RS@latin", "sr/RS"}, {"es_419.UTF-8", "es/419"}, {"pt-br", "pt/BR"},
        {"C.UTF-8", "0/0"},       {"en_US_POSIX", "en/0"},
    };
    for (const auto& [name, codes] : locales) {
        const LocaleCodes parsed = parseLocaleName(name);
        EXPECT_EQ(parsed.language + "/" + parsed.region, codes) << name;
    }
}

}  // namespace
}  // namespace voltaro
