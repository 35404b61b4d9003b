#include "server/storage.h"

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include "server/postgres_storage.h"
#include "server/sqlite_storage.h"
#include "server/text_checks.h"

namespace voltaro::server {
namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

// Generated at build time from resources/starter-brands.json.
extern const char* const kStarterBrandsJson;

int64_t deciwattOf(double watt) {
    return std::llround(watt * 10.0);
}

std::unique_ptr<Storage> openStorage(const std::string& url) {
    if (startsWith(url, "sqlite:")) {
        const std::string path = url.substr(7);
        if (path.empty()) throw std::invalid_argument("sqlite: needs a file path, or :memory:");
        return std::make_unique<SqliteStorage>(path);
    }
    if (startsWith(url, "postgresql://") || startsWith(url, "postgres://")) {
        return std::make_unique<PostgresStorage>(url);
    }
    throw std::invalid_argument("the database must be sqlite:PATH or postgresql://...");
}

std::string defaultDatabaseUrl() {
    std::filesystem::path base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        base = data;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        base = ".";
    }
    return "sqlite:" + (base / "voltaro-server" / "voltaro.db").string();
}

std::vector<Brand> parseBrandList(const std::string& json) {
    const nlohmann::json list = nlohmann::json::parse(json, nullptr, false);
    if (list.is_discarded()) throw std::invalid_argument("not JSON");
    if (!list.is_array()) throw std::invalid_argument("not a JSON array");
    std::vector<Brand> brands;
    std::set<int64_t> seen;
    for (size_t i = 0; i < list.size(); ++i) {
        const nlohmann::json& element = list[i];
        const std::string where = "brand " + std::to_string(i + 1) + ": ";
        if (!element.is_object()) throw std::invalid_argument(where + "not an object");
        const auto id = element.find("brand_id");
        if (id == element.end() || !id->is_number_integer() || id->get<int64_t>() < 1 ||
            id->get<int64_t>() > kMaxBrandId) {
            throw std::invalid_argument(where + "\"brand_id\" must be a whole number from 1 to " +
                                        std::to_string(kMaxBrandId));
        }
        Brand brand;
        brand.id = id->get<int64_t>();
        if (!seen.insert(brand.id).second) {
            throw std::invalid_argument(where + "\"brand_id\" " + std::to_string(brand.id) +
                                        " is listed twice");
        }
        for (const auto& [member, target, mayBeEmpty] :
             {std::tuple{"brand_name_en", &brand.nameEn, false},
              std::tuple{"brand_name_cn", &brand.nameCn, true}}) {
            const auto name = element.find(member);
            if (name == element.end() || !name->is_string() ||
                !isCleanText(name->get<std::string>(), kMaxNameCharacters) ||
                (!mayBeEmpty && name->get<std::string>().empty())) {
                throw std::invalid_argument(
                    where + "\"" + member + "\" must be a text of at most " +
                    std::to_string(kMaxNameCharacters) + " characters without control characters");
            }
            *target = name->get<std::string>();
        }
        brands.push_back(std::move(brand));
    }
    return brands;
}

const std::vector<Brand>& starterBrands() {
    static const std::vector<Brand> brands = parseBrandList(kStarterBrandsJson);
    return brands;
}

}  // namespace voltaro::server
