#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/records.h"

namespace voltaro {

// The samples of each saved test, kept beside the history so that its curve can be drawn later:
// the list file "samples", one text dictionary per saved record. The history file itself keeps
// its sixteen number keys; a record without an entry here (saved by an older version, or when
// this file could not be written) has only its first and last sample.
inline constexpr const char* kSamplesKey = "samples";

struct KeptSamples {
    double starttime = 0;  // the record's "starttime" and "finishtime": which record it belongs to
    double finishtime = 0;
    std::vector<double> times;   // absolute times
    std::vector<double> levels;  // whole percents
    int64_t batteryCapacity = 0;   // mAh the result was worked out with
    int64_t maxChargingWatts = 0;  // the cap it was held to
    std::string model;             // model identifier of the device that measured
    double nominalVoltage = 5;     // volts of the power figure (5 where the entry names none)
};

// Appends one entry (under the list's lock). False when the file could not be written.
bool keepSamples(const KeptSamples& samples);

// Every entry that can be read; an entry whose numbers cannot be read keeps what can (unreadable
// sample values read as NaN, missing figures as 0).
std::vector<KeptSamples> loadKeptSamples();

// The entry of `record` among `entries`: the last one whose start and finish times equal the
// record's exactly.
std::optional<KeptSamples> samplesOfRecord(const std::vector<KeptSamples>& entries,
                                           const TestRecord& record);

// Forgets every entry (the history was cleared).
bool clearKeptSamples();

}  // namespace voltaro
