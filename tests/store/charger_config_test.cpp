#include "store/charger_config.h"

#include <nlohmann/json.hpp>

#include "platform/plist/plist_preference_store.h"
#include "store/brand_catalogue.h"
#include "store/quick_picks.h"
#include "store_test_support.h"

namespace voltaro {
namespace {

using nlohmann::json;
using store_test::FixedClock;
using store_test::StoreTest;

class ConfigTest : public StoreTest {
protected:
    PlistPreferenceStore preferences{configDir()};
    FixedClock clock{1000.5};
    const ChargerSelection wall20{.type = 1, .brand = 7, .watt = 20, .port = 2};
    const ChargerSelection bank{.type = 2, .brand = 3, .port = 1, .capacity = 10000};
    const config blankAt1000{1000.5, 0, 0, 0, 0, 0};
};

TEST(ConfigJson, HasSixRequiredKeysWithIntegerCodes) {
    const json encoded = config{700000000.25, 7, 20, 1, 2, 0};
    EXPECT_EQ(encoded, json::parse(R"({"startTime": 700000000.25, "brand": 7, "watt": 20,
                                       "type": 1, "port": 2, "capacity": 0})"));
    EXPECT_TRUE(encoded.at("watt").is_number_integer());
    EXPECT_EQ(encoded.get<config>(), (config{700000000.25, 7, 20, 1, 2, 0}));
    EXPECT_EQ(json::parse(R"({"startTime": 5, "brand": -3, "watt": 12.0, "type": 1, "port": 2,
                              "capacity": 0, "extra": "ignored"})")
                  .get<config>(),
              (config{5.0, -3, 12, 1, 2, 0}));

    const json good = encoded;
    for (const char* key : {"startTime", "brand", "watt", "type", "port", "capacity"}) {
        json missing = good;
        missing.erase(key);
        EXPECT_THROW(missing.get<config>(), std::exception) << key;
    }
    for (const json& bad : {json(12.5), json("12"), json(true), json(nullptr),
                            json(18446744073709551615u), json(1e19)}) {
        json wrong = good;
        wrong["watt"] = bad;
        EXPECT_THROW(wrong.get<config>(), std::exception) << bad;
    }
    EXPECT_THROW(json(config{std::nan(""), 0, 0, 0, 0, 0}), std::exception);
}

TEST_F(ConfigTest, AFreshListGetsOneBlankDescription) {
    EXPECT_TRUE(loadConfigList(preferences).empty());
    EXPECT_EQ(prepareConfigList(preferences, clock), std::vector{blankAt1000});
    EXPECT_EQ(loadConfigList(preferences), std::vector{blankAt1000});
    // Showing the list again changes nothing, the blank's start time included.
    clock.time = 2000;
    EXPECT_EQ(prepareConfigList(preferences, clock), std::vector{blankAt1000});
}

TEST_F(ConfigTest, PreparingKeepsOneBlankLastWithTheLastBlanksStartTime) {
    const config a{1, 7, 20, 1, 2, 0};
    const config b{2, 3, 0, 2, 1, 10000};
    ASSERT_TRUE(
        saveConfigList(preferences, {config{10, 0, 0, 0, 0, 0}, a, config{20, 0, 0, 0, 0, 0}, b}));
    EXPECT_EQ(prepareConfigList(preferences, clock),
              (std::vector{a, b, config{20, 0, 0, 0, 0, 0}}));
}

TEST_F(ConfigTest, SavingTheSameChargerTwiceKeepsOneEntryWithItsFirstStartTime) {
    ASSERT_TRUE(addConfig(preferences, clock, wall20));
    clock.time = 2000;
    ASSERT_TRUE(addConfig(preferences, clock, bank));
    clock.time = 3000;
    ASSERT_TRUE(addConfig(preferences, clock, wall20));
    EXPECT_EQ(loadConfigList(preferences),
              (std::vector{config{2000, 3, 0, 2, 1, 10000}, config{1000.5, 7, 20, 1, 2, 0},
                           config{3000, 0, 0, 0, 0, 0}}));
    // Of several equal entries the last one is kept; blanks anywhere go.
    ASSERT_TRUE(saveConfigList(preferences, {config{1, 7, 20, 1, 2, 0}, config{5, 0, 0, 0, 0, 0},
                                             config{2, 7, 20, 1, 2, 0}}));
    ASSERT_TRUE(addConfig(preferences, clock, wall20));
    EXPECT_EQ(loadConfigList(preferences),
              (std::vector{config{2, 7, 20, 1, 2, 0}, config{3000, 0, 0, 0, 0, 0}}));
    // A blank choice adds no second blank.
    ASSERT_TRUE(addConfig(preferences, clock, ChargerSelection{}));
    EXPECT_EQ(loadConfigList(preferences).size(), 2u);
}

TEST_F(ConfigTest, UndecodableItemsAreDroppedWithALogLine) {
    ASSERT_TRUE(preferences.setDataArray(
        "config", {json(config{1, 7, 20, 1, 2, 0}).dump(),
                   R"({"startTime": 2, "brand": 1, "watt": 12.5, "type": 1, "port": 1,
                       "capacity": 0})",
                   "{not json", json(config{3, 0, 0, 0, 0, 0}).dump()}));
    EXPECT_EQ(prepareConfigList(preferences, clock),
              (std::vector{config{1, 7, 20, 1, 2, 0}, config{3, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(std::count(logLines.begin(), logLines.end(), "error is catched"), 2);
    EXPECT_EQ(preferences.dataArrayForKey("config")->size(),
              2u);  // the next save writes the list without them
}

TEST_F(ConfigTest, QuickPicksPutTheNewValueFirst) {
    const auto watts = [this] { return quickPicks(preferences, QuickPickKind::Watt); };
    using Slots = std::array<int64_t, 3>;
    updateQuickPicks(preferences, QuickPickKind::Watt, 7);
    EXPECT_EQ(watts(), (Slots{7, 0, 0}));
    for (const auto& [slots, value, expected] : {std::tuple{Slots{5, 12, 18}, 12, Slots{12, 5, 18}},
                                                 {Slots{5, 12, 18}, 30, Slots{30, 5, 12}},
                                                 {Slots{5, 12, 18}, 5, Slots{5, 12, 18}},
                                                 {Slots{5, 12, 18}, 18, Slots{18, 5, 12}},
                                                 {Slots{5, 5, 18}, 5, Slots{5, 5, 18}}}) {
        for (size_t i = 0; i < 3; ++i)
            preferences.setInteger("watt" + std::to_string(i + 1), slots[i]);
        updateQuickPicks(preferences, QuickPickKind::Watt, value);
        EXPECT_EQ(watts(), expected) << value;
    }
    updateQuickPicks(preferences, QuickPickKind::Brand, 0);  // an unknown brand is stored too
    EXPECT_EQ(preferences.integerForKey("brand1"), 0);
    EXPECT_EQ(quickPickKeys(QuickPickKind::Capacity)[2], "capacity3");
}

TEST_F(ConfigTest, SeedingFillsTheKindsWhoseFirstSlotIsEmpty) {
    ASSERT_TRUE(saveBrandCatalogue(
        {{{"brandid", "+4"}}, {{"brandid", "x"}}, {{"brandid", "9"}}, {{"brandid", "1"}}}));
    preferences.setInteger("watt1", 65);
    seedQuickPicks(preferences);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{4, 0, 9}));
    EXPECT_EQ(readText(preferences.filePath()).find("<key>brand2</key>"), std::string::npos);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (std::array<int64_t, 3>{65, 0, 0}));
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Capacity),
              (std::array<int64_t, 3>{5000, 10000, 20000}));

    // brand1 = 0 counts as unseeded; a short catalogue leaves the other slots empty.
    preferences.setInteger("brand1", 0);
    ASSERT_TRUE(saveBrandCatalogue({{{"brandid", "12"}}}));
    seedQuickPicks(preferences);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{12, 0, 0}));
    preferences.setInteger("brand1", 0);
    ASSERT_TRUE(saveBrandCatalogue({}));
    seedQuickPicks(preferences);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{0, 0, 0}));
}

TEST(ChargerState, EditingRecordResetsToSixZeroKeys) {
    editingRecord() = {{"watt", 5}};
    resetEditingRecord();
    EXPECT_EQ(editingRecord(), (TestRecord{{"starttime", 0},
                                           {"brandid", 0},
                                           {"watts", 0},
                                           {"type", 0},
                                           {"capacity", 0},
                                           {"port", 0}}));
    EXPECT_TRUE(ChargerSelection{}.isBlank());
    EXPECT_FALSE(ChargerSelection{.capacity = 1}.isBlank());
}

}  // namespace
}  // namespace voltaro
