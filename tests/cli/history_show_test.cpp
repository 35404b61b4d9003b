// 'history show': a saved result's figures and the curve of its charge (dates in UTC).
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "support/json_expect.h"

namespace voltaro::cli {
namespace {

TEST(HistoryShow, DrawsOrListsTheCurveAndExportsItsSamples) {
    const std::string fixture = data("curve_history");
    const CliRun drawn = run({"history", "show", "1", "--data-dir", fixture}, "", 100);
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(drawn.out, readFile(fixture + "/show_terminal.txt"));

    // Without a terminal: a list; the oldest test kept no samples, so its ends and its own power.
    const CliRun oldest = run({"history", "show", "3", "--data-dir", fixture});
    EXPECT_NE(oldest.out.find(" 30 min 00 s    60%       5.4 W"), std::string::npos) << oldest.out;

    const testing::TempDir dir;
    const std::string picture = (dir.path() / "curve.svg").string();
    const CliRun shown =
        run({"history", "show", "1", "--json", "--svg", picture, "--data-dir", fixture});
    ASSERT_EQ(shown.status, 0) << shown.err;
    testing::expectJsonHolds(shown.json(),
                             R"({"samples": [{"time": 818000000}, {"stepWatts": 12.15}],
                                               "batteryCapacity": 2716, "record": {"watts": 18}})");
    EXPECT_NE(readFile(picture).find("Test of 2026-12-03 14:13  (18W / USB-C)"), std::string::npos);
}

}  // namespace
}  // namespace voltaro::cli
