#include "store/vendor_identifier.h"

#include <array>
#include <cstdint>
#include <optional>
#include <random>

namespace voltaro {
namespace {

bool isUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool isUuidText(const std::string& text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !isUpperHex(text[i])) return false;
    }
    return true;
}

}  // namespace

std::string makeUuidText() {
    std::random_device source;  // the kernel's random numbers
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const uint32_t word = source();
        for (size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<uint8_t>(word >> (8 * j));
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string vendorIdentifier(PreferenceStore& preferences) {
    std::string identifier;
    preferences.exclusively([&] {
        const std::optional<std::string> kept = preferences.stringForKey(kVendorIdentifierKey);
        if (kept && isUuidText(*kept)) {
            identifier = *kept;
            return;
        }
        identifier = makeUuidText();
        preferences.setString(kVendorIdentifierKey, identifier);
    });
    return identifier;
}

}  // namespace voltaro
