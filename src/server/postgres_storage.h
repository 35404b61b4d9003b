#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/storage.h"

namespace voltaro::server {

// Storage in a PostgreSQL database that any number of servers share. Connections are pooled,
// one per request at a time; a dropped connection is replaced, and while the database cannot be
// reached, calls fail at once for a second before the next attempt to connect.
class PostgresStorage final : public Storage {
public:
    // `url`: a libpq connection URI; a connect time-out and the application name are added when
    // it has none.
    explicit PostgresStorage(const std::string& url);
    ~PostgresStorage() override;

    StoredTest storeTest(const TestUpload& test) override;
    void storeLabel(const ChargerLabel& label) override;
    void replaceBrands(const std::vector<Brand>& brands) override;
    StandingsData readStandings() override;
    void prepare() override;

private:
    struct Connection;  // a pqxx connection
    struct Lease {
        std::unique_ptr<Connection> connection;
        bool reused = false;
    };
    Lease checkOut();
    void checkIn(std::unique_ptr<Connection> connection);
    void forgetIdle();
    std::unique_ptr<Connection> connect();

    // Runs `work` with a pooled connection. A connection found dead is retried once on a new one:
    // every write is idempotent, so a write whose reply was lost can be sent again.
    template <class Work>
    auto with(Work work);

    std::string url_;
    std::mutex poolMutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
    std::chrono::steady_clock::time_point nextAttempt_{};
    std::mutex schemaMutex_;
    std::atomic<bool> schemaReady_{false};
};

}  // namespace voltaro::server
