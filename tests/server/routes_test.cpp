// The service's routes on an in-memory database, served on 127.0.0.1 inside the test.
#include "server/routes.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "platform/curl/local_http_server.h"
#include "server/sqlite_storage.h"
#include "server/text_checks.h"
#include "server_requests.h"
#include "support/json_expect.h"

namespace voltaro::server {
namespace {

using testing::labelParameters;
using testing::testParameters;

class SwitchableStorage final : public Storage {
public:
    explicit SwitchableStorage(Storage& inner) : inner_(inner) {}
    std::atomic<bool> down{false};
    std::atomic<int> calls{0};

    StoredTest storeTest(const TestUpload& test) override { return inner().storeTest(test); }
    void storeLabel(const ChargerLabel& label) override { inner().storeLabel(label); }
    void replaceBrands(const std::vector<Brand>& list) override { inner().replaceBrands(list); }
    StandingsData readStandings() override { return inner().readStandings(); }
    void prepare() override { inner().prepare(); }

private:
    Storage& inner() {
        ++calls;
        if (down) throw StorageUnavailable("switched off by the test");
        return inner_;
    }
    Storage& inner_;
};

class RoutesTest : public ::testing::Test {
protected:
    explicit RoutesTest(ServerSettings settings = {.rateLimit = 0, .figuresMaxAge = {}})
        : routes_(storage_, settings, [this](const std::string& line) {
              std::lock_guard lock(logMutex_);
              log_.push_back(line);
          }) {
        routes_.install(server_.routes());
        server_.start();
    }
    // The server's threads use the routes and the log until it stops.
    ~RoutesTest() override { server_.stop(); }

    httplib::Result get(const std::string& path, const httplib::Params& parameters = {},
                        const httplib::Headers& headers = {}) {
        return httplib::Client(server_.url("")).Get(path, parameters, headers);
    }
    httplib::Result post(const httplib::Params& parameters) {
        return httplib::Client(server_.url("")).Post("/api/charger", parameters);
    }

    nlohmann::json sendTest(int device, double start, double watt,
                            const std::string& model = "Test Phone") {
        const auto reply = get("/api/test-result", testParameters(device, start, watt, model));
        EXPECT_EQ(reply->status, 200) << reply->body;
        return nlohmann::json::parse(reply->body);
    }

    void label(int device, double start, const std::string& brand) {
        const auto reply = post(labelParameters(device, start, brand));
        ASSERT_EQ(reply->status, 200) << reply->body;
        EXPECT_EQ(reply->body, "{}");
    }

    nlohmann::json leaderboard(const httplib::Params& parameters = {}) {
        const auto reply = get("/api/leaderboard", parameters);
        EXPECT_EQ(reply->status, 200) << reply->body;
        return nlohmann::json::parse(reply->body);
    }

    SqliteStorage memory_{":memory:"};
    SwitchableStorage storage_{memory_};
    testing::LocalHttpServer server_;
    std::mutex logMutex_;
    std::vector<std::string> log_;
    Routes routes_;
};

TEST_F(RoutesTest, BadParametersGet400AndStoreNothing) {
    // A parameter set to a bad value, or without "=" left out.
    const std::string longModel = "model=" + std::string(kMaxNameCharacters + 1, 'm');
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"/api/test-result",
         {"watt=nan", "watt=1000.5", "watt= 18", "watt", "starttime=1e11", "model=bad \xff byte",
          "model=line\nbreak", longModel, "vindor_id=not-a-uuid", "startlevel=101", "date=-5",
          "levellist=1,2,<script>", "version=1.0 beta", "language_code=" + std::string(17, 'e')}},
        {"/api/charger",
         {"brand_id=1.5", "charger_type=4", "charger_capacity=1e7", "charger_watts", "vindor_id"}},
        {"/", {"model=bad \xff byte", "lang=xx"}},
        {"/api/leaderboard", {longModel}},
    };
    for (const auto& [path, changes] : cases) {
        for (const std::string& change : changes) {
            SCOPED_TRACE(path + " " + change);
            const size_t equals = change.find('=');
            const std::string name = change.substr(0, equals);
            httplib::Params parameters = path == "/api/charger"       ? labelParameters(0, 7e8, "1")
                                         : path == "/api/test-result" ? testParameters(0, 7e8, 18)
                                                                      : httplib::Params{};
            parameters.erase(name);
            if (equals != std::string::npos) parameters.emplace(name, change.substr(equals + 1));
            const auto reply = path == "/api/charger" ? post(parameters) : get(path, parameters);
            ASSERT_TRUE(reply);
            EXPECT_EQ(reply->status, 400);
            const auto body = nlohmann::json::parse(reply->body);
            EXPECT_EQ(body["parameter"], name);
            EXPECT_FALSE(body["error"].get<std::string>().empty());
        }
    }
    httplib::Params twice = testParameters(0, 7e8, 18);
    twice.emplace("watt", "5");
    EXPECT_EQ(get("/api/test-result", twice)->status, 400);

    const StandingsData stored = memory_.readStandings();
    EXPECT_EQ(stored.storedTests, 0);
    EXPECT_EQ(stored.storedLabels, 0);
}

TEST_F(RoutesTest, TheTextComparesWithEveryOtherStoredTest) {
    EXPECT_EQ(sendTest(0, 1, 10)["content"], "10.0 W: no other tests to compare with yet.");
    EXPECT_EQ(sendTest(0, 2, 12)["content_cn"],
              "12.0 W：目前只有另外 1 次测试，还太少，暂时无法比较。");
    sendTest(0, 3, 14);
    sendTest(1, 3, 16);     // same start, other device: another test
    sendTest(0, 4, 11.96);  // shown as 12.0 W: a tie, not slower
    sendTest(1, 5, -3);     // failed: stored, never compared
    sendTest(1, 6, 30, "Other Phone");

    // 13 W against 10, 12, 14, 16, 12.0 on this model and 30 elsewhere.
    const nlohmann::json reply = sendTest(1, 7, 13);
    EXPECT_EQ(reply["content"],
              "13.0 W: faster than 60% of 5 tests on Test Phone and 50% of 6 tests on all models.");

    // Sent again, the same test is stored once and still not compared with itself.
    EXPECT_EQ(sendTest(1, 7, 13), reply);
    EXPECT_EQ(memory_.readStandings().storedTests, 8);

    EXPECT_EQ(sendTest(0, 8, -1)["content"],
              "This test ended without a result, so it is not compared.");

    // Without a vendor identifier a test is answered but not kept.
    httplib::Params anonymous = testParameters(0, 10, 15);
    anonymous.erase("vindor_id");
    EXPECT_EQ(get("/api/test-result", anonymous)->status, 200);
    EXPECT_EQ(memory_.readStandings().storedTests, 9);
}

TEST_F(RoutesTest, TheLeaderboardRanksByMedianAndListsFewTestsApart) {
    // Brand 1 on 10, 20, 12 W (median 12); brand 2 on 5, 30, 14, 16 W (median 15); brand 3 on
    // two tests; brand 4 on a failed test only.
    const std::vector<std::pair<int, double>> tests{{1, 10}, {1, 20}, {1, 12}, {2, 5},  {2, 30},
                                                    {2, 14}, {2, 16}, {3, 9},  {3, 11}, {4, -2}};
    for (size_t i = 0; i < tests.size(); ++i) {
        sendTest(0, static_cast<double>(i), tests[i].second, i == 4 ? "Other Phone" : "Test Phone");
        label(0, static_cast<double>(i), std::to_string(tests[i].first));
    }
    label(1, 99, "5");  // a label whose test never arrived

    const nlohmann::json all = leaderboard();
    ASSERT_EQ(all["ranked"].size(), 2u);
    ASSERT_EQ(all["unranked"].size(), 1u);
    testing::expectJsonHolds(all, R"({
        "labelled_tests": 9,
        "ranked": [{"rank": 1, "brand_id": 2, "brand_name_en": "Belkin", "median_watt": 15,
                    "tests": 4}, {"median_watt": 12}],
        "unranked": [{"brand_id": 3, "tests": 2}]})");

    // On one model, brand 2 has three tests left: 5, 14, 16.
    testing::expectJsonHolds(
        leaderboard({{"model", "Test Phone"}}),
        R"({"model": "Test Phone", "ranked": [{"brand_id": 2, "median_watt": 14}]})");

    // The last label wins; the blank charger takes a label away.
    label(0, 0, "3");
    label(0, 1, "3");
    ASSERT_EQ(post(labelParameters(0, 2, "0", "0", "0", "0"))->status, 200);
    // Brand 3 on 9, 11, 10, 20 W.
    testing::expectJsonHolds(leaderboard(), R"({"labelled_tests": 8,
        "ranked": [{}, {"brand_id": 3, "median_watt": 10.5}]})");
    EXPECT_EQ(memory_.readStandings().storedLabels, 10);
}

TEST_F(RoutesTest, ThePageShowsOutsideTextsAsTextAndTheBrandListAsStored) {
    memory_.replaceBrands({{1, "<script>alert(1)</script>", "<b>粗</b>"}});
    const std::string model = "<img src=x onerror=alert(2)>";
    for (int i = 0; i < 3; ++i) {
        sendTest(0, i, 10 + i, model);
        label(0, i, "1");
    }

    const auto page = get("/", {{"model", model}});
    ASSERT_EQ(page->status, 200);
    EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'none'"),
              std::string::npos);
    const std::string& html = page->body;
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    for (const char* shown : {
             "&lt;script&gt;alert(1)&lt;/script&gt; · <span class=\"part\">Wall charger</span> · "
             "<span class=\"part\">20 W</span> · <span class=\"part\">USB-C</span>",
             "<option value=\"&lt;img src=x onerror=alert(2)&gt;\" selected>",
         }) {
        EXPECT_NE(html.find(shown), std::string::npos) << shown;
    }

    const auto chinese = get("/", {}, {{"Accept-Language", "fr-FR, zh-TW;q=0.8, en;q=0.5"}});
    EXPECT_NE(chinese->body.find("<html lang=\"zh-Hant\">"), std::string::npos);
    EXPECT_NE(chinese->body.find("&lt;b&gt;粗&lt;/b&gt; · <span class=\"part\">插座充電器</span>"),
              std::string::npos);

    // Browsers get the page in the gzip form kept with it, never compressed anew per request.
    const auto packed = get("/", {{"model", model}}, {{"Accept-Encoding", "gzip, deflate, br"}});
    EXPECT_EQ(packed->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(packed->body, html);  // as the client unpacked it

    EXPECT_EQ(nlohmann::json::parse(get("/api/brands")->body),
              nlohmann::json::parse(R"([{"brand_id": 1,
        "brand_name_en": "<script>alert(1)</script>", "brand_name_cn": "<b>粗</b>"}])"));
}

TEST_F(RoutesTest, ADatabaseThatIsDownGives503UntilItIsBack) {
    storage_.down = true;
    for (const char* path :
         {"/api/test-result", "/api/charger", "/", "/api/brands", "/api/leaderboard"}) {
        SCOPED_TRACE(path);
        const auto reply = path == std::string("/api/charger")
                               ? post(labelParameters(0, 1, "1"))
                               : get(path, testParameters(0, 1, 18));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 503);
        EXPECT_TRUE(nlohmann::json::parse(reply->body).contains("error"));
        EXPECT_EQ(reply->get_header_value("Retry-After"), "5");
    }
    storage_.down = false;
    EXPECT_EQ(get("/")->status, 200);
}

TEST_F(RoutesTest, LargeBodiesGet413AndEveryRequestIsLogged) {
    const std::string body(64 * 1024 + 1, 'x');
    const auto large =
        httplib::Client(server_.url("")).Post("/api/charger", body, "application/octet-stream");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->status, 413);
    EXPECT_TRUE(nlohmann::json::parse(large->body).contains("error"));
    EXPECT_EQ(get("/nowhere")->status, 404);

    server_.stop();  // a line is written once its reply is out, in no set order
    std::sort(log_.begin(), log_.end(),
              [](const auto& a, const auto& b) { return a.size() < b.size(); });
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_NE(log_[0].find(" 127.0.0.1 GET /nowhere 404 "), std::string::npos) << log_[0];
    EXPECT_NE(log_[1].find(" 127.0.0.1 POST /api/charger 413 "), std::string::npos) << log_[1];
}

class RateLimitTest : public RoutesTest {
protected:
    // Nothing refills during the test.
    RateLimitTest() : RoutesTest({.rateLimit = 0.001, .rateBurst = 3, .trustForwardedFor = true}) {}
};

TEST_F(RateLimitTest, AClientOverItsRateGets429) {
    const httplib::Headers client{{"X-Forwarded-For", "203.0.113.9, 198.51.100.7"}};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(get("/api/brands", {}, client)->status, 200);
    const auto refused = get("/api/test-result", testParameters(0, 1, 18), client);
    EXPECT_EQ(refused->status, 429);
    EXPECT_EQ(refused->get_header_value("Retry-After"), "1");
    EXPECT_EQ(memory_.readStandings().storedTests, 0);
    EXPECT_EQ(get("/api/brands", {}, {{"X-Forwarded-For", "198.51.100.8"}})->status, 200);
}

// The cache reads on a thread of its own (with a real clock), so the test waits for the reads.
TEST(StandingsCacheTest, OldFiguresAreServedWhileNewOnesCannotBeRead) {
    SqliteStorage memory(":memory:");
    SwitchableStorage storage(memory);
    StandingsCache cache(storage, std::chrono::milliseconds(1));
    const auto first = cache.current();
    TestUpload test;
    test.vendorId = testing::vendor(0);
    memory.storeTest(test);
    storage.down = true;
    const auto until = [](const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    };
    const int failedReads = storage.calls + 2;
    until([&] { return cache.current() != first || storage.calls >= failedReads; });
    EXPECT_EQ(cache.current(), first);
    storage.down = false;
    until([&] { return cache.current()->storedTests() == 1; });
    EXPECT_EQ(cache.current()->storedTests(), 1);
}

}  // namespace
}  // namespace voltaro::server
