#include "extensions/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace voltaro {
namespace {

TEST(NumberText, ValidatorsFollowTheirChecksInOrder) {
    for (const char* valid : {"100", "+7", "0000100", "1", "99"}) {
        EXPECT_FALSE(isInvalidPercentText(valid)) << valid;
    }
    for (const char* invalid :
         {"101", "0", "-5", "-0000", "5a", "", "00000100", " 5", "5 ", "+", "1.5", "٥"}) {
        EXPECT_TRUE(isInvalidPercentText(invalid)) << invalid;
    }
    for (const char* valid : {"20000", "9999999", "+1", "0000001"}) {
        EXPECT_FALSE(isInvalidCountText(valid)) << valid;
    }
    for (const char* invalid : {"10000000", "0", "", "-1", "x", "12 000"}) {
        EXPECT_TRUE(isInvalidCountText(invalid)) << invalid;
    }
}

TEST(NumberText, WholeDecimalsReadOnlyWhenNothingElseIsThere) {
    EXPECT_EQ(parseDecimalInteger("+007"), 7);
    EXPECT_EQ(parseDecimalInteger("-12"), -12);
    EXPECT_EQ(parseDecimalInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseDecimalInteger("-9223372036854775808"), INT64_MIN);
    for (const char* text : {"", "+", "-", "+-1", "--1", " 1", "1 ", "1a", "0x1", "1e3",
                             "9223372036854775808", "-9223372036854775809"}) {
        EXPECT_FALSE(parseDecimalInteger(text)) << text;
    }
}

TEST(NumberText, ShortestTextReadsBackTheSameValue) {
    EXPECT_EQ(shortestText(700000000.0), "700000000");
    EXPECT_EQ(shortestText(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(shortestText(1e-7), "1e-07");
    EXPECT_EQ(shortestText(1e20), "1e+20");
    EXPECT_EQ(shortestText(0.1f), "0.1");
    EXPECT_EQ(shortestText(std::numeric_limits<double>::infinity()), "inf");
    std::mt19937_64 random(1);
    for (int i = 0; i < 10000; ++i) {
        const double value =
            std::ldexp(static_cast<double>(random() >> 11), int(random() % 200) - 120);
        EXPECT_EQ(std::stod(shortestText(value)), value);
    }
}

}  // namespace
}  // namespace voltaro
