#include "engine/rate_estimator.h"

#include <cmath>
#include <cstdio>

#include "platform/log.h"

namespace voltaro {

float roundedPercent(float levelFraction) { return std::round(levelFraction * 100.0f); }

SampleUpdate recordSample(SampleWindow& window, float level, double time, std::string& log) {
    // Levels are compared as whole numbers.
    const auto whole = [](float value) { return static_cast<int64_t>(value); };
    if (!window.empty() && whole(level) < whole(window.levelList.back())) {
        return SampleUpdate::Ignored;
    }
    if (window.size() == 1) {
        log += "\n replace the first";
        if (whole(level) != whole(window.levelList.front())) {
            log += "\n add second";
            window.append(level, time);
            return SampleUpdate::AddedSecond;
        }
        window.timeList.front() = time;
        return SampleUpdate::ReplacedFirstTime;
    }
    log += "\n add new one";
    window.append(level, time);
    return SampleUpdate::AddedNew;
}

bool computeResult(const SampleWindow& window, int64_t capacityMah, int64_t maxChargingWatts,
                   RateResult& result, float nominalVolts) {
    if (window.size() < 2) return false;

    const auto steps = static_cast<int64_t>(window.size() - 1);
    const double elapsed = window.timeList.back() - window.timeList.front();
    if (!std::isfinite(elapsed) || std::fabs(elapsed) >= 9.2e18) return false;
    const auto wholeSeconds = static_cast<int64_t>(elapsed);  // truncates toward zero

    result.averageTime = static_cast<float>(wholeSeconds / steps);
    if (wholeSeconds == 0) return false;

    const int64_t mahPerPercent = capacityMah / 100;
    const float levelRise = window.levelList.back() - window.levelList.front();
    const float mahPerSecond =
        levelRise * static_cast<float>(mahPerPercent) / static_cast<float>(wholeSeconds);
    result.mahPerMin = static_cast<double>(mahPerSecond * 60.0f);

    const float watts = ((mahPerSecond * 3600.0f) * nominalVolts) / 1000.0f;
    result.totalWatt = static_cast<double>(watts);
    if (std::isinf(result.totalWatt)) return false;

    // The cap compares whole watts: 18.6 W stays 18.6 on an 18 W model, 19.2 W becomes 18.
    if (std::isfinite(watts) && maxChargingWatts < static_cast<int64_t>(watts)) {
        result.totalWatt = static_cast<double>(maxChargingWatts);
    }
    result.minPerLevel = static_cast<float>(wholeSeconds / steps);

    log::debug(log::Category::Engine, "this is the test value " + listText(window.levelList) + " " +
                                          listText(window.timeList));
    return true;
}

void updateStars(double totalWatt, int64_t maxChargingWatts, StarWidths& widths) {
    // No power earns no stars (a zero power used to rate as a full score).
    float pct = 0.0f;
    if (totalWatt > 0 && maxChargingWatts > 0) {
        pct = static_cast<float>(totalWatt / static_cast<double>(maxChargingWatts) * 100.0);
    }
    if (!std::isfinite(pct)) pct = 0.0f;
    const auto full = static_cast<int64_t>(std::floor(pct / 20.0f));
    const float rest = pct - static_cast<float>(full) * 20.0f;
    for (int64_t i = 0; i < full && i < 5; ++i) widths[static_cast<size_t>(i)] = kFullStarWidth;
    if (full >= 0 && full <= 4) {
        widths[static_cast<size_t>(full)] = static_cast<double>(rest / 20.0f * 13.0f);
    }
}

std::string perSampleLogLines(const SampleWindow& window) {
    std::string lines;
    char buffer[128];
    for (size_t i = 0; i < window.size(); ++i) {
        if (i == 0) {
            std::snprintf(buffer, sizeof buffer, "\n0: 级别: %.2f",
                          static_cast<double>(window.levelList[0]));
        } else {
            std::snprintf(buffer, sizeof buffer, "\n%zu: 级别: %.2f -- 秒数: %.2f", i,
                          static_cast<double>(window.levelList[i]),
                          window.timeList[i] - window.timeList[i - 1]);
        }
        lines += buffer;
    }
    return lines;
}

namespace {
template <typename T>
std::string listTextOf(const std::vector<T>& values) {
    std::string text = "[";
    char buffer[64];
    for (size_t i = 0; i < values.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%s%.1f", i == 0 ? "" : ", ",
                      static_cast<double>(values[i]));
        text += buffer;
    }
    return text + "]";
}
}  // namespace

std::string listText(const std::vector<float>& values) { return listTextOf(values); }
std::string listText(const std::vector<double>& values) { return listTextOf(values); }

}  // namespace voltaro
