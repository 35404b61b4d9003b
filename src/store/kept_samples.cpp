#include "store/kept_samples.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "extensions/number_text.h"
#include "platform/plist/list_file.h"

namespace voltaro {
namespace {

constexpr const char* kStartTime = "starttime";
constexpr const char* kFinishTime = "finishtime";
constexpr const char* kTimes = "times";
constexpr const char* kLevels = "levels";
constexpr const char* kBatteryCapacity = "batteryCapacity";
constexpr const char* kMaxChargingWatts = "maxChargingWatts";
constexpr const char* kModel = "model";
constexpr const char* kNominalVoltage = "nominalVoltage";

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A number as shortestText writes it ("nan" and "inf" included); NaN for anything else.
double numberOf(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = kNaN;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return kNaN;
    }
    return value;
}

std::vector<double> numbersOf(std::string_view text) {
    std::vector<double> numbers;
    if (text.empty()) return numbers;
    size_t begin = 0;
    while (true) {
        const size_t comma = text.find(',', begin);
        numbers.push_back(numberOf(text.substr(begin, comma - begin)));
        if (comma == std::string_view::npos) break;
        begin = comma + 1;
    }
    return numbers;
}

int64_t wholeOf(const TextDictionary& entry, const char* key) {
    const auto found = entry.find(key);
    if (found == entry.end()) return 0;
    const double value = numberOf(found->second);
    return value > -1e15 && value < 1e15 ? static_cast<int64_t>(value) : 0;
}

double numberOf(const TextDictionary& entry, const char* key) {
    const auto found = entry.find(key);
    return found == entry.end() ? kNaN : numberOf(found->second);
}

std::string joined(const std::vector<double>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ',';
        text += shortestText(values[i]);
    }
    return text;
}

}  // namespace

bool keepSamples(const KeptSamples& samples) {
    const ListLock lock(kSamplesKey);
    std::vector<TextDictionary> entries = loadList<TextDictionary>(kSamplesKey);
    entries.push_back({
        {kStartTime, shortestText(samples.starttime)},
        {kFinishTime, shortestText(samples.finishtime)},
        {kTimes, joined(samples.times)},
        {kLevels, joined(samples.levels)},
        {kBatteryCapacity, std::to_string(samples.batteryCapacity)},
        {kMaxChargingWatts, std::to_string(samples.maxChargingWatts)},
        {kModel, samples.model},
        {kNominalVoltage, shortestText(samples.nominalVoltage)},
    });
    return saveList(entries, kSamplesKey);
}

std::vector<KeptSamples> loadKeptSamples() {
    std::vector<KeptSamples> kept;
    for (const TextDictionary& entry : loadList<TextDictionary>(kSamplesKey)) {
        KeptSamples samples;
        samples.starttime = numberOf(entry, kStartTime);
        samples.finishtime = numberOf(entry, kFinishTime);
        if (const auto times = entry.find(kTimes); times != entry.end()) {
            samples.times = numbersOf(times->second);
        }
        if (const auto levels = entry.find(kLevels); levels != entry.end()) {
            samples.levels = numbersOf(levels->second);
        }
        samples.batteryCapacity = wholeOf(entry, kBatteryCapacity);
        samples.maxChargingWatts = wholeOf(entry, kMaxChargingWatts);
        if (const auto model = entry.find(kModel); model != entry.end()) samples.model = model->second;
        if (entry.count(kNominalVoltage) != 0) samples.nominalVoltage = numberOf(entry, kNominalVoltage);
        kept.push_back(std::move(samples));
    }
    return kept;
}

std::optional<KeptSamples> samplesOfRecord(const std::vector<KeptSamples>& entries,
                                           const TestRecord& record) {
    const auto start = record.find(record_key::kStartTime);
    const auto finish = record.find(record_key::kFinishTime);
    if (start == record.end() || finish == record.end()) return std::nullopt;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->starttime == start->second && entry->finishtime == finish->second) return *entry;
    }
    return std::nullopt;
}

bool clearKeptSamples() {
    const ListLock lock(kSamplesKey);
    return saveList(std::vector<TextDictionary>{}, kSamplesKey);
}

}  // namespace voltaro
