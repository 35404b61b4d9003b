// The history at 10,000 records: loading, one test's append (load, append, save), and grouping
// 10,000 distinct tests. Run from a release build. With VOLTARO_BENCH_DIR set, the history file
// is written there and kept (for comparing other readers on the same file).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/charge_test_session.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/plist/list_codec.h"
#include "store/history.h"
#include "store/history_recorder.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 10000;

struct FixedClock final : Clock {
    AbsoluteTime now() const override { return 700100000.5; }
};

ResultSnapshot snapshot(double start) {
    ResultSnapshot s;
    s.watt = 18.123456789;
    s.min = 36;
    s.amp = 44.43;
    s.averageTime = 36;
    s.startlevel = 57;
    s.finishlevel = 100;
    s.starttime = start;
    s.finishtime = start + 1548.25;
    s.userStartTime = start + 2.125;
    s.userStartlevel = 57;
    for (int i = 0; i < 44; ++i) {
        s.levelList.push_back(static_cast<float>(57 + i));
        s.timeList.push_back(start + 36.0 * i + 0.017 * i);
    }
    return s;
}

// Distinct tests with realistic values: one record each, every key written as a double.
std::vector<TestRecord> history(int count) {
    std::vector<TestRecord> records;
    records.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TestRecord record = makeTestRecord(snapshot(700000000.0 + i * 3600.123), 1678307200.0 + i);
        record["capacity"] = 0;
        records.push_back(std::move(record));
    }
    return records;
}

class HistoryFile {
public:
    HistoryFile() {
        const char* keep = std::getenv("VOLTARO_BENCH_DIR");
        dir_ = keep != nullptr
                   ? fs::path(keep)
                   : fs::temp_directory_path() / ("voltaro-bench-" + std::to_string(::getpid()));
        keep_ = keep != nullptr;
        fs::create_directories(dir_);
        Paths::setDataDirectory(dir_);
        saveHistory(history(kRecords));
    }
    ~HistoryFile() {
        if (keep_) return;
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

private:
    fs::path dir_;
    bool keep_ = false;
};

void BM_LoadHistory(benchmark::State& state) {
    HistoryFile file;
    for (auto _ : state) {
        auto records = loadHistory();
        benchmark::DoNotOptimize(records.data());
    }
}
BENCHMARK(BM_LoadHistory)->Unit(benchmark::kMillisecond);

// The same file read by libplist alone, for comparison with the quick reader.
void BM_LoadHistoryWithLibplist(benchmark::State& state) {
    const std::string text = list_codec::writeList("history", history(kRecords));
    for (auto _ : state) {
        auto records = list_codec::libplistReadList<NumberDictionary>(text, "history");
        benchmark::DoNotOptimize(records->data());
    }
}
BENCHMARK(BM_LoadHistoryWithLibplist)->Unit(benchmark::kMillisecond);

// One test saved at the end of a session: load, append, save (written, flushed, renamed).
void BM_AppendTestRecord(benchmark::State& state) {
    HistoryFile file;
    FixedClock clock;
    HistoryRecorder recorder(clock);
    const ResultSnapshot result = snapshot(800000000.5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(recorder.appendSnapshot(result, {}));
    }
}
BENCHMARK(BM_AppendTestRecord)->Unit(benchmark::kMillisecond);

// groupHistory alone: the input is prepared and the previous result freed outside the timing.
void BM_GroupHistory(benchmark::State& state) {
    const std::vector<TestRecord> records = history(kRecords);
    HistoryGroups groups;
    for (auto _ : state) {
        groups = groupHistory(records);  // copies every record into its group
        benchmark::DoNotOptimize(groups.dateArray.data());
        state.PauseTiming();
        groups = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GroupHistory)->Unit(benchmark::kMillisecond);

// The history screen's case: a freshly loaded list handed over whole, so no record is copied.
void BM_GroupLoadedHistory(benchmark::State& state) {
    const std::vector<TestRecord> records = history(kRecords);
    HistoryGroups groups;
    for (auto _ : state) {
        state.PauseTiming();
        groups = {};
        std::vector<TestRecord> loaded = records;
        state.ResumeTiming();
        groups = groupHistory(std::move(loaded));
        benchmark::DoNotOptimize(groups.dateArray.data());
    }
}
BENCHMARK(BM_GroupLoadedHistory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voltaro
