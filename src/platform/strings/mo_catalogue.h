#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace voltaro::strings {

// The translations of one compiled GNU gettext catalogue (.mo file), copied out of its bytes.
class MoCatalogue {
public:
    using Entries = std::map<std::string, std::string, std::less<>>;

    // Reads a .mo image in either byte order. Gives nothing when the bytes are not a catalogue,
    // when a table or string lies outside them, or when strings share bytes (no writer does that,
    // and refusing it keeps the copies no larger than the image); `error` then says why.
    // The header entry, untranslated entries and later duplicates of a key are left out; of a
    // plural entry only the singular is kept.
    static std::optional<MoCatalogue> parse(std::span<const unsigned char> image,
                                            std::string* error = nullptr);

    std::optional<std::string_view> find(std::string_view key) const;
    const Entries& entries() const { return entries_; }

private:
    Entries entries_;
};

// Catalogues by language code ("en", "zh_CN", ...).
using CatalogueSet = std::map<std::string, MoCatalogue, std::less<>>;

inline constexpr std::string_view kFallbackLanguage = "en";

// The text of `key` in `language`, else in English, else the key itself.
std::string translate(const CatalogueSet& catalogues, std::string_view language,
                      std::string_view key);

}  // namespace voltaro::strings
