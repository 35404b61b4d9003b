#include "store/brand_catalogue.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "platform/strings.h"
#include "store/display_text.h"
#include "store_test_support.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using store_test::StoreTest;

BrandRecord brand(const std::string& id, const std::string& name) {
    return {{"brandid", id}, {"brand_name_en", name}, {"brand_name_cn", name + " cn"}};
}

TEST_F(StoreTest, BrandLookupsReadTheNumberAsAWholeDecimal) {
    EXPECT_EQ(brandNameForId(7), localized("unknown"));  // no catalogue yet
    EXPECT_EQ(brandIdForName("Acme"), 0);

    ASSERT_TRUE(saveBrandCatalogue({brand("7", "Acme")}));
    EXPECT_EQ(brandNameForId(7), "Acme");
    EXPECT_EQ(brandNameForId(8), localized("unknown"));
    EXPECT_EQ(brandIdForName("Acme"), 7);
    EXPECT_EQ(brandIdForName("acme"), 0);

    for (const char* text : {"+7", "007", "+0007"}) {
        ASSERT_TRUE(saveBrandCatalogue({brand(text, "Acme")}));
        EXPECT_EQ(brandNameForId(7), "Acme") << text;
        EXPECT_EQ(brandIdForName("Acme"), 7) << text;
    }
    for (const char* text :
         {" 7", "7 ", "7a", "", "+", "-", "+-7", "0x7", "7.0", "9223372036854775808"}) {
        ASSERT_TRUE(saveBrandCatalogue({brand(text, "Acme")}));
        EXPECT_EQ(brandNameForId(7), localized("unknown")) << text;
        EXPECT_EQ(brandIdForName("Acme"), 0) << text;
    }
    ASSERT_TRUE(saveBrandCatalogue({brand("-9223372036854775808", "Lowest")}));
    EXPECT_EQ(brandIdForName("Lowest"), INT64_MIN);
    EXPECT_EQ(brandNameForId(INT64_MIN), "Lowest");
}

TEST_F(StoreTest, TheFirstMatchingBrandWins) {
    ASSERT_TRUE(saveBrandCatalogue({{{"brandid", "7"}},  // no English name: no match
                                    brand("x", "Acme"),
                                    brand("7", "First"),
                                    brand("7", "Second"),
                                    brand("9", "Acme")}));
    EXPECT_EQ(brandNameForId(7), "First");
    EXPECT_EQ(brandIdForName("Acme"), 0);  // the first Acme's number does not read
    EXPECT_EQ(brandIdForName("Second"), 7);
}

TEST(DisplayText, PortAndKindNames) {
    EXPECT_EQ(portName(1), "USB-A");
    EXPECT_EQ(portName(2), "USB-C");
    EXPECT_EQ(portName(3), localized("Wireless"));
    EXPECT_EQ(chargerKindName(1), localized("Wall Charger"));
    EXPECT_EQ(chargerKindName(2), localized("Power Bank"));
    EXPECT_EQ(chargerKindName(3), localized("Car Charger"));
    for (const int64_t other : {0, 4, -1}) {
        EXPECT_EQ(portName(other), "");
        EXPECT_EQ(chargerKindName(other), "");
    }
}

TEST(DisplayText, ShortDateIsMonthAndDayInTheZoneInForce) {
    const char* old = std::getenv("TZ");
    const std::optional<std::string> previous =
        old ? std::optional<std::string>(old) : std::nullopt;
    const auto useZone = [](const char* zone) {
        zone ? ::setenv("TZ", zone, 1) : ::unsetenv("TZ");
        ::tzset();
    };
    constexpr double kDay = 86400;
    useZone("UTC0");
    EXPECT_EQ(shortDateText(kDay), "01-02");
    EXPECT_EQ(shortDateText(kDay - 0.5), "01-01");
    EXPECT_EQ(shortDateText(700000000.0), "03-08");  // 2023-03-08 20:26:40 UTC
    useZone("EST5");                                 // west of UTC
    EXPECT_EQ(shortDateText(kDay), "01-01");
    EXPECT_EQ(shortDateText(700000000.0), "03-08");
    useZone("JST-9");  // east of UTC: past midnight already
    EXPECT_EQ(shortDateText(700000000.0), "03-09");
    for (const double none : {0.0, -1.0, -kDay, std::nan("")}) EXPECT_EQ(shortDateText(none), "");
    EXPECT_EQ(shortDateText(1e300), "Unknow");
    useZone(previous ? previous->c_str() : nullptr);
}

TEST(DisplayText, MessagesAreThirteenPointWithSpacingByLanguage) {
    EXPECT_EQ(attributedMessage("Hi", "1"), (AttributedText{"Hi", 13.0, 0.0}));
    for (const char* flag : {"2", "3", "4"}) {
        EXPECT_EQ(attributedMessage("Hi", flag).lineSpacing, 4.0);
    }
    EXPECT_EQ(attributedMessage("Hi"), attributedMessage("Hi", currentLanguageFlag()));
}

}  // namespace
}  // namespace voltaro
