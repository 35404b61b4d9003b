#include "platform/plist/list_file.h"

#include <errno.h>
#include <fcntl.h>
#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "store_test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

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
    {{"absolute", 700000000.123456},
     {"unix", 1678307200.987654321},
     {"huge", 1e300},
     {"denormal", 5e-324},
     {"negative", -2.5e-300}},
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

TEST_F(StoreTest, ReadsAHistoryWrittenByAnotherPropertyListWriter) {
    const std::string file = readText(fs::path(VOLTARO_TEST_DATA_DIR) / "history_plistlib.plist");
    const auto quick = quickReadList<NumberDictionary>(file, "history");
    ASSERT_TRUE(quick);  // tabs, "57.0" and <integer> are the plain form
    EXPECT_EQ(quick, libplistReadList<NumberDictionary>(file, "history"));
    ASSERT_EQ(quick->size(), 3u);
    EXPECT_EQ(quick->at(0).size(), 15u);
    EXPECT_EQ(quick->at(0).at("starttime"), 700000000.25);
    EXPECT_EQ(quick->at(0).at("date"), 1678307200.123456);
    EXPECT_EQ(quick->at(0).at("watt"), 18.123456789012345);
    EXPECT_EQ(quick->at(1).at("watt"), 1e-07);
    EXPECT_EQ(quick->at(1).at("capacity"), 10000.0);
    EXPECT_EQ(quick->at(2), (NumberDictionary{{"starttime", 0.1}, {"watt", -3.5}}));
}

TEST_F(StoreTest, LibplistReadsWhatTheQuickReaderDeclines) {
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
    EXPECT_TRUE(quickReadList<NumberDictionary>(
        "<plist><dict><key>history</key><array/></dict></plist>", "history"));
}

TEST_F(StoreTest, UnreadableFilesLoadEmptyAndAreKeptAsideOnTheNextSave) {
    const std::string cases[] = {
        "not a property list",
        "",
        "bplist00\xd1\x01\x02",
        "<plist><array><dict/></array></plist>",
        "<plist><dict><key>other</key><array/></dict></plist>",
        "<plist><dict><key>history</key><array><dict><key>watt</key><string>fast</string>"
        "</dict></array></dict></plist>",
        "<plist><dict><key>history</key><array><dict><key>watt</key><real>5"};
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        fs::remove_all(dataDir());
        writeText(dataDir() / "history", content);
        EXPECT_TRUE(loadList<NumberDictionary>("history").empty());
        EXPECT_EQ(readText(dataDir() / "history"), content);  // reading changes nothing
        logLines.clear();
        ASSERT_TRUE(saveList(Records{{{"watt", 5.0}}}, "history"));
        const auto aside = filesStartingWith(dataDir(), "history.unreadable-");
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(readText(aside[0]), content);
        EXPECT_EQ(aside[0].filename().string().size(), sizeof "history.unreadable-" - 1 + 15);
        EXPECT_EQ(logLines.size(), 1u);
        EXPECT_EQ(loadList<NumberDictionary>("history"), (Records{{{"watt", 5.0}}}));
    }
    // A number is not a brand record's text.
    writeText(dataDir() / "brandInfo",
              "<plist><dict><key>brandInfo</key><array><dict><key>brandid</key><integer>7"
              "</integer></dict></array></dict></plist>");
    EXPECT_TRUE(loadList<TextDictionary>("brandInfo").empty());
    ASSERT_TRUE(saveList(Brands{}, "brandInfo"));
    EXPECT_EQ(filesStartingWith(dataDir(), "brandInfo.unreadable-").size(), 1u);
}

TEST_F(StoreTest, HostileInputNeverCrashesTheReaders) {
    const std::string valid = text(kAwkward);
    for (size_t cut = 0; cut < valid.size(); cut += 7) {
        // Cut short is unreadable, unless only the last line break went.
        const auto read = list_codec::readList<NumberDictionary>(valid.substr(0, cut), "history");
        EXPECT_TRUE(!read || text(*read) == valid) << cut;
    }
    std::string deep = "<plist version=\"1.0\"><dict><key>history</key>";
    for (int i = 0; i < 1000000; ++i) deep += "<array>";
    EXPECT_FALSE(list_codec::readList<NumberDictionary>(deep, "history"));
}

class ReplaceTest : public StoreTest {
protected:
    ReplaceTest() { EXPECT_TRUE(saveList(oldRecords, "history")); }
    void expectOldFileIntact() {
        EXPECT_EQ(loadList<NumberDictionary>("history"), oldRecords);
        EXPECT_TRUE(filesStartingWith(dataDir(), ".history").empty());
    }
    const Records oldRecords{{{"starttime", 1.0}}, {{"starttime", 2.0}}};
    const Records newRecords{{{"starttime", 3.0}}};
};

ssize_t writeHundredThenFail(int fd, const void* data, size_t size) {
    if (size > 100) return ::write(fd, data, 100);
    errno = ENOSPC;
    return -1;
}

TEST_F(ReplaceTest, AFailingSystemCallLeavesTheOldFileAndNoTemporary) {
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
        expectOldFileIntact();
    }
}

TEST_F(ReplaceTest, ACrashBetweenWriteAndRenameLeavesTheOldFile) {
    ASSERT_FALSE(inChildProcesses(1, [this](int) {
        sys::systemCalls().rename = [](const char*, const char*) -> int { ::_exit(3); };
        saveList(newRecords, "history");
    }));
    EXPECT_EQ(loadList<NumberDictionary>("history"), oldRecords);
    EXPECT_EQ(filesStartingWith(dataDir(), ".history.tmp").size(), 1u);
    ASSERT_TRUE(saveList(newRecords, "history"));  // over the half-written temporary
    EXPECT_EQ(loadList<NumberDictionary>("history"), newRecords);
}

TEST_F(StoreTest, ReadsAndWritesTheSameUnderADecimalCommaLocale) {
    const fs::path locales = dataDir().parent_path() / "locales";
    fs::create_directories(locales);
    const std::string make =
        "localedef -i de_DE -f UTF-8 " + (locales / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    ::setenv("LOCPATH", locales.c_str(), 1);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();  // glibc keeps its parsed LOCPATH for the life of the process
#endif
    const locale_t german =
        std::system(make.c_str()) == 0 ? ::newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr) : nullptr;
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    ::unsetenv("LOCPATH");
    if (german == nullptr) GTEST_SKIP() << "no German locale can be made here";
    const locale_t previous = ::uselocale(german);
    const Records records{{{"tenth", 0.1}, {"half", 2.5}}};
    const bool saved = saveList(records, "history");
    // Unguarded, libplist would read "0.1" as 0 here.
    const auto viaLibplist = libplistReadList<NumberDictionary>(text(records), "history");
    const auto loaded = loadList<NumberDictionary>("history");
    ::uselocale(previous);
    ::freelocale(german);
    ASSERT_TRUE(saved);
    EXPECT_EQ(loaded, records);
    EXPECT_EQ(viaLibplist, records);
}

}  // namespace
}  // namespace voltaro
