#include "service/value_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace voltaro {

std::string numberText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    if (value == 0) return "0";  // also for -0
    // Fixed notation of the largest double has 309 digits, of the smallest about 330 characters.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer.data(), result.ptr);
}

std::optional<std::string> scalarText(const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::string:
            return value.get_ref<const std::string&>();
        case nlohmann::json::value_t::number_integer:
            return std::to_string(value.get<nlohmann::json::number_integer_t>());
        case nlohmann::json::value_t::number_unsigned:
            return std::to_string(value.get<nlohmann::json::number_unsigned_t>());
        case nlohmann::json::value_t::number_float:
            return numberText(value.get<nlohmann::json::number_float_t>());
        case nlohmann::json::value_t::boolean:
            return value.get<bool>() ? "true" : "false";
        default:
            return std::nullopt;
    }
}

}  // namespace voltaro
