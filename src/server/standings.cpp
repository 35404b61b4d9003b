#include "server/standings.h"

#include <algorithm>
#include <tuple>

namespace voltaro::server {
namespace {

constexpr size_t kMostRenderedTexts = 512;

double median(std::vector<double> values) {
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) return upper;
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2;
}

Board makeBoard(const std::map<ChargerKey, std::vector<double>>& powers) {
    Board board;
    for (const auto& [charger, watts] : powers) {
        const Standing standing{charger, median(watts), static_cast<int64_t>(watts.size())};
        board.labelledTests += standing.tests;
        (standing.tests >= kTestsToRank ? board.ranked : board.unranked).push_back(standing);
    }
    std::sort(board.ranked.begin(), board.ranked.end(), [](const Standing& a, const Standing& b) {
        return std::tuple(b.medianWatt, b.tests, a.charger) <
               std::tuple(a.medianWatt, a.tests, b.charger);
    });
    std::sort(board.unranked.begin(), board.unranked.end(),
              [](const Standing& a, const Standing& b) {
                  return std::tuple(b.tests, b.medianWatt, a.charger) <
                         std::tuple(a.tests, a.medianWatt, b.charger);
              });
    return board;
}

}  // namespace

int64_t Standings::Distribution::slowerThan(int64_t deciwatt) const {
    const auto at = std::lower_bound(deciwatts.begin(), deciwatts.end(), deciwatt);
    if (at == deciwatts.end()) return total;
    return slower[static_cast<size_t>(at - deciwatts.begin())];
}

Standings::Distribution Standings::distribution(const std::map<int64_t, int64_t>& counts) {
    Distribution result;
    for (const auto& [deciwatt, tests] : counts) {
        result.deciwatts.push_back(deciwatt);
        result.slower.push_back(result.total);
        result.total += tests;
    }
    return result;
}

Standings::Standings(const StandingsData& data)
    : lastTestId_(data.lastTestId),
      storedTests_(data.storedTests),
      storedLabels_(data.storedLabels),
      brands_(data.brands) {
    std::map<std::string, std::map<int64_t, int64_t>> modelCounts;
    std::map<int64_t, int64_t> allCounts;
    for (const StandingsData::PowerCount& count : data.powers) {
        modelCounts[count.model][count.deciwatt] += count.tests;
        allCounts[count.deciwatt] += count.tests;
    }
    for (const auto& [model, counts] : modelCounts) byModel_.emplace(model, distribution(counts));
    all_ = distribution(allCounts);

    std::map<std::string, std::map<ChargerKey, std::vector<double>>> modelPowers;
    std::map<ChargerKey, std::vector<double>> allPowers;
    for (const StandingsData::LabelledTest& test : data.labelled) {
        modelPowers[test.model][test.charger].push_back(test.watt);
        allPowers[test.charger].push_back(test.watt);
    }
    for (const auto& [model, powers] : modelPowers) {
        Board board = makeBoard(powers);
        models_.emplace_back(model, board.labelledTests);
        boards_.emplace(model, std::move(board));
    }
    allBoard_ = makeBoard(allPowers);
    std::stable_sort(models_.begin(), models_.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });

    for (size_t i = 0; i < brands_.size(); ++i) brandIndex_.emplace(brands_[i].id, i);
}

Comparison Standings::compare(const std::string& model, int64_t deciwatt,
                              const std::optional<StoredTest>& self) const {
    Comparison comparison;
    const auto found = byModel_.find(model);
    if (found != byModel_.end()) {
        comparison.modelSlower = found->second.slowerThan(deciwatt);
        comparison.modelTests = found->second.total;
    }
    comparison.allSlower = all_.slowerThan(deciwatt);
    comparison.allTests = all_.total;

    // The request's own test is not compared with itself.
    if (self && self->id <= lastTestId_ && self->deciwatt > 0) {
        const int64_t slower = self->deciwatt < deciwatt ? 1 : 0;
        comparison.allTests -= 1;
        comparison.allSlower -= slower;
        if (self->model == model) {
            comparison.modelTests -= 1;
            comparison.modelSlower -= slower;
        }
    }
    return comparison;
}

const Board& Standings::board(const std::optional<std::string>& model) const {
    if (!model) return allBoard_;
    const auto found = boards_.find(*model);
    return found != boards_.end() ? found->second : emptyBoard_;
}

const Brand* Standings::brand(int64_t id) const {
    const auto found = brandIndex_.find(id);
    return found != brandIndex_.end() ? &brands_[found->second] : nullptr;
}

std::shared_ptr<const std::string> Standings::rendered(
    const std::string& key, const std::function<std::string()>& make) const {
    {
        std::lock_guard lock(renderedMutex_);
        if (const auto found = rendered_.find(key); found != rendered_.end()) return found->second;
    }
    auto text = std::make_shared<const std::string>(make());
    std::lock_guard lock(renderedMutex_);
    if (rendered_.size() < kMostRenderedTexts) rendered_.emplace(key, text);
    return text;
}

StandingsCache::StandingsCache(Storage& storage, std::chrono::milliseconds maxAge)
    : storage_(storage), maxAge_(maxAge) {}

StandingsCache::~StandingsCache() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (refresher_.joinable()) refresher_.join();
}

std::shared_ptr<const Standings> StandingsCache::current() {
    if (maxAge_.count() == 0) return std::make_shared<const Standings>(storage_.readStandings());

    std::unique_lock lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (latest_) {
        if (now - takenAt_ >= maxAge_ && !refreshWanted_) {
            refreshWanted_ = true;
            if (!refresher_.joinable()) refresher_ = std::thread([this] { refreshWhenAsked(); });
            changed_.notify_all();
        }
        return latest_;
    }
    // The first figures: one caller reads them, the others wait for them.
    if (loading_) {
        changed_.wait(lock, [this] { return !loading_; });
        if (latest_) return latest_;
    }
    loading_ = true;
    lock.unlock();
    std::shared_ptr<const Standings> fresh;
    try {
        fresh = std::make_shared<const Standings>(storage_.readStandings());
    } catch (...) {
        lock.lock();
        loading_ = false;
        changed_.notify_all();
        throw;
    }
    lock.lock();
    latest_ = fresh;
    takenAt_ = now;
    loading_ = false;
    changed_.notify_all();
    return fresh;
}

void StandingsCache::refreshWhenAsked() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return refreshWanted_ || stopping_; });
        if (stopping_) return;
        lock.unlock();
        const auto started = std::chrono::steady_clock::now();
        std::shared_ptr<const Standings> fresh;
        try {
            fresh = std::make_shared<const Standings>(storage_.readStandings());
        } catch (...) {
            // The database is away: the old figures stay, and are tried again as if new.
        }
        lock.lock();
        if (fresh) latest_ = std::move(fresh);
        takenAt_ = started;
        refreshWanted_ = false;
    }
}

}  // namespace voltaro::server
