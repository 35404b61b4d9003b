#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "cli_runner.h"
#include "store/brand_catalogue.h"
#include "store/history.h"
#include "support/json_expect.h"
#include "support/scoped_env.h"

namespace voltaro::cli {
namespace {

class HistoryCommand : public DataDirTest {
protected:
    static CliRun measure(const std::string& script) {
        return run({"measure", "--battery", "replay:" + data(script), "--instant", "--json",
                    "--clock-start", "1000", "--model", "x86_64"});
    }
};

TEST_F(HistoryCommand, MeasureSavesWhatHistoryListsAndLabelDescribes) {
    ASSERT_EQ(measure("one_step_in_a_minute.script").status, kExitResult);
    ASSERT_EQ(measure("jump_past_placeholder.script").status, kExitNoResult);  // saved too
    const CliRun listed = run({"history"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    // Newest test first: the failed one, then the one-step result.
    const auto result = listed.out.find("8.1 W");
    ASSERT_NE(listed.out.find("unknown charger"), std::string::npos);
    ASSERT_NE(result, std::string::npos);
    EXPECT_LT(listed.out.find("-19."), result);

    // Each result keeps its samples and the figures they were worked out with.
    testing::expectJsonHolds(run({"history", "show", "2", "--json"}).json(),
                             R"({"endsOnly": false, "samples": [{"level": 51}, {"level": 52}],
                                 "batteryCapacity": 2716, "model": "x86_64"})");

    std::istringstream csv(run({"history", "--csv"}).out);
    std::string header, first;
    std::getline(csv, header);
    std::getline(csv, first);
    EXPECT_EQ(header.rfind("date,watt,min,amp,startlevel,finishlevel", 0), 0u);
    EXPECT_NE(first.find(",52,"), std::string::npos);

    const CliRun labelled =
        run({"label", "1010", "--kind", "wall", "--watts", "18", "--port", "usb-c"});
    ASSERT_EQ(labelled.status, 0) << labelled.err;
    EXPECT_NE(run({"history"}).out.find("18W / USB-C"), std::string::npos);
    EXPECT_NE(run({"chargers"}).out.find("18W / USB-C"), std::string::npos);
    nlohmann::json records = run({"history", "--json"}).json();
    ASSERT_EQ(records.size(), 2u);
    testing::expectJsonHolds(records[0], R"({"finishlevel": 52, "watts": 18, "type": 1, "port": 2,
                                            "capacity": 0})");

    EXPECT_EQ(run({"label", "1010", "--clear"}).status, 0);
    testing::expectJsonHolds(run({"history", "--json"}).json(), R"([{"watts": 0, "type": 0}])");
}

TEST_F(HistoryCommand, ClearAsksFirst) {
    ASSERT_EQ(measure("one_step_in_a_minute.script").status, kExitResult);
    EXPECT_EQ(run({"history", "clear"}, "n\n").status, 0);
    EXPECT_EQ(loadHistory().size(), 1u);
    EXPECT_EQ(run({"history", "clear"}, "").status, 0);  // no answer: no
    EXPECT_EQ(loadHistory().size(), 1u);
    EXPECT_EQ(run({"history", "clear"}, "y\n").status, 0);
    EXPECT_TRUE(loadHistory().empty());
    ASSERT_EQ(measure("one_step_in_a_minute.script").status, kExitResult);
    EXPECT_EQ(run({"history", "clear", "--yes"}).status, 0);
    EXPECT_TRUE(loadHistory().empty());
}

TEST_F(HistoryCommand, AnUnwritableHistoryIsSaidAndLosesNothingElse) {
    const std::string blocked = (dir.path() / "file").string();
    std::ofstream(blocked) << "not a directory";
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                          "--instant", "--data-dir", blocked});
    EXPECT_EQ(r.status, kExitResult);
    EXPECT_NE(r.out.find("could not be written"), std::string::npos);
}

TEST_F(HistoryCommand, ALabelForNoTestOrThatCannotBeWrittenChangesNothing) {
    ASSERT_EQ(measure("one_step_in_a_minute.script").status, kExitResult);
    // A record without a start time belongs to no test, not to the test of 0.
    std::vector<TestRecord> records = loadHistory();
    records.push_back({{"watt", 5.0}});
    ASSERT_TRUE(saveHistory(records));
    EXPECT_EQ(run({"label", "0", "--kind", "car"}).status, kExitUsage);
    EXPECT_EQ(loadHistory(), records);

    // The history can be read but not written: its lock is taken by a directory.
    std::filesystem::remove(dir.path() / "history.lock");
    std::filesystem::create_directory(dir.path() / "history.lock");
    const CliRun r = run({"label", "1010", "--watts", "65"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not labelled"), std::string::npos) << r.err;
    EXPECT_EQ(run({"chargers"}).out.find("65W"), std::string::npos);
}

TEST_F(HistoryCommand, AnUnreadableHistoryIsSaidAndKeptAside) {
    std::ofstream(dir.path() / "history") << "not a property list";
    const CliRun r = run({"history"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("No tests saved yet"), std::string::npos);
    EXPECT_NE(r.err.find((dir.path() / "history").string() + " could not be read"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("kept aside as " + (dir.path() / "history.unreadable-").string()),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "history"));
}

TEST_F(HistoryCommand, MeasureFillsTheCatalogueAndShowsTheServiceText) {
    httplib::Server service;
    service.Get("/brands", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"([{"brand_id": 12, "brand_name_en": "Volt & Co",
                                  "brand_name_cn": "伏特"}, 7])",
                             "application/json");
    });
    std::string sentWatt;
    service.Get("/result", [&](const httplib::Request& request, httplib::Response& response) {
        sentWatt = request.get_param_value("watt");
        response.set_content(R"({"content": "<b>Faster than most</b>", "content_cn": "快"})",
                             "application/json");
    });
    const std::string url =
        "http://127.0.0.1:" + std::to_string(service.bind_to_any_port("127.0.0.1"));
    std::thread serving([&] { service.listen_after_bind(); });
    const testing::ScopedEnv brands("VOLTARO_BRAND_LIST_URL", url + "/brands");
    const testing::ScopedEnv results("VOLTARO_TEST_RESULT_URL", url + "/result");
    const testing::ScopedEnv language("LANGUAGE", "en");
    const CliRun r = run({"measure", "--battery", "replay:" + data("one_step_in_a_minute.script"),
                          "--instant", "--model", "x86_64"});
    service.stop();
    serving.join();
    ASSERT_EQ(r.status, kExitResult) << r.err;
    EXPECT_NE(r.out.find("<b>Faster than most</b>"), std::string::npos);  // as plain text
    EXPECT_EQ(sentWatt.rfind("8.1", 0), 0u);
    const auto catalogue = loadBrandCatalogue();
    ASSERT_EQ(catalogue.size(), 1u);
    EXPECT_EQ(catalogue[0].at("brandid"), "12");
}

}  // namespace
}  // namespace voltaro::cli
