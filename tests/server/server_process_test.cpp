// voltaro-server as a process on 127.0.0.1, driven by the app's own service client, on SQLite
// and on PostgreSQL (VOLTARO_TEST_POSTGRESQL_URL: a cluster the test may create databases in),
// and its page in headless Chromium.
#include "server/server_process.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>

#include "platform/curl/curl_http_client.h"
#include "platform/curl/run_until.h"
#include "platform/paths.h"
#include "platform/system_main_loop.h"
#include "service/utility.h"
#include "store/brand_catalogue.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

using testing::ChildProcess;
using testing::runServerCommand;
using testing::runUntil;
using testing::ServerProcess;
using testing::TcpRelay;
using testing::TempDir;

constexpr const char* kVendors[] = {
    "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "0B3C2E1A-5D4F-4A6B-8C7D-9E0F1A2B3C4D",
    "5A1B2C3D-4E5F-4061-8273-849506172839", "9F8E7D6C-5B4A-4392-8171-605F4E3D2C1B",
    "11111111-2222-4333-8444-555555555555", "AAAAAAAA-BBBB-4CCC-9DDD-EEEEEEEEEEEE",
};

enum class Engine { SQLite, PostgreSQL };

// The parts of a postgresql://user@host:port/name?options address.
struct PostgresAddress {
    std::string prefix;  // "postgresql://user@"
    std::string host;
    int port = 5432;
    std::string options;  // "?..." or empty

    explicit PostgresAddress(const std::string& url) {
        const size_t authority = url.find("://") + 3;
        const size_t at = url.find('@', authority);
        const size_t hostStart = at == std::string::npos ? authority : at + 1;
        const size_t slash = url.find('/', hostStart);
        const size_t question = url.find('?', hostStart);
        prefix = url.substr(0, hostStart);
        const std::string hostPort = url.substr(hostStart, std::min(slash, question) - hostStart);
        const size_t colon = hostPort.rfind(':');
        host = hostPort.substr(0, colon);
        if (colon != std::string::npos) port = std::stoi(hostPort.substr(colon + 1));
        if (question != std::string::npos) options = url.substr(question);
    }
    std::string url(const std::string& database, int atPort = 0) const {
        return prefix + host + ":" + std::to_string(atPort != 0 ? atPort : port) + "/" + database +
               options;
    }
};

// The cluster to test against: VOLTARO_TEST_POSTGRESQL_URL, or the one CTest started, whose URL
// is in the file VOLTARO_TEST_POSTGRESQL_URL_FILE names; empty when there is none.
std::string postgresqlCluster() {
    const char* given = std::getenv("VOLTARO_TEST_POSTGRESQL_URL");
    if (given != nullptr && given[0] != '\0') return given;
    const char* file = std::getenv("VOLTARO_TEST_POSTGRESQL_URL_FILE");
    if (file == nullptr) return {};
    std::string url;
    std::getline(std::ifstream(file), url);
    return url;
}

// A database of its own for one test: a file in a temporary folder, or a new database in the
// PostgreSQL cluster, dropped afterwards.
class TestDatabase {
public:
    explicit TestDatabase(Engine engine) : engine_(engine) {
        if (engine == Engine::SQLite) {
            url_ = "sqlite:" + (dir_.path() / "voltaro.db").string();
            return;
        }
        admin_ = postgresqlCluster();
        if (admin_.empty()) return;
        static int counter = 0;
        name_ = "voltaro_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        pqxx::connection connection(admin_);
        pqxx::nontransaction work(connection);
        work.exec("CREATE DATABASE " + work.quote_name(name_));
        url_ = PostgresAddress(admin_).url(name_);
    }
    ~TestDatabase() {
        if (name_.empty()) return;
        try {
            pqxx::connection connection(admin_);
            pqxx::nontransaction work(connection);
            work.exec("DROP DATABASE IF EXISTS " + work.quote_name(name_) + " WITH (FORCE)");
        } catch (const std::exception&) {
        }
    }

    // Empty when no PostgreSQL cluster was given.
    const std::string& url() const { return url_; }
    const std::string& name() const { return name_; }
    const std::string& cluster() const { return admin_; }
    const std::filesystem::path& folder() const { return dir_.path(); }

private:
    Engine engine_;
    TempDir dir_;
    std::string url_;
    std::string admin_;
    std::string name_;
};

#define SKIP_WITHOUT_DATABASE(database)                                                      \
    if ((database).url().empty())                                                            \
    GTEST_SKIP() << "no PostgreSQL cluster to test against: CTest starts one where PostgreSQL " \
                    "is installed, or set VOLTARO_TEST_POSTGRESQL_URL"

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

const char* kTestBrands = R"([
  {"brand_id": 12, "brand_name_en": "Voltwerk", "brand_name_cn": "伏特工坊"},
  {"brand_id": 30, "brand_name_en": "Kettle & Plug", "brand_name_cn": "壶与插头"}
])";

httplib::Params testParameters(int device, double start, double watt, const std::string& model) {
    return {{"watt", std::to_string(watt)},
            {"starttime", std::to_string(start)},
            {"model", model},
            {"vindor_id", kVendors[device]}};
}

httplib::Params labelParameters(int device, double start, int brand) {
    return {{"starttime", std::to_string(start)},
            {"brand_id", std::to_string(brand)},
            {"charger_watts", "20"},
            {"charger_type", "1"},
            {"charger_port", "2"},
            {"charger_capacity", "0"},
            {"vindor_id", kVendors[device]}};
}

nlohmann::json leaderboardOf(const ServerProcess& server, const std::string& model) {
    httplib::Client client(server.url());
    const auto reply =
        client.Get("/api/leaderboard", httplib::Params{{"model", model}}, httplib::Headers{});
    if (!reply || reply->status != 200) return nullptr;
    return nlohmann::json::parse(reply->body);
}

// The app's remote service client wired as the app wires it, its catalogue in `dataDirectory`,
// one device at a time.
class AppClient {
public:
    AppClient(const ServerProcess& server, const std::filesystem::path& dataDirectory)
        : utility_(http_,
                   {server.url("/api/brands"), server.url("/api/test-result"),
                    server.url("/api/charger")},
                   {saveBrandCatalogue, [this] { return languageFlag; }, [this] { return vendor_; },
                    [] { return std::string("Test Phone"); }}) {
        Paths::setDataDirectory(dataDirectory);
    }
    ~AppClient() { Paths::setDataDirectory({}); }

    bool fetchBrands() {
        bool fetched = false;
        utility_.fetchBrandList([&] { fetched = true; });
        return runUntil(loop_, [&] { return fetched; });
    }

    // The text the service answers for a test of `device`.
    std::string upload(int device, double watt) {
        vendor_ = kVendors[device];
        const TestRecord record{{"date", 1.7e9},
                                {"watt", watt},
                                {"starttime", startOf(device)},
                                {"finishtime", 700003600.5},
                                {"startlevel", 20},
                                {"finishlevel", 100}};
        std::string text;
        utility_.uploadTestResult(record, "700000000.5,700000060.5", "20.0,21.0",
                                  [&](const std::string& reply, float) { text = reply; });
        runUntil(loop_, [&] { return !text.empty(); });
        return text;
    }

    bool label(int device, int brand) {
        vendor_ = kVendors[device];
        bool labelled = false;
        utility_.uploadChargerConfig({{"starttime", startOf(device)},
                                      {"brandid", brand},
                                      {"watts", 20},
                                      {"type", 1},
                                      {"port", 2},
                                      {"capacity", 0}},
                                     [&] { labelled = true; });
        return runUntil(loop_, [&] { return labelled; });
    }

    std::string languageFlag = "1";

private:
    static double startOf(int device) { return 700000000.5 + device; }

    SystemMainLoop loop_;
    CurlHttpClient http_{loop_};
    std::string vendor_;
    Utility utility_;
};

class ServiceEndToEnd : public ::testing::TestWithParam<Engine> {};

TEST_P(ServiceEndToEnd, TheAppsClientGetsBrandsTextsAndRankedLabels) {
    TestDatabase database(GetParam());
    SKIP_WITHOUT_DATABASE(database);
    const auto brandFile = database.folder() / "brands.json";
    writeFile(brandFile, kTestBrands);
    std::string err;
    ASSERT_EQ(runServerCommand(
                  {"brands", "import", brandFile.string(), "--database", database.url()}, &err),
              0)
        << err;
    writeFile(brandFile, "[{\"brand_id\": 1}]");
    EXPECT_EQ(runServerCommand(
                  {"brands", "import", brandFile.string(), "--database", database.url()}, &err),
              1);
    EXPECT_NE(err.find("brand 1: \"brand_name_en\""), std::string::npos) << err;

    ServerProcess server(database.url());
    auto app = std::make_unique<AppClient>(server, database.folder() / "app");
    ASSERT_TRUE(app->fetchBrands());
    EXPECT_EQ(loadBrandCatalogue(),
              (std::vector<BrandRecord>{
                  {{"brandid", "12"}, {"brand_name_en", "Voltwerk"}, {"brand_name_cn", "伏特工坊"}},
                  {{"brandid", "30"},
                   {"brand_name_en", "Kettle & Plug"},
                   {"brand_name_cn", "壶与插头"}}}));

    // Six devices send a test each; the last is compared with the other five.
    for (int device = 0; device < 5; ++device)
        EXPECT_FALSE(app->upload(device, 10 + device).empty());
    EXPECT_EQ(
        app->upload(5, 15),
        "15.0 W: faster than 100% of 5 tests on Test Phone and 100% of 5 tests on all models.");
    app->languageFlag = "4";
    // Sent again: still one test, and not compared with itself.
    EXPECT_EQ(app->upload(2, 12),
              "12.0 W：Test Phone のテスト 5 件のうち 40%、全機種のテスト 5 件のうち 40% "
              "より速い結果です。");

    // Three devices label their tests with the same charger: it is ranked.
    for (int device = 0; device < 3; ++device) ASSERT_TRUE(app->label(device, 12));
    const nlohmann::json board = leaderboardOf(server, "Test Phone");
    ASSERT_EQ(board["ranked"].size(), 1u) << board;
    EXPECT_EQ(board["ranked"][0]["brand_name_en"], "Voltwerk");
    EXPECT_EQ(board["ranked"][0]["tests"], 3);
    EXPECT_EQ(board["ranked"][0]["median_watt"], 11.0);

    app.reset();  // its idle connections would keep the server waiting a moment
    EXPECT_EQ(server.process().stop(SIGTERM), 0);
    const std::string log = server.process().err();
    EXPECT_NE(log.find(" 127.0.0.1 GET /api/test-result 200 "), std::string::npos) << log;
    EXPECT_NE(log.find(" 127.0.0.1 POST /api/charger 200 "), std::string::npos) << log;
    EXPECT_NE(log.find("voltaro-server: stopped"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Engines, ServiceEndToEnd,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& engine) {
                             return engine.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
                         });

TEST(PostgreSQLServers, TwoServersSeeEachOthersWrites) {
    TestDatabase database(Engine::PostgreSQL);
    SKIP_WITHOUT_DATABASE(database);
    ServerProcess first(database.url());
    ServerProcess second(database.url());
    httplib::Client toFirst(first.url());
    httplib::Client toSecond(second.url());
    for (int device = 0; device < 6; ++device) {
        auto& client = device % 2 == 0 ? toFirst : toSecond;
        ASSERT_EQ(client
                      .Get("/api/test-result", testParameters(device, 1, 10 + device, "Test Phone"),
                           httplib::Headers{})
                      ->status,
                  200);
    }
    for (int device = 0; device < 3; ++device) {
        ASSERT_EQ(toSecond.Post("/api/charger", labelParameters(device, 1, 30))->status, 200);
    }
    const nlohmann::json board = leaderboardOf(first, "Test Phone");
    ASSERT_EQ(board["ranked"].size(), 1u) << board;
    EXPECT_EQ(board["ranked"][0]["brand_id"], 30);
    EXPECT_EQ(board["ranked"][0]["median_watt"], 11.0);
    EXPECT_EQ(leaderboardOf(second, "Test Phone"), board);
}

TEST(PostgreSQLServers, ADatabaseThatGoesAwayGives503AndIsReconnected) {
    TestDatabase database(Engine::PostgreSQL);
    SKIP_WITHOUT_DATABASE(database);
    const PostgresAddress cluster(database.cluster());
    TcpRelay relay(cluster.port);
    ServerProcess server(cluster.url(database.name(), relay.port()));
    httplib::Client client(server.url());
    const auto send = [&](int device) {
        const auto reply = client.Get(
            "/api/test-result", testParameters(device, 1, 12, "Test Phone"), httplib::Headers{});
        return reply ? reply->status : 0;
    };
    ASSERT_EQ(send(0), 200) << server.process().err();

    relay.close();
    EXPECT_EQ(send(1), 503);
    EXPECT_EQ(client.Get("/")->status, 503);
    EXPECT_TRUE(server.process().running());

    relay.open();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    int status = 0;
    while ((status = send(1)) != 200 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(status, 200) << server.process().err();
    const auto reply =
        client.Get("/api/test-result", testParameters(2, 1, 14, "Test Phone"), httplib::Headers{});
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->body.find("(2 so far)"), std::string::npos) << reply->body;
}

// Chromium as the test runs it: headless, without a sandbox (CI runs as root), without talking to
// anything but the test's server, with a profile of its own. The page's policy forbids every
// script, so what Chromium shows is the page without JavaScript.
std::string chromiumPath() {
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        if (access(candidate, X_OK) == 0) return candidate;
    }
    return {};
}

TEST(LeaderboardPage, ChromiumShowsTheRankingWithOutsideTextsAsText) {
    const std::string chromium = chromiumPath();
    if (chromium.empty()) GTEST_SKIP() << "chromium is not installed (scripts/setup installs it)";
    TestDatabase database(Engine::SQLite);
    const auto brandFile = database.folder() / "brands.json";
    writeFile(brandFile, R"([
      {"brand_id": 12, "brand_name_en": "Voltwerk", "brand_name_cn": "伏特工坊"},
      {"brand_id": 66, "brand_name_en": "<script>document.title='owned'</script>", "brand_name_cn": ""}])");
    ASSERT_EQ(
        runServerCommand({"brands", "import", brandFile.string(), "--database", database.url()}),
        0);
    ServerProcess server(database.url());
    httplib::Client client(server.url());
    // Voltwerk measured 20, 21, 22 W; the other brand 10, 11, 12 W; one more Voltwerk test on a
    // second model stays unranked there.
    for (int device = 0; device < 6; ++device) {
        ASSERT_EQ(
            client
                .Get("/api/test-result",
                     testParameters(device, 1, device < 3 ? 20 + device : 7 + device, "Test Phone"),
                     httplib::Headers{})
                ->status,
            200);
        ASSERT_EQ(
            client.Post("/api/charger", labelParameters(device, 1, device < 3 ? 12 : 66))->status,
            200);
    }
    ASSERT_EQ(
        client.Get("/api/test-result", testParameters(0, 2, 15, "Tablet"), httplib::Headers{})
            ->status,
        200);
    ASSERT_EQ(client.Post("/api/charger", labelParameters(0, 2, 12))->status, 200);

    const auto dom = database.folder() / "dom.html";
    ChildProcess browser({chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                          "--no-first-run", "--disable-background-networking",
                          "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
                          "--user-data-dir=" + (database.folder() / "profile").string(),
                          "--dump-dom", server.url("/?model=Tablet&lang=en")},
                         dom.string());
    ASSERT_EQ(browser.waitFor(std::chrono::seconds(60)), 0) << browser.err();
    std::ifstream in(dom);
    const std::string shown((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    EXPECT_NE(shown.find("<title>Charger leaderboard · Voltaro</title>"), std::string::npos)
        << shown;
    EXPECT_EQ(shown.find("<script"), std::string::npos);
    const auto tablet = shown.find("<h2>Tablet</h2>");
    const auto unrankedOnTablet = shown.find("Fewer than 3 tests, not ranked yet", tablet);
    const auto tabletCharger =
        shown.find("Voltwerk · <span class=\"part\">Wall charger</span>", unrankedOnTablet);
    const auto all = shown.find("<h2>All models</h2>", tabletCharger);
    const auto first =
        shown.find("<span class=\"rank\">1</span><span class=\"name\">Voltwerk · ", all);
    const auto second = shown.find(
        "<span class=\"rank\">2</span><span "
        "class=\"name\">&lt;script&gt;document.title='owned'&lt;/script&gt; · ",
        first);
    for (const size_t at : {tablet, unrankedOnTablet, tabletCharger, all, first, second}) {
        EXPECT_NE(at, std::string::npos) << shown;
    }
    EXPECT_NE(shown.find("median 20.5 W · 4 tests", first), std::string::npos);
    EXPECT_NE(shown.find("<option value=\"Tablet\" selected=\"\">Tablet (1)</option>"),
              std::string::npos);
}

}  // namespace
}  // namespace voltaro
