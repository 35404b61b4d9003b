// The curve of a test, its axes and drawing; the CLI tests compare a whole terminal drawing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <algorithm>
#include <limits>

#include "curve/charge_curve.h"
#include "curve/curve_svg.h"
#include "curve/curve_text.h"

namespace voltaro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// The default model's battery and cap: one percent of 2716 mAh in a minute is 8.1 W.
constexpr StepFigures kDefault{2716, 30};
constexpr double kOneStepAMinute = 8.1;

TEST(MakeChargeCurve, DrawsTheReadableSamplesAndWorksOutEachStep) {
    struct Case {
        const char* name;
        std::vector<double> times;
        std::vector<double> levels;
        StepFigures figures;
        std::vector<double> seconds;  // of the samples drawn
        std::vector<double> drawnLevels;
        std::vector<double> watts;  // of each step; NaN: no power
        size_t leftOut;
    };
    // clang-format off
    const Case cases[] = {
        {"one sample", {5000}, {50}, kDefault, {0}, {50}, {}, 0},
        // Less than a whole second gives no result, as for the test itself.
        {"equal times", {5000, 5000.5, 5060.5}, {50, 51, 52}, kDefault,
         {0, 0.5, 60.5}, {50, 51, 52}, {kNaN, kOneStepAMinute}, 0},
        {"a level that falls", {5000, 5060}, {51, 50}, kDefault, {0, 60}, {51, 50},
         {-kOneStepAMinute}, 0},
        // A pack of 10 V: twice the power of the same rise at 5 V.
        {"at the pack's voltage", {5000, 5060}, {50, 51}, StepFigures{2716, 100, 10},
         {0, 60}, {50, 51}, {2 * kOneStepAMinute}, 0},
        // Ten seconds a percent is 48.6 W: held to the cap, as the result is.
        {"capped step", {5000, 5010}, {50, 51}, kDefault, {0, 10}, {50, 51}, {30}, 0},
        {"unreadable values", {5000, kNaN, 1e300, 5060, 5030, kInf, 5120, 5180},
         {50, 51, 51, 51, 52, 52, kNaN, 1e9}, kDefault, {0, 60}, {50, 51}, {kOneStepAMinute}, 6},
        {"the longer list's extra entries", {5000, 5060, 5120}, {50, 51}, kDefault,
         {0, 60}, {50, 51}, {kOneStepAMinute}, 1},
        {"no battery", {5000, 5060}, {50, 51}, StepFigures{0, 30}, {0, 60}, {50, 51}, {kNaN}, 0},
        {"an absurd battery", {5000, 5060}, {50, 51}, StepFigures{1000000000000, 30},
         {0, 60}, {50, 51}, {kNaN}, 0},
        {"no samples", {}, {}, kDefault, {}, {}, {}, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChargeCurve curve = makeChargeCurve(c.times, c.levels, c.figures);
        std::vector<double> seconds;
        std::vector<double> levels;
        std::vector<double> watts;
        for (const CurveSample& sample : curve.samples) {
            seconds.push_back(sample.seconds);
            levels.push_back(sample.level);
        }
        for (size_t i = 0; i < curve.steps.size(); ++i) {
            watts.push_back(curve.steps[i].watts.value_or(kNaN));
            EXPECT_EQ(curve.steps[i].fromSeconds, seconds.at(i));
            EXPECT_EQ(curve.steps[i].toSeconds, seconds.at(i + 1));
        }
        EXPECT_EQ(seconds, c.seconds);
        EXPECT_EQ(levels, c.drawnLevels);
        EXPECT_THAT(watts, ::testing::Pointwise(::testing::NanSensitiveDoubleNear(1e-4), c.watts));
        EXPECT_EQ(curve.leftOut, c.leftOut);
    }
}

TEST(CurveOfRecord, UsesTheKeptSamplesElseTheRecordsEnds) {
    const TestRecord record = {{"starttime", 5000},
                               {"finishtime", 5600},
                               {"startlevel", 50},
                               {"finishlevel", 60},
                               {"watt", 9.5}};
    KeptSamples kept{5000, 5600, {5000, 5060, 5600}, {50, 51, 60}, 2716, 30, "iPhone14,5"};
    const ChargeCurve full = curveOfRecord(record, kept);
    EXPECT_FALSE(full.endsOnly);
    EXPECT_EQ(full.samples.size(), 3u);

    // Without them (or with none readable) the record's first and last sample and its power.
    kept.times = {kNaN};
    for (const auto& samples : {std::optional<KeptSamples>{}, std::optional<KeptSamples>{kept}}) {
        const ChargeCurve ends = curveOfRecord(record, samples);
        EXPECT_TRUE(ends.endsOnly);
        ASSERT_EQ(ends.samples.size(), 2u);
        EXPECT_EQ(ends.duration(), 600);
        ASSERT_EQ(ends.steps.size(), 1u);
        EXPECT_EQ(ends.steps[0].watts, 9.5);
    }

    // A hand-edited record: its unreadable power is none, its ends drawn as far as they can be.
    const ChargeCurve edited = curveOfRecord(
        {{"starttime", 5000}, {"finishtime", kInf}, {"startlevel", 50}, {"watt", kNaN}}, {});
    EXPECT_EQ(edited.samples.size(), 1u);
    EXPECT_EQ(edited.leftOut, 1u);
}

TEST(AxesOf, CoverTheSamplesWithRoundTicks) {
    struct Case {
        std::vector<double> seconds;
        std::vector<double> levels;
        std::vector<double> watts;
        std::vector<double> time;  // lowest, highest, tick step
        std::vector<double> level;
        std::vector<double> power;
    };
    const Case cases[] = {
        // One sample: a minute of time, ten percent of level, a watt of power.
        {{0}, {100}, {}, {0, 60, 10}, {90, 100, 2}, {0, 1, 0.5}},
        {{0, 45}, {53, 54}, {8.1}, {0, 50, 10}, {50, 60, 2}, {0, 10, 5}},
        {{0, 1250}, {53, 80}, {17}, {0, 1500, 300}, {50, 80, 10}, {0, 20, 5}},
        {{0, 10800}, {0, 100}, {-8.1, 30}, {0, 10800, 1800}, {0, 100, 20}, {-10, 30, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds.back());
        ChargeCurve curve;
        for (size_t i = 0; i < c.seconds.size(); ++i) {
            curve.samples.push_back({c.seconds[i], c.levels[i]});
        }
        for (const double watts : c.watts) curve.steps.push_back({0, 1, watts});
        const CurveAxes axes = axesOf({&curve});
        for (const auto& [got, want] :
             {std::pair{axes.time, c.time}, {axes.level, c.level}, {axes.power, c.power}}) {
            EXPECT_EQ((std::vector<double>{got.lowest, got.highest, got.tickStep}), want);
            ASSERT_FALSE(got.ticks.empty());
            EXPECT_EQ(got.ticks.front(), got.lowest);
            EXPECT_EQ(got.ticks.back(), got.highest);
        }
    }
}

TEST(TickTexts, ReadAlikeAlongAnAxis) {
    EXPECT_EQ(timeTickText(45, 15), "45 s");
    EXPECT_EQ(timeTickText(5400, 1800), "90 min");
    EXPECT_EQ(timeTickText(5400, 3600), "1.5 h");
    EXPECT_EQ(decimalText(8.26, 1), "8.3");
    EXPECT_EQ(decimalText(kNaN, 1), "?");
    EXPECT_EQ(durationText(3725), "1 h 02 min");
}

// 10,000 samples zigzagging 50 to 60 and up to 100 at the very end, in 100 units of width.
TEST(LevelLine, SpansTheAreaAndThinsToWhatCanBeSeen) {
    std::vector<double> times;
    std::vector<double> levels;
    for (int i = 0; i < 10000; ++i) {
        times.push_back(5000 + i);
        levels.push_back(i == 9999 ? 100 : 50 + (i % 2) * 10);
    }
    const ChargeCurve curve = makeChargeCurve(times, levels, kDefault);
    const CurveAxes axes = axesOf({&curve});
    const std::vector<PlotPoint> line = levelLine(curve, axes, PlotArea{100, 50});
    EXPECT_LE(line.size(), 404u);
    const auto byX = [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; };
    const auto byY = [](const PlotPoint& a, const PlotPoint& b) { return a.y < b.y; };
    EXPECT_TRUE(std::is_sorted(line.begin(), line.end(), byX));
    EXPECT_DOUBLE_EQ(std::min_element(line.begin(), line.end(), byY)->y, 0);   // level 100
    EXPECT_DOUBLE_EQ(std::max_element(line.begin(), line.end(), byY)->y, 50);  // level 50
    EXPECT_DOUBLE_EQ(line.front().x, 0);
    EXPECT_DOUBLE_EQ(line.back().x, 100 * 9999 / axes.time.highest);
}

TEST(PowerLines, BreakWhereAStepHasNoPower) {
    const ChargeCurve curve =
        makeChargeCurve({5000, 5060, 5060.5, 5121, 5181}, {50, 51, 52, 53, 54}, kDefault);
    const CurveAxes axes = axesOf({&curve});
    const auto lines = powerLines(curve, axes, PlotArea{180, 100});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 2u);
    EXPECT_EQ(lines[1].size(), 4u);
    EXPECT_DOUBLE_EQ(lines[1].front().x, 180 * 60.5 / axes.time.highest);
    EXPECT_NEAR(lines[1].front().y, 100 - 100 * kOneStepAMinute / axes.power.highest, 1e-4);
}

// Fast from 50 to 80 %, then slower to 100 %.
ChargeCurve aTest() {
    std::vector<double> times{700000000};
    std::vector<double> levels{50};
    while (levels.back() < 100) {
        times.push_back(times.back() + (levels.back() < 80 ? 40 : 110));
        levels.push_back(levels.back() + 1);
    }
    return makeChargeCurve(times, levels, kDefault);
}

TEST(CurveTextLines, FitTheTerminalWidth) {
    const ChargeCurve curves[] = {aTest(), makeChargeCurve({5000}, {50}, {2716, 30}),
                                  makeChargeCurve({}, {}, {})};
    for (const ChargeCurve& curve : curves) {
        for (const int columns : {20, 80, 200}) {
            const std::vector<std::string> lines = curveTextLines(curve, columns, 8, 3);
            ASSERT_EQ(lines.size(), 8u + 3u + 2u);
            // A terminal gives each character (code point) a column.
            for (const std::string& line : lines) {
                EXPECT_LE(QString::fromStdString(line).toUcs4().size(), columns) << line;
            }
        }
    }
}

TEST(Sparkline, ScalesFromZeroToTheHighest) {
    EXPECT_EQ(sparkline({0, 7, 3.5, kNaN, -7}), "▅█▆ ▁");
    EXPECT_EQ(sparkline({0, 0}), "▁▁");
}

TEST(CurveSvg, IsWellFormedWhateverTheTexts) {
    const ChargeCurve endsOnly = curveOfRecord({{"starttime", 5000},
                                                {"finishtime", 5000},
                                                {"startlevel", 40},
                                                {"finishlevel", 40},
                                                {"watt", kInf}},
                                               {});
    const std::string hostile = "<b>Volt & \"Co\"</b>\x01\xFF\xC0\xAF\xED\xA0\x80 電源";
    for (const ChargeCurve& curve : {aTest(), endsOnly, makeChargeCurve({}, {}, {})}) {
        const std::string svg = curveSvg(curve, hostile, {"Power 8.1 W", hostile});
        QXmlStreamReader reader(QByteArray::fromStdString(svg));
        while (!reader.atEnd()) reader.readNext();
        EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << svg;
        EXPECT_EQ(svg.find("nan"), std::string::npos);
        EXPECT_EQ(svg.find("inf"), std::string::npos);
    }
    const std::string svg = curveSvg(aTest(), hostile, {});
    EXPECT_NE(svg.find("&lt;b&gt;Volt &amp; &quot;Co&quot;&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(svg.find("電源"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
}

}  // namespace
}  // namespace voltaro
