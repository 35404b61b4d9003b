#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "server/standings.h"

namespace voltaro::server {

// The text under a result, in each language the app reads from the reply.
struct ResultTexts {
    std::string english;             // "content"
    std::string simplifiedChinese;   // "content_cn"
    std::string traditionalChinese;  // "content_tr"
    std::string japanese;            // "content_jp"
};

// Says how `watt` compares with the stored tests of `model` and of all models; honest when there
// are too few to compare, or when the test failed (no positive power).
ResultTexts resultTexts(double watt, const std::string& model, const Comparison& comparison);

// Replaces each "{name}" in `pattern` with its value.
std::string filled(std::string_view pattern,
                   std::initializer_list<std::pair<std::string_view, std::string>> values);

}  // namespace voltaro::server
