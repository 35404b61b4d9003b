#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "server/storage.h"

namespace voltaro::server {

// Storage in one SQLite file (WAL mode, created with its folder on first use), or in memory for
// ":memory:". One connection writes and another reads, so the leaderboard's reads never wait for
// a write; a connection that failed is opened again on the next call.
class SqliteStorage final : public Storage {
public:
    explicit SqliteStorage(std::string path);
    ~SqliteStorage() override;

    StoredTest storeTest(const TestUpload& test) override;
    void storeLabel(const ChargerLabel& label) override;
    void replaceBrands(const std::vector<Brand>& brands) override;
    StandingsData readStandings() override;
    void prepare() override;

    class Connection;

private:
    struct Slot {
        std::mutex mutex;
        std::unique_ptr<Connection> connection;
    };

    // Runs `work` on the slot's connection, opening it (and the schema) when needed.
    template <class Work>
    auto with(Slot& slot, Work work);

    std::string path_;
    bool inMemory_;
    std::atomic<bool> schemaReady_{false};
    Slot writer_;
    Slot reader_;  // unused in memory: a memory database lives in one connection
};

}  // namespace voltaro::server
