#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/plist/plist_preference_store.h"
#include "platform/strings.h"
#include "store/brand_catalogue.h"
#include "store/charger_config.h"
#include "store/display_text.h"
#include "store/quick_picks.h"
#include "store_test_support.h"
#include "support/scoped_env.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using store_test::FixedClock;
using store_test::StoreTest;
using testing::ScopedEnv;
using Slots = std::array<int64_t, 3>;

class PreferencesTest : public StoreTest {
protected:
    PlistPreferenceStore preferences{configDir()};
    fs::path file() const { return configDir() / "preferences.plist"; }
    FixedClock clock{1000.5};
    const ChargerSelection wall20{.type = 1, .brand = 7, .watt = 20, .port = 2};
    const config blank{1000.5, 0, 0, 0, 0, 0};
};

TEST_F(PreferencesTest, KeepsIntegersTextsAndDataArraysEachReadOnlyAsItself) {
    EXPECT_EQ(preferences.integerForKey("watt1"), 0);
    for (const int64_t value : {INT64_MIN, INT64_MAX}) {
        ASSERT_TRUE(preferences.setInteger("watt1", value));
        EXPECT_EQ(preferences.integerForKey("watt1"), value);
    }
    const std::vector<std::string> items{"{\"a\":1}", std::string("\0\xff<&>", 5), ""};
    ASSERT_TRUE(preferences.setDataArray("config", items));
    EXPECT_EQ(preferences.dataArrayForKey("config"), items);
    ASSERT_TRUE(preferences.setString("name", "A&B <电>"));
    EXPECT_EQ(preferences.stringForKey("name"), "A&B <电>");
    EXPECT_EQ(preferences.integerForKey("config"), 0);
    EXPECT_FALSE(preferences.stringForKey("watt1"));
    ASSERT_TRUE(preferences.removeObject("watt1"));
    EXPECT_EQ(readText(file()).find("watt1"), std::string::npos);
}

TEST_F(PreferencesTest, ReadsWhatAnotherWriterStoredAndKeepsValuesItDoesNotKnow) {
    writeText(file(), R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
	<key>brand1</key><integer>12</integer>
	<key>config</key><array><data>eyJhIjoxfQ==</data><string>not data</string></array>
	<key>when</key><date>2023-03-08T20:26:40Z</date>
</dict></plist>)");
    EXPECT_EQ(preferences.integerForKey("brand1"), 12);
    EXPECT_FALSE(preferences.dataArrayForKey("config"));  // not only data items
    ASSERT_TRUE(preferences.setInteger("brand2", 4));
    EXPECT_NE(readText(file()).find("<date>2023-03-08T20:26:40Z</date>"), std::string::npos);
}

TEST_F(PreferencesTest, AnUnreadableFileIsKeptAsideBeforeTheFirstChange) {
    writeText(file(), "<plist><dict><key>brand1</key><integer>12");
    EXPECT_EQ(preferences.integerForKey("brand1"), 0);
    ASSERT_TRUE(preferences.setInteger("watt1", 5));
    const auto aside = filesStartingWith(configDir(), "preferences.plist.unreadable-");
    EXPECT_EQ(aside.size(), 1u);  // how it is kept is the list file's test
    EXPECT_EQ(preferences.integerForKey("watt1"), 5);
}

TEST_F(StoreTest, TheConfigDirectoryHonoursTheXdgVariable) {
    Paths::setConfigDirectory({});
    const ScopedEnv noConfig("VOLTARO_CONFIG_DIR", std::nullopt);
    const ScopedEnv xdgConfig("XDG_CONFIG_HOME", "/xdg/config");
    EXPECT_EQ(Paths::configDirectory(), "/xdg/config/voltaro");
}

TEST(ConfigJson, HasSixRequiredKeysWithIntegerCodes) {
    const json encoded = config{700000000.25, 7, 20, 1, 2, 0};
    EXPECT_EQ(encoded.dump(),
              R"({"brand":7,"capacity":0,"port":2,"startTime":700000000.25,"type":1,"watt":20})");
    // A missing key, a fraction and an integer out of range each refuse the whole entry.
    for (const char* change : {R"({"capacity":null})", R"({"watt":12.5})", R"({"watt":1e19})"}) {
        json wrong = encoded;
        wrong.merge_patch(json::parse(change));
        EXPECT_THROW(wrong.get<config>(), std::exception) << change;
    }
    EXPECT_THROW(json(config{std::nan(""), 0, 0, 0, 0, 0}), std::exception);
}

TEST_F(PreferencesTest, TheConfigListKeepsOneBlankLastAndEachChargerOnce) {
    EXPECT_EQ(prepareConfigList(preferences, clock), std::vector{blank});
    const config a{1, 7, 20, 1, 2, 0};  // the wall20 charger
    const config b{2, 3, 0, 2, 1, 10000};
    const config blankAt10{10, 0, 0, 0, 0, 0};
    const config blankAt20{20, 0, 0, 0, 0, 0};
    ASSERT_TRUE(
        preferences.setDataArray("config", {json(blankAt10).dump(), json(a).dump(), "{not json",
                                            json(blankAt20).dump(), json(b).dump()}));
    EXPECT_EQ(prepareConfigList(preferences, clock), (std::vector{a, b, blankAt20}));
    EXPECT_EQ(std::count(logLines.begin(), logLines.end(), "error is catched"), 1);

    ASSERT_TRUE(addConfig(preferences, clock, wall20));  // moves last, keeping its start time
    EXPECT_EQ(loadConfigList(preferences), (std::vector{b, a, blank}));
    ASSERT_TRUE(addConfig(preferences, clock, ChargerSelection{}));  // adds no second blank
    EXPECT_EQ(loadConfigList(preferences).size(), 3u);
}

TEST_F(PreferencesTest, QuickPicksAreSeededWhenEmptyAndPutTheNewValueFirst) {
    ASSERT_TRUE(saveBrandCatalogue(
        {{{"brandid", "+4"}}, {{"brandid", "x"}}, {{"brandid", "9"}}, {{"brandid", "1"}}}));
    preferences.setInteger("watt1", 65);
    seedQuickPicks(preferences);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (Slots{4, 0, 9}));
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Slots{65, 0, 0}));

    for (const auto& [slots, value, expected] : {std::tuple{Slots{5, 12, 18}, 12, Slots{12, 5, 18}},
                                                 {Slots{5, 12, 18}, 30, Slots{30, 5, 12}}}) {
        for (size_t i = 0; i < 3; ++i) {
            preferences.setInteger("watt" + std::to_string(i + 1), slots[i]);
        }
        updateQuickPicks(preferences, QuickPickKind::Watt, value);
        EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), expected) << value;
    }
}

// Reading the number itself is the whole-decimal parser's to test.
TEST_F(StoreTest, BrandLookupsTakeTheFirstEntryWithAnEnglishName) {
    const std::string unknown = localized("unknown");
    EXPECT_EQ(brandNameForId(7), unknown);  // no catalogue yet
    // An entry without an English name matches nothing.
    ASSERT_TRUE(saveBrandCatalogue({{{"brandid", "7"}, {"brand_name_cn", "Nameless"}},
                                    {{"brandid", "7a"}, {"brand_name_en", "Acme"}},
                                    {{"brandid", "+007"}, {"brand_name_en", "First"}},
                                    {{"brandid", "7"}, {"brand_name_en", "Second"}},
                                    {{"brandid", "9"}, {"brand_name_en", "Acme"}}}));
    EXPECT_EQ(brandNameForId(7), "First");
    EXPECT_EQ(brandIdForName("Acme"), 0);  // the first Acme's number does not read
    EXPECT_EQ(brandIdForName("Second"), 7);
}

TEST(DisplayText, ShortDateIsMonthAndDayInTheZoneInForce) {
    // Seconds after 2001-01-01 00:00 UTC; 700000000 is 2023-03-08 20:26:40 UTC.
    const std::tuple<const char*, double, const char*> cases[] = {
        {"EST5", 86400, "01-01"},   {"JST-9", 7e8, "03-09"},   {"UTC0", 0, ""},
        {"UTC0", std::nan(""), ""}, {"UTC0", 1e300, "Unknow"},
    };
    for (const auto& [zone, time, text] : cases) {
        const ScopedEnv tz("TZ", zone);
        EXPECT_EQ(shortDateText(time), text) << zone << " " << time;
    }
}

}  // namespace
}  // namespace voltaro
