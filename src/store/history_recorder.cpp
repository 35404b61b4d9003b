#include "store/history_recorder.h"

#include "extensions/number_text.h"
#include "platform/log.h"
#include "platform/plist/list_file.h"
#include "store/history.h"
#include "store/kept_samples.h"

namespace voltaro {
namespace {

template <class Number, class Format>
std::string joined(const std::vector<Number>& values, Format format) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ',';
        text += format(values[i]);
    }
    return text;
}

KeptSamples samplesOf(const ResultSnapshot& snapshot) {
    KeptSamples samples;
    samples.starttime = snapshot.starttime;
    samples.finishtime = snapshot.finishtime;
    samples.times = snapshot.timeList;
    samples.levels.assign(snapshot.levelList.begin(), snapshot.levelList.end());
    samples.batteryCapacity = snapshot.batteryCapacity;
    samples.maxChargingWatts = snapshot.maxChargingWatts;
    samples.model = snapshot.modelIdentifier;
    samples.nominalVoltage = snapshot.nominalVoltage;
    return samples;
}

}  // namespace

TestRecord makeTestRecord(const ResultSnapshot& snapshot, double unixDate) {
    namespace key = record_key;
    TestRecord record{
        {key::kDate, unixDate},
        {key::kWatt, snapshot.watt},
        {key::kMin, snapshot.min},
        {key::kAmp, snapshot.amp},
        {key::kStartLevel, snapshot.startlevel},
        {key::kFinishLevel, snapshot.finishlevel},
        {key::kUserStartLevel, snapshot.userStartlevel},
        {key::kStartTime, snapshot.starttime},
        {key::kFinishTime, snapshot.finishtime},
        {key::kUserStartTime, snapshot.userStartTime},
        {key::kAverageTime, snapshot.averageTime},
        {key::kType, 0.0},
        {key::kBrandId, 0.0},
        {key::kWatts, 0.0},
        {key::kPort, 0.0},
    };
    if (snapshot.kernelWatt) record.emplace(key::kKernelWatt, *snapshot.kernelWatt);
    return record;
}

std::string sampleTimesText(const std::vector<double>& times) {
    return joined(times, [](double time) { return shortestText(time); });
}

std::string sampleLevelsText(const std::vector<float>& levels) {
    return joined(levels, [](float level) {
        std::string text = shortestText(level);
        // Only finite whole values lack all of these; they keep a ".0".
        if (text.find_first_of(".eni") == std::string::npos) text += ".0";
        return text;
    });
}

HistoryRecorder::HistoryRecorder(const Clock& clock, Upload upload)
    : clock_(clock), upload_(std::move(upload)) {}

bool HistoryRecorder::appendSnapshot(const ResultSnapshot& snapshot,
                                     const std::function<void()>& showRating) {
    if (snapshot.levelList.empty() || snapshot.timeList.empty()) {
        log::debug(log::Category::Store, "no samples: nothing to save");
        if (showRating) showRating();
        return false;
    }
    const TestRecord record = makeTestRecord(snapshot, unixTimeFromAbsolute(clock_.now()));
    bool saved = false;
    {
        // Held from the load to the save, so that a record appended meanwhile by another
        // process is not lost.
        const ListLock lock(kHistoryKey);
        std::vector<TestRecord> records = loadHistory();
        records.push_back(record);
        if (showRating) showRating();
        saved = saveHistory(records);
    }
    if (!saved) {
        log::debug(log::Category::Store, "history not written: the result is not kept");
        return false;
    }
    // The record stands without them: its curve then shows only its first and last sample.
    if (!keepSamples(samplesOf(snapshot))) {
        log::debug(log::Category::Store, "samples not written: the curve keeps only the ends");
    }
    if (upload_) {
        upload_(record, sampleTimesText(snapshot.timeList), sampleLevelsText(snapshot.levelList));
    }
    return true;
}

}  // namespace voltaro
