#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "platform/ascii_text.h"
#include "server/rate_limiter.h"
#include "server/result_text.h"
#include "server/sqlite_storage.h"
#include "server/text_checks.h"
#include "support/temp_dir.h"

namespace voltaro::server {
namespace {

TEST(TextChecks, CleanTextIsValidUtf8WithoutControlsWithinItsLength) {
    std::string longest;
    for (int i = 0; i < 64; ++i) longest += "充";
    const struct {
        std::string text;
        bool clean;
    } cases[] = {
        {"充電器 ランキング 🔌", true}, {longest, true},
        {std::string(65, 'a'), false}, {"\xc0\xaf", false},     // overlong "/"
        {"\xed\xa0\x80", false},                                // a surrogate
        {"\xe5\x85", false},                                    // cut short
        {"tab\there", false},          {"c1 \xc2\x85", false},  // NEL
    };
    for (const auto& c : cases) EXPECT_EQ(isCleanText(c.text, 64), c.clean) << c.text;
}

TEST(TextChecks, NumbersAndIdentifiers) {
    EXPECT_EQ(finiteNumber("694224000.25"), 694224000.25);
    EXPECT_EQ(finiteNumber("-1e-07"), -1e-07);
    for (const char* bad : {"", "+1", "1,5", "0x10", "inf", "nan", "1e400", "7 "}) {
        EXPECT_FALSE(finiteNumber(bad)) << bad;
    }
    EXPECT_TRUE(isUuid("e621e1f8-C36C-495A-93FC-0C247A3E6E5F"));
    EXPECT_FALSE(isUuid("G621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    EXPECT_EQ(groupedNumber(1234567), "1,234,567");
    EXPECT_EQ(filled("{a} and {b} {c}", {{"a", "{b}"}, {"b", "x"}}), "{b} and x {c}");
}

TEST(BrandList, ReadsTheClientsFormatAndNamesTheFirstFault) {
    const auto brands = parseBrandList(
        R"([{"brand_id": 7, "brand_name_en": "Acme", "brand_name_cn": ""},
            {"brand_id": 9, "brand_name_en": "Bolt", "brand_name_cn": "闪电"}])");
    ASSERT_EQ(brands.size(), 2u);
    EXPECT_EQ(brands[1].id, 9);
    EXPECT_EQ(brands[1].nameCn, "闪电");

    const struct {
        const char* json;
        const char* fault;
    } bad[] = {
        {"{", "not JSON"},
        {R"({"brand_id": 1})", "not a JSON array"},
        {R"([{"brand_id": 0, "brand_name_en": "A", "brand_name_cn": "A"}])",
         "brand 1: \"brand_id\""},
        {R"([{"brand_id": 1, "brand_name_en": "A", "brand_name_cn": "A"},
             {"brand_id": 1, "brand_name_en": "B", "brand_name_cn": "B"}])",
         "brand 2: \"brand_id\" 1 is listed twice"},
        {R"([{"brand_id": 1, "brand_name_en": "A\u0007", "brand_name_cn": "A"}])",
         "brand 1: \"brand_name_en\""},
    };
    for (const auto& c : bad) {
        try {
            parseBrandList(c.json);
            ADD_FAILURE() << "accepted " << c.json;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.fault, 0), 0u) << error.what();
        }
    }
}

TEST(RateLimiter, RefillsAtItsRateUpToTheBurst) {
    RateLimiter limiter(10, 3);
    const auto start = RateLimiter::Clock::now();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.allow("a", start));
    EXPECT_FALSE(limiter.allow("a", start));
    EXPECT_TRUE(limiter.allow("b", start));
    EXPECT_TRUE(limiter.allow("a", start + std::chrono::milliseconds(100)));
    EXPECT_FALSE(limiter.allow("a", start + std::chrono::milliseconds(150)));
    // Long idle clients are forgotten rather than kept for ever.
    EXPECT_TRUE(limiter.allow("c", start + std::chrono::seconds(60)));
    EXPECT_EQ(limiter.trackedAddresses(), 1u);

    EXPECT_EQ(rateLimitKey("2001:db8:1:2:aaaa:bbbb:cccc:dddd"), "2001:db8:1:2::/64");
    EXPECT_EQ(rateLimitKey("::ffff:192.0.2.4"), "192.0.2.4");
}

TEST(SqliteFile, ANewerSchemaIsRefusedAndAFileThatIsNoDatabaseIsUnavailable) {
    testing::TempDir dir;
    const std::string path = (dir.path() / "new folder" / "voltaro.db").string();
    SqliteStorage(path).prepare();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "INSERT INTO schema_version VALUES (99)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    try {
        SqliteStorage(path).prepare();
        ADD_FAILURE() << "a newer schema was accepted";
    } catch (const StorageUnavailable&) {
        ADD_FAILURE() << "a newer schema is no passing failure";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("schema version 99"), std::string::npos);
    }

    const std::string garbage = (dir.path() / "garbage.db").string();
    std::ofstream(garbage)
        << "this is not a database, just some text that is long enough to be read";
    EXPECT_THROW(SqliteStorage(garbage).readStandings(), StorageUnavailable);
}

}  // namespace
}  // namespace voltaro::server
