#include "screen_fixture.h"
#include "screens/add_brand_vc.h"
#include "screens/brand_sections.h"

namespace voltaro {
namespace {

using Names = testing::Texts;

std::string describe(const std::vector<Section>& sections) {
    std::string text;
    for (const Section& section : sections) {
        text += (text.empty() ? "" : " | ") + section.letter + ":";
        for (const std::string& name : section.names) text += " " + name;
    }
    return text;
}

class BrandPickerTest : public testing::ScreenTest {
protected:
    void open(const std::vector<BrandRecord>& catalogue) {
        ASSERT_TRUE(saveBrandCatalogue(catalogue));
        picker.viewDidLoad();
    }
    std::string shown() const {
        std::vector<Section> sections;
        for (size_t s = 0; s < picker.numberOfSections(); ++s) {
            sections.push_back({picker.titleForHeader(s), {}});
            for (size_t r = 0; r < picker.numberOfRows(s); ++r) {
                sections.back().names.push_back(picker.cell(s, r).brandName);
            }
        }
        return describe(sections);
    }

    AddBrandVC picker{services, preferences};
};

// Entries without an English name are left out; names are shown as given, as plain text.
TEST_F(BrandPickerTest, NamesAreGroupedByTheirFirstCharacterWithCaseKept) {
    lastAddedKind() = AddedKind::Watt;
    const BrandRecord nameless = {{brand_key::kBrandId, "5"}, {brand_key::kNameCn, "无名"}};
    open({brand("1", "alpha"), brand("2", "Axis"), brand("3", "Alpha"), nameless, brand("6", ""),
          brand("7", "Volt <b>&</b> Co")});
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(shown(), "A: Alpha Axis | V: Volt <b>&</b> Co | a: alpha");
    EXPECT_EQ(picker.sectionIndexTitles(), (Names{"A", "V", "a"}));
}

TEST_F(BrandPickerTest, SearchKeepsNamesThatBeginWithTheTextInAnyCase) {
    open({brand("1", "Alpha"), brand("2", "Beta Alpha"), brand("3", "alpha"), brand("4", "Bolt")});
    picker.searchBarTextDidChange("AL");
    EXPECT_EQ(shown(), "A: Alpha | a: alpha");
    EXPECT_EQ(picker.sectionForSectionIndex(1), std::nullopt);  // "B", hidden by the search
    EXPECT_TRUE(hasPrefixIgnoringCase("ŁÓDŹ Power", "łódź"));
    EXPECT_FALSE(hasPrefixIgnoringCase("\u00C9clair", "e"));
}

TEST_F(BrandPickerTest, PickingMakesTheBrandTheFirstQuickPick) {
    open({brand("11", "Ampere"), brand("12", "Bolt"), brand("13", "Current")});
    seedQuickPicks(preferences);
    picker.searchBarTextDidChange("cur");
    picker.didSelectRow(0, 0);  // quick pick 3 already
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{13, 11, 12}));
    EXPECT_EQ(lastAddedKind(), AddedKind::Brand);
    EXPECT_EQ(recorder.calls, Names{"dismiss from-left"});
}

TEST_F(BrandPickerTest, AnEmptyCatalogueLeavesOnlyTheWayBack) {
    open({});
    EXPECT_EQ(shown(), "");
    picker.didSelectRow(0, 0);
    EXPECT_TRUE(recorder.calls.empty());
    lastAddedKind() = AddedKind::Brand;
    picker.backButtonTapped();
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(recorder.calls, Names{"dismiss from-left"});
}

// A section's letter is a whole character: a flag, a joined emoji, a letter with its marks,
// the same letter composed or not. Within a section, names go by their composed form.
TEST(BrandSectionsTest, DigitsComeBeforeCapitalsBeforeSmallLettersBeforeOtherScripts) {
    const std::string flag = "\U0001F1E8\U0001F1F3";
    const std::string mechanic = "\U0001F469\U0001F3FD\u200D\U0001F527";
    const std::string marked = "q\u0307\u0323";
    const std::string jamo = "\u1112\u1161\u11AB";  // compose into one syllable
    const std::string decomposed = "E\u0301cole";
    EXPECT_EQ(describe(groupBrandNames({"zeta", "Zap", "9Volt", "小米", decomposed, "\u00C9clair",
                                        "Ampere", "ampere", "Aa", "Eagle", flag + " Power",
                                        mechanic + "x", marked + "z", jamo})),
              "9: 9Volt | A: Aa Ampere | E: Eagle | Z: Zap | a: ampere | " + marked + ": " +
                  marked + "z | z: zeta | \u00C9: \u00C9clair " + decomposed +
                  " | 小: 小米 | \uD55C: " + jamo + " | " + flag + ": " + flag + " Power | " +
                  mechanic + ": " + mechanic + "x");
}

TEST(BrandSectionsTest, MalformedTextStillGetsASection) {
    const std::vector<Section> sections = groupBrandNames({"\xFF\xFExyz", "\xE2\x82", "ok"});
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0], (Section{"o", {"ok"}}));
    EXPECT_EQ(sections[1].letter, "\uFFFD");
    EXPECT_EQ(sections[1].names.size(), 2u);
    EXPECT_EQ(brand_text::decodeUtf8("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));  // overlong
    EXPECT_EQ(brand_text::decodeUtf8("\xED\xA0\x80").size(), 3u);                     // a surrogate
}

}  // namespace
}  // namespace voltaro
