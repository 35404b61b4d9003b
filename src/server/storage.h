#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace voltaro::server {

// A finished test as the app uploads it, checked. The vendor identifier and the start time name
// the test: the same pair sent again is the same test.
struct TestUpload {
    std::string vendorId;  // upper-case UUID text
    double startTime = 0;  // seconds since 2001-01-01 00:00:00 UTC
    std::string model;     // the device's model name
    double watt = 0;       // negative for a test that failed
    std::optional<double> date, min, amp, startLevel, finishLevel, userStartLevel, finishTime,
        userStartTime, averageTime;
    std::string levelList, timeList, languageCode, regionCode, version;
};

// What a charger label describes; all five 0 is the unknown charger.
struct ChargerKey {
    int64_t brandId = 0;
    int64_t watts = 0;
    int64_t type = 0;      // 1 wall charger, 2 power bank, 3 car charger
    int64_t port = 0;      // 1 USB-A, 2 USB-C, 3 wireless
    int64_t capacity = 0;  // mAh

    bool blank() const {
        return brandId == 0 && watts == 0 && type == 0 && port == 0 && capacity == 0;
    }
    auto tied() const { return std::tie(brandId, watts, type, port, capacity); }
    bool operator==(const ChargerKey& other) const { return tied() == other.tied(); }
    bool operator<(const ChargerKey& other) const { return tied() < other.tied(); }
};

// A test labelled with the charger it was measured with.
struct ChargerLabel {
    std::string vendorId;
    double startTime = 0;
    ChargerKey charger;
};

struct Brand {
    int64_t id = 0;
    std::string nameEn;
    std::string nameCn;
};

// How a test was stored: the row it has (new or, for a test sent again, the earlier one).
struct StoredTest {
    int64_t id = 0;
    std::string model;
    int64_t deciwatt = 0;
};

// Everything the comparisons, the leaderboard and the brand list are computed from, read in one
// consistent view. Only tests with a positive power (deciwatt > 0) are compared or ranked, and
// only those with an id up to lastTestId.
struct StandingsData {
    int64_t lastTestId = 0;
    int64_t storedTests = 0;  // every stored test, failed ones included
    int64_t storedLabels = 0;

    struct PowerCount {
        std::string model;
        int64_t deciwatt = 0;
        int64_t tests = 0;
    };
    std::vector<PowerCount> powers;

    struct LabelledTest {
        ChargerKey charger;
        std::string model;
        double watt = 0;
    };
    std::vector<LabelledTest> labelled;

    std::vector<Brand> brands;  // in the order of the list
};

// The database is unreachable or failing; the request may work again later.
class StorageUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The power in tenths of a watt, rounded half away from zero: what tests are compared on, the
// precision the app shows.
int64_t deciwattOf(double watt);

// Where the server keeps its data. Implementations are safe to call from several threads, apply
// their numbered schema versions before the first query (each in a transaction), bind every value
// as a parameter, and throw StorageUnavailable while the database cannot be reached (connecting
// again on a later call).
class Storage {
public:
    virtual ~Storage() = default;

    // Stores the test unless one with the same vendor identifier and start time is stored.
    virtual StoredTest storeTest(const TestUpload& test) = 0;

    // Labels the test with the charger, replacing an earlier label; a blank charger removes it.
    // The test itself need not be stored (yet).
    virtual void storeLabel(const ChargerLabel& label) = 0;

    virtual void replaceBrands(const std::vector<Brand>& brands) = 0;

    virtual StandingsData readStandings() = 0;

    // Applies the schema now (otherwise the first call does): start-up reports problems early.
    virtual void prepare() = 0;
};

// "sqlite:PATH", "sqlite::memory:" or "postgresql://..." ("postgres://" too). Throws
// std::invalid_argument for anything else.
std::unique_ptr<Storage> openStorage(const std::string& url);

// sqlite:$XDG_DATA_HOME/voltaro-server/voltaro.db (~/.local/share when XDG_DATA_HOME is unset).
std::string defaultDatabaseUrl();

// How one database names the column types of the schema.
struct SqlDialect {
    const char* rowId;       // the tests' own identity column
    const char* integer;     // 64-bit integers
    const char* real;        // doubles
    const char* keyedTable;  // what follows a table that has a primary key of its own
};

// The schema's numbered steps in the dialect's words that a database at `version` needs, in
// order: all run in one transaction, each recorded as the next version. Throws
// std::runtime_error for a version newer than this server's.
std::vector<std::string> schemaStepsAfter(int64_t version, const SqlDialect& dialect);

// The built-in starter list of charger makers, seeded into a new database.
const std::vector<Brand>& starterBrands();

// Reads a brand list in the format the brand endpoint answers with: a JSON array of objects with
// "brand_id" (a whole number from 1), "brand_name_en" and "brand_name_cn". Throws
// std::invalid_argument naming the first fault.
std::vector<Brand> parseBrandList(const std::string& json);

}  // namespace voltaro::server
