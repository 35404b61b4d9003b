#include "engine/rate_estimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <utility>

namespace voltaro {
namespace {

std::string shown(double watts) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", watts);
    return buffer;
}

SampleWindow window(std::initializer_list<std::pair<float, double>> samples) {
    SampleWindow w;
    for (const auto& [level, time] : samples) w.append(level, time);
    return w;
}

TEST(RateArithmetic, OneStepInAMinuteOnASmallBattery) {
    RateResult r;
    ASSERT_TRUE(computeResult(window({{51, 0}, {52, 60}}), 2716, 30, r));
    EXPECT_EQ(r.averageTime, 60.0f);
    EXPECT_EQ(r.minPerLevel, 60.0f);
    EXPECT_DOUBLE_EQ(r.mahPerMin, 27.0);
    EXPECT_EQ(shown(r.totalWatt), "8.1");

    StarWidths stars{};
    updateStars(r.totalWatt, 30, stars);
    EXPECT_EQ(stars[0], 13.0);
    EXPECT_NEAR(stars[1], 4.55, 1e-5);
    EXPECT_EQ(stars[2], 0.0);
}

TEST(RateArithmetic, SinglePrecisionOrderDecidesTheShownPower) {
    // 12.15 W in single precision is just below the half, so it shows as 12.1.
    RateResult r;
    ASSERT_TRUE(computeResult(window({{51, 0}, {52, 40}, {53, 80}}), 2716, 18, r));
    EXPECT_EQ(r.averageTime, 40.0f);
    EXPECT_DOUBLE_EQ(r.mahPerMin, 40.5);
    EXPECT_EQ(shown(r.totalWatt), "12.1");

    ASSERT_TRUE(computeResult(window({{20, 0}, {22, 44}}), 3227, 27, r));
    EXPECT_EQ(shown(r.totalWatt), "26.2");
}

TEST(RateArithmetic, PowerIsCappedOnWholeWatts) {
    RateResult r;
    ASSERT_TRUE(computeResult(window({{20, 0}, {22, 30}}), 4352, 27, r));
    EXPECT_EQ(r.totalWatt, 27.0);  // 51.6 W measured
    StarWidths stars{};
    updateStars(r.totalWatt, 27, stars);
    for (double width : stars) EXPECT_EQ(width, 13.0);

    // 3100 mAh, one step in 30 s: 18.6 W. Its whole watts do not exceed 18, so it stands.
    ASSERT_TRUE(computeResult(window({{50, 0}, {51, 30}}), 3100, 18, r));
    EXPECT_EQ(shown(r.totalWatt), "18.6");
    // 3200 mAh: 19.2 W becomes the model's 18.
    ASSERT_TRUE(computeResult(window({{50, 0}, {51, 30}}), 3200, 18, r));
    EXPECT_EQ(r.totalWatt, 18.0);
}

TEST(RateArithmetic, JumpPastThePlaceholderGivesANegativePower) {
    RateResult r;
    ASSERT_TRUE(computeResult(window({{51, 100}, {53, 50}}), 2716, 30, r));
    EXPECT_EQ(r.averageTime, -50.0f);
    EXPECT_LT(r.totalWatt, 0.0);
    EXPECT_NEAR(r.totalWatt, -19.44, 0.005);
}

TEST(RateArithmetic, NoResultWithoutTwoSamplesOrAWholeSecond) {
    RateResult r;
    r.averageTime = 7;
    EXPECT_FALSE(computeResult(window({{51, 0}}), 2716, 30, r));
    EXPECT_EQ(r.averageTime, 7.0f);  // untouched

    r.totalWatt = 5;
    EXPECT_FALSE(computeResult(window({{51, 0}, {52, 0.9}}), 2716, 30, r));
    EXPECT_EQ(r.averageTime, 0.0f);  // set before the check
    EXPECT_EQ(r.totalWatt, 5.0);

    EXPECT_FALSE(computeResult(window({{51, 0}, {52, 1e300}}), 2716, 30, r));
}

TEST(RateArithmetic, ResultsSpanTheWholeWindow) {
    RateResult r;
    ASSERT_TRUE(computeResult(window({{50, 10}, {51, 40}, {51, 70}, {53, 130}}), 2716, 30, r));
    EXPECT_EQ(r.averageTime, 40.0f);  // 120 s over 3 steps
    EXPECT_DOUBLE_EQ(r.mahPerMin, static_cast<double>(3.0f * 27.0f / 120.0f * 60.0f));
}

TEST(RateArithmetic, AMultiCellPacksVoltageReplacesTheFiveVolts) {
    // A 45 W charger into a 4,922 mAh, 11.58 V pack takes about 45 s a percent.
    RateResult atPack;
    ASSERT_TRUE(computeResult(window({{57, 0}, {58, 45}}), 4922, 100, atPack, 11.58f));
    EXPECT_EQ(shown(atPack.totalWatt), "45.4");
    // Only the power changes; read at 5 V it would be the 19.6 W of a phone charger.
    RateResult atUsb;
    ASSERT_TRUE(computeResult(window({{57, 0}, {58, 45}}), 4922, 100, atUsb));
    EXPECT_EQ(shown(atUsb.totalWatt), "19.6");
    EXPECT_EQ(atPack.mahPerMin, atUsb.mahPerMin);
    EXPECT_EQ(atPack.averageTime, atUsb.averageTime);
    // The cap still compares whole watts.
    ASSERT_TRUE(computeResult(window({{57, 0}, {58, 45}}), 4922, 45, atPack, 11.58f));
    EXPECT_EQ(shown(atPack.totalWatt), "45.4");
    ASSERT_TRUE(computeResult(window({{57, 0}, {58, 45}}), 4922, 44, atPack, 11.58f));
    EXPECT_EQ(atPack.totalWatt, 44.0);
}

TEST(StarRating, StarsFollowTheShareOfTheModelMaximum) {
    StarWidths stars{};
    updateStars(15.0, 30, stars);  // 50 %: two whole stars and a half
    EXPECT_EQ(stars[0], 13.0);
    EXPECT_EQ(stars[1], 13.0);
    EXPECT_NEAR(stars[2], 6.5, 1e-6);
    EXPECT_EQ(stars[3], 0.0);

    StarWidths full{};
    updateStars(30.0, 30, full);
    for (double width : full) EXPECT_EQ(width, 13.0);
}

TEST(StarRating, NoPowerEarnsNoStars) {
    // A capacity below 100 mAh gives 0 mAh per percent and so 0 W.
    RateResult r;
    ASSERT_TRUE(computeResult(window({{50, 0}, {51, 60}}), 99, 30, r));
    EXPECT_EQ(r.totalWatt, 0.0);
    StarWidths stars{};
    updateStars(r.totalWatt, 30, stars);
    for (double width : stars) EXPECT_EQ(width, 0.0);
    updateStars(-3.0, 30, stars);
    for (double width : stars) EXPECT_EQ(width, 0.0);
}

TEST(StarRating, StarsAfterThePartialOneKeepTheirWidth) {
    StarWidths stars{1, 2, 3, 4, 5};
    updateStars(6.0, 30, stars);  // 20 %: one whole star, an empty second
    EXPECT_EQ(stars[0], 13.0);
    EXPECT_EQ(stars[1], 0.0);
    EXPECT_EQ(stars[2], 3.0);
    EXPECT_EQ(stars[4], 5.0);
}

TEST(SampleRules, FirstChangeToThePlaceholderLevelFixesItsTime) {
    SampleWindow w = window({{51, 160}});
    std::string log;
    EXPECT_EQ(recordSample(w, 51, 130, log), SampleUpdate::ReplacedFirstTime);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w.timeList[0], 130.0);
    EXPECT_EQ(log, "\n replace the first");

    EXPECT_EQ(recordSample(w, 52, 190, log), SampleUpdate::AddedSecond);
    EXPECT_EQ(w.size(), 2u);
    EXPECT_EQ(recordSample(w, 52, 200, log), SampleUpdate::AddedNew);  // a repeat lengthens
    EXPECT_EQ(w.size(), 3u);
    EXPECT_EQ(log, "\n replace the first\n replace the first\n add second\n add new one");
}

TEST(SampleRules, LevelsBelowTheLastSampleAreIgnored) {
    SampleWindow w = window({{51, 0}, {52, 60}});
    std::string log;
    EXPECT_EQ(recordSample(w, 51, 90, log), SampleUpdate::Ignored);
    EXPECT_EQ(w.size(), 2u);
    EXPECT_TRUE(log.empty());

    SampleWindow empty;
    EXPECT_EQ(recordSample(empty, 40, 5, log), SampleUpdate::AddedNew);
    EXPECT_EQ(empty.levelList, std::vector<float>{40});
}

TEST(SampleRules, RoundingIsHalfAwayFromZero) {
    // Exact halves below an even number tell half-away-from-zero from half-to-even, and the
    // fractions below and above a half tell it from truncation and from rounding up.
    const std::pair<float, float> cases[] = {
        {0.125f, 13}, {0.625f, 63}, {0.5f, 50}, {0.994f, 99}, {0.374f, 37}, {0.376f, 38},
    };
    for (const auto& [fraction, percent] : cases) {
        EXPECT_EQ(roundedPercent(fraction), percent) << fraction;
    }
}

TEST(TestLog, OneLinePerSampleWithTheSecondsSinceThePrevious) {
    EXPECT_EQ(perSampleLogLines(window({{51, 0}, {52, 60.5}})),
              "\n0: 级别: 51.00\n1: 级别: 52.00 -- 秒数: 60.50");
    EXPECT_EQ(perSampleLogLines(SampleWindow{}), "");
}

}  // namespace
}  // namespace voltaro
