#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

namespace voltaro::testing {

// Expects `actual` to hold every value the JSON text `expected` gives (numbers to within 1e-5);
// what `expected` leaves out, or gives as {} or null, may be anything.
inline void expectJsonHolds(const nlohmann::json& actual, const std::string& expected) {
    const nlohmann::json shown = actual.flatten();
    const nlohmann::json wanted = nlohmann::json::parse(expected).flatten();
    for (const auto& [path, value] : wanted.items()) {
        if (value.is_null()) continue;
        const nlohmann::json found = shown.value(path, nlohmann::json());
        if (value.is_number() && found.is_number()) {
            EXPECT_NEAR(found.get<double>(), value.get<double>(), 1e-5) << path;
        } else {
            EXPECT_EQ(found, value) << path;
        }
    }
}

}  // namespace voltaro::testing
