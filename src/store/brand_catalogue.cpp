#include "store/brand_catalogue.h"

#include <optional>

#include "extensions/number_text.h"
#include "platform/plist/list_file.h"
#include "platform/strings.h"

namespace voltaro {
namespace {

const std::string* field(const BrandRecord& brand, const char* key) {
    const auto found = brand.find(key);
    return found == brand.end() ? nullptr : &found->second;
}

std::optional<int64_t> brandNumber(const BrandRecord& brand) {
    const std::string* text = field(brand, brand_key::kBrandId);
    if (text == nullptr) return std::nullopt;
    return parseDecimalInteger(*text);
}

}  // namespace

std::vector<BrandRecord> loadBrandCatalogue() {
    return loadList<BrandRecord>(kBrandCatalogueKey);
}

bool saveBrandCatalogue(const std::vector<BrandRecord>& brands) {
    return saveList(brands, kBrandCatalogueKey);
}

std::string brandNameForId(int64_t brandId) {
    for (const BrandRecord& brand : loadBrandCatalogue()) {
        const std::string* name = field(brand, brand_key::kNameEn);
        if (name != nullptr && brandNumber(brand) == brandId) return *name;
    }
    return localized("unknown");
}

int64_t brandIdForName(std::string_view name) {
    for (const BrandRecord& brand : loadBrandCatalogue()) {
        const std::string* english = field(brand, brand_key::kNameEn);
        if (english != nullptr && *english == name) return brandNumber(brand).value_or(0);
    }
    return 0;
}

}  // namespace voltaro
