#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/records.h"

namespace voltaro {

// The history: the list file "history", records oldest first. Every operation reads or rewrites
// the whole file; a read-modify-write holds the list's lock (ListLock of kHistoryKey).
inline constexpr const char* kHistoryKey = "history";

std::vector<TestRecord> loadHistory();
bool saveHistory(const std::vector<TestRecord>& records);

// Writes the charger description into every record whose "starttime" equals `startTime` exactly
// (a NaN matches nothing); other records stay as they are. An empty history is saved as empty.
// Returns whether the file was written.
bool applyChargerToHistory(int64_t brandid, int64_t watts, int64_t type, int64_t port,
                           int64_t capacity, double startTime);

// Saves an empty history; logs "save is success" when written, and then forgets the kept
// samples too.
bool clearHistory();

// A record's "starttime", 0.0 when it has none.
double recordStartTime(const TestRecord& record);

// The text under which a start time's group is kept: the shortest decimal that reads back as
// the same double.
std::string startTimeKey(double startTime);

// The history grouped by test for display.
struct HistoryGroups {
    // Distinct start times in order of their first record.
    std::vector<double> dateArray;
    // Start time text (startTimeKey) to the records of that test, in file order.
    std::unordered_map<std::string, std::vector<TestRecord>> dateDic;

    // Display order: the newest test first and, within a test, the newest record first.
    size_t sectionCount() const { return dateArray.size(); }
    double sectionStartTime(size_t section) const;
    const std::vector<TestRecord>& sectionRecords(size_t section) const;
    size_t rowCount(size_t section) const { return sectionRecords(section).size(); }
    const TestRecord& recordAt(size_t section, size_t row) const;
};

// Groups records by "starttime" (exact double equality) as a linear search over dateArray would,
// in linear time. Pass the records with std::move when the flat list is not needed afterwards.
HistoryGroups groupHistory(std::vector<TestRecord> records);

}  // namespace voltaro
