// 'history show': a saved result's figures and the curve of its charge.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "cli_runner.h"

namespace voltaro::cli {
namespace {

const std::string kFixture = data("curve_history");

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class HistoryShow : public ::testing::Test {
protected:
    // The dates are shown in local time: the expected texts are in UTC.
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        if (zone != nullptr) savedZone_ = zone;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (savedZone_) {
            setenv("TZ", savedZone_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    std::optional<std::string> savedZone_;
};

TEST_F(HistoryShow, DrawsTheCurveToTheTerminalsWidth) {
    const CliRun shown = run({"history", "show", "1", "--data-dir", kFixture}, "", 100);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, readFile(kFixture + "/show_terminal.txt"));
}

TEST_F(HistoryShow, WithoutATerminalListsTheSamples) {
    const CliRun shown = run({"history", "show", "2", "--data-dir", kFixture});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("(10000mAh / USB-A)"), std::string::npos);
    EXPECT_NE(shown.out.find("  1 h 00 min    90%       6.5 W\n"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("\xE2\xA0"), std::string::npos);  // no braille

    // The oldest test kept no samples: its ends, and the record's own power.
    const CliRun oldest = run({"history", "show", "3", "--data-dir", kFixture});
    EXPECT_NE(oldest.out.find("Only the first and last sample"), std::string::npos);
    EXPECT_NE(oldest.out.find(" 30 min 00 s    60%       5.4 W"), std::string::npos) << oldest.out;
}

TEST_F(HistoryShow, GivesTheSamplesAsJsonAndTheCurveAsAPicture) {
    testing::TempDir dir;
    const std::string picture = (dir.path() / "curve.svg").string();
    const CliRun shown =
        run({"history", "show", "1", "--json", "--svg", picture, "--data-dir", kFixture});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const nlohmann::json json = shown.json();
    ASSERT_EQ(json["samples"].size(), 51u);
    EXPECT_EQ(json["samples"][0]["time"], 818000000.0);
    EXPECT_FALSE(json["samples"][0].contains("stepWatts"));
    EXPECT_EQ(json["samples"][50]["level"], 100.0);
    EXPECT_NEAR(json["samples"][1]["stepWatts"].get<double>(), 12.15, 1e-3);
    EXPECT_EQ(json["batteryCapacity"], 2716);
    EXPECT_EQ(json["record"]["watts"], 18.0);
    const std::string svg = readFile(picture);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("Test of 2026-12-03 14:13  (18W / USB-C)"), std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST_F(HistoryShow, RefusesWhatIsNotThere) {
    for (const char* number : {"0", "4", "-1", "x", ""}) {
        const CliRun shown = run({"history", "show", number, "--data-dir", kFixture});
        EXPECT_EQ(shown.status, kExitUsage) << number;
        EXPECT_NE(shown.err.find("numbers the results 1 to 3"), std::string::npos) << shown.err;
    }
    testing::TempDir empty;
    EXPECT_NE(run({"history", "show", "1", "--data-dir", empty.path().string()})
                  .err.find("no tests are saved yet"),
              std::string::npos);
    const CliRun unwritable = run({"history", "show", "1", "--svg",
                                   (empty.path() / "no" / "such.svg").string(), "--data-dir",
                                   kFixture});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("such.svg"), std::string::npos);
}

}  // namespace
}  // namespace voltaro::cli
