#include "store/kept_samples.h"

#include <cmath>

#include "store/history.h"
#include "store/history_recorder.h"
#include "store_test_support.h"

namespace voltaro {
namespace {

using store_test::FixedClock;
using store_test::StoreTest;

TEST_F(StoreTest, EverySavedRecordKeepsItsSamplesUntilTheHistoryIsCleared) {
    FixedClock clock{700001000};
    HistoryRecorder recorder(clock);
    ResultSnapshot snapshot{.starttime = 700000000.25, .finishtime = 700000073,
                            .levelList = {57, 58, 59},
                            .timeList = {700000000.25, 700000036.75, 700000073},
                            .kernelWatt = std::nullopt,
                            .batteryCapacity = 2716, .maxChargingWatts = 30,
                            .modelIdentifier = "x86_64", .nominalVoltage = 11.58};
    ASSERT_TRUE(recorder.appendSnapshot(snapshot, {}));
    snapshot.finishtime = snapshot.timeList.back() = 700000080;
    ASSERT_TRUE(recorder.appendSnapshot(snapshot, {}));

    const std::vector<TestRecord> history = loadHistory();
    const std::vector<KeptSamples> kept = loadKeptSamples();
    ASSERT_EQ(kept.size(), 2u);
    const std::optional<KeptSamples> first = samplesOfRecord(kept, history[0]);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->times, (std::vector<double>{700000000.25, 700000036.75, 700000073}));
    EXPECT_EQ(first->levels, (std::vector<double>{57, 58, 59}));
    EXPECT_EQ(first->batteryCapacity, 2716);
    EXPECT_EQ(first->maxChargingWatts, 30);
    EXPECT_EQ(first->model, "x86_64");
    EXPECT_EQ(first->nominalVoltage, 11.58);
    EXPECT_EQ(samplesOfRecord(kept, history[1])->times.back(), 700000080);
    EXPECT_FALSE(samplesOfRecord(kept, {{"starttime", 700000000.25}}).has_value());

    ASSERT_TRUE(clearHistory());
    EXPECT_TRUE(loadKeptSamples().empty());
}

TEST_F(StoreTest, AHandEditedEntryKeepsWhatCanBeRead) {
    writeText(dataDir() / kSamplesKey, R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>samples</key><array><dict>
<key>starttime</key><string>1</string>
<key>times</key><string>1,abc,,3e400, 4,nan</string>
<key>levels</key><string>57,+58</string>
<key>batteryCapacity</key><string>lots</string>
</dict></array></dict></plist>)");
    const std::vector<KeptSamples> kept = loadKeptSamples();
    ASSERT_EQ(kept.size(), 1u);
    const std::vector<double>& times = kept[0].times;
    ASSERT_EQ(times.size(), 6u);
    EXPECT_EQ(times[0], 1);
    EXPECT_TRUE(std::isnan(times[1]) && std::isnan(times[2]) && std::isnan(times[3]));
    EXPECT_EQ(times[4], 4);
    EXPECT_EQ(kept[0].levels, (std::vector<double>{57, 58}));
    EXPECT_EQ(kept[0].batteryCapacity, 0);
    EXPECT_EQ(kept[0].nominalVoltage, 5);  // an entry that names none: USB's 5 V
    EXPECT_TRUE(std::isnan(kept[0].finishtime));
}

}  // namespace
}  // namespace voltaro
