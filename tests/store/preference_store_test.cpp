#include <regex>

#include "platform/plist/plist_preference_store.h"
#include "store/vendor_identifier.h"
#include "store_test_support.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using store_test::StoreTest;

class PreferencesTest : public StoreTest {
protected:
    PlistPreferenceStore preferences{configDir()};
    fs::path file() const { return configDir() / "preferences.plist"; }
};

TEST_F(PreferencesTest, KeepsIntegersTextsAndDataArrays) {
    EXPECT_EQ(preferences.integerForKey("watt1"), 0);
    EXPECT_FALSE(preferences.dataArrayForKey("config"));
    for (const int64_t value : {int64_t{5}, int64_t{-3}, INT64_MIN, INT64_MAX}) {
        ASSERT_TRUE(preferences.setInteger("watt1", value));
        EXPECT_EQ(preferences.integerForKey("watt1"), value);
    }
    const std::vector<std::string> items{"{\"a\":1}", std::string("\0\xff<&>", 5), ""};
    ASSERT_TRUE(preferences.setDataArray("config", items));
    EXPECT_EQ(preferences.dataArrayForKey("config"), items);
    ASSERT_TRUE(preferences.setString("name", "A&B <电>"));
    EXPECT_EQ(preferences.stringForKey("name"), "A&B <电>");

    // Each kind reads only as itself.
    EXPECT_EQ(preferences.integerForKey("config"), 0);
    EXPECT_FALSE(preferences.dataArrayForKey("watt1"));
    EXPECT_FALSE(preferences.stringForKey("watt1"));

    ASSERT_TRUE(preferences.removeObject("watt1"));
    EXPECT_EQ(readText(file()).find("watt1"), std::string::npos);
    EXPECT_EQ(preferences.dataArrayForKey("config"), items);
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
    PlistPreferenceStore other(configDir());
    ASSERT_TRUE(other.setInteger("brand2", 4));
    EXPECT_EQ(preferences.integerForKey("brand2"), 4);  // nothing is cached
    EXPECT_NE(readText(file()).find("<date>2023-03-08T20:26:40Z</date>"), std::string::npos);
}

TEST_F(PreferencesTest, AnUnreadableFileIsKeptAsideBeforeTheFirstChange) {
    writeText(file(), "<plist><dict><key>brand1</key><integer>12");
    EXPECT_EQ(preferences.integerForKey("brand1"), 0);
    ASSERT_TRUE(preferences.setInteger("watt1", 5));
    const auto aside = filesStartingWith(configDir(), "preferences.plist.unreadable-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readText(aside[0]), "<plist><dict><key>brand1</key><integer>12");
    EXPECT_EQ(preferences.integerForKey("watt1"), 5);
    EXPECT_EQ(logLines.size(), 1u);
}

TEST_F(PreferencesTest, TwoProcessesCountingTogetherLoseNoStep) {
    ASSERT_TRUE(inChildProcesses(2, [this](int) {
        PlistPreferenceStore store(configDir());
        for (int i = 0; i < 100; ++i) {
            store.exclusively([&] { store.setInteger("count", store.integerForKey("count") + 1); });
        }
    }));
    EXPECT_EQ(preferences.integerForKey("count"), 200);
}

TEST_F(PreferencesTest, TheVendorIdentifierIsARandomUuidKeptOnceMade) {
    const std::string id = vendorIdentifier(preferences);
    EXPECT_TRUE(
        std::regex_match(id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-"
                                        "[0-9A-F]{12}")))
        << id;
    EXPECT_EQ(vendorIdentifier(preferences), id);
    PlistPreferenceStore again(configDir());
    EXPECT_EQ(vendorIdentifier(again), id);
    EXPECT_NE(makeUuidText(), makeUuidText());
    ASSERT_TRUE(preferences.setString(kVendorIdentifierKey, "not-a-uuid"));
    EXPECT_NE(vendorIdentifier(preferences), "not-a-uuid");
}

TEST_F(StoreTest, DirectoriesComeFromOverrideOwnVariableXdgThenHome) {
    std::map<std::string, std::optional<std::string>> saved;
    const auto set = [&saved](const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        saved.try_emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? ::setenv(name.c_str(), value, 1) : ::unsetenv(name.c_str());
    };
    Paths::setDataDirectory({});
    Paths::setConfigDirectory({});
    set("HOME", "/home/u");
    set("VOLTARO_DATA_DIR", nullptr);
    set("XDG_DATA_HOME", "relative/ignored");
    set("VOLTARO_CONFIG_DIR", nullptr);
    set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(Paths::dataDirectory(), "/home/u/.local/share/voltaro");
    EXPECT_EQ(Paths::configDirectory(), "/home/u/.config/voltaro");
    set("XDG_DATA_HOME", "/xdg/data");
    set("XDG_CONFIG_HOME", "/xdg/config");
    EXPECT_EQ(Paths::dataDirectory(), "/xdg/data/voltaro");
    EXPECT_EQ(Paths::configDirectory(), "/xdg/config/voltaro");
    set("VOLTARO_DATA_DIR", "/own/data");
    set("VOLTARO_CONFIG_DIR", configDir().c_str());
    EXPECT_EQ(Paths::dataDirectory(), "/own/data");
    EXPECT_EQ(PlistPreferenceStore().filePath(), configDir() / "preferences.plist");
    Paths::setDataDirectory("/option/data");
    EXPECT_EQ(Paths::dataDirectory(), "/option/data");
    for (const auto& [name, value] : saved) set(name, value ? value->c_str() : nullptr);
}

}  // namespace
}  // namespace voltaro
