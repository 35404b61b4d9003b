#include "server/sqlite_storage.h"

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace voltaro::server {
namespace {

// The tests' id is the row id; the labels table is stored by its own key.
constexpr SqlDialect kSqlite{"INTEGER PRIMARY KEY", "INTEGER", "REAL", " WITHOUT ROWID"};

// A failure that may pass: the file is busy, unreadable, full or gone.
class SqliteUnavailable : public StorageUnavailable {
public:
    SqliteUnavailable(const std::string& what, bool reopen)
        : StorageUnavailable(what), reopen_(reopen) {}
    bool reopen() const { return reopen_; }

private:
    bool reopen_;
};

[[noreturn]] void fail(sqlite3* db, int code) {
    const std::string what =
        std::string("sqlite: ") + (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw SqliteUnavailable(what, false);
        case SQLITE_IOERR:
        case SQLITE_FULL:
        case SQLITE_CANTOPEN:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_READONLY:
        case SQLITE_NOMEM:
        case SQLITE_PROTOCOL:
        case SQLITE_PERM:
            throw SqliteUnavailable(what, true);
        default:
            throw std::runtime_error(what);
    }
}

void check(sqlite3* db, int code) {
    if (code != SQLITE_OK) fail(db, code);
}

int64_t now() {
    return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace

// One open database with its prepared statements, used by one thread at a time.
class SqliteStorage::Connection {
public:
    explicit Connection(const std::string& path) {
        const int code = sqlite3_open_v2(path.c_str(), &db_,
                                         SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                             SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE,
                                         nullptr);
        if (code != SQLITE_OK) {
            const std::string what = std::string("sqlite: ") + sqlite3_errmsg(db_);
            sqlite3_close_v2(db_);
            throw SqliteUnavailable(what + " (" + path + ")", true);
        }
        try {
            check(db_, sqlite3_busy_timeout(db_, 5000));
            // WAL: readers never wait for the writer; NORMAL: a commit does not wait for the disk
            // (a power cut may lose the last moments, never corrupt the file).
            exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;");
        } catch (...) {
            sqlite3_close_v2(db_);  // a file that is no database
            throw;
        }
    }
    ~Connection() {
        for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
        sqlite3_close_v2(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const char* sql) { check(db_, sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)); }

    // A prepared statement with its values bound in order; reset when it goes.
    class Query {
    public:
        Query(sqlite3* db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}
        ~Query() {
            sqlite3_reset(statement_);
            sqlite3_clear_bindings(statement_);
        }
        Query(const Query&) = delete;
        Query& operator=(const Query&) = delete;

        Query& bind(double value) {
            return checked(sqlite3_bind_double(statement_, ++bound_, value));
        }
        Query& bind(int64_t value) {
            return checked(sqlite3_bind_int64(statement_, ++bound_, value));
        }
        Query& bind(const std::string& value) {
            return checked(sqlite3_bind_text(statement_, ++bound_, value.data(),
                                             static_cast<int>(value.size()), SQLITE_TRANSIENT));
        }
        Query& bind(const std::optional<double>& value) {
            if (value) return bind(*value);
            return checked(sqlite3_bind_null(statement_, ++bound_));
        }

        // True while there is a row to read.
        bool step() {
            const int code = sqlite3_step(statement_);
            if (code == SQLITE_ROW) return true;
            if (code == SQLITE_DONE) return false;
            fail(db_, code);
        }
        int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
        double real(int column) const { return sqlite3_column_double(statement_, column); }
        std::string text(int column) const {
            const auto* bytes = sqlite3_column_text(statement_, column);
            return bytes != nullptr
                       ? std::string(reinterpret_cast<const char*>(bytes),
                                     static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                       : std::string();
        }

    private:
        Query& checked(int code) {
            check(db_, code);
            return *this;
        }
        sqlite3* db_;
        sqlite3_stmt* statement_;
        int bound_ = 0;
    };

    // `sql` must be a literal: statements are kept by its address.
    Query query(const char* sql) {
        sqlite3_stmt*& statement = statements_[sql];
        if (statement == nullptr) {
            check(db_,
                  sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr));
        }
        return Query(db_, statement);
    }

    // Commits at commit(), rolls back if left before.
    class Transaction {
    public:
        Transaction(Connection& connection, const char* begin) : connection_(connection) {
            connection_.exec(begin);
        }
        ~Transaction() {
            if (!done_) sqlite3_exec(connection_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit() {
            connection_.exec("COMMIT");
            done_ = true;
        }

    private:
        Connection& connection_;
        bool done_ = false;
    };

    int64_t changes() const { return sqlite3_changes64(db_); }

private:
    sqlite3* db_ = nullptr;
    std::map<const char*, sqlite3_stmt*> statements_;
};

namespace {

void insertBrands(SqliteStorage::Connection& connection, const std::vector<Brand>& brands) {
    int64_t position = 0;
    for (const Brand& brand : brands) {
        connection
            .query("INSERT INTO brands (position, brand_id, name_en, name_cn) VALUES (?, ?, ?, ?)")
            .bind(++position)
            .bind(brand.id)
            .bind(brand.nameEn)
            .bind(brand.nameCn)
            .step();
    }
}

void applySchema(SqliteStorage::Connection& connection) {
    SqliteStorage::Connection::Transaction transaction(connection, "BEGIN IMMEDIATE");
    connection.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    int64_t version = 0;
    {
        auto current = connection.query("SELECT coalesce(max(version), 0) FROM schema_version");
        if (current.step()) version = current.integer(0);
    }
    int64_t done = version;
    for (const std::string& sql : schemaStepsAfter(version, kSqlite)) {
        connection.exec(sql.c_str());
        connection.query("INSERT INTO schema_version (version) VALUES (?)").bind(++done).step();
    }
    if (version == 0) insertBrands(connection, starterBrands());
    transaction.commit();
}

}  // namespace

SqliteStorage::SqliteStorage(std::string path)
    : path_(std::move(path)), inMemory_(path_ == ":memory:") {}

SqliteStorage::~SqliteStorage() = default;

void SqliteStorage::prepare() {
    std::lock_guard lock(writer_.mutex);
    if (schemaReady_) return;
    try {
        if (!writer_.connection) {
            if (!inMemory_) {
                std::error_code error;
                const auto folder = std::filesystem::path(path_).parent_path();
                if (!folder.empty()) std::filesystem::create_directories(folder, error);
            }
            writer_.connection = std::make_unique<Connection>(path_);
        }
        applySchema(*writer_.connection);
        schemaReady_ = true;
    } catch (const SqliteUnavailable& failure) {
        if (failure.reopen() && !inMemory_) writer_.connection.reset();
        throw;
    }
}

template <class Work>
auto SqliteStorage::with(Slot& slot, Work work) {
    if (!schemaReady_) prepare();
    std::lock_guard lock(slot.mutex);
    try {
        if (!slot.connection) slot.connection = std::make_unique<Connection>(path_);
        return work(*slot.connection);
    } catch (const SqliteUnavailable& failure) {
        // A memory database would be lost with its connection.
        if (failure.reopen() && !inMemory_) slot.connection.reset();
        throw;
    }
}

StoredTest SqliteStorage::storeTest(const TestUpload& test) {
    const int64_t deciwatt = deciwattOf(test.watt);
    return with(writer_, [&](Connection& connection) {
        {
            auto insert = connection.query(
                "INSERT INTO tests (vendor_id, start_time, model, watt, deciwatt, record_date, "
                "min_per_level, mah_per_min, average_time, start_level, finish_level, "
                "user_start_level, finish_time, user_start_time, level_list, time_list, "
                "language_code, region_code, app_version, received_at) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT (vendor_id, start_time) DO NOTHING RETURNING id");
            insert.bind(test.vendorId)
                .bind(test.startTime)
                .bind(test.model)
                .bind(test.watt)
                .bind(deciwatt)
                .bind(test.date)
                .bind(test.min)
                .bind(test.amp)
                .bind(test.averageTime)
                .bind(test.startLevel)
                .bind(test.finishLevel)
                .bind(test.userStartLevel)
                .bind(test.finishTime)
                .bind(test.userStartTime)
                .bind(test.levelList)
                .bind(test.timeList)
                .bind(test.languageCode)
                .bind(test.regionCode)
                .bind(test.version)
                .bind(now());
            if (insert.step()) return StoredTest{insert.integer(0), test.model, deciwatt};
        }
        auto earlier = connection.query(
            "SELECT id, model, deciwatt FROM tests WHERE vendor_id = ? AND start_time = ?");
        earlier.bind(test.vendorId).bind(test.startTime);
        if (!earlier.step()) throw std::runtime_error("sqlite: a test neither stored nor found");
        return StoredTest{earlier.integer(0), earlier.text(1), earlier.integer(2)};
    });
}

void SqliteStorage::storeLabel(const ChargerLabel& label) {
    with(writer_, [&](Connection& connection) {
        if (label.charger.blank()) {
            connection.query("DELETE FROM labels WHERE vendor_id = ? AND start_time = ?")
                .bind(label.vendorId)
                .bind(label.startTime)
                .step();
            return;
        }
        const ChargerKey& charger = label.charger;
        connection
            .query(
                "INSERT INTO labels (vendor_id, start_time, brand_id, watts, type, port, "
                "capacity, labelled_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT (vendor_id, start_time) DO UPDATE SET brand_id = "
                "excluded.brand_id, watts = excluded.watts, type = excluded.type, port = "
                "excluded.port, capacity = excluded.capacity, labelled_at = "
                "excluded.labelled_at")
            .bind(label.vendorId)
            .bind(label.startTime)
            .bind(charger.brandId)
            .bind(charger.watts)
            .bind(charger.type)
            .bind(charger.port)
            .bind(charger.capacity)
            .bind(now())
            .step();
    });
}

void SqliteStorage::replaceBrands(const std::vector<Brand>& brands) {
    with(writer_, [&](Connection& connection) {
        Connection::Transaction transaction(connection, "BEGIN IMMEDIATE");
        connection.exec("DELETE FROM brands");
        insertBrands(connection, brands);
        transaction.commit();
    });
}

StandingsData SqliteStorage::readStandings() {
    return with(inMemory_ ? writer_ : reader_, [&](Connection& connection) {
        StandingsData data;
        // One read transaction: every figure comes from the same moment.
        Connection::Transaction transaction(connection, "BEGIN");
        {
            auto tests = connection.query("SELECT coalesce(max(id), 0), count(*) FROM tests");
            if (tests.step()) {
                data.lastTestId = tests.integer(0);
                data.storedTests = tests.integer(1);
            }
        }
        {
            auto labels = connection.query("SELECT count(*) FROM labels");
            if (labels.step()) data.storedLabels = labels.integer(0);
        }
        {
            auto powers = connection.query(
                "SELECT model, deciwatt, count(*) FROM tests WHERE deciwatt > 0 AND id <= ? "
                "GROUP BY model, deciwatt");
            powers.bind(data.lastTestId);
            while (powers.step()) {
                data.powers.push_back({powers.text(0), powers.integer(1), powers.integer(2)});
            }
        }
        {
            auto labelled = connection.query(
                "SELECT l.brand_id, l.watts, l.type, l.port, l.capacity, t.model, t.watt "
                "FROM labels l JOIN tests t ON t.vendor_id = l.vendor_id AND t.start_time = "
                "l.start_time WHERE t.deciwatt > 0 AND t.id <= ?");
            labelled.bind(data.lastTestId);
            while (labelled.step()) {
                data.labelled.push_back(
                    {{labelled.integer(0), labelled.integer(1), labelled.integer(2),
                      labelled.integer(3), labelled.integer(4)},
                     labelled.text(5),
                     labelled.real(6)});
            }
        }
        {
            auto brands =
                connection.query("SELECT brand_id, name_en, name_cn FROM brands ORDER BY position");
            while (brands.step()) {
                data.brands.push_back({brands.integer(0), brands.text(1), brands.text(2)});
            }
        }
        transaction.commit();
        return data;
    });
}

}  // namespace voltaro::server
