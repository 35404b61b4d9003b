#include "server/storage.h"

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "server/postgres_storage.h"
#include "server/sqlite_storage.h"
#include "server/text_checks.h"

namespace voltaro::server {
namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The schema with the dialect's words in braces.
constexpr const char* kSchemaTemplate[] = {
    // 1: tests, their charger labels and the brand list.
    R"sql(
    CREATE TABLE tests (
      id {row_id},
      vendor_id TEXT NOT NULL,
      start_time {real} NOT NULL,
      model TEXT NOT NULL,
      watt {real} NOT NULL,
      deciwatt {integer} NOT NULL,
      record_date {real}, min_per_level {real}, mah_per_min {real}, average_time {real},
      start_level {real}, finish_level {real}, user_start_level {real},
      finish_time {real}, user_start_time {real},
      level_list TEXT NOT NULL, time_list TEXT NOT NULL,
      language_code TEXT NOT NULL, region_code TEXT NOT NULL, app_version TEXT NOT NULL,
      received_at {integer} NOT NULL,
      UNIQUE (vendor_id, start_time)
    );
    CREATE INDEX tests_by_model_power ON tests (model, deciwatt);
    CREATE TABLE labels (
      vendor_id TEXT NOT NULL,
      start_time {real} NOT NULL,
      brand_id {integer} NOT NULL, watts {integer} NOT NULL, type {integer} NOT NULL,
      port {integer} NOT NULL, capacity {integer} NOT NULL,
      labelled_at {integer} NOT NULL,
      PRIMARY KEY (vendor_id, start_time)
    ){keyed_table};
    CREATE TABLE brands (
      position INTEGER PRIMARY KEY,
      brand_id {integer} NOT NULL UNIQUE,
      name_en TEXT NOT NULL,
      name_cn TEXT NOT NULL
    );
    )sql",
};

std::string inDialect(std::string sql, const SqlDialect& dialect) {
    for (const auto& [word, meaning] :
         {std::pair{"{row_id}", dialect.rowId}, std::pair{"{integer}", dialect.integer},
          std::pair{"{real}", dialect.real}, std::pair{"{keyed_table}", dialect.keyedTable}}) {
        const std::string_view placeholder = word;
        for (size_t at = sql.find(placeholder); at != std::string::npos;
             at = sql.find(placeholder, at)) {
            sql.replace(at, placeholder.size(), meaning);
            at += std::string_view(meaning).size();
        }
    }
    return sql;
}

}  // namespace

std::vector<std::string> schemaStepsAfter(int64_t version, const SqlDialect& dialect) {
    const auto newest = static_cast<int64_t>(std::size(kSchemaTemplate));
    if (version > newest) {
        throw std::runtime_error("the database has schema version " + std::to_string(version) +
                                 ", newer than this server's " + std::to_string(newest));
    }
    std::vector<std::string> steps;
    for (int64_t step = version + 1; step <= newest; ++step) {
        steps.push_back(inDialect(kSchemaTemplate[step - 1], dialect));
    }
    return steps;
}

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
