#include "service/utility.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/curl/curl_http_client.h"
#include "platform/curl/local_http_server.h"
#include "platform/curl/run_until.h"
#include "platform/system_main_loop.h"
#include "service/locale_codes.h"
#include "service/value_text.h"
#include "support/scoped_env.h"

namespace voltaro {
namespace {

using namespace std::chrono_literals;
using testing::Gate;
using testing::ScopedEnv;
using testing::LocalHttpServer;
using testing::RequestLog;
using testing::runUntil;

constexpr const char* kVendor = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";

// Passes requests through and counts the replies handled, so a test can wait for a request
// whose completion must not run.
class ObservedClient final : public HttpClient {
public:
    explicit ObservedClient(HttpClient& inner) : inner_(inner) {}
    void send(HttpRequest request, ReplyHandler onReply) override {
        ++sent;
        inner_.send(std::move(request), [this, onReply = std::move(onReply)](const HttpReply& r) {
            onReply(r);
            ++finished;
        });
    }
    int sent = 0;
    int finished = 0;

private:
    HttpClient& inner_;
};

// What the test server answers next.
struct Canned {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
};

class UtilityTest : public ::testing::Test {
protected:
    UtilityTest() {
        const auto answer = [this](const httplib::Request& request, httplib::Response& response) {
            seen.add(request);
            std::lock_guard lock(mutex);
            response.status = canned.status;
            response.set_content(canned.body, canned.contentType.c_str());
        };
        server.routes().Get("/brands", answer);
        server.routes().Get("/result", answer);
        server.routes().Post("/charger", answer);
        server.routes().Get("/silent",
                            [this](const httplib::Request&, httplib::Response&) { gate.wait(); });
        server.start();
        endpoints = {server.url("/brands"), server.url("/result"), server.url("/charger")};
    }
    ~UtilityTest() override { gate.open(); }

    void answerWith(int status, std::string body, std::string type = "application/json") {
        std::lock_guard lock(mutex);
        canned = {status, std::move(body), std::move(type)};
    }

    Utility::Collaborators collaborators() {
        Utility::Collaborators c;
        c.storeBrandList = [this](const std::vector<BrandRecord>& records) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            stored.push_back(records);
            return storeSucceeds;
        };
        c.languageFlag = [this] { return languageFlag; };
        c.vendorIdentifier = [this] { return vendorIdentifier; };
        c.modelName = [] { return std::string("iPhone 13"); };
        return c;
    }

    Utility utility() { return Utility(http, endpoints, collaborators()); }

    // Runs the loop until every request sent so far has been handled.
    void settle() {
        ASSERT_TRUE(runUntil(loop, [this] { return http.finished == http.sent; }));
    }

    // Fetches the brand list with the canned reply; returns whether the completion ran.
    bool fetchBrands(const std::string& body, int status = 200) {
        answerWith(status, body);
        bool completed = false;
        utility().fetchBrandList([&] {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            completed = true;
        });
        settle();
        return completed;
    }

    // The completion's text for a test-result reply, if it ran.
    std::optional<std::string> resultText(const std::string& body, int status = 200) {
        answerWith(status, body);
        std::optional<std::string> text;
        utility().uploadTestResult({{"watt", 12.0}}, "", "", [&](const std::string& t, float) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            text = t;
        });
        settle();
        return text;
    }

    // Whether the charger upload's completion ran for a canned reply.
    bool uploadCharger(int status, const std::string& body, const std::string& type) {
        answerWith(status, body, type);
        bool completed = false;
        utility().uploadChargerConfig({{"starttime", 1.0}}, [&] { completed = true; });
        settle();
        return completed;
    }

    // Declared so that the clients go first (closing their kept-alive connections), then the
    // server, then what its handlers use.
    const std::thread::id mainThread = std::this_thread::get_id();
    SystemMainLoop loop;
    Gate gate;
    std::mutex mutex;
    Canned canned;  // guarded by mutex
    RequestLog seen;
    LocalHttpServer server;
    CurlHttpClient client{loop, {1s, 2s, 4 * 1024 * 1024}};
    ObservedClient http{client};
    ServiceEndpoints endpoints;

    std::vector<std::vector<BrandRecord>> stored;
    bool storeSucceeds = true;
    std::string languageFlag = "1";
    std::string vendorIdentifier = kVendor;
};

// Brand list.

TEST_F(UtilityTest, AnEmptyBrandListEmptiesTheCatalogue) {
    EXPECT_TRUE(fetchBrands("[]"));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(stored[0].empty());
    ASSERT_EQ(seen.all().size(), 1u);
    EXPECT_EQ(seen.all()[0].target, "/brands");
}

TEST_F(UtilityTest, BrandFieldsAreRenamedAndTakenAsText) {
    EXPECT_TRUE(fetchBrands(R"([{"brand_id":12,"brand_name_en":"A","brand_name_cn":"B"},
                                {"brand_id":"07","brand_name_en":12.5,"brand_name_cn":true,
                                 "extra":[1]},
                                {"brand_id":3.0,"brand_name_en":"Ohm","brand_name_cn":"欧姆"}])"));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0],
              (std::vector<BrandRecord>{
                  {{"brandid", "12"}, {"brand_name_en", "A"}, {"brand_name_cn", "B"}},
                  {{"brandid", "07"}, {"brand_name_en", "12.5"}, {"brand_name_cn", "true"}},
                  {{"brandid", "3"}, {"brand_name_en", "Ohm"}, {"brand_name_cn", "欧姆"}},
              }));
}

TEST_F(UtilityTest, BrandListElementsThatAreNoBrandAreSkipped) {
    EXPECT_TRUE(fetchBrands(R"([3, "x", null, [], true,
                                {"brand_id":1,"brand_name_en":"no cn"},
                                {"brand_id":null,"brand_name_en":"A","brand_name_cn":"B"},
                                {"brand_id":2,"brand_name_en":{},"brand_name_cn":"B"},
                                {"brand_id":9,"brand_name_en":"Kept","brand_name_cn":"K"}])"));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0],
              (std::vector<BrandRecord>{
                  {{"brandid", "9"}, {"brand_name_en", "Kept"}, {"brand_name_cn", "K"}}}));
}

TEST_F(UtilityTest, ABrandListThatIsNoArrayLeavesTheCatalogueAlone) {
    for (const char* body : {R"({"brand_id":12,"brand_name_en":"A","brand_name_cn":"B"})", "{}",
                             "\"[]\"", "12", "not json", ""}) {
        SCOPED_TRACE(body);
        EXPECT_FALSE(fetchBrands(body));
    }
    EXPECT_TRUE(stored.empty());
}

TEST_F(UtilityTest, TheBrandCompletionWaitsForTheCatalogueToBeWritten) {
    storeSucceeds = false;
    EXPECT_FALSE(fetchBrands(R"([{"brand_id":1,"brand_name_en":"A","brand_name_cn":"B"}])"));
    EXPECT_EQ(stored.size(), 1u);
}

TEST_F(UtilityTest, ErrorStatusesAreRepliesWhenTheBodyIsJson) {
    EXPECT_TRUE(fetchBrands(R"([{"brand_id":1,"brand_name_en":"A","brand_name_cn":"B"}])", 500));
    EXPECT_EQ(stored.size(), 1u);

    answerWith(500, "<html><body>Internal Server Error</body></html>", "text/html");
    bool completed = false;
    utility().fetchBrandList([&] { completed = true; });
    settle();
    EXPECT_FALSE(completed);
    EXPECT_EQ(stored.size(), 1u);
}

TEST_F(UtilityTest, AReplyIsHandledAfterTheUtilityIsGone) {
    answerWith(200, R"([{"brand_id":1,"brand_name_en":"A","brand_name_cn":"B"}])");
    bool completed = false;
    {
        const Utility shortLived = utility();
        shortLived.fetchBrandList([&] { completed = true; });
    }
    settle();
    EXPECT_TRUE(completed);
    EXPECT_EQ(stored.size(), 1u);
}

// Test result.

TEST_F(UtilityTest, TheLanguageFlagChoosesTheReplyText) {
    const std::string reply = R"({"content":"Hi","content_cn":"X","content_jp":"J"})";
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"1", "Hi"},         {"2", "X"},         {"3", std::nullopt}, {"4", "J"},
        {"5", std::nullopt}, {"", std::nullopt}, {"01", std::nullopt}};
    for (const auto& [flag, expected] : cases) {
        SCOPED_TRACE("flag " + flag);
        languageFlag = flag;
        EXPECT_EQ(resultText(reply), expected);
    }
    languageFlag = "3";
    EXPECT_EQ(resultText(R"({"content":"Hi","content_tr":"T"})"), "T");
}

TEST_F(UtilityTest, TheReplyTextIsTheMembersValueAsText) {
    EXPECT_EQ(resultText(R"({"content":5})"), "5");
    EXPECT_EQ(resultText(R"({"content":2.5})"), "2.5");
    EXPECT_EQ(resultText(R"({"content":false})"), "false");
    EXPECT_EQ(resultText(R"({"content":null})"), "");
    EXPECT_EQ(resultText(R"({"content":{"a":1}})"), "");
    EXPECT_EQ(resultText(R"({"content":"Fast \u26a1"})"), "Fast \u26a1");
    EXPECT_EQ(resultText(R"({"content":"ok"})", 500), "ok");
}

TEST_F(UtilityTest, AResultReplyThatIsNoObjectWithMembersIsIgnored) {
    for (const char* body : {"{}", "[]", R"(["content"])", "\"Hi\"", "5", "null", "oops"}) {
        SCOPED_TRACE(body);
        EXPECT_EQ(resultText(body), std::nullopt);
    }
    EXPECT_EQ(resultText(R"({"content_cn":"X"})"), std::nullopt);
}

TEST_F(UtilityTest, TheResultCompletionGetsTheRecordsWattInSinglePrecision) {
    answerWith(200, R"({"content":"Hi"})");
    std::optional<float> watt;
    utility().uploadTestResult({{"watt", 12.3456789}}, "", "",
                               [&](const std::string&, float w) { watt = w; });
    settle();
    ASSERT_TRUE(watt);
    EXPECT_EQ(*watt, 12.3456789f);
}

TEST_F(UtilityTest, TheTestResultRequestCarriesTheFinishedTest) {
    const ScopedEnv language("LANGUAGE", std::nullopt);
    const ScopedEnv all("LC_ALL", "zh_CN.UTF-8");
    answerWith(200, R"({"content":"Hi"})");
    const TestRecord record{{"date", 1672531200.0}, {"watt", 18.5},
                            {"min", 2.0},           {"startlevel", 50.0},
                            {"finishlevel", 100.0}, {"starttime", 694224000.25},
                            {"averageTime", 36.75}, {"userStartlevel", 0.0}};
    utility().uploadTestResult(record, "1.5,2.5", "50,51", [](const std::string&, float) {});
    settle();

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

TEST_F(UtilityTest, AResultRequestNobodyAnswersEndsWithoutACompletion) {
    endpoints.testResult = server.url("/silent");
    CurlHttpClient impatient(loop, {1s, 300ms, 4 * 1024 * 1024});
    ObservedClient observed(impatient);
    bool completed = false;
    const auto started = std::chrono::steady_clock::now();
    Utility(observed, endpoints, collaborators())
        .uploadTestResult({{"watt", 1.0}}, "", "",
                          [&](const std::string&, float) { completed = true; });
    ASSERT_TRUE(runUntil(loop, [&] { return observed.finished == 1; }));
    EXPECT_FALSE(completed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

// Charger description.

TEST_F(UtilityTest, TheChargerDescriptionIsPostedAsAForm) {
    answerWith(200, "{}");
    bool completed = false;
    utility().uploadChargerConfig({{"starttime", 694224000.25},
                                   {"brandid", 12.0},
                                   {"watts", 18.0},
                                   {"type", 1.0},
                                   {"port", 2.0},
                                   {"capacity", 0.0}},
                                  [&] { completed = true; });
    settle();
    EXPECT_TRUE(completed);

    const auto requests = seen.all();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/charger");
    EXPECT_EQ(requests[0].body,
              "starttime=694224000.25&brand_id=12&charger_watts=18&charger_type=1"
              "&charger_port=2&charger_capacity=0&vindor_id=" +
                  std::string(kVendor));
    const auto type = requests[0].headers.find("Content-Type");
    ASSERT_NE(type, requests[0].headers.end());
    EXPECT_EQ(type->second, "application/x-www-form-urlencoded; charset=utf-8");
}

TEST_F(UtilityTest, AbsentChargerValuesAreZeroAndAnUnknownVendorIsSentEmpty) {
    vendorIdentifier.clear();
    answerWith(200, "{}");
    utility().uploadChargerConfig({{"starttime", 3600.0}, {"watts", 7.5}}, [] {});
    settle();
    const auto requests = seen.all();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body,
              "starttime=3600&brand_id=0&charger_watts=7.5&charger_type=0&charger_port=0"
              "&charger_capacity=0&vindor_id=");
}

TEST_F(UtilityTest, TheChargerCompletionRunsForAnyJsonReply) {
    EXPECT_TRUE(uploadCharger(200, "{}", "application/json"));
    EXPECT_TRUE(uploadCharger(200, "\"saved\"", "application/json"));
    EXPECT_TRUE(uploadCharger(204, "", "application/json"));
    EXPECT_TRUE(uploadCharger(500, R"({"error":"db"})", "application/json"));
    EXPECT_FALSE(uploadCharger(200, "", "application/json"));
    EXPECT_FALSE(uploadCharger(500, "<html>Internal Server Error</html>", "text/html"));
}

// Endpoints.

TEST_F(UtilityTest, EmptyOrMalformedEndpointsSendNothing) {
    for (const std::string& address : {std::string(), std::string("127.0.0.1/brands"),
                                       std::string("ftp://127.0.0.1/"), std::string("http://")}) {
        SCOPED_TRACE(address);
        endpoints = {address, address, address};
        bool completed = false;
        const Utility service = utility();
        service.fetchBrandList([&] { completed = true; });
        service.uploadTestResult({{"watt", 1.0}}, "", "",
                                 [&](const std::string&, float) { completed = true; });
        service.uploadChargerConfig({}, [&] { completed = true; });
        EXPECT_EQ(http.sent, 0);
        loop.run();  // nothing is outstanding, so this returns at once
        EXPECT_FALSE(completed);
    }
    EXPECT_TRUE(seen.all().empty());
}

TEST(ServiceEndpoints, TheEnvironmentOverridesEachAddress) {
    const ScopedEnv brands("VOLTARO_BRAND_LIST_URL", "https://127.0.0.1:1/brands");
    const ScopedEnv result("VOLTARO_TEST_RESULT_URL", "");
    const ScopedEnv charger("VOLTARO_CHARGER_URL", "http://127.0.0.1:1/charger");
    const ServiceEndpoints endpoints = ServiceEndpoints::fromConfiguration();
    EXPECT_EQ(endpoints.brandList, "https://127.0.0.1:1/brands");
    EXPECT_EQ(endpoints.testResult, "");
    EXPECT_EQ(endpoints.charger, "http://127.0.0.1:1/charger");
}

TEST(ServiceEndpoints, OnlyHttpAndHttpsAddressesAreUsable) {
    EXPECT_TRUE(isWebAddress("http://127.0.0.1:8080/x"));
    EXPECT_TRUE(isWebAddress("HTTPS://host"));
    EXPECT_FALSE(isWebAddress(""));
    EXPECT_FALSE(isWebAddress("http://"));
    EXPECT_FALSE(isWebAddress("https:/host"));
    EXPECT_FALSE(isWebAddress(" http://host"));
    EXPECT_FALSE(isWebAddress("file:///etc/passwd"));
}

// Texts.

TEST(NumberText, WholeNumbersHaveNoFractionAndOthersKeepTheirs) {
    EXPECT_EQ(numberText(18.0), "18");
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(100000.0), "100000");
    EXPECT_EQ(numberText(1e21), "1000000000000000000000");
    EXPECT_EQ(numberText(694224000.25), "694224000.25");
    EXPECT_EQ(numberText(0.1), "0.1");
    EXPECT_EQ(numberText(-3.5), "-3.5");
    EXPECT_EQ(numberText(1e-7), "0.0000001");
    EXPECT_EQ(numberText(static_cast<double>(12.3f)), "12.300000190734863");
}

TEST(LocaleCodes, ReadLanguageAndRegionFromALocaleName) {
    const auto codes = [](const char* name) {
        const LocaleCodes c = parseLocaleName(name);
        return c.language + "/" + c.region;
    };
    EXPECT_EQ(codes("zh_CN.UTF-8"), "zh/CN");
    EXPECT_EQ(codes("en"), "en/0");
    EXPECT_EQ(codes("ja_JP"), "ja/JP");
    EXPECT_EQ(codes("sr_RS@latin"), "sr/RS");
    EXPECT_EQ(codes("es_419.UTF-8"), "es/419");
    EXPECT_EQ(codes("pt-br"), "pt/BR");
    EXPECT_EQ(codes("C"), "0/0");
    EXPECT_EQ(codes("C.UTF-8"), "0/0");
    EXPECT_EQ(codes("POSIX"), "0/0");
    EXPECT_EQ(codes(""), "0/0");
    EXPECT_EQ(codes("en_US_POSIX"), "en/0");
}

TEST(LocaleCodes, TheFirstSetVariableDecides) {
    const ScopedEnv language("LANGUAGE", "ja_JP:en_US");
    const ScopedEnv all("LC_ALL", "");
    const ScopedEnv messages("LC_MESSAGES", std::nullopt);
    const ScopedEnv lang("LANG", "de_AT.UTF-8");
    EXPECT_EQ(localeCodesFromEnvironment().language, "ja");
    EXPECT_EQ(localeCodesFromEnvironment().region, "JP");
    {
        const ScopedEnv noLanguage("LANGUAGE", "");
        EXPECT_EQ(localeCodesFromEnvironment().language, "de");
        EXPECT_EQ(localeCodesFromEnvironment().region, "AT");
    }
    const ScopedEnv noLanguage("LANGUAGE", std::nullopt);
    const ScopedEnv noLang("LANG", std::nullopt);
    EXPECT_EQ(localeCodesFromEnvironment().language, "0");
    EXPECT_EQ(localeCodesFromEnvironment().region, "0");
}

}  // namespace
}  // namespace voltaro
