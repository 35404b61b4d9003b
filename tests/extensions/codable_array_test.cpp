#include "extensions/codable_array.h"

#include <gtest/gtest.h>

#include "platform/plist/plist_preference_store.h"
#include "store/store_test_support.h"

namespace voltaro {
namespace {

struct Point {
    int64_t x = 0;
    std::string name;
    bool operator==(const Point&) const = default;
};
void to_json(nlohmann::json& json, const Point& p) {
    json = {{"x", p.x}, {"name", p.name}};
}
void from_json(const nlohmann::json& json, Point& p) {
    p.x = json.at("x").get<int64_t>();
    p.name = json.at("name").get<std::string>();
}

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
    EXPECT_TRUE(logLines.empty());
}

TEST_F(CodableTest, AValueThatCannotBeEncodedIsLeftOut) {
    // nlohmann::json refuses to write text that is not UTF-8.
    ASSERT_TRUE(setCodableArray(preferences, std::vector<Point>{{1, "\xff"}, {2, "b"}}, "points"));
    EXPECT_EQ(codableArray<Point>(preferences, "points"), (std::vector<Point>{{2, "b"}}));
    EXPECT_EQ(logLines, std::vector<std::string>{"error is catched"});
}

}  // namespace
}  // namespace voltaro
