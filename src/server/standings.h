#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "server/storage.h"

namespace voltaro::server {

// Fewer comparable tests than this, and a result is not compared with them.
inline constexpr int64_t kTestsToCompare = 5;
// Fewer labelled tests than this, and a charger is listed apart instead of ranked.
inline constexpr int64_t kTestsToRank = 3;

// How one power compares with the stored tests: how many of them are slower (lower power, to the
// tenth of a watt) on the same model and on all models, and how many there are.
struct Comparison {
    int64_t modelSlower = 0;
    int64_t modelTests = 0;
    int64_t allSlower = 0;
    int64_t allTests = 0;
};

// A charger on the leaderboard: the median power of the tests labelled with it.
struct Standing {
    ChargerKey charger;
    double medianWatt = 0;
    int64_t tests = 0;
};

struct Board {
    std::vector<Standing> ranked;    // fastest first
    std::vector<Standing> unranked;  // fewer than kTestsToRank tests, most tested first
    int64_t labelledTests = 0;
};

// The figures of one moment, computed once from the database and then only read (by any number
// of threads).
class Standings {
public:
    explicit Standings(const StandingsData& data);

    // Compares with every comparable stored test but `self` (the request's own test, when it is
    // among them).
    Comparison compare(const std::string& model, int64_t deciwatt,
                       const std::optional<StoredTest>& self) const;

    // The board of one model, or of all models for nullopt; an empty board for an unknown model.
    const Board& board(const std::optional<std::string>& model) const;

    // Whether the model has labelled tests.
    bool knows(const std::string& model) const { return boards_.count(model) != 0; }

    // Models with labelled tests and how many, most first.
    const std::vector<std::pair<std::string, int64_t>>& models() const { return models_; }

    const std::vector<Brand>& brands() const { return brands_; }
    const Brand* brand(int64_t id) const;

    int64_t storedTests() const { return storedTests_; }
    int64_t storedLabels() const { return storedLabels_; }

    // A text made from these figures, made once per key and kept with them (pages, JSON).
    std::shared_ptr<const std::string> rendered(const std::string& key,
                                                const std::function<std::string()>& make) const;

private:
    // Counts of tests by power, ascending, with the running total below each.
    struct Distribution {
        std::vector<int64_t> deciwatts;
        std::vector<int64_t> slower;  // tests below deciwatts[i]
        int64_t total = 0;
        int64_t slowerThan(int64_t deciwatt) const;
    };
    static Distribution distribution(const std::map<int64_t, int64_t>& counts);

    int64_t lastTestId_;
    int64_t storedTests_;
    int64_t storedLabels_;
    std::map<std::string, Distribution> byModel_;
    Distribution all_;
    std::map<std::string, Board> boards_;
    Board allBoard_;
    Board emptyBoard_;
    std::vector<std::pair<std::string, int64_t>> models_;
    std::vector<Brand> brands_;
    std::map<int64_t, size_t> brandIndex_;

    mutable std::mutex renderedMutex_;
    mutable std::map<std::string, std::shared_ptr<const std::string>> rendered_;
};

// The latest Standings. With a `maxAge` of 0 they are read at every call; otherwise the first
// call reads them and later calls get them at once, while a thread of the cache reads them again
// once they are older than `maxAge` (keeping the old ones while the database cannot be read).
class StandingsCache {
public:
    StandingsCache(Storage& storage, std::chrono::milliseconds maxAge);
    ~StandingsCache();
    StandingsCache(const StandingsCache&) = delete;
    StandingsCache& operator=(const StandingsCache&) = delete;

    // Throws StorageUnavailable when there are none yet and they cannot be read.
    std::shared_ptr<const Standings> current();

private:
    void refreshWhenAsked();

    Storage& storage_;
    std::chrono::milliseconds maxAge_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::shared_ptr<const Standings> latest_;
    std::chrono::steady_clock::time_point takenAt_{};
    bool loading_ = false;  // the first figures are being read
    bool refreshWanted_ = false;
    bool stopping_ = false;
    std::thread refresher_;  // started when the figures first grow old
};

}  // namespace voltaro::server
