#include "store/history.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "platform/plist/list_codec.h"
#include "platform/plist/plist_preference_store.h"
#include "store/history_recorder.h"
#include "store/kept_samples.h"
#include "store_test_support.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using store_test::FixedClock;
using store_test::StoreTest;

// clang-format off
ResultSnapshot snapshotStartingAt(double start) {
    return {.watt = 18.5, .min = 36, .amp = 44.4, .averageTime = 36, .startlevel = 57,
            .finishlevel = 59, .starttime = start, .finishtime = start + 72.75,
            .userStartTime = start + 1, .userStartlevel = 57, .levelList = {57, 58, 59},
            .timeList = {start, start + 36.5, start + 72.75}, .kernelWatt = std::nullopt,
            .batteryCapacity = 2716, .maxChargingWatts = 30, .modelIdentifier = "x86_64",
            .nominalVoltage = 11.58};
}
// clang-format on

TestRecord startingAt(double start, double watt = 5) {
    return {{"starttime", start}, {"watt", watt}};
}

class RecorderTest : public StoreTest {
protected:
    FixedClock clock{700001000.5};
    std::vector<std::string> events;
    TestRecord uploaded;
    HistoryRecorder recorder{clock, [this](const TestRecord& record, const std::string& times,
                                           const std::string& levels) {
                                 events.push_back("upload " + times + " " + levels);
                                 uploaded = record;
                             }};
    std::function<void()> rating = [this] {
        events.push_back("rating with " + std::to_string(loadHistory().size()) + " saved");
    };
};

TEST_F(RecorderTest, SavesTheRecordAndItsSamplesAfterTheRatingThenUploadsUntilCleared) {
    const ResultSnapshot s = snapshotStartingAt(700000000.25);
    ASSERT_TRUE(recorder.appendSnapshot(s, rating));
    // clang-format off
    const TestRecord expected{
        {"date", 700001000.5 + 978307200.0}, {"watt", 18.5}, {"min", 36}, {"amp", 44.4},
        {"startlevel", 57}, {"finishlevel", 59}, {"userStartlevel", 57},
        {"starttime", 700000000.25}, {"finishtime", 700000073.0}, {"userStartTime", 700000001.25},
        {"averageTime", 36}, {"type", 0}, {"brandid", 0}, {"watts", 0}, {"port", 0}};
    // clang-format on
    EXPECT_EQ(loadHistory(), std::vector{expected});  // no "capacity" yet
    EXPECT_EQ(uploaded, expected);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "rating with 0 saved",
                          "upload 700000000.25,700000036.75,700000073 57.0,58.0,59.0"}));

    ResultSnapshot withKernel = s;  // the same start, a later finish
    withKernel.finishtime = withKernel.timeList.back() = 700000080;
    withKernel.kernelWatt = 31.25;  // one more key, beside the estimate
    ASSERT_TRUE(recorder.appendSnapshot(withKernel, rating));
    const std::vector<TestRecord> history = loadHistory();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[1].at("kernelWatt"), 31.25);
    EXPECT_EQ(history[1].size(), expected.size() + 1);

    const std::vector<KeptSamples> kept = loadKeptSamples();
    const std::optional<KeptSamples> first = samplesOfRecord(kept, history[0]);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->times, s.timeList);
    EXPECT_EQ(first->levels, (std::vector<double>{57, 58, 59}));
    EXPECT_EQ(std::tie(first->batteryCapacity, first->maxChargingWatts, first->nominalVoltage,
                       first->model),
              std::tuple(2716, 30, 11.58, "x86_64"));
    EXPECT_EQ(samplesOfRecord(kept, history[1])->times.back(), 700000080);

    logLines.clear();
    EXPECT_TRUE(clearHistory());
    EXPECT_TRUE(loadHistory().empty());
    EXPECT_TRUE(loadKeptSamples().empty());
    EXPECT_EQ(logLines, std::vector<std::string>{"save is success"});
}

TEST_F(RecorderTest, AFailedSaveKeepsTheOldHistoryAndUploadsNothing) {
    ASSERT_TRUE(saveHistory({startingAt(1)}));
    logLines.clear();
    sys::systemCalls().rename = [](const char*, const char*) { return -1; };
    EXPECT_FALSE(recorder.appendSnapshot(snapshotStartingAt(2), rating));
    EXPECT_FALSE(clearHistory());
    sys::systemCalls() = sys::realSystemCalls();
    EXPECT_EQ(loadHistory(), std::vector{startingAt(1)});
    EXPECT_EQ(events, std::vector<std::string>{"rating with 1 saved"});
    EXPECT_EQ(std::count(logLines.begin(), logLines.end(), "save is success"), 0);
}

TEST_F(StoreTest, AHandEditedSamplesEntryKeepsWhatCanBeRead) {
    writeText(dataDir() / kSamplesKey, R"(<plist version="1.0"><dict><key>samples</key><array><dict>
<key>starttime</key><string>1</string><key>times</key><string>1,abc</string>
<key>levels</key><string>+58</string></dict></array></dict></plist>)");
    const std::vector<KeptSamples> kept = loadKeptSamples();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].times.size() == 2 && std::isnan(kept[0].times[1]));
    EXPECT_EQ(kept[0].levels, std::vector<double>{58});
    EXPECT_EQ(kept[0].nominalVoltage, 5);  // an entry that names none: USB's 5 V
}

TEST_F(StoreTest, ApplyingAChargerLabelsEveryRecordOfThatTestOnly) {
    const std::vector<TestRecord> before{startingAt(1), startingAt(2), startingAt(1, 7),
                                         startingAt(std::nan(""))};
    ASSERT_TRUE(saveHistory(before));
    ASSERT_TRUE(applyChargerToHistory(7, 20, 2, 3, 10000, 1.0));
    std::vector<TestRecord> expected = before;
    for (const size_t i : {0, 2}) {
        expected[i].merge(TestRecord{
            {"brandid", 7}, {"watts", 20}, {"type", 2}, {"port", 3}, {"capacity", 10000}});
    }
    // Compared as written, which is exact, NaN included.
    EXPECT_EQ(list_codec::writeList("h", loadHistory()), list_codec::writeList("h", expected));
}

TEST(GroupHistory, GroupsByExactStartTimeAndShowsTheNewestFirst) {
    const std::vector<TestRecord> records{startingAt(5, 1), startingAt(3, 2), startingAt(5, 3),
                                          {{"watt", 4}},    startingAt(-0.0), startingAt(7.25)};
    const HistoryGroups groups = groupHistory(records);
    ASSERT_EQ(groups.dateArray, (std::vector<double>{5, 3, 0, 7.25}));
    EXPECT_EQ(groups.dateDic.at("0"), (std::vector{records[3], records[4]}));
    EXPECT_EQ(groups.recordAt(3, 0), records[2]);  // the later record of a test first
    // A NaN start time equals nothing, not even itself.
    EXPECT_EQ(groupHistory({startingAt(std::nan("")), startingAt(std::nan(""))}).sectionCount(),
              2u);
}

// Each child appends its own records and counts in the shared preferences, both under their locks.
TEST_F(StoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kPerProcess = 100;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        if ((children[child] = ::fork()) != 0) continue;
        sys::systemCalls().fsync = [](int) { return 0; };  // a flush is no part of the locking
        FixedClock clock(0);
        HistoryRecorder recorder(clock);
        PlistPreferenceStore store(configDir());
        for (int i = 0; i < kPerProcess; ++i) {
            if (!recorder.appendSnapshot(snapshotStartingAt(child * 1000 + i), {})) ::_exit(1);
            store.exclusively([&] { store.setInteger("count", store.integerForKey("count") + 1); });
        }
        ::_exit(0);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(PlistPreferenceStore(configDir()).integerForKey("count"), 2 * kPerProcess);
    const auto history = loadHistory();
    ASSERT_EQ(history.size(), 2u * kPerProcess);
    std::vector<int> next(2, 0);  // each process's records arrive in its own order
    for (const TestRecord& record : history) {
        const int start = static_cast<int>(record.at("starttime"));
        EXPECT_EQ(start % 1000, next[start / 1000]++);
    }
    EXPECT_EQ(loadKeptSamples().size(), 2u * kPerProcess);
}

// The child stops itself (SIGSTOP) at the chosen file-system step, where the parent kills it.
int g_stepsBeforeStop = 0;
template <typename Call, typename... Args>
auto stepThen(Call call, Args... args) {
    if (--g_stepsBeforeStop == 0) ::raise(SIGSTOP);
    return call(args...);
}
void stopAtStep(int stepNumber) {
    g_stepsBeforeStop = stepNumber;
    sys::SystemCalls& calls = sys::systemCalls();
    calls.open = [](const char* path, int flags, mode_t mode) {
        return stepThen(::open, path, flags, mode);
    };
    // Small pieces, so that many kills land in the middle of a file; a flush is only a step, since
    // a killed process loses nothing the kernel holds.
    calls.write = [](int fd, const void* data, size_t size) {
        return stepThen(::write, fd, data, std::min<size_t>(size, 200));
    };
    calls.fsync = [](int) { return stepThen([] { return 0; }); };
    calls.close = [](int fd) { return stepThen(::close, fd); };
    calls.rename = [](const char* from, const char* to) { return stepThen(::rename, from, to); };
    calls.flock = [](int fd, int operation) { return stepThen(::flock, fd, operation); };
}

TEST_F(StoreTest, AKilledWriterLeavesTheHistoryWholeAndLosesNoSavedRecord) {
    std::mt19937 random(16);
    std::uniform_int_distribution<int> stepNumber(1, 120);
    size_t saved = 0;
    for (int round = 0; round < 300; ++round) {
        const int stopAt = stepNumber(random);
        const pid_t child = ::fork();
        if (child == 0) {
            stopAtStep(stopAt);
            FixedClock clock(0);
            HistoryRecorder recorder(clock);
            for (size_t next = loadHistory().size();; ++next) {
                recorder.appendSnapshot(snapshotStartingAt(static_cast<double>(next)), {});
            }
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
        ASSERT_TRUE(WIFSTOPPED(status)) << status;
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        // Read as it lies on disk: a torn file would load as empty, not fail.
        const fs::path file = dataDir() / kHistoryKey;
        const auto records =
            fs::exists(file) ? list_codec::readList<NumberDictionary>(readText(file), kHistoryKey)
                             : std::vector<NumberDictionary>{};
        ASSERT_TRUE(records) << "a torn history in round " << round << ", step " << stopAt;
        ASSERT_GE(records->size(), saved) << "records lost in round " << round;
        for (size_t i = 0; i < records->size(); ++i) {
            ASSERT_EQ((*records)[i].at("starttime"), static_cast<double>(i));
        }
        saved = records->size();
        if (fs::exists(dataDir() / kSamplesKey)) {
            ASSERT_TRUE(list_codec::readList<TextDictionary>(readText(dataDir() / kSamplesKey),
                                                             kSamplesKey));
        }
    }
    EXPECT_GT(saved, 20u);  // the kills fell at every step, not only before the first save
    EXPECT_TRUE(filesStartingWith(dataDir(), "history.unreadable").empty());
}

}  // namespace
}  // namespace voltaro
