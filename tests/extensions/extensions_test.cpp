#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "extensions/codable_array.h"
#include "extensions/number_text.h"
#include "platform/plist/plist_preference_store.h"
#include "store/store_test_support.h"

namespace voltaro {
namespace {

TEST(NumberText, ValidatorsFollowTheirChecksInOrder) {
    for (const char* valid : {"100", "+7", "0000100", "1", "99"}) {
        EXPECT_FALSE(isInvalidPercentText(valid)) << valid;
    }
    for (const char* invalid :
         {"101", "0", "-5", "-0000", "5a", "", "00000100", " 5", "+", "1.5", "٥"}) {
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

struct Point {
    int64_t x = 0;
    std::string name;
    bool operator==(const Point&) const = default;
};
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Point, x, name)

class CodableTest : public store_test::StoreTest {
protected:
    PlistPreferenceStore preferences{configDir()};
};

// Each value is one JSON data item; writing replaces the whole array.
TEST_F(CodableTest, StoresEachValueAsOneJsonDataItem) {
    EXPECT_TRUE(codableArray<Point>(preferences, "points").empty());  // absent
    const std::vector<Point> points{{1, "a"}, {-2, "电"}};
    ASSERT_TRUE(setCodableArray(preferences, points, "points"));
    const auto items = preferences.dataArrayForKey("points");
    ASSERT_EQ(items.value_or(std::vector<std::string>{}).size(), 2u);
    EXPECT_EQ(nlohmann::json::parse(items->at(1)), (nlohmann::json{{"x", -2}, {"name", "电"}}));
    EXPECT_EQ(codableArray<Point>(preferences, "points"), points);
    ASSERT_TRUE(setCodableArray(preferences, std::vector<Point>{}, "points"));
    EXPECT_TRUE(codableArray<Point>(preferences, "points").empty());
    ASSERT_TRUE(preferences.setInteger("points", 3));  // not an array of data items
    EXPECT_TRUE(codableArray<Point>(preferences, "points").empty());
}

TEST_F(CodableTest, AValueThatCannotBeEncodedIsLeftOut) {
    // nlohmann::json refuses to write text that is not UTF-8.
    ASSERT_TRUE(setCodableArray(preferences, std::vector<Point>{{1, "\xff"}, {2, "b"}}, "points"));
    EXPECT_EQ(codableArray<Point>(preferences, "points"), (std::vector<Point>{{2, "b"}}));
    EXPECT_EQ(logLines.size(), 1u);
}

}  // namespace
}  // namespace voltaro
