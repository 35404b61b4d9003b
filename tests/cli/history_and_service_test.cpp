#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "cli_runner.h"
#include "device/device.h"
#include "platform/model_source.h"
#include "platform/paths.h"
#include "platform/socket/socket_watch_channel.h"
#include "platform/system_main_loop.h"
#include "store/brand_catalogue.h"
#include "store/history.h"
#include "support/fake_battery.h"
#include "watch/watch_link.h"

namespace voltaro::cli {
namespace {

class HistoryCommandTest : public ::testing::Test {
protected:
    std::string dataDir() const { return dir.path().string(); }
    CliRun measureInto(const std::string& script) {
        return run({"measure", "--battery", "replay:" + data(script), "--instant", "--json",
                    "--data-dir", dataDir(), "--model", "x86_64"});
    }
    testing::TempDir dir;
};

TEST_F(HistoryCommandTest, MeasureSavesWhatHistoryLists) {
    ASSERT_EQ(measureInto("one_step_in_a_minute.script").status, kExitResult);
    ASSERT_EQ(measureInto("jump_past_placeholder.script").status, kExitNoResult);  // saved too
    const CliRun listed = run({"history", "--data-dir", dataDir()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    // Newest test first: the failed one, then the one-step result.
    const auto failed = listed.out.find("unknown charger");
    const auto result = listed.out.find("8.1 W");
    ASSERT_NE(failed, std::string::npos);
    ASSERT_NE(result, std::string::npos);
    EXPECT_LT(listed.out.find("-19."), result);

    // Each result keeps its samples and the figures they were worked out with.
    const nlohmann::json shown = run({"history", "show", "2", "--json", "--data-dir", dataDir()}).json();
    EXPECT_FALSE(shown["endsOnly"]);
    EXPECT_EQ(shown["samples"].size(), 2u);
    EXPECT_EQ(shown["batteryCapacity"], 2716);
    EXPECT_EQ(shown["model"], "x86_64");

    const CliRun json = run({"history", "--json", "--data-dir", dataDir()});
    const auto records = nlohmann::json::parse(json.out);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["finishlevel"], 52.0);
    EXPECT_EQ(records[0]["type"], 0.0);
    EXPECT_FALSE(records[0].contains("capacity"));

    const CliRun csv = run({"history", "--csv", "--data-dir", dataDir()});
    std::istringstream lines(csv.out);
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_EQ(header.rfind("date,watt,min,amp,startlevel,finishlevel", 0), 0u);
    EXPECT_NE(first.find(",52,"), std::string::npos);
}

TEST_F(HistoryCommandTest, ClearAsksFirst) {
    ASSERT_EQ(measureInto("one_step_in_a_minute.script").status, kExitResult);
    EXPECT_EQ(run({"history", "clear", "--data-dir", dataDir()}, "n\n").status, 0);
    Paths::setDataDirectory(dir.path());
    EXPECT_EQ(loadHistory().size(), 1u);
    EXPECT_EQ(run({"history", "clear", "--data-dir", dataDir()}, "").status, 0);  // no answer: no
    EXPECT_EQ(loadHistory().size(), 1u);
    EXPECT_EQ(run({"history", "clear", "--data-dir", dataDir()}, "y\n").status, 0);
    EXPECT_TRUE(loadHistory().empty());
    ASSERT_EQ(measureInto("one_step_in_a_minute.script").status, kExitResult);
    EXPECT_EQ(run({"history", "clear", "--yes", "--data-dir", dataDir()}).status, 0);
    EXPECT_TRUE(loadHistory().empty());
    Paths::setDataDirectory({});
}

TEST_F(HistoryCommandTest, AnUnwritableHistoryIsSaidAndLosesNothingElse) {
    const std::string blocked = (dir.path() / "file").string();
    std::ofstream(blocked) << "not a directory";
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                          "--instant", "--data-dir", blocked});
    EXPECT_EQ(r.status, kExitResult);
    EXPECT_NE(r.out.find("could not be written"), std::string::npos);
}

TEST_F(HistoryCommandTest, LabelWritesTheChargerIntoEveryRecordOfTheTest) {
    ASSERT_EQ(run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                   "--instant", "--clock-start", "1000", "--data-dir", dataDir()})
                  .status,
              kExitResult);
    const CliRun labelled = run({"label", "1010", "--kind", "wall", "--watts", "18", "--port",
                                 "usb-c", "--data-dir", dataDir()});
    ASSERT_EQ(labelled.status, 0) << labelled.err;
    EXPECT_NE(run({"history", "--data-dir", dataDir()}).out.find("18W / USB-C"), std::string::npos);
    const auto records = nlohmann::json::parse(run({"history", "--json", "--data-dir", dataDir()}).out);
    EXPECT_EQ(records[0]["watts"], 18.0);
    EXPECT_EQ(records[0]["type"], 1.0);
    EXPECT_EQ(records[0]["port"], 2.0);
    EXPECT_EQ(records[0]["capacity"], 0.0);
    EXPECT_NE(run({"chargers", "--data-dir", dataDir()}).out.find("18W / USB-C"), std::string::npos);

    EXPECT_EQ(run({"label", "1010", "--clear", "--data-dir", dataDir()}).status, 0);
    EXPECT_EQ(nlohmann::json::parse(run({"history", "--json", "--data-dir", dataDir()}).out)[0]["watts"],
              0.0);
}

TEST_F(HistoryCommandTest, LabelRefusesWhatCannotBeStored) {
    ASSERT_EQ(measureInto("one_step_in_a_minute.script").status, kExitResult);
    const std::string where = dataDir();
    EXPECT_EQ(run({"label", "soon", "--kind", "car", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(run({"label", "1010", "--data-dir", where}).status, kExitUsage);  // says nothing
    EXPECT_EQ(run({"label", "1010", "--watts", "101", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(run({"label", "1010", "--watts", "١٨", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(run({"label", "1010", "--capacity", "10000000", "--data-dir", where}).status,
              kExitUsage);
    EXPECT_EQ(run({"label", "1010", "--kind", "solar", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(run({"label", "1010", "--brand", "Nobody", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(run({"label", "12345", "--kind", "car", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(run({"label", "1010", "--clear", "--kind", "wall", "--data-dir", where}).status,
              kExitUsage);
    // A record without a start time belongs to no test, not to the test of 0.
    Paths::setDataDirectory(dir.path());
    std::vector<TestRecord> records = loadHistory();
    records.push_back({{"watt", 5.0}});
    ASSERT_TRUE(saveHistory(records));
    EXPECT_EQ(run({"label", "0", "--kind", "car", "--data-dir", where}).status, kExitUsage);
    EXPECT_EQ(loadHistory(), records);
    Paths::setDataDirectory({});
}

TEST_F(HistoryCommandTest, ALabelThatCannotBeWrittenChangesNothing) {
    ASSERT_EQ(run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                   "--instant", "--clock-start", "1000", "--data-dir", dataDir()})
                  .status,
              kExitResult);
    // The history can be read but not written: its lock is taken by a directory.
    std::filesystem::remove(dir.path() / "history.lock");
    std::filesystem::create_directory(dir.path() / "history.lock");
    const CliRun r = run({"label", "1010", "--watts", "65", "--data-dir", dataDir()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not labelled"), std::string::npos) << r.err;
    EXPECT_EQ(run({"chargers", "--data-dir", dataDir()}).out.find("65W"), std::string::npos);
}

TEST_F(HistoryCommandTest, AnUnreadableHistoryIsSaidAndKeptAside) {
    std::ofstream(dir.path() / "history") << "not a property list";
    const CliRun r = run({"history", "--data-dir", dataDir()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("No tests saved yet"), std::string::npos);
    EXPECT_NE(r.err.find((dir.path() / "history").string() + " could not be read"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kept aside as " + (dir.path() / "history.unreadable-").string()),
              std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "history"));
}

// A remote service on 127.0.0.1 that serves a brand list and a text for each saved result.
class LocalService {
public:
    LocalService() {
        server_.Get("/brands", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(R"([{"brand_id": 12, "brand_name_en": "Volt & Co",
                                      "brand_name_cn": "伏特"}, 7])",
                                 "application/json");
        });
        server_.Get("/result", [this](const httplib::Request& request, httplib::Response& response) {
            lastQuery = request.params.count("watt") ? request.get_param_value("watt") : "";
            response.set_content(R"({"content": "<b>Faster than most</b>", "content_cn": "快"})",
                                 "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~LocalService() {
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string lastQuery;

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

TEST_F(HistoryCommandTest, MeasureFillsTheCatalogueAndShowsTheServiceText) {
    LocalService service;
    setenv("VOLTARO_BRAND_LIST_URL", service.url("/brands").c_str(), 1);
    setenv("VOLTARO_TEST_RESULT_URL", service.url("/result").c_str(), 1);
    setenv("LANGUAGE", "en", 1);
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                          "--instant", "--data-dir", dataDir(), "--model", "x86_64"});
    setenv("VOLTARO_BRAND_LIST_URL", "", 1);
    setenv("VOLTARO_TEST_RESULT_URL", "", 1);
    unsetenv("LANGUAGE");
    ASSERT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("<b>Faster than most</b>"), std::string::npos);  // as plain text
    EXPECT_EQ(service.lastQuery.rfind("8.1", 0), 0u);
    Paths::setDataDirectory(dir.path());
    const auto brands = loadBrandCatalogue();
    Paths::setDataDirectory({});
    ASSERT_EQ(brands.size(), 1u);
    EXPECT_EQ(brands[0].at("brandid"), "12");
}

TEST(WatchCommand, AsksTheRunningApplicationForTheBattery) {
    testing::TempDir dir;
    SystemMainLoop loop;
    SocketWatchChannel::Settings settings;
    settings.socketPath = (dir.path() / "voltaro" / "watch.sock").string();  // made 0700
    SocketWatchChannel channel(loop, settings);
    voltaro::testing::FakeBattery battery;
    battery.set(BatteryState::Charging, 0.576f);
    FixedModelSource model("iPhone14,5");
    Device device(model, battery);
    WatchLink link(channel, device);
    ASSERT_TRUE(channel.activate());
    // Keeps the loop alive while the companion asks.
    std::shared_ptr<Timer> keepAlive = loop.scheduleRepeating(0.01, [] {});
    std::thread serving([&] { loop.run(); });
    const CliRun asked = run({"watch", "--ask", "--socket", settings.socketPath});
    loop.post([&] {
        keepAlive->invalidate();
        loop.quit();
    });
    serving.join();
    ASSERT_EQ(asked.status, kExitResult) << asked.err;
    EXPECT_EQ(asked.out, "57%  charger connected  iPhone 13\n");
}

TEST(WatchCommand, SaysWhenNoApplicationRuns) {
    testing::TempDir dir;
    const CliRun r = run({"watch", "--socket", (dir.path() / "none.sock").string()});
    EXPECT_EQ(r.status, kExitNoResult);
    EXPECT_NE(r.err.find("cannot reach"), std::string::npos);
}

}  // namespace
}  // namespace voltaro::cli
