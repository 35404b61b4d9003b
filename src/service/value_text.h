#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace voltaro {

// A number as decimal text: a whole number without a fraction (18.0 gives "18"), any other value
// with the shortest fraction that reads back as the same double (694224000.25 stays so). Never
// an exponent.
std::string numberText(double value);

// A JSON string unchanged, a number as its decimal text (12 gives "12"), true and false as
// "true" and "false". Null, arrays and objects have no text.
std::optional<std::string> scalarText(const nlohmann::json& value);

}  // namespace voltaro
