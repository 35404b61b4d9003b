#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "store/records.h"

namespace voltaro {

// A new record from the session's values; "date" is `unixDate` (seconds since 1970). The charger
// keys "type", "brandid", "watts" and "port" are 0 and "capacity" is absent; "kernelWatt" is there
// only when the snapshot has the kernel's figure.
TestRecord makeTestRecord(const ResultSnapshot& snapshot, double unixDate);

// The sample texts sent with a saved result: each value in its shortest round-trip form, joined
// with ",". Levels are single-precision and a whole level keeps ".0" (57 gives "57.0").
std::string sampleTimesText(const std::vector<double>& times);
std::string sampleLevelsText(const std::vector<float>& levels);

// The store side of saving a test: appends the session's result to the history and, once it is
// written, hands the record to the upload.
class HistoryRecorder {
public:
    using Upload = std::function<void(const TestRecord& record, const std::string& timesText,
                                      const std::string& levelsText)>;

    explicit HistoryRecorder(const Clock& clock, Upload upload = {});

    // The test-result upload, run only after a successful save.
    void setUpload(Upload upload) { upload_ = std::move(upload); }

    // Loads the history, appends the new record made from the session's values, runs
    // `showRating` (the star rating) before saving, saves, then uploads. Values without samples
    // save nothing and only show the rating. Returns whether the history was written.
    bool appendSnapshot(const ResultSnapshot& snapshot, const std::function<void()>& showRating);

private:
    const Clock& clock_;
    Upload upload_;
};

}  // namespace voltaro
