#include "platform/plist/list_file.h"

#include <errno.h>

#include <cmath>
#include <limits>

#include "store_test_support.h"
#include "support/scoped_locale.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using list_codec::libplistReadList;
using store_test::StoreTest;
using Records = std::vector<NumberDictionary>;
using Brands = std::vector<TextDictionary>;

constexpr double kInf = std::numeric_limits<double>::infinity();

// The writer is exact, so equal texts mean equal bits (NaN and -0.0 included).
std::string text(const Records& records) {
    return list_codec::writeList("history", records);
}

// Round trips of any value are the list_codec fuzzer's; these values broke before.
TEST_F(StoreTest, RealsSurviveASaveAndLoadExactly) {
    const Records awkward{
        {{"whole", 57.0}, {"tenth", 0.1}, {"third", 1.0 / 3.0}, {"minusZero", -0.0}},
        {{"tiny", 1e-7}, {"absolute", 700000000.123456}, {"huge", 1e300}, {"denormal", 5e-324}},
        {{"nan", std::nan("")}, {"inf", kInf}, {"minusInf", -kInf}},
        {}};
    ASSERT_TRUE(saveList(awkward, "history"));
    EXPECT_EQ(text(loadList<NumberDictionary>("history")), text(awkward));
}

// Which bytes read is the fuzzer's; a NUL in a text once aborted the reader.
TEST_F(StoreTest, UnreadableFilesLoadEmptyAndAreKeptAsideOnTheNextSave) {
    using namespace std::string_literals;
    const std::string head = "<plist><dict><key>brandInfo</key><array><dict><key>n</key>";
    std::string deep = "<plist version=\"1.0\"><dict><key>brandInfo</key>";
    for (int i = 0; i < 1000000; ++i) deep += "<array>";
    const std::string cases[] = {"not a property list", head + "<string>cut short",
                                 head + "<string>a&#0;b</string></dict></array></dict></plist>",
                                 head + "<string>a\0b</string></dict></array></dict></plist>"s,
                                 deep};
    const Brands saved{{{"n", "A&B <电>"}, {"brandid", ""}}, {{"n", "  spaced\ttab\n"}}};
    for (const std::string& content : cases) {
        SCOPED_TRACE(content.substr(0, 100));
        fs::remove_all(dataDir());
        writeText(dataDir() / "brandInfo", content);
        EXPECT_TRUE(loadList<TextDictionary>("brandInfo").empty());
        EXPECT_EQ(readText(dataDir() / "brandInfo"), content);  // reading changes nothing
        ASSERT_TRUE(saveList(saved, "brandInfo"));
        const auto aside = filesStartingWith(dataDir(), "brandInfo.unreadable-");
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(readText(aside[0]), content);
        EXPECT_EQ(loadList<TextDictionary>("brandInfo"), saved);
    }
}

ssize_t writeHundredThenFail(int fd, const void* data, size_t size) {
    if (size > 100) return ::write(fd, data, 100);
    errno = ENOSPC;
    return -1;
}

TEST_F(StoreTest, AFailedReplaceLeavesTheOldFileAndNoTemporary) {
    const Records oldRecords{{{"starttime", 1.0}}, {{"starttime", 2.0}}};
    ASSERT_TRUE(saveList(oldRecords, "history"));
    using Calls = sys::SystemCalls;
    const std::function<void(Calls&)> failures[] = {
        [](Calls& c) { c.write = writeHundredThenFail; },
        [](Calls& c) { c.fsync = [](int) { return -1; }; },
        [](Calls& c) { c.rename = [](const char*, const char*) { return -1; }; }};
    for (const auto& inject : failures) {
        inject(sys::systemCalls());
        EXPECT_FALSE(saveList(Records{{{"starttime", 3.0}}}, "history"));
        sys::systemCalls() = sys::realSystemCalls();
        EXPECT_EQ(loadList<NumberDictionary>("history"), oldRecords);
        EXPECT_TRUE(filesStartingWith(dataDir(), ".history").empty());
    }
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
