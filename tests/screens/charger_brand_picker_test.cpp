#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "charger_screens_fixture.h"
#include "screens/add_brand_vc.h"
#include "screens/brand_sections.h"
#include "store/quick_picks.h"

namespace voltaro {
namespace {

using Names = std::vector<std::string>;

std::vector<std::string> letters(const std::vector<Section>& sections) {
    std::vector<std::string> result;
    for (const Section& section : sections) result.push_back(section.letter);
    return result;
}

class BrandPickerTest : public testing::ChargerScreensTest {
protected:
    void open(const std::vector<BrandRecord>& catalogue) {
        ASSERT_TRUE(saveBrandCatalogue(catalogue));
        picker.viewDidLoad();
    }
    Names shownNames() const {
        Names names;
        for (size_t s = 0; s < picker.numberOfSections(); ++s) {
            for (size_t r = 0; r < picker.numberOfRows(s); ++r) {
                names.push_back(picker.cell(s, r).brandName);
            }
        }
        return names;
    }

    AddBrandVC picker{services, preferences};
};

TEST_F(BrandPickerTest, NamesAreGroupedByTheirFirstCharacterWithCaseKept) {
    lastAddedKind() = AddedKind::Watt;
    open({brand("1", "alpha"), brand("2", "Axis"), brand("3", "Alpha")});
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    ASSERT_EQ(picker.numberOfSections(), 2u);
    EXPECT_EQ(picker.titleForHeader(0), "A");
    EXPECT_EQ(picker.header(0).backgroundColorName, "cellBackgroundColor");
    EXPECT_EQ(picker.titleForHeader(1), "a");
    EXPECT_EQ(picker.numberOfRows(0), 2u);
    EXPECT_EQ(picker.cell(0, 0).brandName, "Alpha");
    EXPECT_EQ(picker.cell(0, 1).brandName, "Axis");
    EXPECT_EQ(picker.cell(1, 0).brandName, "alpha");
    EXPECT_EQ(picker.sectionIndexTitles(), (Names{"A", "a"}));
}

TEST_F(BrandPickerTest, SearchKeepsNamesThatBeginWithTheTextInAnyCase) {
    open({brand("1", "Alpha"), brand("2", "Beta Alpha"), brand("3", "alpha"), brand("4", "Bolt")});
    picker.searchBarTextDidChange("AL");
    EXPECT_EQ(shownNames(), (Names{"Alpha", "alpha"}));
    EXPECT_EQ(letters(picker.searchSections()), (Names{"A", "a"}));
    // The index keeps every letter; a letter the search hides leads nowhere.
    EXPECT_EQ(picker.sectionIndexTitles(), (Names{"A", "B", "a"}));
    EXPECT_EQ(picker.sectionForSectionIndex(0), 0u);
    EXPECT_EQ(picker.sectionForSectionIndex(1), std::nullopt);
    EXPECT_EQ(picker.sectionForSectionIndex(2), 1u);
    EXPECT_EQ(picker.sectionForSectionIndex(3), std::nullopt);

    picker.searchBarTextDidChange("zzz");
    EXPECT_EQ(picker.numberOfSections(), 0u);
    picker.searchBarTextDidChange("");
    EXPECT_EQ(shownNames(), (Names{"Alpha", "Beta Alpha", "Bolt", "alpha"}));
    EXPECT_EQ(picker.sectionForSectionIndex(1), 1u);
}

TEST_F(BrandPickerTest, PickingMakesTheBrandTheFirstQuickPick) {
    open({brand("11", "Ampere"), brand("12", "Bolt"), brand("13", "Current")});
    seedQuickPicks(preferences);
    picker.searchBarTextDidChange("cur");
    picker.didSelectRow(0, 0);  // quick pick 3 already
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{13, 11, 12}));
    EXPECT_EQ(lastAddedKind(), AddedKind::Brand);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"dismiss from-left"});
}

TEST_F(BrandPickerTest, OfTwoBrandsWithOneNameTheFirstIsStored) {
    open({brand("21", "Twin"), brand("22", "Twin")});
    EXPECT_EQ(shownNames(), (Names{"Twin", "Twin"}));
    picker.didSelectRow(0, 1);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand)[0], 21);
}

TEST_F(BrandPickerTest, AnEmptyCatalogueLeavesOnlyTheWayBack) {
    open({});
    EXPECT_EQ(picker.numberOfSections(), 0u);
    EXPECT_TRUE(picker.sectionIndexTitles().empty());
    picker.didSelectRow(0, 0);
    EXPECT_TRUE(recorder.calls.empty());
    lastAddedKind() = AddedKind::Brand;
    picker.backButtonTapped();
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"dismiss from-left"});
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{0, 0, 0}));
}

TEST_F(BrandPickerTest, EntriesWithoutAnEnglishNameAreLeftOut) {
    BrandRecord nameless = {{brand_key::kBrandId, "5"}, {brand_key::kNameCn, "无名"}};
    open({nameless, brand("6", ""), brand("7", "Volt <b>&</b> Co")});
    EXPECT_EQ(shownNames(), (Names{"Volt <b>&</b> Co"}));  // shown as given, plain text
}

TEST(BrandSectionsTest, DigitsComeBeforeCapitalsBeforeSmallLettersBeforeOtherScripts) {
    const std::vector<Section> sections =
        groupBrandNames({"zeta", "Zap", "9Volt", "小米", "Éclair", "Ampere", "ampere", "Aa"});
    EXPECT_EQ(letters(sections), (Names{"9", "A", "Z", "a", "z", "É", "小"}));
    EXPECT_EQ(sections[1].names, (Names{"Aa", "Ampere"}));
}

TEST(BrandSectionsTest, ComposedAndDecomposedLettersShareASection) {
    const std::string precomposed = "\u00C9clair";  // É as one scalar
    const std::string decomposed = "E\u0301cole";   // E and a combining acute
    const std::vector<Section> sections = groupBrandNames({precomposed, decomposed, "Eagle"});
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0], (Section{"E", {"Eagle"}}));
    EXPECT_EQ(sections[1].letter, "\u00C9");
    // Ordered by the composed form: "Éc" + "l" before "Éc" + "o".
    EXPECT_EQ(sections[1].names, (Names{precomposed, decomposed}));
    EXPECT_TRUE(hasPrefixIgnoringCase(decomposed, "\u00E9co"));
    EXPECT_TRUE(hasPrefixIgnoringCase(precomposed, "e\u0301"));
    EXPECT_FALSE(hasPrefixIgnoringCase(precomposed, "e"));
}

TEST(BrandSectionsTest, AFirstCharacterKeepsWhatExtendsIt) {
    using brand_text::decodeUtf8;
    using brand_text::encodeUtf8;
    using brand_text::firstCharacter;
    // A flag is two regional indicators; a joined emoji with a skin tone is one character.
    EXPECT_EQ(encodeUtf8(firstCharacter(decodeUtf8("\U0001F1E8\U0001F1F3 Power"))),
              "\U0001F1E8\U0001F1F3");
    EXPECT_EQ(encodeUtf8(firstCharacter(decodeUtf8("\U0001F469\U0001F3FD\u200D\U0001F527x"))),
              "\U0001F469\U0001F3FD\u200D\U0001F527");
    EXPECT_EQ(encodeUtf8(firstCharacter(decodeUtf8("q\u0307\u0323z"))), "q\u0307\u0323");
    // Hangul jamo compose into their syllable.
    EXPECT_EQ(encodeUtf8(brand_text::composed(decodeUtf8("\u1112\u1161\u11AB"))), "\uD55C");
}

TEST(BrandSectionsTest, MalformedTextStillGetsASection) {
    const std::vector<Section> sections =
        groupBrandNames({"\xFF\xFE"
                         "abc",
                         "\xE2\x82", "ok"});
    EXPECT_EQ(letters(sections), (Names{"o", "\uFFFD"}));
    EXPECT_EQ(sections[1].names.size(), 2u);
    EXPECT_EQ(brand_text::decodeUtf8("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));  // overlong
    EXPECT_EQ(brand_text::decodeUtf8("\xED\xA0\x80").size(), 3u);                     // a surrogate
}

TEST(BrandSectionsTest, CaseIsFoldedBeyondAscii) {
    EXPECT_TRUE(hasPrefixIgnoringCase("ŁÓDŹ Power", "łódź"));
    EXPECT_TRUE(hasPrefixIgnoringCase("ΑΛΦΑ", "αλ"));
    EXPECT_TRUE(hasPrefixIgnoringCase("Энергия", "эН"));
    EXPECT_TRUE(hasPrefixIgnoringCase("ＡＢＣ", "ａｂ"));
    EXPECT_TRUE(hasPrefixIgnoringCase("Ǚ", "ü\u030C"));
    EXPECT_FALSE(hasPrefixIgnoringCase("Beta Alpha", "alpha"));
    EXPECT_TRUE(hasPrefixIgnoringCase("anything", ""));
}

}  // namespace
}  // namespace voltaro
