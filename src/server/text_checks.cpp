#include "server/text_checks.h"

#include "platform/ascii_text.h"

namespace voltaro::server {
namespace {

// Decodes one code point at `i`, advancing `i`; nullopt for a malformed sequence.
std::optional<char32_t> nextCodePoint(std::string_view text, size_t& i) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    // Lead byte forms of the sequences of 2, 3 and 4 bytes.
    struct Form {
        unsigned char mask, marker, payload;
        size_t length;
        char32_t smallest;  // anything below has a shorter form
    };
    static constexpr Form kForms[] = {
        {0xE0, 0xC0, 0x1F, 2, 0x80}, {0xF0, 0xE0, 0x0F, 3, 0x800}, {0xF8, 0xF0, 0x07, 4, 0x10000}};
    const Form* form = nullptr;
    for (const Form& candidate : kForms) {
        if ((lead & candidate.mask) == candidate.marker) form = &candidate;
    }
    if (form == nullptr) return std::nullopt;
    const size_t length = form->length;
    char32_t value = lead & form->payload;
    if (i + length > text.size()) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < form->smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    i += length;
    return value;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (!nextCodePoint(text, i)) return false;
    }
    return true;
}

bool isCleanText(std::string_view text, size_t maxCharacters) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = nextCodePoint(text, i);
        if (!c || *c < 0x20 || (*c >= 0x7F && *c <= 0x9F)) return false;
        if (++characters > maxCharacters) return false;
    }
    return true;
}

bool isUuid(std::string_view text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hyphen ? c != '-' : !hex) return false;
    }
    return true;
}

std::string htmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    appendMarkupEscaped(escaped, text, true);
    return escaped;
}

std::string queryEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string groupedNumber(int64_t value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return value < 0 ? "-" + grouped : grouped;
}

}  // namespace voltaro::server
