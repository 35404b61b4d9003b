#include "store/history.h"

#include <cmath>

#include "extensions/number_text.h"
#include "platform/log.h"
#include "platform/plist/list_file.h"
#include "store/kept_samples.h"

namespace voltaro {

std::vector<TestRecord> loadHistory() {
    return loadList<TestRecord>(kHistoryKey);
}

bool saveHistory(const std::vector<TestRecord>& records) {
    return saveList(records, kHistoryKey);
}

bool applyChargerToHistory(int64_t brandid, int64_t watts, int64_t type, int64_t port,
                           int64_t capacity, double startTime) {
    const ListLock lock(kHistoryKey);
    std::vector<TestRecord> records = loadHistory();
    for (TestRecord& record : records) {
        const auto found = record.find(record_key::kStartTime);
        if (found == record.end() || found->second != startTime) continue;
        record[record_key::kBrandId] = static_cast<double>(brandid);
        record[record_key::kWatts] = static_cast<double>(watts);
        record[record_key::kType] = static_cast<double>(type);
        record[record_key::kPort] = static_cast<double>(port);
        record[record_key::kCapacity] = static_cast<double>(capacity);
    }
    return saveHistory(records);
}

bool clearHistory() {
    const bool saved = saveHistory({});
    if (saved) {
        log::debug(log::Category::Store, "save is success");
        // The curves go with their records; a leftover entry matches no record.
        clearKeptSamples();
    }
    return saved;
}

double recordStartTime(const TestRecord& record) {
    const auto found = record.find(record_key::kStartTime);
    return found == record.end() ? 0.0 : found->second;
}

std::string startTimeKey(double startTime) {
    return shortestText(startTime);
}

double HistoryGroups::sectionStartTime(size_t section) const {
    return dateArray.at(dateArray.size() - 1 - section);
}

const std::vector<TestRecord>& HistoryGroups::sectionRecords(size_t section) const {
    static const std::vector<TestRecord> kNone;
    const auto found = dateDic.find(startTimeKey(sectionStartTime(section)));
    return found == dateDic.end() ? kNone : found->second;
}

const TestRecord& HistoryGroups::recordAt(size_t section, size_t row) const {
    const std::vector<TestRecord>& records = sectionRecords(section);
    return records.at(records.size() - 1 - row);
}

HistoryGroups groupHistory(std::vector<TestRecord> records) {
    HistoryGroups groups;
    // Start time to its place in dateArray. Keys compare with ==, as the linear search does, so
    // 0.0 and -0.0 are one test. A NaN equals nothing: it always starts a group of its own and
    // stays out of the index.
    std::unordered_map<double, size_t> index;
    index.reserve(records.size());
    groups.dateDic.reserve(records.size());
    for (TestRecord& record : records) {
        const double startTime = recordStartTime(record);
        if (!std::isnan(startTime)) {
            const auto [place, added] = index.try_emplace(startTime, groups.dateArray.size());
            if (!added) {
                groups.dateDic[startTimeKey(groups.dateArray[place->second])].push_back(
                    std::move(record));
                continue;
            }
        }
        groups.dateArray.push_back(startTime);
        std::vector<TestRecord>& group = groups.dateDic[startTimeKey(startTime)];
        group.clear();  // a NaN's text can come again
        group.push_back(std::move(record));
    }
    return groups;
}

}  // namespace voltaro
