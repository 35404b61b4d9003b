// 'history show': a saved result's figures and the curve of its charge (dates in UTC).
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "support/json_expect.h"

namespace voltaro::cli {
namespace {

const std::string kFixture = data("curve_history");

TEST(HistoryShow, DrawsTheCurveToTheTerminalsWidth) {
    const CliRun shown = run({"history", "show", "1", "--data-dir", kFixture}, "", 100);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, readFile(kFixture + "/show_terminal.txt"));
}

TEST(HistoryShow, WithoutATerminalListsTheSamples) {
    const CliRun shown = run({"history", "show", "2", "--data-dir", kFixture});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("(10000mAh / USB-A)"), std::string::npos);
    EXPECT_NE(shown.out.find("  1 h 00 min    90%       6.5 W\n"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("\xE2\xA0"), std::string::npos);  // no braille

    // The oldest test kept no samples: its ends, and the record's own power.
    const CliRun oldest = run({"history", "show", "3", "--data-dir", kFixture});
    EXPECT_NE(oldest.out.find("Only the first and last sample"), std::string::npos);
    EXPECT_NE(oldest.out.find(" 30 min 00 s    60%       5.4 W"), std::string::npos) << oldest.out;

    testing::TempDir empty;
    EXPECT_NE(run({"history", "show", "1", "--data-dir", empty.path().string()})
                  .err.find("no tests are saved yet"),
              std::string::npos);
}

TEST(HistoryShow, GivesTheSamplesAsJsonAndTheCurveAsAPicture) {
    testing::TempDir dir;
    const std::string picture = (dir.path() / "curve.svg").string();
    const CliRun shown =
        run({"history", "show", "1", "--json", "--svg", picture, "--data-dir", kFixture});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const nlohmann::json json = shown.json();
    ASSERT_EQ(json["samples"].size(), 51u);
    EXPECT_FALSE(json["samples"][0].contains("stepWatts"));
    EXPECT_EQ(json["samples"][50]["level"], 100.0);
    testing::expectJsonHolds(json, R"({"samples": [{"time": 818000000}, {"stepWatts": 12.15}],
                                       "batteryCapacity": 2716, "record": {"watts": 18}})");
    const std::string svg = readFile(picture);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("Test of 2026-12-03 14:13  (18W / USB-C)"), std::string::npos);
}

}  // namespace
}  // namespace voltaro::cli
