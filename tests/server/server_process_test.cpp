// voltaro-server as a process on SQLite and PostgreSQL; what the routes answer is in routes_test.
#include <gtest/gtest.h>
#include <httplib.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>

#include "platform/curl/curl_http_client.h"
#include "platform/curl/run_until.h"
#include "platform/system_main_loop.h"
#include "server_requests.h"
#include "service/utility.h"
#include "support/child_process.h"
#include "support/json_expect.h"
#include "support/temp_dir.h"

namespace voltaro {
namespace {

using testing::ChildProcess;
using testing::labelParameters;
using testing::testParameters;

enum class Engine { SQLite, PostgreSQL };

// A database of the test's own, dropped afterwards; its URL is empty when there is no cluster.
class TestDatabase {
public:
    explicit TestDatabase(Engine engine) {
        if (engine == Engine::SQLite) {
            url_ = "sqlite:" + (dir_.path() / "voltaro.db").string();
            return;
        }
        // CTest writes the cluster's URL (VOLTARO_TEST_POSTGRESQL_URL or its own) to this file.
        const char* file = std::getenv("VOLTARO_TEST_POSTGRESQL_URL_FILE");
        if (file != nullptr) std::getline(std::ifstream(file), cluster_);
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

    testing::TempDir dir_;
    std::string url_;
    std::string cluster_;
    std::string name_;
};

#define SKIP_WITHOUT_DATABASE(database)                                                         \
    if ((database).url().empty())                                                               \
    GTEST_SKIP() << "no PostgreSQL cluster to test against: CTest starts one where PostgreSQL " \
                    "is installed, or set VOLTARO_TEST_POSTGRESQL_URL"

class ServerProcess : public ChildProcess {
public:
    explicit ServerProcess(const std::string& database)
        : ChildProcess({VOLTARO_SERVER_EXECUTABLE, "--listen", "127.0.0.1:0", "--database",
                        database, "--rate-limit", "0", "--figures-seconds", "0"}) {
        const std::string marker = "listening on http://127.0.0.1:";
        if (!waitForErr(marker))
            throw std::runtime_error("voltaro-server did not start:\n" + err());
        port = std::stoi(err().substr(err().find(marker) + marker.size()));
        client.emplace("127.0.0.1", port);
    }
    int port = 0;
    std::optional<httplib::Client> client;
};

// The app's own client sends its full upload of a test; returns the text of the reply.
std::string uploadFromTheApp(const ServerProcess& server) {
    SystemMainLoop loop;
    CurlHttpClient http(loop);
    const std::string address = "http://127.0.0.1:" + std::to_string(server.port);
    Utility utility(http, {"", address + "/api/test-result", ""},
                    {nullptr, [] { return std::string("1"); }, [] { return testing::vendor(9); },
                     [] { return std::string("Test Phone"); }});
    const TestRecord record{{"date", 1.7e9},
                            {"watt", 15},
                            {"starttime", 700000000.5},
                            {"finishtime", 700003600.5},
                            {"startlevel", 20},
                            {"finishlevel", 100}};
    std::string text;
    utility.uploadTestResult(record, "700000000.5,700000060.5", "20.0,21.0",
                             [&](const std::string& reply, float) { text = reply; });
    testing::runUntil(loop, [&] { return !text.empty(); });
    return text;
}

class ServerOnEngine : public ::testing::TestWithParam<Engine> {};

TEST_P(ServerOnEngine, ImportsBrandsServesAndKeepsItsDataAcrossARestart) {
    TestDatabase database(GetParam());
    SKIP_WITHOUT_DATABASE(database);
    const auto importBrands = [&](const std::string& json) {
        const auto file = database.folder() / "brands.json";
        std::ofstream(file) << json;
        ChildProcess import({VOLTARO_SERVER_EXECUTABLE, "brands", "import", file.string(),
                             "--database", database.url()});
        const int status = import.wait();  // before its error text is whole
        return std::pair(status, import.err());
    };
    const auto imported = importBrands(
        R"([{"brand_id": 12, "brand_name_en": "Voltwerk", "brand_name_cn": "伏特工坊"}])");
    ASSERT_EQ(imported.first, 0) << imported.second;
    // A refused list leaves the one before.
    const auto refused = importBrands(R"([{"brand_id": 1}])");
    EXPECT_EQ(refused.first, 1);
    EXPECT_NE(refused.second.find("brand 1: \"brand_name_en\""), std::string::npos);
    {
        ServerProcess server(database.url());
        EXPECT_EQ(uploadFromTheApp(server), "15.0 W: no other tests to compare with yet.");
        for (int device = 0; device < 3; ++device) {
            const auto test = testParameters(device, 1, 10 + device);
            ASSERT_EQ(server.client->Get("/api/test-result", test, {})->status, 200);
            ASSERT_EQ(server.client->Post("/api/charger", labelParameters(device, 1, "12"))->status,
                      200);
        }
        server.client.reset();  // its idle connection would keep the server waiting a moment
        EXPECT_EQ(server.stop(SIGTERM), 0);
        const std::string log = server.err();
        EXPECT_NE(log.find(" 127.0.0.1 POST /api/charger 200 "), std::string::npos) << log;
        EXPECT_NE(log.find("voltaro-server: stopped"), std::string::npos) << log;
    }
    ServerProcess restarted(database.url());
    const auto board = nlohmann::json::parse(restarted.client->Get("/api/leaderboard")->body);
    ASSERT_EQ(board["ranked"].size(), 1u) << board;
    testing::expectJsonHolds(
        board, R"({"ranked": [{"brand_name_en": "Voltwerk", "tests": 3, "median_watt": 11}]})");
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerOnEngine,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& engine) {
                             return engine.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
                         });

TEST(PostgreSQLServer, ADatabaseThatGoesAwayGives503AndIsReconnected) {
    TestDatabase database(Engine::PostgreSQL);
    SKIP_WITHOUT_DATABASE(database);
    ServerProcess server(database.url());
    const auto send = [&](int device) {
        const auto reply =
            server.client->Get("/api/test-result", testParameters(device, 1, 12), {});
        return reply ? reply->status : 0;
    };
    ASSERT_EQ(send(0), 200) << server.err();

    database.setReachable(false);
    EXPECT_EQ(send(1), 503);
    EXPECT_EQ(server.client->Get("/")->status, 503);
    EXPECT_TRUE(server.running());

    database.setReachable(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    int status = 0;
    while ((status = send(1)) != 200 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(status, 200) << server.err();
    const auto reply = server.client->Get("/api/test-result", testParameters(2, 1, 14), {});
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->body.find("(2 so far)"), std::string::npos) << reply->body;
}

}  // namespace
}  // namespace voltaro
