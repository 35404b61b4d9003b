#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace voltaro {

// Brand names under the character they start with.
struct Section {
    std::string letter;  // one user-perceived character, case kept
    std::vector<std::string> names;
    bool operator==(const Section&) const = default;
};

// Groups names by their first character (A and a are different sections), sections and the
// names in each ascending by the Unicode scalar values of their composed form: digits, then
// upper-case, then lower-case letters. Equal names keep their order; empty names have no
// section.
std::vector<Section> groupBrandNames(const std::vector<std::string>& names);

// Whether `name` begins with `prefix`, ignoring case. An empty prefix matches every name.
bool hasPrefixIgnoringCase(std::string_view name, std::string_view prefix);

// The text handling behind the two, without a Unicode library. Composition covers the Latin
// letters with diacritics of Latin-1, Latin Extended-A and the pinyin tone letters, Hangul
// syllables and the three singletons (Kelvin, Angstrom, Ohm signs); other text, CJK and
// precomposed letters included, is already composed. Lower-casing covers Latin (Basic, Latin-1,
// Extended-A, pinyin), Greek, Cyrillic and full-width Latin.
namespace brand_text {

// Malformed UTF-8 reads as U+FFFD, one per byte that does not fit.
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);
std::u32string composed(std::u32string_view text);
std::u32string lowercased(std::u32string_view text);
// The first user-perceived character: a scalar with the marks, joiners, variation selectors
// and modifiers that extend it; a flag's two regional indicators.
std::u32string firstCharacter(std::u32string_view text);

}  // namespace brand_text

}  // namespace voltaro
