#pragma once

#include <map>
#include <string>

namespace voltaro {

// One saved test: key text to number ("date", "watt", "starttime", ...). A test is identified by
// its "starttime"; readers take an absent charger key as 0.
using TestRecord = std::map<std::string, double>;

// One brand of the catalogue: "brandid", "brand_name_en", "brand_name_cn", all texts.
using BrandRecord = std::map<std::string, std::string>;

}  // namespace voltaro
