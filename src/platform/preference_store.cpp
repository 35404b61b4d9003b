#include "platform/preference_store.h"

#include "platform/ascii_text.h"

namespace voltaro {

std::optional<double> PreferenceStore::numberForKey(std::string_view key) const {
    if (const auto text = stringForKey(key)) {
        std::string_view digits = *text;
        while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
        while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
        return finiteNumber(digits);
    }
    // An integer store reads 0 for an absent key: 0 is taken as absent.
    const int64_t integer = integerForKey(key);
    if (integer != 0) return static_cast<double>(integer);
    return std::nullopt;
}

}  // namespace voltaro
