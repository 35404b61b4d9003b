#include "platform/plist/list_file.h"

#include <errno.h>
#include <fcntl.h>

#include <cmath>
#include <limits>
#include <random>

#include "store_test_support.h"
#include "support/scoped_locale.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using list_codec::libplistReadList;
using list_codec::quickReadList;
using store_test::StoreTest;
using Records = std::vector<NumberDictionary>;
using Brands = std::vector<TextDictionary>;

constexpr double kInf = std::numeric_limits<double>::infinity();

// The writer is exact, so equal texts mean equal bits (NaN and -0.0 included).
std::string text(const Records& records) {
    return list_codec::writeList("history", records);
}

const Records kAwkward{
    {{"whole", 57.0}, {"tenth", 0.1}, {"third", 1.0 / 3.0}, {"tiny", 1e-7}, {"minusZero", -0.0}},
    {{"absolute", 700000000.123456}, {"huge", 1e300}, {"denormal", 5e-324}, {"neg", -2.5e-300}},
    {{"nan", std::nan("")}, {"inf", kInf}, {"minusInf", -kInf}},
    {}};

TEST_F(StoreTest, RealsAndTextsSurviveASaveAndLoadExactly) {
    ASSERT_TRUE(saveList(kAwkward, "history"));
    EXPECT_EQ(text(loadList<NumberDictionary>("history")), text(kAwkward));
    EXPECT_EQ(text(libplistReadList<NumberDictionary>(text(kAwkward), "history").value()),
              text(kAwkward));
    std::mt19937_64 random(42);
    Records records(50);
    for (auto& record : records) {
        for (const char* key : {"date", "watt", "starttime"}) {
            record[key] = std::ldexp(static_cast<double>(random() >> 11), -int(random() % 80));
        }
    }
    EXPECT_EQ(quickReadList<NumberDictionary>(text(records), "history"), records);
    EXPECT_EQ(libplistReadList<NumberDictionary>(text(records), "history"), records);

    const Brands brands{{{"brandid", "7"}, {"brand_name_en", "A&B <Power>"}, {"cn", "电"}},
                        {{"brandid", ""}, {"brand_name_en", "  spaced\ttab\n"}}};
    ASSERT_TRUE(saveList(brands, "brandInfo"));
    EXPECT_EQ(loadList<TextDictionary>("brandInfo"), brands);
    EXPECT_EQ(libplistReadList<TextDictionary>(list_codec::writeList("b", brands), "b"), brands);
}

TEST_F(StoreTest, TheQuickReaderReadsThePlainFormAndLibplistTheRest) {
    const std::string file = readText(fs::path(VOLTARO_TEST_DATA_DIR) / "history_plistlib.plist");
    const auto quick = quickReadList<NumberDictionary>(file, "history");
    ASSERT_TRUE(quick);  // tabs, "57.0" and <integer> are the plain form
    EXPECT_EQ(quick, libplistReadList<NumberDictionary>(file, "history"));
    ASSERT_EQ(quick->size(), 3u);
    EXPECT_EQ(quick->at(0).at("date"), 1678307200.123456);
    EXPECT_EQ(quick->at(0).at("watt"), 18.123456789012345);
    EXPECT_EQ(quick->at(2), (NumberDictionary{{"starttime", 0.1}, {"watt", -3.5}}));

    const std::string brands =
        "<?xml version=\"1.0\"?>\n<!-- by hand -->\n<plist version=\"1.0\"><dict><key>brandInfo"
        "</key><array><dict><key>n</key><string>AT&amp;T &#x41;</string><key>brandid</key>"
        "<string><![CDATA[<7>]]></string></dict></array></dict></plist>";
    EXPECT_FALSE(quickReadList<TextDictionary>(brands, "brandInfo"));
    EXPECT_EQ(list_codec::readList<TextDictionary>(brands, "brandInfo"),
              (Brands{{{"n", "AT&T A"}, {"brandid", "<7>"}}}));
    const auto spelled = list_codec::readList<NumberDictionary>(
        "<plist><dict><key>history</key><array><dict><key>a</key><real>+infinity</real>"
        "</dict></array></dict></plist>",
        "history");
    EXPECT_EQ(spelled, (Records{{{"a", kInf}}}));
}

TEST_F(StoreTest, UnreadableFilesLoadEmptyAndAreKeptAsideOnTheNextSave) {
    using namespace std::string_literals;
    const std::string history = "<plist><dict><key>history</key><array><dict><key>watt</key>";
    const std::string brands = "<plist><dict><key>brandInfo</key><array><dict><key>n</key>";
    const std::pair<std::string, std::string> cases[] = {
        {"history", "not a property list"},
        {"history", ""},
        {"history", "bplist00\xd1\x01\x02"},
        {"history", "<plist><array><dict/></array></plist>"},
        {"history", "<plist><dict><key>other</key><array/></dict></plist>"},
        {"history", history + "<string>fast</string></dict></array></dict></plist>"},
        {"history", history + "<real>5"},
        {"brandInfo", brands + "<integer>7</integer></dict></array></dict></plist>"},
        {"brandInfo", brands + "<string>a&#0;b</string></dict></array></dict></plist>"},
        {"brandInfo", brands + "<string>a\0b</string></dict></array></dict></plist>"s}};
    const Records records{{{"watt", 5.0}}};
    const Brands brandRecords{{{"n", "x"}}};
    for (const auto& [key, content] : cases) {
        SCOPED_TRACE(content);
        const bool isHistory = key == "history";
        fs::remove_all(dataDir());
        writeText(dataDir() / key, content);
        EXPECT_TRUE(isHistory ? loadList<NumberDictionary>(key).empty()
                              : loadList<TextDictionary>(key).empty());
        EXPECT_EQ(readText(dataDir() / key), content);  // reading changes nothing
        logLines.clear();
        ASSERT_TRUE(isHistory ? saveList(records, key) : saveList(brandRecords, key));
        const auto aside = filesStartingWith(dataDir(), key + ".unreadable-");
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(readText(aside[0]), content);
        EXPECT_EQ(aside[0].filename().string().size(), key.size() + sizeof ".unreadable-" - 1 + 15);
        EXPECT_EQ(logLines.size(), 1u);
        EXPECT_TRUE(isHistory ? loadList<NumberDictionary>(key) == records
                              : loadList<TextDictionary>(key) == brandRecords);
    }
}

TEST_F(StoreTest, ACutShortOrDeeplyNestedFileIsNoList) {
    const std::string valid = text(kAwkward);
    for (size_t cut = 0; cut < valid.size(); cut += 7) {
        // Unreadable, unless only the last line break went.
        const auto read = list_codec::readList<NumberDictionary>(valid.substr(0, cut), "history");
        EXPECT_TRUE(!read || text(*read) == valid) << cut;
    }
    std::string deep = "<plist version=\"1.0\"><dict><key>history</key>";
    for (int i = 0; i < 1000000; ++i) deep += "<array>";
    EXPECT_FALSE(list_codec::readList<NumberDictionary>(deep, "history"));
}

ssize_t writeHundredThenFail(int fd, const void* data, size_t size) {
    if (size > 100) return ::write(fd, data, 100);
    errno = ENOSPC;
    return -1;
}

TEST_F(StoreTest, AFailedOrKilledReplaceLeavesTheOldFile) {
    const Records oldRecords{{{"starttime", 1.0}}, {{"starttime", 2.0}}};
    const Records newRecords{{{"starttime", 3.0}}};
    ASSERT_TRUE(saveList(oldRecords, "history"));
    using Calls = sys::SystemCalls;
    const std::function<void(Calls&)> failures[] = {
        [](Calls& c) {
            c.open = [](const char* path, int flags, mode_t mode) {
                return std::string_view(path).ends_with(".tmp") ? -1 : ::open(path, flags, mode);
            };
        },
        [](Calls& c) { c.write = writeHundredThenFail; },
        [](Calls& c) { c.fsync = [](int) { return -1; }; },
        [](Calls& c) { c.rename = [](const char*, const char*) { return -1; }; }};
    for (const auto& inject : failures) {
        inject(sys::systemCalls());
        EXPECT_FALSE(saveList(newRecords, "history"));
        sys::systemCalls() = sys::realSystemCalls();
        EXPECT_EQ(loadList<NumberDictionary>("history"), oldRecords);
        EXPECT_TRUE(filesStartingWith(dataDir(), ".history").empty());
    }

    ASSERT_FALSE(inChildProcesses(1, [&](int) {
        sys::systemCalls().rename = [](const char*, const char*) -> int { ::_exit(3); };
        saveList(newRecords, "history");
    }));
    EXPECT_EQ(loadList<NumberDictionary>("history"), oldRecords);
    EXPECT_EQ(filesStartingWith(dataDir(), ".history.tmp").size(), 1u);
    ASSERT_TRUE(saveList(newRecords, "history"));  // over the half-written temporary
    EXPECT_EQ(loadList<NumberDictionary>("history"), newRecords);
}

TEST_F(StoreTest, ReadsAndWritesTheSameUnderADecimalCommaLocale) {
    const testing::ScopedLocale german("de_DE.UTF-8");
    if (!german.available()) GTEST_SKIP() << "no German locale here";
    const Records records{{{"tenth", 0.1}, {"half", 2.5}}};
    ASSERT_TRUE(saveList(records, "history"));
    EXPECT_EQ(loadList<NumberDictionary>("history"), records);
    // Unguarded, libplist would read "0.1" as 0 here.
    EXPECT_EQ(libplistReadList<NumberDictionary>(text(records), "history"), records);
}

}  // namespace
}  // namespace voltaro
