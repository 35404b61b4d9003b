#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/records.h"

namespace voltaro {

// The brand catalogue: the list file "brandInfo", in the order of the remote service's reply.
// Only the brand list download replaces it; before that there is none and it reads as empty.
inline constexpr const char* kBrandCatalogueKey = "brandInfo";

std::vector<BrandRecord> loadBrandCatalogue();
bool saveBrandCatalogue(const std::vector<BrandRecord>& brands);

// The English name of the first brand whose "brandid" reads (as a whole decimal integer) as
// `brandId`; the localized "unknown" when there is none.
std::string brandNameForId(int64_t brandId);

// The brand number of the first brand whose English name is exactly `name`; 0 when there is
// none, or when that brand's "brandid" is not a whole decimal integer.
int64_t brandIdForName(std::string_view name);

}  // namespace voltaro
