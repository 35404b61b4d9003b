#pragma once

#include <span>
#include <string_view>

namespace voltaro::strings {

// A compiled catalogue built into the program, so that no locale files or system locales are
// needed at run time.
struct EmbeddedCatalogue {
    std::string_view language;  // "en", "zh_CN", "zh_TW", "ja"
    std::span<const unsigned char> image;
};

// Defined in the source that po/embed_catalogues.cmake generates from the po/ catalogues.
std::span<const EmbeddedCatalogue> embeddedCatalogues();

}  // namespace voltaro::strings
