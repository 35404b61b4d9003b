#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace voltaro {

// The samples of one measurement window: entry i of both lists is sample i. Levels are whole
// percents held as 32-bit floats; times are absolute times. Levels never fall along the window.
struct SampleWindow {
    std::vector<float> levelList;
    std::vector<double> timeList;

    size_t size() const { return levelList.size(); }
    bool empty() const { return levelList.empty(); }
    void clear() {
        levelList.clear();
        timeList.clear();
    }
    void append(float level, double time) {
        levelList.push_back(level);
        timeList.push_back(time);
    }
};

// A battery level fraction as a whole percent: round half away from zero, in 32-bit arithmetic.
float roundedPercent(float levelFraction);

enum class SampleUpdate { Ignored, ReplacedFirstTime, AddedSecond, AddedNew };

// Feeds one level change (a whole percent, seen at `time`) into the window. A level below the last
// sample is ignored. While the window holds one sample (the placeholder of the next percent), a
// change to that same level only fixes the sample's time, so the window starts on a percent step.
// Appends the matching test-log line to `log`.
SampleUpdate recordSample(SampleWindow& window, float level, double time, std::string& log);

// The result values of a window.
struct RateResult {
    float averageTime = 0;  // whole seconds per sample step
    float minPerLevel = 0;  // the same value, set only when the computation gets that far
    double mahPerMin = 0;
    double totalWatt = 0;   // at the nominal voltage, capped at the model's maximum
};

// The nominal voltage of the power figure for phones and tablets: USB's 5 V.
inline constexpr float kDefaultNominalVolts = 5.0f;

// Works the result out of the first and last samples. Returns false without a usable result
// (fewer than two samples, less than one whole second elapsed, an infinite power); the fields it
// reached before stopping are updated all the same. A negative power is a result: a failed test.
// The power is the charge rate at `nominalVolts`: 5 V, or a multi-cell pack's own voltage.
bool computeResult(const SampleWindow& window, int64_t capacityMah, int64_t maxChargingWatts,
                   RateResult& result, float nominalVolts = kDefaultNominalVolts);

// Width of a whole star, in points.
inline constexpr double kFullStarWidth = 13.0;
using StarWidths = std::array<double, 5>;

// Sets the star widths for a power rated against the model's maximum: each star stands for 20 % of
// it, a partial star shows the rest. Stars past the partial one keep their widths.
void updateStars(double totalWatt, int64_t maxChargingWatts, StarWidths& widths);

// The test log's lines for every sample of the window.
std::string perSampleLogLines(const SampleWindow& window);

// "[51.0, 52.0]"-style text of a list, for diagnostics.
std::string listText(const std::vector<float>& values);
std::string listText(const std::vector<double>& values);

}  // namespace voltaro
