#include "screens/brand_sections.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <utility>

namespace voltaro {
namespace brand_text {
namespace {

struct Composition {
    char32_t base;
    char32_t mark;
    char32_t composed;
};

// Canonical pairs of Latin-1 Supplement, Latin Extended-A and the pinyin tone letters
// (U+01CD to U+01DC), sorted by base and mark.
constexpr Composition kLatinCompositions[] = {
    {0x0041, 0x0300, 0x00C0}, {0x0041, 0x0301, 0x00C1}, {0x0041, 0x0302, 0x00C2},
    {0x0041, 0x0303, 0x00C3}, {0x0041, 0x0304, 0x0100}, {0x0041, 0x0306, 0x0102},
    {0x0041, 0x0308, 0x00C4}, {0x0041, 0x030A, 0x00C5}, {0x0041, 0x030C, 0x01CD},
    {0x0041, 0x0328, 0x0104}, {0x0043, 0x0301, 0x0106}, {0x0043, 0x0302, 0x0108},
    {0x0043, 0x0307, 0x010A}, {0x0043, 0x030C, 0x010C}, {0x0043, 0x0327, 0x00C7},
    {0x0044, 0x030C, 0x010E}, {0x0045, 0x0300, 0x00C8}, {0x0045, 0x0301, 0x00C9},
    {0x0045, 0x0302, 0x00CA}, {0x0045, 0x0304, 0x0112}, {0x0045, 0x0306, 0x0114},
    {0x0045, 0x0307, 0x0116}, {0x0045, 0x0308, 0x00CB}, {0x0045, 0x030C, 0x011A},
    {0x0045, 0x0328, 0x0118}, {0x0047, 0x0302, 0x011C}, {0x0047, 0x0306, 0x011E},
    {0x0047, 0x0307, 0x0120}, {0x0047, 0x0327, 0x0122}, {0x0048, 0x0302, 0x0124},
    {0x0049, 0x0300, 0x00CC}, {0x0049, 0x0301, 0x00CD}, {0x0049, 0x0302, 0x00CE},
    {0x0049, 0x0303, 0x0128}, {0x0049, 0x0304, 0x012A}, {0x0049, 0x0306, 0x012C},
    {0x0049, 0x0307, 0x0130}, {0x0049, 0x0308, 0x00CF}, {0x0049, 0x030C, 0x01CF},
    {0x0049, 0x0328, 0x012E}, {0x004A, 0x0302, 0x0134}, {0x004B, 0x0327, 0x0136},
    {0x004C, 0x0301, 0x0139}, {0x004C, 0x030C, 0x013D}, {0x004C, 0x0327, 0x013B},
    {0x004E, 0x0301, 0x0143}, {0x004E, 0x0303, 0x00D1}, {0x004E, 0x030C, 0x0147},
    {0x004E, 0x0327, 0x0145}, {0x004F, 0x0300, 0x00D2}, {0x004F, 0x0301, 0x00D3},
    {0x004F, 0x0302, 0x00D4}, {0x004F, 0x0303, 0x00D5}, {0x004F, 0x0304, 0x014C},
    {0x004F, 0x0306, 0x014E}, {0x004F, 0x0308, 0x00D6}, {0x004F, 0x030B, 0x0150},
    {0x004F, 0x030C, 0x01D1}, {0x0052, 0x0301, 0x0154}, {0x0052, 0x030C, 0x0158},
    {0x0052, 0x0327, 0x0156}, {0x0053, 0x0301, 0x015A}, {0x0053, 0x0302, 0x015C},
    {0x0053, 0x030C, 0x0160}, {0x0053, 0x0327, 0x015E}, {0x0054, 0x030C, 0x0164},
    {0x0054, 0x0327, 0x0162}, {0x0055, 0x0300, 0x00D9}, {0x0055, 0x0301, 0x00DA},
    {0x0055, 0x0302, 0x00DB}, {0x0055, 0x0303, 0x0168}, {0x0055, 0x0304, 0x016A},
    {0x0055, 0x0306, 0x016C}, {0x0055, 0x0308, 0x00DC}, {0x0055, 0x030A, 0x016E},
    {0x0055, 0x030B, 0x0170}, {0x0055, 0x030C, 0x01D3}, {0x0055, 0x0328, 0x0172},
    {0x0057, 0x0302, 0x0174}, {0x0059, 0x0301, 0x00DD}, {0x0059, 0x0302, 0x0176},
    {0x0059, 0x0308, 0x0178}, {0x005A, 0x0301, 0x0179}, {0x005A, 0x0307, 0x017B},
    {0x005A, 0x030C, 0x017D}, {0x0061, 0x0300, 0x00E0}, {0x0061, 0x0301, 0x00E1},
    {0x0061, 0x0302, 0x00E2}, {0x0061, 0x0303, 0x00E3}, {0x0061, 0x0304, 0x0101},
    {0x0061, 0x0306, 0x0103}, {0x0061, 0x0308, 0x00E4}, {0x0061, 0x030A, 0x00E5},
    {0x0061, 0x030C, 0x01CE}, {0x0061, 0x0328, 0x0105}, {0x0063, 0x0301, 0x0107},
    {0x0063, 0x0302, 0x0109}, {0x0063, 0x0307, 0x010B}, {0x0063, 0x030C, 0x010D},
    {0x0063, 0x0327, 0x00E7}, {0x0064, 0x030C, 0x010F}, {0x0065, 0x0300, 0x00E8},
    {0x0065, 0x0301, 0x00E9}, {0x0065, 0x0302, 0x00EA}, {0x0065, 0x0304, 0x0113},
    {0x0065, 0x0306, 0x0115}, {0x0065, 0x0307, 0x0117}, {0x0065, 0x0308, 0x00EB},
    {0x0065, 0x030C, 0x011B}, {0x0065, 0x0328, 0x0119}, {0x0067, 0x0302, 0x011D},
    {0x0067, 0x0306, 0x011F}, {0x0067, 0x0307, 0x0121}, {0x0067, 0x0327, 0x0123},
    {0x0068, 0x0302, 0x0125}, {0x0069, 0x0300, 0x00EC}, {0x0069, 0x0301, 0x00ED},
    {0x0069, 0x0302, 0x00EE}, {0x0069, 0x0303, 0x0129}, {0x0069, 0x0304, 0x012B},
    {0x0069, 0x0306, 0x012D}, {0x0069, 0x0308, 0x00EF}, {0x0069, 0x030C, 0x01D0},
    {0x0069, 0x0328, 0x012F}, {0x006A, 0x0302, 0x0135}, {0x006B, 0x0327, 0x0137},
    {0x006C, 0x0301, 0x013A}, {0x006C, 0x030C, 0x013E}, {0x006C, 0x0327, 0x013C},
    {0x006E, 0x0301, 0x0144}, {0x006E, 0x0303, 0x00F1}, {0x006E, 0x030C, 0x0148},
    {0x006E, 0x0327, 0x0146}, {0x006F, 0x0300, 0x00F2}, {0x006F, 0x0301, 0x00F3},
    {0x006F, 0x0302, 0x00F4}, {0x006F, 0x0303, 0x00F5}, {0x006F, 0x0304, 0x014D},
    {0x006F, 0x0306, 0x014F}, {0x006F, 0x0308, 0x00F6}, {0x006F, 0x030B, 0x0151},
    {0x006F, 0x030C, 0x01D2}, {0x0072, 0x0301, 0x0155}, {0x0072, 0x030C, 0x0159},
    {0x0072, 0x0327, 0x0157}, {0x0073, 0x0301, 0x015B}, {0x0073, 0x0302, 0x015D},
    {0x0073, 0x030C, 0x0161}, {0x0073, 0x0327, 0x015F}, {0x0074, 0x030C, 0x0165},
    {0x0074, 0x0327, 0x0163}, {0x0075, 0x0300, 0x00F9}, {0x0075, 0x0301, 0x00FA},
    {0x0075, 0x0302, 0x00FB}, {0x0075, 0x0303, 0x0169}, {0x0075, 0x0304, 0x016B},
    {0x0075, 0x0306, 0x016D}, {0x0075, 0x0308, 0x00FC}, {0x0075, 0x030A, 0x016F},
    {0x0075, 0x030B, 0x0171}, {0x0075, 0x030C, 0x01D4}, {0x0075, 0x0328, 0x0173},
    {0x0077, 0x0302, 0x0175}, {0x0079, 0x0301, 0x00FD}, {0x0079, 0x0302, 0x0177},
    {0x0079, 0x0308, 0x00FF}, {0x007A, 0x0301, 0x017A}, {0x007A, 0x0307, 0x017C},
    {0x007A, 0x030C, 0x017E}, {0x00DC, 0x0300, 0x01DB}, {0x00DC, 0x0301, 0x01D7},
    {0x00DC, 0x0304, 0x01D5}, {0x00DC, 0x030C, 0x01D9}, {0x00FC, 0x0300, 0x01DC},
    {0x00FC, 0x0301, 0x01D8}, {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x030C, 0x01DA},
};

constexpr char32_t kReplacement = 0xFFFD;

// Hangul syllables are composed by arithmetic.
constexpr char32_t kHangulBase = 0xAC00, kLeadBase = 0x1100, kVowelBase = 0x1161,
                   kTrailBase = 0x11A7;
constexpr char32_t kLeadCount = 19, kVowelCount = 21, kTrailCount = 28;
constexpr char32_t kSyllableCount = kLeadCount * kVowelCount * kTrailCount;

bool in(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

bool isCombiningMark(char32_t c) {
    return in(c, 0x0300, 0x036F) || in(c, 0x0483, 0x0489) || in(c, 0x0591, 0x05BD) ||
           in(c, 0x0610, 0x061A) || in(c, 0x064B, 0x065F) || in(c, 0x1AB0, 0x1AFF) ||
           in(c, 0x1DC0, 0x1DFF) || in(c, 0x20D0, 0x20FF) || in(c, 0x3099, 0x309A) ||
           in(c, 0xFE20, 0xFE2F);
}

bool isVariationSelector(char32_t c) {
    return in(c, 0xFE00, 0xFE0F) || in(c, 0xE0100, 0xE01EF);
}

bool isRegionalIndicator(char32_t c) {
    return in(c, 0x1F1E6, 0x1F1FF);
}

// Marks, variation selectors, skin-tone modifiers and emoji tags belong to the scalar before.
bool extendsCharacter(char32_t c) {
    return isCombiningMark(c) || isVariationSelector(c) || in(c, 0x1F3FB, 0x1F3FF) ||
           in(c, 0xE0020, 0xE007F) || c == 0x200C;
}

char32_t composePair(char32_t first, char32_t second) {
    // Lead and vowel jamo; then a syllable without a trailing consonant and a trailing one.
    if (in(first, kLeadBase, kLeadBase + kLeadCount - 1) &&
        in(second, kVowelBase, kVowelBase + kVowelCount - 1)) {
        return kHangulBase +
               ((first - kLeadBase) * kVowelCount + (second - kVowelBase)) * kTrailCount;
    }
    if (in(first, kHangulBase, kHangulBase + kSyllableCount - 1) &&
        (first - kHangulBase) % kTrailCount == 0 &&
        in(second, kTrailBase + 1, kTrailBase + kTrailCount - 1)) {
        return first + (second - kTrailBase);
    }
    const auto found = std::lower_bound(
        std::begin(kLatinCompositions), std::end(kLatinCompositions), std::pair{first, second},
        [](const Composition& entry, const std::pair<char32_t, char32_t>& key) {
            return std::pair{entry.base, entry.mark} < key;
        });
    if (found != std::end(kLatinCompositions) && found->base == first && found->mark == second) {
        return found->composed;
    }
    return 0;
}

char32_t singleton(char32_t c) {
    switch (c) {
        case 0x2126:
            return 0x03A9;  // OHM SIGN
        case 0x212A:
            return 0x004B;  // KELVIN SIGN
        case 0x212B:
            return 0x00C5;  // ANGSTROM SIGN
        default:
            return c;
    }
}

void appendLowercase(char32_t c, std::u32string& out) {
    // Ranges whose capitals sit at a fixed distance before their small letters.
    if (in(c, U'A', U'Z') || (in(c, 0x00C0, 0x00DE) && c != 0x00D7) ||
        (in(c, 0x0391, 0x03AB) && c != 0x03A2) || in(c, 0x0410, 0x042F) || in(c, 0xFF21, 0xFF3A)) {
        out += c + 0x20;
        return;
    }
    if (in(c, 0x0400, 0x040F)) {
        out += c + 0x50;
        return;
    }
    // Latin Extended-A and the pinyin letters alternate capital and small.
    if (c == 0x0130) {
        out += U"i\u0307";
        return;
    }
    if (c == 0x0178) {
        out += char32_t{0x00FF};
        return;
    }
    const bool evenCapital =
        (in(c, 0x0100, 0x012F) || in(c, 0x0132, 0x0137) || in(c, 0x014A, 0x0177)) && c % 2 == 0;
    const bool oddCapital =
        (in(c, 0x0139, 0x0148) || in(c, 0x0179, 0x017E) || in(c, 0x01CD, 0x01DC)) && c % 2 == 1;
    if (evenCapital || oddCapital) {
        out += c + 1;
        return;
    }
    switch (c) {
        case 0x0386:
            out += char32_t{0x03AC};
            return;
        case 0x0388:
        case 0x0389:
        case 0x038A:
            out += c + 37;
            return;
        case 0x038C:
            out += char32_t{0x03CC};
            return;
        case 0x038E:
        case 0x038F:
            out += c + 63;
            return;
        default:
            out += c;
            return;
    }
}

}  // namespace

std::u32string decodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out += lead;
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            length = 2, value = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, value = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, value = lead & 0x07, minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not characters.
        valid = valid && value >= minimum && value <= 0x10FFFF && !in(value, 0xD800, 0xDFFF);
        if (!valid) {
            out += kReplacement;
            ++i;
            continue;
        }
        out += value;
        i += length;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || in(c, 0xD800, 0xDFFF)) c = kReplacement;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u32string composed(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (const char32_t scalar : text) {
        const char32_t c = singleton(scalar);
        // A mark or vowel joins the character right before it when the pair has a composed
        // form; a mark left standing between them blocks later ones (marks are not reordered).
        if (!out.empty()) {
            if (const char32_t pair = composePair(out.back(), c); pair != 0) {
                out.back() = pair;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::u32string lowercased(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (const char32_t c : text) appendLowercase(c, out);
    return out;
}

std::u32string firstCharacter(std::u32string_view text) {
    if (text.empty()) return {};
    size_t end = 1;
    if (isRegionalIndicator(text[0]) && text.size() > 1 && isRegionalIndicator(text[1])) end = 2;
    while (end < text.size()) {
        if (extendsCharacter(text[end])) {
            ++end;
        } else if (text[end] == 0x200D && end + 1 < text.size()) {
            end += 2;  // a joiner takes the next scalar into the same character
        } else {
            break;
        }
    }
    return std::u32string(text.substr(0, end));
}

}  // namespace brand_text

std::vector<Section> groupBrandNames(const std::vector<std::string>& names) {
    // Names keyed and compared by their composed form; first appearance keeps list order.
    struct Entry {
        std::u32string sortKey;
        const std::string* name;
    };
    std::map<std::u32string, std::vector<Entry>> byLetter;
    for (const std::string& name : names) {
        std::u32string key = brand_text::composed(brand_text::decodeUtf8(name));
        if (key.empty()) continue;
        byLetter[brand_text::firstCharacter(key)].push_back({std::move(key), &name});
    }
    std::vector<Section> sections;
    sections.reserve(byLetter.size());
    for (auto& [letter, entries] : byLetter) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.sortKey < b.sortKey; });
        Section section{brand_text::encodeUtf8(letter), {}};
        section.names.reserve(entries.size());
        for (const Entry& entry : entries) section.names.push_back(*entry.name);
        sections.push_back(std::move(section));
    }
    return sections;
}

bool hasPrefixIgnoringCase(std::string_view name, std::string_view prefix) {
    using namespace brand_text;
    const std::u32string folded = lowercased(composed(decodeUtf8(name)));
    const std::u32string wanted = lowercased(composed(decodeUtf8(prefix)));
    return folded.starts_with(wanted);
}

}  // namespace voltaro
