#include "service/utility.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/curl/curl_http_client.h"
#include "platform/curl/local_http_server.h"
#include "platform/system_main_loop.h"
#include "service/locale_codes.h"
#include "service/value_text.h"
#include "support/scoped_env.h"

namespace voltaro {
namespace {

using namespace std::chrono_literals;
using testing::ScopedEnv;
using Brands = std::vector<BrandRecord>;

constexpr const char* kVendor = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
constexpr const char* kJson = "application/json";

BrandRecord brand(const char* id, const char* en, const char* cn) {
    return {{"brandid", id}, {"brand_name_en", en}, {"brand_name_cn", cn}};
}

// Fails the test if anything is sent.
struct RefusingClient final : HttpClient {
    void send(HttpRequest request, ReplyHandler) override { ADD_FAILURE() << request.url; }
};

class UtilityTest : public ::testing::Test {
protected:
    UtilityTest() {
        const auto answer = [this](const httplib::Request& request, httplib::Response& response) {
            seen.add(request);
            std::lock_guard lock(mutex);
            response.status = status;
            response.set_content(body, contentType.c_str());
        };
        server.routes().Get("/brands", answer);
        server.routes().Get("/result", answer);
        server.routes().Post("/charger", answer);
        server.start();
        endpoints = {server.url("/brands"), server.url("/result"), server.url("/charger")};
    }

    void answerWith(int newStatus, std::string newBody, std::string type = kJson) {
        std::lock_guard lock(mutex);
        status = newStatus;
        body = std::move(newBody);
        contentType = std::move(type);
    }

    Utility utility(HttpClient& http) {
        return Utility(http, endpoints,
                       {.storeBrandList =
                            [this](const Brands& records) {
                                EXPECT_EQ(std::this_thread::get_id(), mainThread);
                                stored.push_back(records);
                                return storeSucceeds;
                            },
                        .languageFlag = [this] { return languageFlag; },
                        .vendorIdentifier = [this] { return vendorIdentifier; },
                        .modelName = [] { return std::string("iPhone 13"); }});
    }
    Utility utility() { return utility(client); }

    // The Utility is gone before the reply comes: the reply is still handled.
    bool fetchBrands() {
        bool completed = false;
        utility().fetchBrandList([&] { completed = true; });
        loop.run();  // until the reply is handled
        return completed;
    }

    // The completion's text, if it ran; its watt goes to `watt`.
    std::optional<std::string> resultText(const TestRecord& record = {{"watt", 12.3456789}}) {
        std::optional<std::string> text;
        utility().uploadTestResult(record, "1.5,2.5", "50,51", [&](const std::string& t, float w) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            text = t;
            watt = w;
        });
        loop.run();
        return text;
    }

    bool uploadCharger(const std::map<std::string, double>& config) {
        bool completed = false;
        utility().uploadChargerConfig(config, [&] { completed = true; });
        loop.run();
        return completed;
    }

    // Declared so that the clients go first (closing their kept-alive connections), then the
    // server, then what its handlers use.
    const std::thread::id mainThread = std::this_thread::get_id();
    SystemMainLoop loop;
    std::mutex mutex;
    int status = 200;  // the canned reply, guarded by mutex
    std::string body;
    std::string contentType = kJson;
    testing::RequestLog seen;
    testing::LocalHttpServer server;
    CurlHttpClient client{loop, {1s, 2s, 4 * 1024 * 1024}};
    ServiceEndpoints endpoints;

    std::vector<Brands> stored;
    bool storeSucceeds = true;
    std::string languageFlag = "1";
    std::string vendorIdentifier = kVendor;
    float watt = 0;
};

// What makes a reply JSON is the HTTP client's to test; these are replies that are.
TEST_F(UtilityTest, ABrandListReplyReplacesTheCatalogueWhenItIsAnArray) {
    const std::pair<const char*, std::optional<Brands>> cases[] = {
        {"[]", Brands{}},
        {R"([{"brand_id":12,"brand_name_en":"A","brand_name_cn":"B"},
             {"brand_id":"07","brand_name_en":12.5,"brand_name_cn":true,"extra":[1]},
             {"brand_id":3.0,"brand_name_en":"Ohm","brand_name_cn":"欧姆"}])",
         Brands{brand("12", "A", "B"), brand("07", "12.5", "true"), brand("3", "Ohm", "欧姆")}},
        {R"([3, "x", null, [], true, {"brand_id":1,"brand_name_en":"no cn"},
             {"brand_id":null,"brand_name_en":"A","brand_name_cn":"B"},
             {"brand_id":2,"brand_name_en":{},"brand_name_cn":"B"},
             {"brand_id":9,"brand_name_en":"Kept","brand_name_cn":"K"}])",
         Brands{brand("9", "Kept", "K")}},
        {R"({"brand_id":12,"brand_name_en":"A","brand_name_cn":"B"})", std::nullopt},
        {"{}", std::nullopt},
        {"\"[]\"", std::nullopt},
        {"12", std::nullopt}};
    for (const auto& [reply, expected] : cases) {
        SCOPED_TRACE(reply);
        stored.clear();
        answerWith(200, reply);
        EXPECT_EQ(fetchBrands(), expected.has_value());  // nothing stored: no completion
        EXPECT_EQ(stored, expected ? std::vector<Brands>{*expected} : std::vector<Brands>{});
    }
    EXPECT_EQ(seen.all().at(0).target, "/brands");

    storeSucceeds = false;  // the completion waits for the catalogue to be written
    answerWith(200, "[]");
    EXPECT_FALSE(fetchBrands());
}

TEST_F(UtilityTest, TheResultReplysTextIsTheMemberOfTheUsersLanguage) {
    const char* texts = R"({"content":"Hi","content_cn":"X","content_jp":"J"})";
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"1", texts, "Hi"},
        {"2", texts, "X"},
        {"3", texts, std::nullopt},
        {"4", texts, "J"},
        {"5", texts, std::nullopt},
        {"01", texts, std::nullopt},
        {"3", R"({"content":"Hi","content_tr":"T"})", "T"},
        {"1", R"({"content":2.5})", "2.5"},
        {"1", R"({"content":false})", "false"},
        {"1", R"({"content":null})", ""},
        {"1", R"({"content":{"a":1}})", ""},
        {"1", R"({"content_cn":"X"})", std::nullopt},
        {"1", R"(["content"])", std::nullopt},
        {"1", "\"Hi\"", std::nullopt}};
    for (const auto& [flag, reply, text] : cases) {
        SCOPED_TRACE(std::string(flag) + " " + reply);
        languageFlag = flag;
        answerWith(200, reply);
        watt = 0;
        EXPECT_EQ(resultText(), text);
        EXPECT_EQ(watt, text ? 12.3456789f : 0.0f);  // the record's, in single precision
    }
}

TEST_F(UtilityTest, TheTestResultRequestCarriesTheFinishedTest) {
    const ScopedEnv language("LANGUAGE", std::nullopt);
    const ScopedEnv all("LC_ALL", "zh_CN.UTF-8");
    answerWith(200, R"({"content":"Hi"})");
    resultText({{"date", 1672531200.0},
                {"watt", 18.5},
                {"min", 2.0},
                {"startlevel", 50.0},
                {"finishlevel", 100.0},
                {"starttime", 694224000.25},
                {"averageTime", 36.75},
                {"userStartlevel", 0.0}});
    const auto requests = seen.all();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target,
              "/result?date=1672531200&watt=18.5&min=2&amp=&startlevel=50&finishlevel=100"
              "&userStartlevel=0&starttime=694224000.25&finishtime=&userStartTime="
              "&averageTime=36.75&levellist=50%2C51&timelist=1.5%2C2.5&model=iPhone%2013"
              "&language_code=zh&region_code=CN&version=" VOLTARO_VERSION "&vindor_id=" +
                  std::string(kVendor));
}

TEST_F(UtilityTest, TheChargerDescriptionIsPostedAsAFormAbsentValuesZero) {
    answerWith(500, R"({"error":"db"})");  // any JSON reply completes
    EXPECT_TRUE(uploadCharger({{"starttime", 694224000.25},
                               {"brandid", 12.0},
                               {"watts", 18.0},
                               {"type", 1.0},
                               {"port", 2.0},
                               {"capacity", 0.0}}));
    vendorIdentifier.clear();  // unknown: sent empty
    answerWith(200, "<html>Saved</html>", "text/html");
    EXPECT_FALSE(uploadCharger({{"starttime", 3600.0}, {"watts", 7.5}}));
    const auto requests = seen.all();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/charger");
    EXPECT_EQ(requests[0].body,
              "starttime=694224000.25&brand_id=12&charger_watts=18&charger_type=1"
              "&charger_port=2&charger_capacity=0&vindor_id=" +
                  std::string(kVendor));
    EXPECT_EQ(requests[1].body,
              "starttime=3600&brand_id=0&charger_watts=7.5&charger_type=0&charger_port=0"
              "&charger_capacity=0&vindor_id=");
    const auto type = requests[0].headers.find("Content-Type");
    ASSERT_NE(type, requests[0].headers.end());
    EXPECT_EQ(type->second, "application/x-www-form-urlencoded; charset=utf-8");
}

TEST_F(UtilityTest, EmptyOrMalformedEndpointsSendNothing) {
    RefusingClient refusing;
    for (const char* address :
         {"", "127.0.0.1/brands", "ftp://127.0.0.1/", "http://", "https:/host", " http://host"}) {
        SCOPED_TRACE(address);
        endpoints = {address, address, address};
        bool completed = false;
        const Utility service = utility(refusing);
        service.fetchBrandList([&] { completed = true; });
        service.uploadTestResult({}, "", "", [&](const std::string&, float) { completed = true; });
        service.uploadChargerConfig({}, [&] { completed = true; });
        loop.run();  // nothing is outstanding, so this returns at once
        EXPECT_FALSE(completed);
    }
}

TEST(ServiceEndpoints, TheEnvironmentOverridesEachAddress) {
    const ScopedEnv brands("VOLTARO_BRAND_LIST_URL", "https://127.0.0.1:1/brands");
    const ScopedEnv result("VOLTARO_TEST_RESULT_URL", "");
    const ScopedEnv charger("VOLTARO_CHARGER_URL", "http://127.0.0.1:1/charger");
    const ServiceEndpoints endpoints = ServiceEndpoints::fromConfiguration();
    EXPECT_EQ(endpoints.brandList, "https://127.0.0.1:1/brands");
    EXPECT_EQ(endpoints.testResult, "");
    EXPECT_EQ(endpoints.charger, "http://127.0.0.1:1/charger");
    EXPECT_TRUE(isWebAddress("HTTPS://host"));
}

TEST(ValueTexts, NumbersAndLocaleNames) {
    const std::pair<double, const char*> numbers[] = {
        {-0.0, "0"},
        {1e21, "1000000000000000000000"},
        {-3.5, "-3.5"},
        {1e-7, "0.0000001"},
        {static_cast<double>(12.3f), "12.300000190734863"}};
    for (const auto& [value, text] : numbers) EXPECT_EQ(numberText(value), text) << text;

    const std::pair<const char*, const char*> locales[] = {
        {"zh_CN.UTF-8", "zh/CN"},   {"en", "en/0"},     {"sr_RS@latin", "sr/RS"},
        {"es_419.UTF-8", "es/419"}, {"pt-br", "pt/BR"}, {"C.UTF-8", "0/0"},
        {"POSIX", "0/0"},           {"", "0/0"},        {"en_US_POSIX", "en/0"}};
    for (const auto& [name, codes] : locales) {
        const LocaleCodes parsed = parseLocaleName(name);
        EXPECT_EQ(parsed.language + "/" + parsed.region, codes) << name;
    }
}

TEST(LocaleCodes, TheFirstSetVariableDecides) {
    const auto codes = [] {
        const LocaleCodes c = localeCodesFromEnvironment();
        return c.language + "/" + c.region;
    };
    const ScopedEnv language("LANGUAGE", "ja_JP:en_US");
    const ScopedEnv all("LC_ALL", "");
    const ScopedEnv messages("LC_MESSAGES", std::nullopt);
    const ScopedEnv lang("LANG", "de_AT.UTF-8");
    EXPECT_EQ(codes(), "ja/JP");
    {
        const ScopedEnv noLanguage("LANGUAGE", "");
        EXPECT_EQ(codes(), "de/AT");
    }
    const ScopedEnv noLanguage("LANGUAGE", std::nullopt);
    const ScopedEnv noLang("LANG", std::nullopt);
    EXPECT_EQ(codes(), "0/0");
}

}  // namespace
}  // namespace voltaro
