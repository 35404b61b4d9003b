// voltaro-server as a process on 127.0.0.1, driven by the app's own service client, on SQLite
// and on PostgreSQL (VOLTARO_TEST_POSTGRESQL_URL: a cluster the test may create databases in).
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
#include "support/child_process.h"
#include "support/json_expect.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

using testing::ChildProcess;
using testing::runUntil;
using testing::TempDir;

constexpr const char* kVendors[] = {
    "E621E1F8-C36C-495A-93FC-0C247A3E6E5F", "0B3C2E1A-5D4F-4A6B-8C7D-9E0F1A2B3C4D",
    "5A1B2C3D-4E5F-4061-8273-849506172839", "9F8E7D6C-5B4A-4392-8171-605F4E3D2C1B",
    "11111111-2222-4333-8444-555555555555", "AAAAAAAA-BBBB-4CCC-9DDD-EEEEEEEEEEEE",
};

enum class Engine { SQLite, PostgreSQL };

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
// PostgreSQL cluster, dropped afterwards. Its URL is empty when no cluster was given.
class TestDatabase {
public:
    explicit TestDatabase(Engine engine) {
        if (engine == Engine::SQLite) {
            url_ = "sqlite:" + (dir_.path() / "voltaro.db").string();
            return;
        }
        cluster_ = postgresqlCluster();
        if (cluster_.empty()) return;
        static int counter = 0;
        name_ = "voltaro_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        administer("CREATE DATABASE " + name_);
        // The cluster's URL with this database's name in place of its own.
        const size_t path = cluster_.find('/', cluster_.find("://") + 3);
        const size_t options = cluster_.find('?', path);
        url_ = cluster_.substr(0, path) + "/" + name_ +
               (options == std::string::npos ? "" : cluster_.substr(options));
    }
    ~TestDatabase() {
        if (name_.empty()) return;
        try {
            administer("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        } catch (const std::exception&) {
        }
    }

    // Ends every connection to the PostgreSQL database and refuses new ones, or lets them in.
    void setReachable(bool reachable) {
        administer("ALTER DATABASE " + name_ + " ALLOW_CONNECTIONS " +
                   (reachable ? "true" : "false"));
        if (!reachable) {
            administer("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                       name_ + "'");
        }
    }

    const std::string& url() const { return url_; }
    const std::filesystem::path& folder() const { return dir_.path(); }

private:
    void administer(const std::string& statement) {
        pqxx::connection connection(cluster_);
        pqxx::nontransaction(connection).exec(statement);
    }

    TempDir dir_;
    std::string url_;
    std::string cluster_;
    std::string name_;
};

#define SKIP_WITHOUT_DATABASE(database)                                                         \
    if ((database).url().empty())                                                               \
    GTEST_SKIP() << "no PostgreSQL cluster to test against: CTest starts one where PostgreSQL " \
                    "is installed, or set VOLTARO_TEST_POSTGRESQL_URL"

// voltaro-server listening on 127.0.0.1 at a free port.
class ServerProcess : public ChildProcess {
public:
    explicit ServerProcess(const std::string& database)
        : ChildProcess({VOLTARO_SERVER_EXECUTABLE, "--listen", "127.0.0.1:0", "--database",
                        database, "--rate-limit", "0", "--figures-seconds", "0"}) {
        const std::string marker = "listening on http://127.0.0.1:";
        if (!waitForErr(marker))
            throw std::runtime_error("voltaro-server did not start:\n" + err());
        port_ = std::stoi(err().substr(err().find(marker) + marker.size()));
    }
    std::string url(const std::string& path = "") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    int port_ = 0;
};

httplib::Params testParameters(int device, double watt) {
    return {{"watt", std::to_string(watt)},
            {"starttime", "1"},
            {"model", "Test Phone"},
            {"vindor_id", kVendors[device]}};
}

httplib::Params labelParameters(int device, int brand) {
    return {{"starttime", "1"},
            {"brand_id", std::to_string(brand)},
            {"charger_watts", "20"},
            {"charger_type", "1"},
            {"charger_port", "2"},
            {"charger_capacity", "0"},
            {"vindor_id", kVendors[device]}};
}

nlohmann::json leaderboardOf(const ServerProcess& server) {
    httplib::Client client(server.url());
    const auto reply = client.Get("/api/leaderboard", httplib::Params{{"model", "Test Phone"}},
                                  httplib::Headers{});
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
    const auto importBrands = [&](const std::string& json) {
        const auto file = database.folder() / "brands.json";
        std::ofstream(file) << json;
        ChildProcess import({VOLTARO_SERVER_EXECUTABLE, "brands", "import", file.string(),
                             "--database", database.url()});
        const int status = import.wait();
        return std::pair(status, import.err());
    };
    const auto imported = importBrands(R"([
      {"brand_id": 12, "brand_name_en": "Voltwerk", "brand_name_cn": "伏特工坊"},
      {"brand_id": 30, "brand_name_en": "Kettle & Plug", "brand_name_cn": "壶与插头"}])");
    ASSERT_EQ(imported.first, 0) << imported.second;
    // A refused list leaves the one before.
    const auto refused = importBrands(R"([{"brand_id": 1}])");
    EXPECT_EQ(refused.first, 1);
    EXPECT_NE(refused.second.find("brand 1: \"brand_name_en\""), std::string::npos);

    ServerProcess server(database.url());
    auto app = std::make_unique<AppClient>(server, database.folder() / "app");
    ASSERT_TRUE(app->fetchBrands());
    EXPECT_EQ(loadBrandCatalogue(),
              (std::vector<BrandRecord>{
                  {{"brandid", "12"}, {"brand_name_en", "Voltwerk"}, {"brand_name_cn", "伏特工坊"}},
                  {{"brandid", "30"},
                   {"brand_name_en", "Kettle & Plug"},
                   {"brand_name_cn", "壶与插头"}}}));

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

    for (int device = 0; device < 3; ++device) ASSERT_TRUE(app->label(device, 12));
    const nlohmann::json board = leaderboardOf(server);
    ASSERT_EQ(board["ranked"].size(), 1u) << board;
    testing::expectJsonHolds(
        board, R"({"ranked": [{"brand_name_en": "Voltwerk", "tests": 3, "median_watt": 11}]})");

    app.reset();  // its idle connections would keep the server waiting a moment
    EXPECT_EQ(server.stop(SIGTERM), 0);
    const std::string log = server.err();
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
        const auto params = testParameters(device, 10 + device);
        ASSERT_EQ(client.Get("/api/test-result", params, httplib::Headers{})->status, 200);
    }
    for (int device = 0; device < 3; ++device) {
        ASSERT_EQ(toSecond.Post("/api/charger", labelParameters(device, 30))->status, 200);
    }
    const nlohmann::json board = leaderboardOf(first);
    ASSERT_EQ(board["ranked"].size(), 1u) << board;
    testing::expectJsonHolds(board, R"({"ranked": [{"brand_id": 30, "median_watt": 11}]})");
    EXPECT_EQ(leaderboardOf(second), board);
}

TEST(PostgreSQLServers, ADatabaseThatGoesAwayGives503AndIsReconnected) {
    TestDatabase database(Engine::PostgreSQL);
    SKIP_WITHOUT_DATABASE(database);
    ServerProcess server(database.url());
    httplib::Client client(server.url());
    const auto send = [&](int device) {
        const auto reply =
            client.Get("/api/test-result", testParameters(device, 12), httplib::Headers{});
        return reply ? reply->status : 0;
    };
    ASSERT_EQ(send(0), 200) << server.err();

    database.setReachable(false);
    EXPECT_EQ(send(1), 503);
    EXPECT_EQ(client.Get("/")->status, 503);
    EXPECT_TRUE(server.running());

    database.setReachable(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    int status = 0;
    while ((status = send(1)) != 200 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(status, 200) << server.err();
    const auto reply = client.Get("/api/test-result", testParameters(2, 14), httplib::Headers{});
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->body.find("(2 so far)"), std::string::npos) << reply->body;
}

}  // namespace
}  // namespace voltaro
