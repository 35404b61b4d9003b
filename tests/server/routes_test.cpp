// The service's routes on an in-memory database, served on 127.0.0.1 inside the test.
#include "server/routes.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "platform/curl/local_http_server.h"
#include "server/sqlite_storage.h"
#include "server/text_checks.h"
#include "support/json_expect.h"

namespace voltaro::server {
namespace {

using testing::LocalHttpServer;

constexpr const char* kVendorA = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
constexpr const char* kVendorB = "0B3C2E1A-5D4F-4A6B-8C7D-9E0F1A2B3C4D";

// Lets a test take the database away.
class SwitchableStorage final : public Storage {
public:
    explicit SwitchableStorage(Storage& inner) : inner_(inner) {}
    std::atomic<bool> down{false};
    std::atomic<int> reads{0};

    StoredTest storeTest(const TestUpload& test) override {
        check();
        return inner_.storeTest(test);
    }
    void storeLabel(const ChargerLabel& label) override {
        check();
        inner_.storeLabel(label);
    }
    void replaceBrands(const std::vector<Brand>& brands) override {
        check();
        inner_.replaceBrands(brands);
    }
    StandingsData readStandings() override {
        ++reads;
        check();
        return inner_.readStandings();
    }
    void prepare() override {
        check();
        inner_.prepare();
    }

private:
    void check() const {
        if (down) throw StorageUnavailable("switched off by the test");
    }
    Storage& inner_;
};

class RoutesTest : public ::testing::Test {
protected:
    explicit RoutesTest(ServerSettings settings = figuresAtOnce())
        : routes_(storage_, settings, logInto()) {
        routes_.install(server_.routes());
        server_.start();
        client_ = std::make_unique<httplib::Client>(server_.url(""));
    }
    // The server's threads use the routes and the log until it stops.
    ~RoutesTest() override { server_.stop(); }

    static ServerSettings figuresAtOnce() {
        ServerSettings settings;
        settings.rateLimit = 0;
        settings.figuresMaxAge = std::chrono::milliseconds(0);
        return settings;
    }

    Routes::LogLine logInto() {
        return [this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            log_.push_back(line);
        };
    }

    // What a test needs; the app's full upload is sent in server_process_test.
    static httplib::Params testParameters(const std::string& vendor, double start, double watt,
                                          const std::string& model = "Test Phone") {
        return {{"watt", std::to_string(watt)},
                {"starttime", std::to_string(start)},
                {"model", model},
                {"vindor_id", vendor}};
    }

    static httplib::Params labelParameters(const std::string& vendor, double start,
                                           const std::string& brand,
                                           const std::string& watts = "20") {
        return {{"starttime", std::to_string(start)},
                {"brand_id", brand},
                {"charger_watts", watts},
                {"charger_type", "1"},
                {"charger_port", "2"},
                {"charger_capacity", "0"},
                {"vindor_id", vendor}};
    }

    httplib::Result get(const std::string& path, const httplib::Params& parameters = {},
                        const httplib::Headers& headers = {}) {
        return client_->Get(path, parameters, headers);
    }

    nlohmann::json sendTest(const std::string& vendor, double start, double watt,
                            const std::string& model = "Test Phone") {
        const auto reply = get("/api/test-result", testParameters(vendor, start, watt, model));
        EXPECT_EQ(reply->status, 200) << reply->body;
        return nlohmann::json::parse(reply->body);
    }

    void label(const std::string& vendor, double start, const std::string& brand) {
        const auto reply = client_->Post("/api/charger", labelParameters(vendor, start, brand));
        ASSERT_EQ(reply->status, 200) << reply->body;
        EXPECT_EQ(reply->body, "{}");
    }

    nlohmann::json leaderboard(const std::string& model = "") {
        const auto reply =
            get("/api/leaderboard",
                model.empty() ? httplib::Params{} : httplib::Params{{"model", model}});
        EXPECT_EQ(reply->status, 200) << reply->body;
        return nlohmann::json::parse(reply->body);
    }

    std::vector<std::string> logLines() {
        std::lock_guard lock(logMutex_);
        return log_;
    }

    SqliteStorage memory_{":memory:"};
    SwitchableStorage storage_{memory_};
    LocalHttpServer server_;
    std::mutex logMutex_;
    std::vector<std::string> log_;
    Routes routes_;
    std::unique_ptr<httplib::Client> client_;
};

TEST_F(RoutesTest, BadParametersGet400AndStoreNothing) {
    // A parameter set to a bad value, or without "=" left out.
    const std::string longModel = "model=" + std::string(kMaxNameCharacters + 1, 'm');
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"/api/test-result",
         {"watt=abc", "watt=nan", "watt=inf", "watt=1e999", "watt=1000.5", "watt= 18", "watt",
          "starttime=1e11", "starttime", "model", "model=bad \xff byte", "model=overlong \xc0\xaf",
          "model=line\nbreak", "vindor_id=not-a-uuid", "startlevel=101", "date=-5",
          "levellist=1,2,<script>", "version=1.0 beta"}},
        {"/api/test-result", {longModel, "language_code=" + std::string(17, 'e')}},
        {"/api/charger",
         {"brand_id=1.5", "brand_id=-1", "charger_type=4", "charger_port=x", "charger_capacity=1e7",
          "charger_watts", "vindor_id", "starttime=NaN"}},
        {"/", {"model=bad \xff byte", "lang=xx"}},
        {"/api/leaderboard", {longModel}},
    };
    for (const auto& [path, changes] : cases) {
        for (const std::string& change : changes) {
            SCOPED_TRACE(path + " " + change);
            const size_t equals = change.find('=');
            const std::string name = change.substr(0, equals);
            httplib::Params parameters =
                path == "/api/charger"       ? labelParameters(kVendorA, 700000000, "1")
                : path == "/api/test-result" ? testParameters(kVendorA, 700000000, 18)
                                             : httplib::Params{};
            parameters.erase(name);
            if (equals != std::string::npos) parameters.emplace(name, change.substr(equals + 1));
            const auto reply =
                path == "/api/charger" ? client_->Post(path, parameters) : get(path, parameters);
            ASSERT_TRUE(reply);
            EXPECT_EQ(reply->status, 400);
            const auto body = nlohmann::json::parse(reply->body);
            EXPECT_EQ(body["parameter"], name);
            EXPECT_FALSE(body["error"].get<std::string>().empty());
        }
    }
    // A parameter given twice is as bad as a wrong one.
    httplib::Params twice = testParameters(kVendorA, 700000000, 18);
    twice.emplace("watt", "5");
    EXPECT_EQ(get("/api/test-result", twice)->status, 400);

    const StandingsData stored = memory_.readStandings();
    EXPECT_EQ(stored.storedTests, 0);
    EXPECT_EQ(stored.storedLabels, 0);
}

TEST_F(RoutesTest, TheTextComparesWithEveryOtherStoredTestInFourLanguages) {
    // Nothing to compare with yet, then too few.
    EXPECT_EQ(sendTest(kVendorA, 1, 10)["content"], "10.0 W: no other tests to compare with yet.");
    EXPECT_EQ(sendTest(kVendorA, 2, 12)["content_cn"],
              "12.0 W：目前只有另外 1 次测试，还太少，暂时无法比较。");
    sendTest(kVendorA, 3, 14);
    sendTest(kVendorB, 3, 16);     // same start, other device: another test
    sendTest(kVendorA, 4, 11.96);  // shown as 12.0 W: a tie, not slower
    sendTest(kVendorB, 5, -3);     // failed: stored, never compared
    sendTest(kVendorB, 6, 30, "Other Phone");

    // 13 W against 10, 12, 14, 16, 12.0 on this model and 30 elsewhere.
    const nlohmann::json reply = sendTest(kVendorB, 7, 13);
    EXPECT_EQ(reply["content"],
              "13.0 W: faster than 60% of 5 tests on Test Phone and 50% of 6 tests on all models.");
    EXPECT_EQ(
        reply["content_cn"],
        "13.0 W：超过 Test Phone 上 60% 的测试（共 5 次），超过所有机型 50% 的测试（共 6 次）。");
    EXPECT_EQ(
        reply["content_tr"],
        "13.0 W：超過 Test Phone 上 60% 的測試（共 5 次），超過所有機型 50% 的測試（共 6 次）。");
    EXPECT_EQ(reply["content_jp"],
              "13.0 W：Test Phone のテスト 5 件のうち 60%、全機種のテスト 6 件のうち 50% "
              "より速い結果です。");

    // Sent again, the same test is stored once and still not compared with itself.
    EXPECT_EQ(sendTest(kVendorB, 7, 13), reply);
    EXPECT_EQ(memory_.readStandings().storedTests, 8);

    EXPECT_EQ(sendTest(kVendorA, 8, 20, "Other Phone")["content"],
              "20.0 W: faster than 85% of 7 tests on all models. Other Phone has too few tests to "
              "compare yet (1 so far).");
    EXPECT_EQ(sendTest(kVendorA, 9, 20, "New Phone")["content"],
              "20.0 W: faster than 75% of 8 tests on all models. No other test on New Phone to "
              "compare with yet.");
    EXPECT_EQ(sendTest(kVendorA, 10, -1)["content"],
              "This test ended without a result, so it is not compared.");

    // Without a vendor identifier a test is answered but not kept.
    httplib::Params anonymous = testParameters(kVendorA, 11, 15);
    anonymous.erase("vindor_id");
    EXPECT_EQ(get("/api/test-result", anonymous)->status, 200);
    EXPECT_EQ(memory_.readStandings().storedTests, 11);
}

TEST_F(RoutesTest, TheLeaderboardRanksByMedianAndListsFewTestsApart) {
    // Brand 1 on 10, 20, 12 W (median 12); brand 2 on 5, 30, 14, 16 W (median 15); brand 3 on
    // two tests; brand 4 on a failed test only.
    const std::vector<std::pair<int, double>> tests{{1, 10}, {1, 20}, {1, 12}, {2, 5},  {2, 30},
                                                    {2, 14}, {2, 16}, {3, 9},  {3, 11}, {4, -2}};
    for (size_t i = 0; i < tests.size(); ++i) {
        sendTest(kVendorA, static_cast<double>(i), tests[i].second,
                 i == 4 ? "Other Phone" : "Test Phone");
        label(kVendorA, static_cast<double>(i), std::to_string(tests[i].first));
    }
    label(kVendorB, 99, "5");  // a label whose test never arrived

    const nlohmann::json all = leaderboard();
    ASSERT_EQ(all["ranked"].size(), 2u);
    ASSERT_EQ(all["unranked"].size(), 1u);
    // Brand 2's name comes from the starter list.
    testing::expectJsonHolds(all, R"({
        "labelled_tests": 9,
        "ranked": [{"rank": 1, "brand_id": 2, "brand_name_en": "Belkin", "median_watt": 15,
                    "tests": 4}, {"median_watt": 12}],
        "unranked": [{"brand_id": 3, "tests": 2}]})");

    // On one model, brand 2 has three tests left: 5, 14, 16.
    const nlohmann::json model = leaderboard("Test Phone");
    ASSERT_EQ(model["ranked"].size(), 2u);
    testing::expectJsonHolds(
        model, R"({"model": "Test Phone", "ranked": [{"brand_id": 2, "median_watt": 14}]})");
    EXPECT_TRUE(leaderboard("Nobody's Phone")["ranked"].empty());

    // The last label wins; the blank charger takes a label away.
    label(kVendorA, 0, "3");
    label(kVendorA, 1, "3");
    httplib::Params blank = labelParameters(kVendorA, 2, "0", "0");
    for (const char* code : {"charger_type", "charger_port"}) {
        blank.erase(code);
        blank.emplace(code, "0");
    }
    ASSERT_EQ(client_->Post("/api/charger", blank)->status, 200);
    // Brand 3 on 9, 11, 10, 20 W.
    testing::expectJsonHolds(leaderboard(), R"({"labelled_tests": 8,
        "ranked": [{}, {"brand_id": 3, "median_watt": 10.5}]})");
    EXPECT_EQ(memory_.readStandings().storedLabels, 10);
}

TEST_F(RoutesTest, ThePageShowsOutsideTextsAsText) {
    memory_.replaceBrands(
        {{1, "<script>alert(1)</script>", "<b>粗</b>"}, {2, "Fast & \"Friendly\"", ""}});
    const std::string model = "<img src=x onerror=alert(2)>";
    for (int i = 0; i < 3; ++i) {
        sendTest(kVendorA, i, 10 + i, model);
        label(kVendorA, i, "1");
    }
    sendTest(kVendorB, 1, 18);
    label(kVendorB, 1, "2");

    const auto page = get("/", {{"model", model}});
    ASSERT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'none'"),
              std::string::npos);
    const std::string& html = page->body;
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_NE(
        html.find(
            "&lt;script&gt;alert(1)&lt;/script&gt; · <span class=\"part\">Wall charger</span> · "
            "<span class=\"part\">20 W</span> · <span class=\"part\">USB-C</span>"),
        std::string::npos);
    EXPECT_NE(html.find("Fast &amp; &quot;Friendly&quot;"), std::string::npos);
    EXPECT_NE(html.find("<option value=\"&lt;img src=x onerror=alert(2)&gt;\" selected>"),
              std::string::npos);
    EXPECT_NE(
        html.find("href=\"/api/leaderboard?model=%3Cimg%20src%3Dx%20onerror%3Dalert%282%29%3E\""),
        std::string::npos);

    // Chinese pages name brands by their Chinese name where they have one.
    const auto chinese = get("/", {}, {{"Accept-Language", "fr-FR, zh-TW;q=0.8, en;q=0.5"}});
    EXPECT_NE(chinese->body.find("<html lang=\"zh-Hant\">"), std::string::npos);
    EXPECT_NE(chinese->body.find("&lt;b&gt;粗&lt;/b&gt; · <span class=\"part\">插座充電器</span>"),
              std::string::npos);
    EXPECT_NE(get("/", {{"lang", "ja"}})->body.find("充電器ランキング"), std::string::npos);

    // Browsers get the page in the gzip form kept with it, never compressed anew per request.
    const auto packed = get("/", {{"model", model}}, {{"Accept-Encoding", "gzip, deflate, br"}});
    EXPECT_EQ(packed->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(packed->body, html);  // as the client unpacked it
    EXPECT_FALSE(get("/", {}, {{"Accept-Encoding", "br"}})->has_header("Content-Encoding"));
}

TEST_F(RoutesTest, BrandsComeInTheClientsFormat) {
    const nlohmann::json starter = nlohmann::json::parse(get("/api/brands")->body);
    ASSERT_EQ(starter.size(), starterBrands().size());
    EXPECT_EQ(
        starter[0],
        (nlohmann::json{{"brand_id", 1}, {"brand_name_en", "Anker"}, {"brand_name_cn", "安克"}}));

    memory_.replaceBrands({{7, "Acme", "阿克米"}});
    EXPECT_EQ(nlohmann::json::parse(get("/api/brands")->body),
              nlohmann::json::parse(
                  R"([{"brand_id": 7, "brand_name_en": "Acme", "brand_name_cn": "阿克米"}])"));
}

TEST_F(RoutesTest, ADatabaseThatIsDownGives503UntilItIsBack) {
    storage_.down = true;
    const auto expectUnavailable = [](const httplib::Result& reply) {
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 503);
        EXPECT_TRUE(nlohmann::json::parse(reply->body).contains("error"));
        EXPECT_EQ(reply->get_header_value("Retry-After"), "5");
    };
    expectUnavailable(get("/api/test-result", testParameters(kVendorA, 1, 18)));
    expectUnavailable(client_->Post("/api/charger", labelParameters(kVendorA, 1, "1")));
    expectUnavailable(get("/"));
    expectUnavailable(get("/api/brands"));
    expectUnavailable(get("/api/leaderboard"));
    storage_.down = false;
    EXPECT_EQ(get("/api/test-result", testParameters(kVendorA, 1, 18))->status, 200);
    EXPECT_EQ(get("/")->status, 200);
}

TEST_F(RoutesTest, LargeBodiesGet413AndEveryRequestIsLogged) {
    const std::string body(64 * 1024 + 1, 'x');
    const auto large = client_->Post("/api/charger", body, "application/octet-stream");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->status, 413);
    EXPECT_TRUE(nlohmann::json::parse(large->body).contains("error"));
    EXPECT_EQ(get("/nowhere")->status, 404);

    server_.stop();  // a line is written once its reply is out, in no set order
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 2u);
    for (const char* logged :
         {" 127.0.0.1 POST /api/charger 413 ", " 127.0.0.1 GET /nowhere 404 "}) {
        EXPECT_TRUE(lines[0].find(logged) != std::string::npos ||
                    lines[1].find(logged) != std::string::npos)
            << logged;
    }
}

class RateLimitTest : public RoutesTest {
protected:
    RateLimitTest() : RoutesTest(limited()) {}
    static ServerSettings limited() {
        ServerSettings settings = figuresAtOnce();
        settings.rateLimit = 0.001;  // nothing refills during the test
        settings.rateBurst = 3;
        settings.trustForwardedFor = true;
        return settings;
    }
};

TEST_F(RateLimitTest, AClientOverItsRateGets429) {
    const httplib::Headers client{{"X-Forwarded-For", "203.0.113.9, 198.51.100.7"}};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(get("/api/brands", {}, client)->status, 200);
    const auto refused = get("/api/test-result", testParameters(kVendorA, 1, 18), client);
    EXPECT_EQ(refused->status, 429);
    EXPECT_EQ(refused->get_header_value("Retry-After"), "1");
    EXPECT_EQ(memory_.readStandings().storedTests, 0);
    // Another address behind the same proxy has a bucket of its own.
    EXPECT_EQ(get("/api/brands", {}, {{"X-Forwarded-For", "198.51.100.8"}})->status, 200);
}

TEST(StandingsCacheTest, OldFiguresAreServedWhileNewOnesAreRead) {
    SqliteStorage memory(":memory:");
    SwitchableStorage storage(memory);
    StandingsCache cache(storage, std::chrono::milliseconds(1));
    TestUpload test;
    test.vendorId = kVendorA;
    test.model = "Test Phone";
    test.watt = 10;
    memory.storeTest(test);
    const auto first = cache.current();
    EXPECT_EQ(first->storedTests(), 1);

    test.startTime = 1;
    memory.storeTest(test);
    // While new figures cannot be read, the old ones are served.
    storage.down = true;
    const int readsBefore = storage.reads;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (storage.reads < readsBefore + 2 && std::chrono::steady_clock::now() < deadline) {
        EXPECT_EQ(cache.current(), first);
    }
    EXPECT_GE(storage.reads, readsBefore + 2);
    storage.down = false;
    const auto again = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (cache.current()->storedTests() != 2 && std::chrono::steady_clock::now() < again) {
        std::this_thread::yield();
    }
    EXPECT_EQ(cache.current()->storedTests(), 2);
}

}  // namespace
}  // namespace voltaro::server
