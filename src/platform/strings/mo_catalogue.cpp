#include "platform/strings/mo_catalogue.h"

#include <cstdint>

namespace voltaro::strings {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderBytes = 28;  // magic, revision, count, two table offsets, hash table
constexpr std::uint64_t kTableEntryBytes = 8;  // length, offset

// The caller has checked that the four bytes lie inside the image.
std::uint32_t read32(std::span<const unsigned char> image, std::uint64_t at, bool bigEndian) {
    std::uint32_t value = 0;
    for (std::uint64_t i = 0; i < 4; ++i) {
        value = (value << 8) | image[static_cast<std::size_t>(at + (bigEndian ? i : 3 - i))];
    }
    return value;
}

}  // namespace

std::optional<MoCatalogue> MoCatalogue::parse(std::span<const unsigned char> image,
                                              std::string* error) {
    const auto fail = [error](const char* why) -> std::optional<MoCatalogue> {
        if (error != nullptr) *error = why;
        return std::nullopt;
    };
    if (image.size() < kHeaderBytes) return fail("shorter than a catalogue header");
    bool bigEndian = false;
    if (read32(image, 0, true) == kMagic) {
        bigEndian = true;
    } else if (read32(image, 0, false) != kMagic) {
        return fail("not a .mo catalogue (wrong magic number)");
    }
    const auto word = [&](std::uint64_t at) { return read32(image, at, bigEndian); };
    if ((word(4) >> 16) > 1) return fail("unsupported .mo format revision");

    // 64-bit arithmetic: no sum of 32-bit fields can wrap.
    const std::uint64_t size = image.size();
    const std::uint64_t count = word(8);
    const std::uint64_t originals = word(12);
    const std::uint64_t translations = word(16);
    if (originals + count * kTableEntryBytes > size ||
        translations + count * kTableEntryBytes > size) {
        return fail("string table outside the data");
    }

    // A string is `length` bytes at `offset`, then a terminating NUL inside the image.
    std::uint64_t stringBytes = 0;
    const auto stringAt = [&](std::uint64_t tableEntry) -> std::optional<std::string_view> {
        const std::uint64_t length = word(tableEntry);
        const std::uint64_t offset = word(tableEntry + 4);
        if (offset + length >= size || image[static_cast<std::size_t>(offset + length)] != 0) {
            return std::nullopt;
        }
        stringBytes += length + 1;
        const auto* first = reinterpret_cast<const char*>(image.data()) + offset;
        const std::string_view text(first, static_cast<std::size_t>(length));
        return text.substr(0, text.find('\0'));  // a plural entry: the singular form
    };

    MoCatalogue catalogue;
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto key = stringAt(originals + i * kTableEntryBytes);
        const auto text = stringAt(translations + i * kTableEntryBytes);
        if (!key || !text) return fail("string outside the data or not terminated");
        if (stringBytes > size) return fail("strings share bytes");
        if (key->empty() || text->empty()) continue;
        catalogue.entries_.try_emplace(std::string(*key), *text);
    }
    return catalogue;
}

std::optional<std::string_view> MoCatalogue::find(std::string_view key) const {
    const auto found = entries_.find(key);
    if (found == entries_.end()) return std::nullopt;
    return found->second;
}

std::string translate(const CatalogueSet& catalogues, std::string_view language,
                      std::string_view key) {
    for (const std::string_view candidate : {language, kFallbackLanguage}) {
        const auto catalogue = catalogues.find(candidate);
        if (catalogue == catalogues.end()) continue;
        if (const auto text = catalogue->second.find(key)) return std::string(*text);
    }
    return std::string(key);
}

}  // namespace voltaro::strings
