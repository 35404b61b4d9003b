#include "extensions/codable_array.h"

#include <gtest/gtest.h>

#include "platform/plist/plist_preference_store.h"
#include "store/store_test_support.h"

namespace voltaro {
namespace {

using store_test::StoreTest;

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

class CodableTest : public StoreTest {
protected:
    PlistPreferenceStore preferences{configDir()};
};

TEST_F(CodableTest, StoresEachValueAsOneJsonDataItem) {
    const std::vector<Point> points{{1, "a"}, {-2, "电"}};
    ASSERT_TRUE(setCodableArray(preferences, points, "points"));
    const auto items = preferences.dataArrayForKey("points");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ(nlohmann::json::parse(items->at(1)), (nlohmann::json{{"x", -2}, {"name", "电"}}));
    EXPECT_EQ(codableArray<Point>(preferences, "points"), points);
    // Replacing, not appending.
    ASSERT_TRUE(setCodableArray(preferences, std::vector<Point>{}, "points"));
    EXPECT_TRUE(codableArray<Point>(preferences, "points").empty());
}

TEST_F(CodableTest, AnythingButAnArrayOfDataItemsReadsAsEmpty) {
    EXPECT_TRUE(codableArray<Point>(preferences, "points").empty());  // absent
    ASSERT_TRUE(preferences.setInteger("points", 3));
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
