#include <gtest/gtest.h>

#include "cli_runner.h"
#include "platform/curl/local_http_server.h"
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

TEST_F(HistoryCommand, MeasureSavesWhatHistoryListsLabelDescribesAndClearAsksFirst) {
    ASSERT_EQ(measure("one_step_in_a_minute.script").status, kExitResult);
    ASSERT_EQ(measure("jump_past_placeholder.script").status, kExitNoResult);  // saved too
    const std::string listed = run({"history"}).out;
    EXPECT_NE(listed.find("unknown charger"), std::string::npos) << listed;
    EXPECT_NE(listed.find("8.1 W"), std::string::npos) << listed;
    const std::string csv = run({"history", "--csv"}).out;
    EXPECT_EQ(csv.rfind("date,watt,min,amp,startlevel,finishlevel", 0), 0u) << csv;

    const CliRun labelled =
        run({"label", "1010", "--kind", "wall", "--watts", "18", "--port", "usb-c"});
    ASSERT_EQ(labelled.status, 0) << labelled.err;
    testing::expectJsonHolds(run({"history", "--json"}).json(),
                             R"([{"finishlevel": 52, "watts": 18, "type": 1, "port": 2}, {}])");
    EXPECT_EQ(run({"label", "1010", "--clear"}).status, 0);
    testing::expectJsonHolds(run({"history", "--json"}).json(), R"([{"watts": 0, "type": 0}])");

    EXPECT_EQ(run({"history", "clear"}, "").status, 0);  // no answer: no
    EXPECT_EQ(loadHistory().size(), 2u);
    EXPECT_EQ(run({"history", "clear"}, "y\n").status, 0);
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
    const auto history = dir.path() / "history";
    std::ofstream(history) << "not a property list";
    const CliRun r = run({"history"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    for (const std::string& said : {history.string() + " could not be read",
                                    "kept aside as " + history.string() + ".unreadable-"}) {
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(history));
}

// The service's own requests and replies are tested in tests/service; here, that a run reaches it.
TEST_F(HistoryCommand, MeasureFillsTheCatalogueAndShowsTheServiceText) {
    testing::LocalHttpServer service;
    service.routes().Get("/brands", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"([{"brand_id": 12, "brand_name_en": "Volt", "brand_name_cn": ""}])",
                             "application/json");
    });
    service.routes().Get("/result", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"content": "<b>Faster than most</b>"})", "application/json");
    });
    service.start();
    const testing::ScopedEnv brands("VOLTARO_BRAND_LIST_URL", service.url("/brands"));
    const testing::ScopedEnv results("VOLTARO_TEST_RESULT_URL", service.url("/result"));
    const testing::ScopedEnv language("LANGUAGE", "en");
    const CliRun r = measure("one_step_in_a_minute.script");
    ASSERT_EQ(r.status, kExitResult) << r.err;
    EXPECT_EQ(r.json()["reply"], "<b>Faster than most</b>");
    ASSERT_EQ(loadBrandCatalogue().size(), 1u);
    EXPECT_EQ(loadBrandCatalogue()[0].at("brandid"), "12");
}

}  // namespace
}  // namespace voltaro::cli
