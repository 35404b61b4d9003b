#include "engine/rate_estimator.h"

#include <gtest/gtest.h>

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

TEST(RateArithmetic, PowerFromTheWholeWindow) {
    struct Case {
        const char* why;
        SampleWindow samples;
        int64_t capacity;
        int64_t maxWatts;
        float volts;
        float averageTime;
        double mahPerMin;
        const char* watts;
    };
    const SampleWindow pack = window({{57, 0}, {58, 45}});  // 4922 mAh at 11.58 V: 45.4 W
    const Case cases[] = {
        {"one step a minute", window({{51, 0}, {52, 60}}), 2716, 30, 5, 60, 27, "8.1"},
        // 12.15 W in single precision lies just below the half.
        {"single precision", window({{51, 0}, {52, 40}, {53, 80}}), 2716, 18, 5, 40, 40.5, "12.1"},
        {"18.6 W: whole watts within 18", window({{50, 0}, {51, 30}}), 3100, 18, 5, 30, 62, "18.6"},
        {"19.2 W: capped at 18", window({{50, 0}, {51, 30}}), 3200, 18, 5, 30, 64, "18.0"},
        {"jump", window({{51, 100}, {53, 50}}), 2716, 30, 5, -50, -64.8, "-19.4"},
        {"below 100 mAh", window({{50, 0}, {51, 60}}), 99, 30, 5, 60, 0, "0.0"},
        {"the pack at 5 V", pack, 4922, 100, 5, 45, 65.33333, "19.6"},
        {"pack within 45 W", pack, 4922, 45, 11.58f, 45, 65.33333, "45.4"},
        {"pack capped at 44 W", pack, 4922, 44, 11.58f, 45, 65.33333, "44.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        RateResult r;
        ASSERT_TRUE(computeResult(c.samples, c.capacity, c.maxWatts, r, c.volts));
        EXPECT_EQ(r.averageTime, c.averageTime);
        EXPECT_EQ(r.minPerLevel, c.averageTime);
        EXPECT_NEAR(r.mahPerMin, c.mahPerMin, 1e-4);
        EXPECT_EQ(shown(r.totalWatt), c.watts);
    }
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

TEST(StarRating, EachStarIsAFifthOfTheModelMaximum) {
    struct Case {
        double watts;
        int64_t maxWatts;
        StarWidths before;
        StarWidths after;
    };
    const Case cases[] = {
        {8.1, 30, {}, {13, 4.55, 0, 0, 0}},
        {30, 30, {}, {13, 13, 13, 13, 13}},
        {-3, 30, {}, {0, 0, 0, 0, 0}},
        // Stars past the partial one keep their widths.
        {6, 30, {1, 2, 3, 4, 5}, {13, 0, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.watts);
        StarWidths stars = c.before;
        updateStars(c.watts, c.maxWatts, stars);
        for (size_t i = 0; i < stars.size(); ++i) EXPECT_NEAR(stars[i], c.after[i], 1e-5) << i;
    }
}

TEST(SampleRules, FirstChangeToThePlaceholderLevelFixesItsTime) {
    SampleWindow w = window({{51, 160}});
    std::string log;
    EXPECT_EQ(recordSample(w, 51, 130, log), SampleUpdate::ReplacedFirstTime);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w.timeList[0], 130.0);

    EXPECT_EQ(recordSample(w, 52, 190, log), SampleUpdate::AddedSecond);
    EXPECT_EQ(recordSample(w, 52, 200, log), SampleUpdate::AddedNew);  // a repeat lengthens
    EXPECT_EQ(recordSample(w, 51, 210, log), SampleUpdate::Ignored);   // below the last sample
    EXPECT_EQ(w.size(), 3u);
    EXPECT_EQ(log, "\n replace the first\n replace the first\n add second\n add new one");
}

TEST(SampleRules, RoundingIsHalfAwayFromZero) {
    // Halves below an even number rule out half-to-even; the rest truncation and rounding up.
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
}

}  // namespace
}  // namespace voltaro
