#include "store/quick_picks.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "extensions/number_text.h"
#include "store/brand_catalogue.h"

namespace voltaro {
namespace {

const char* prefix(QuickPickKind kind) {
    switch (kind) {
        case QuickPickKind::Brand:
            return "brand";
        case QuickPickKind::Watt:
            return "watt";
        case QuickPickKind::Capacity:
            return "capacity";
    }
    return "";
}

void writeSlots(PreferenceStore& preferences, QuickPickKind kind,
                const std::array<std::optional<int64_t>, 3>& values) {
    const auto keys = quickPickKeys(kind);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (values[i]) {
            preferences.setInteger(keys[i], *values[i]);
        } else {
            preferences.removeObject(keys[i]);
        }
    }
}

std::array<std::optional<int64_t>, 3> brandSeeds() {
    std::vector<BrandRecord> brands = loadBrandCatalogue();
    // Sorted by "name"; an entry without one sorts first, and equal entries keep their order.
    const auto name = [](const BrandRecord& brand) -> std::optional<std::string> {
        const auto found = brand.find("name");
        if (found == brand.end()) return std::nullopt;
        return found->second;
    };
    std::stable_sort(brands.begin(), brands.end(),
                     [&](const BrandRecord& a, const BrandRecord& b) { return name(a) < name(b); });
    std::array<std::optional<int64_t>, 3> seeds;
    for (size_t i = 0; i < seeds.size() && i < brands.size(); ++i) {
        const auto id = brands[i].find(brand_key::kBrandId);
        if (id != brands[i].end()) seeds[i] = parseDecimalInteger(id->second);
    }
    return seeds;
}

}  // namespace

std::array<std::string, 3> quickPickKeys(QuickPickKind kind) {
    const std::string base = prefix(kind);
    return {base + "1", base + "2", base + "3"};
}

std::array<int64_t, 3> quickPicks(const PreferenceStore& preferences, QuickPickKind kind) {
    const auto keys = quickPickKeys(kind);
    return {preferences.integerForKey(keys[0]), preferences.integerForKey(keys[1]),
            preferences.integerForKey(keys[2])};
}

void updateQuickPicks(PreferenceStore& preferences, QuickPickKind kind, int64_t value) {
    preferences.exclusively([&] {
        const auto slots = quickPicks(preferences, kind);
        std::vector<int64_t> list(slots.begin(), slots.end());
        const auto equal = std::find(list.begin(), list.end(), value);
        list.erase(equal != list.end() ? equal : list.end() - 1);
        list.insert(list.begin(), value);
        writeSlots(preferences, kind, {list[0], list[1], list[2]});
    });
}

void seedQuickPicks(PreferenceStore& preferences) {
    preferences.exclusively([&] {
        if (quickPicks(preferences, QuickPickKind::Brand)[0] == 0) {
            writeSlots(preferences, QuickPickKind::Brand, brandSeeds());
        }
        if (quickPicks(preferences, QuickPickKind::Watt)[0] == 0) {
            writeSlots(preferences, QuickPickKind::Watt, {5, 12, 18});
        }
        if (quickPicks(preferences, QuickPickKind::Capacity)[0] == 0) {
            writeSlots(preferences, QuickPickKind::Capacity, {5000, 10000, 20000});
        }
    });
}

}  // namespace voltaro
