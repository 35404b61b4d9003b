#include "server/postgres_storage.h"

#include <ctime>
#include <pqxx/pqxx>
#include <stdexcept>

namespace voltaro::server {
namespace {

// The tests' id, 64-bit integers, doubles; a table with its own primary key needs nothing more.
constexpr SqlDialect kPostgres{"BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY", "BIGINT",
                               "DOUBLE PRECISION", ""};

// Any number taken by the servers that share a database, so only one changes the schema at once.
constexpr int64_t kSchemaLock = 0x766F6C7461726FLL;

constexpr auto kRetryAfterFailedConnect = std::chrono::seconds(1);
constexpr size_t kMostIdleConnections = 32;

int64_t now() {
    return static_cast<int64_t>(std::time(nullptr));
}

std::string withDefaults(std::string url) {
    for (const char* setting : {"connect_timeout=5", "application_name=voltaro-server"}) {
        const std::string name = std::string(setting).substr(0, std::string(setting).find('=') + 1);
        if (url.find(name) != std::string::npos) continue;
        url += url.find('?') == std::string::npos ? '?' : '&';
        url += setting;
    }
    return url;
}

// SQL states that mean the server went away or cannot take the request now.
bool unavailableState(const std::string& state) {
    return state.rfind("08", 0) == 0 || state == "57P01" || state == "57P02" || state == "57P03" ||
           state == "53300" || state == "57014";
}

void insertBrands(pqxx::transaction_base& work, const std::vector<Brand>& brands) {
    int64_t position = 0;
    for (const Brand& brand : brands) {
        work.exec_params(
            "INSERT INTO brands (position, brand_id, name_en, name_cn) VALUES ($1, $2, $3, $4)",
            ++position, brand.id, brand.nameEn, brand.nameCn);
    }
}

void applySchema(pqxx::connection& connection) {
    pqxx::work work(connection);
    work.exec_params("SELECT pg_advisory_xact_lock($1)", kSchemaLock);
    work.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    const auto version =
        work.exec1("SELECT coalesce(max(version), 0) FROM schema_version")[0].as<int64_t>();
    int64_t done = version;
    for (const std::string& sql : schemaStepsAfter(version, kPostgres)) {
        work.exec(sql);
        work.exec_params("INSERT INTO schema_version (version) VALUES ($1)", ++done);
    }
    if (version == 0) insertBrands(work, starterBrands());
    work.commit();
}

void prepareStatements(pqxx::connection& connection) {
    connection.prepare("store_test",
                       "INSERT INTO tests (vendor_id, start_time, model, watt, deciwatt, "
                       "record_date, min_per_level, mah_per_min, average_time, start_level, "
                       "finish_level, user_start_level, finish_time, user_start_time, level_list, "
                       "time_list, language_code, region_code, app_version, received_at) "
                       "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, "
                       "$16, $17, $18, $19, $20) "
                       "ON CONFLICT (vendor_id, start_time) DO NOTHING RETURNING id");
    connection.prepare(
        "find_test",
        "SELECT id, model, deciwatt FROM tests WHERE vendor_id = $1 AND start_time = $2");
    connection.prepare("store_label",
                       "INSERT INTO labels (vendor_id, start_time, brand_id, watts, type, port, "
                       "capacity, labelled_at) VALUES ($1, $2, $3, $4, $5, $6, $7, $8) "
                       "ON CONFLICT (vendor_id, start_time) DO UPDATE SET brand_id = "
                       "excluded.brand_id, watts = excluded.watts, type = excluded.type, port = "
                       "excluded.port, capacity = excluded.capacity, labelled_at = "
                       "excluded.labelled_at");
    connection.prepare("remove_label",
                       "DELETE FROM labels WHERE vendor_id = $1 AND start_time = $2");
}

}  // namespace

struct PostgresStorage::Connection : pqxx::connection {
    using pqxx::connection::connection;
};

PostgresStorage::PostgresStorage(const std::string& url) : url_(withDefaults(url)) {}

PostgresStorage::~PostgresStorage() = default;

std::unique_ptr<PostgresStorage::Connection> PostgresStorage::connect() {
    auto connection = std::make_unique<Connection>(url_);
    {
        pqxx::nontransaction settings(*connection);
        // A query stuck on a lock must not hold a request (and a pooled connection) for long.
        settings.exec("SET statement_timeout = '10s'");
        // A commit does not wait for the disk: a crash may lose the last moment's uploads (as
        // SQLite's NORMAL synchronous mode may), never leave the database inconsistent.
        settings.exec("SET synchronous_commit = off");
    }
    if (!schemaReady_) {
        std::lock_guard lock(schemaMutex_);
        if (!schemaReady_) {
            applySchema(*connection);
            schemaReady_ = true;
        }
    }
    prepareStatements(*connection);
    return connection;
}

PostgresStorage::Lease PostgresStorage::checkOut() {
    {
        std::lock_guard lock(poolMutex_);
        if (!idle_.empty()) {
            Lease lease{std::move(idle_.back()), true};
            idle_.pop_back();
            return lease;
        }
        if (std::chrono::steady_clock::now() < nextAttempt_) {
            throw StorageUnavailable("postgresql: not reachable, trying again shortly");
        }
    }
    try {
        return Lease{connect(), false};
    } catch (const pqxx::broken_connection& failure) {
        std::lock_guard lock(poolMutex_);
        nextAttempt_ = std::chrono::steady_clock::now() + kRetryAfterFailedConnect;
        throw StorageUnavailable(std::string("postgresql: ") + failure.what());
    } catch (const pqxx::sql_error& failure) {
        if (!unavailableState(failure.sqlstate())) throw;
        std::lock_guard lock(poolMutex_);
        nextAttempt_ = std::chrono::steady_clock::now() + kRetryAfterFailedConnect;
        throw StorageUnavailable(std::string("postgresql: ") + failure.what());
    }
}

void PostgresStorage::checkIn(std::unique_ptr<Connection> connection) {
    std::lock_guard lock(poolMutex_);
    if (idle_.size() < kMostIdleConnections) idle_.push_back(std::move(connection));
}

void PostgresStorage::forgetIdle() {
    std::vector<std::unique_ptr<Connection>> dropped;
    std::lock_guard lock(poolMutex_);
    dropped.swap(idle_);
}

template <class Work>
auto PostgresStorage::with(Work work) {
    for (int attempt = 0;; ++attempt) {
        Lease lease = checkOut();
        std::string reason;
        try {
            auto result = work(*lease.connection);
            checkIn(std::move(lease.connection));
            return result;
        } catch (const pqxx::broken_connection& failure) {
            reason = failure.what();
        } catch (const pqxx::in_doubt_error& failure) {
            reason = failure.what();
        } catch (const pqxx::sql_error& failure) {
            if (failure.sqlstate().rfind("08", 0) != 0) {
                // The connection itself still works.
                checkIn(std::move(lease.connection));
                if (!unavailableState(failure.sqlstate())) throw;
                throw StorageUnavailable(std::string("postgresql: ") + failure.what());
            }
            reason = failure.what();
        }
        // The connection was lost; when one drops, the others most likely did too.
        forgetIdle();
        if (!lease.reused || attempt > 0) throw StorageUnavailable("postgresql: " + reason);
    }
}

void PostgresStorage::prepare() {
    with([](pqxx::connection&) { return true; });
}

StoredTest PostgresStorage::storeTest(const TestUpload& test) {
    const int64_t deciwatt = deciwattOf(test.watt);
    return with([&](pqxx::connection& connection) {
        pqxx::nontransaction work(connection);
        const pqxx::result inserted = work.exec_prepared(
            "store_test", test.vendorId, test.startTime, test.model, test.watt, deciwatt, test.date,
            test.min, test.amp, test.averageTime, test.startLevel, test.finishLevel,
            test.userStartLevel, test.finishTime, test.userStartTime, test.levelList, test.timeList,
            test.languageCode, test.regionCode, test.version, now());
        if (!inserted.empty())
            return StoredTest{inserted[0][0].as<int64_t>(), test.model, deciwatt};
        const pqxx::result earlier = work.exec_prepared("find_test", test.vendorId, test.startTime);
        if (earlier.empty())
            throw std::runtime_error("postgresql: a test neither stored nor found");
        return StoredTest{earlier[0][0].as<int64_t>(), earlier[0][1].as<std::string>(),
                          earlier[0][2].as<int64_t>()};
    });
}

void PostgresStorage::storeLabel(const ChargerLabel& label) {
    with([&](pqxx::connection& connection) {
        pqxx::nontransaction work(connection);
        const ChargerKey& charger = label.charger;
        if (charger.blank()) {
            work.exec_prepared("remove_label", label.vendorId, label.startTime);
        } else {
            work.exec_prepared("store_label", label.vendorId, label.startTime, charger.brandId,
                               charger.watts, charger.type, charger.port, charger.capacity, now());
        }
        return true;
    });
}

void PostgresStorage::replaceBrands(const std::vector<Brand>& brands) {
    with([&](pqxx::connection& connection) {
        pqxx::work work(connection);
        work.exec("DELETE FROM brands");
        insertBrands(work, brands);
        work.commit();
        return true;
    });
}

StandingsData PostgresStorage::readStandings() {
    return with([](pqxx::connection& connection) {
        StandingsData data;
        // One snapshot: every figure comes from the same moment.
        pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> work(connection);
        const pqxx::row tests = work.exec1("SELECT coalesce(max(id), 0), count(*) FROM tests");
        data.lastTestId = tests[0].as<int64_t>();
        data.storedTests = tests[1].as<int64_t>();
        data.storedLabels = work.exec1("SELECT count(*) FROM labels")[0].as<int64_t>();
        for (const auto& row : work.exec_params(
                 "SELECT model, deciwatt, count(*) FROM tests WHERE deciwatt > 0 AND id <= $1 "
                 "GROUP BY model, deciwatt",
                 data.lastTestId)) {
            data.powers.push_back(
                {row[0].as<std::string>(), row[1].as<int64_t>(), row[2].as<int64_t>()});
        }
        for (const auto& row : work.exec_params(
                 "SELECT l.brand_id, l.watts, l.type, l.port, l.capacity, t.model, t.watt "
                 "FROM labels l JOIN tests t ON t.vendor_id = l.vendor_id AND t.start_time = "
                 "l.start_time WHERE t.deciwatt > 0 AND t.id <= $1",
                 data.lastTestId)) {
            data.labelled.push_back(
                {{row[0].as<int64_t>(), row[1].as<int64_t>(), row[2].as<int64_t>(),
                  row[3].as<int64_t>(), row[4].as<int64_t>()},
                 row[5].as<std::string>(),
                 row[6].as<double>()});
        }
        for (const auto& row :
             work.exec("SELECT brand_id, name_en, name_cn FROM brands ORDER BY position")) {
            data.brands.push_back(
                {row[0].as<int64_t>(), row[1].as<std::string>(), row[2].as<std::string>()});
        }
        work.commit();
        return data;
    });
}

}  // namespace voltaro::server
