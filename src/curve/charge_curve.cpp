#include "curve/charge_curve.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "engine/rate_estimator.h"
#include "extensions/number_text.h"

namespace voltaro {
namespace {

// Absolute times beyond this (about 3,000 years either side of 2001) are not sample times.
constexpr double kTimeLimit = 1e11;
// A battery above this is not a battery, and a power above this is not a charger's.
constexpr int64_t kCapacityLimit = 1000000;
constexpr double kWattLimit = 1e9;
// Volts outside this are not a battery's.
constexpr double kLowestVolts = 1;
constexpr double kHighestVolts = 100;

double valueOr(const TestRecord& record, const char* key, double fallback = 0) {
    const auto found = record.find(key);
    return found == record.end() ? fallback : found->second;
}

std::optional<double> readablePower(double watts) {
    if (!std::isfinite(watts) || std::fabs(watts) > kWattLimit) return std::nullopt;
    return watts;
}

// Keeps, of each run of points in one unit of width, the first, lowest, highest and last.
std::vector<PlotPoint> thinned(std::vector<PlotPoint> points, double width) {
    if (points.size() <= 4 * static_cast<size_t>(std::max(width, 1.0)) + 4) return points;
    std::vector<PlotPoint> kept;
    size_t begin = 0;
    while (begin < points.size()) {
        const double column = std::floor(points[begin].x);
        size_t end = begin + 1;
        while (end < points.size() && std::floor(points[end].x) == column) ++end;
        size_t lowest = begin;
        size_t highest = begin;
        for (size_t i = begin; i < end; ++i) {
            if (points[i].y > points[lowest].y) lowest = i;  // y grows downwards
            if (points[i].y < points[highest].y) highest = i;
        }
        std::array<size_t, 4> chosen = {begin, lowest, highest, end - 1};
        std::sort(chosen.begin(), chosen.end());
        for (size_t i = 0; i < chosen.size(); ++i) {
            if (i == 0 || chosen[i] != chosen[i - 1]) kept.push_back(points[chosen[i]]);
        }
        begin = end;
    }
    return kept;
}

// Steps in seconds that read well on a time axis.
double timeStep(double duration, int maxTicks) {
    static constexpr std::array<double, 19> kSteps = {
        1,   2,    5,    10,   15,   30,    60,    120,   300,  600,
        900, 1200, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    for (const double step : kSteps) {
        if (std::ceil(duration / step) <= maxTicks) return step;
    }
    // Days beyond: 1, 2 or 5 times a power of ten of them.
    return roundAxis(0, duration / 86400, maxTicks).tickStep * 86400;
}

}  // namespace

ChargeCurve makeChargeCurve(const std::vector<double>& times, const std::vector<double>& levels,
                            StepFigures figures) {
    ChargeCurve curve;
    const size_t pairs = std::min(times.size(), levels.size());
    curve.leftOut = std::max(times.size(), levels.size()) - pairs;
    std::vector<double> keptTimes;
    for (size_t i = 0; i < pairs; ++i) {
        const double time = times[i];
        const double level = levels[i];
        const bool readable = std::isfinite(time) && std::fabs(time) <= kTimeLimit &&
                              std::isfinite(level) && level >= 0 && level <= 100;
        if (!readable || (!keptTimes.empty() && time < keptTimes.back())) {
            ++curve.leftOut;
            continue;
        }
        if (keptTimes.empty()) curve.startTime = time;
        keptTimes.push_back(time);
        curve.samples.push_back({time - curve.startTime, level});
    }

    const bool powerKnown = figures.batteryCapacity > 0 &&
                            figures.batteryCapacity <= kCapacityLimit &&
                            figures.nominalVoltage >= kLowestVolts &&
                            figures.nominalVoltage <= kHighestVolts;
    for (size_t i = 1; i < curve.samples.size(); ++i) {
        CurveStep step{curve.samples[i - 1].seconds, curve.samples[i].seconds, std::nullopt};
        if (powerKnown) {
            SampleWindow window;
            window.append(static_cast<float>(curve.samples[i - 1].level), keptTimes[i - 1]);
            window.append(static_cast<float>(curve.samples[i].level), keptTimes[i]);
            RateResult result;
            if (computeResult(window, figures.batteryCapacity, figures.maxChargingWatts, result,
                              static_cast<float>(figures.nominalVoltage))) {
                step.watts = readablePower(result.totalWatt);
            }
        }
        curve.steps.push_back(step);
    }
    return curve;
}

ChargeCurve curveOfRecord(const TestRecord& record, const std::optional<KeptSamples>& samples) {
    if (samples) {
        ChargeCurve curve = makeChargeCurve(
            samples->times, samples->levels,
            StepFigures{samples->batteryCapacity, samples->maxChargingWatts,
                        samples->nominalVoltage});
        if (!curve.samples.empty()) return curve;
    }
    ChargeCurve curve = makeChargeCurve(
        {valueOr(record, record_key::kStartTime), valueOr(record, record_key::kFinishTime)},
        {valueOr(record, record_key::kStartLevel), valueOr(record, record_key::kFinishLevel)},
        StepFigures{});
    curve.endsOnly = true;
    if (curve.steps.size() == 1) {
        curve.steps.front().watts = readablePower(valueOr(record, record_key::kWatt, NAN));
    }
    return curve;
}

Axis roundAxis(double lowest, double highest, int maxTicks) {
    maxTicks = std::max(maxTicks, 1);
    if (highest < lowest) std::swap(lowest, highest);
    if (highest == lowest) highest = lowest + std::max(1.0, std::fabs(lowest) * 1e-6);
    if (!std::isfinite(lowest) || !std::isfinite(highest) || !(highest - lowest > 0) ||
        !std::isfinite(highest - lowest)) {
        lowest = 0;
        highest = 1;
    }
    // 1, 2 or 5 times a power of ten, from the first that could fit up to the first that does.
    const double raw = (highest - lowest) / maxTicks;
    double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (int i = 0;; ++i) {
        step = magnitude * std::array<double, 3>{1, 2, 5}[i % 3];
        if (i % 3 == 2) magnitude *= 10;
        if (std::ceil(highest / step) - std::floor(lowest / step) <= maxTicks || i > 30) break;
    }
    Axis axis;
    axis.tickStep = step;
    const double first = std::floor(lowest / step);
    const double last = std::ceil(highest / step);
    axis.lowest = first * step;
    axis.highest = last * step;
    for (double k = first; k <= last && axis.ticks.size() <= static_cast<size_t>(maxTicks); ++k) {
        axis.ticks.push_back(k * step);
    }
    return axis;
}

CurveAxes axesOf(const std::vector<const ChargeCurve*>& curves, int maxTimeTicks,
                 int maxLevelTicks, int maxPowerTicks) {
    double duration = 0;
    double lowLevel = 100;
    double highLevel = 0;
    double lowPower = 0;
    double highPower = 0;
    for (const ChargeCurve* curve : curves) {
        duration = std::max(duration, curve->duration());
        for (const CurveSample& sample : curve->samples) {
            lowLevel = std::min(lowLevel, sample.level);
            highLevel = std::max(highLevel, sample.level);
        }
        for (const CurveStep& step : curve->steps) {
            if (!step.watts) continue;
            lowPower = std::min(lowPower, *step.watts);
            highPower = std::max(highPower, *step.watts);
        }
    }
    CurveAxes axes;

    // A test without any time between its samples still gets a minute to be drawn in.
    if (duration <= 0) duration = 60;
    const double step = timeStep(duration, std::max(maxTimeTicks, 1));
    axes.time.tickStep = step;
    axes.time.lowest = 0;
    axes.time.highest = std::ceil(duration / step) * step;
    for (double k = 0; k * step <= axes.time.highest; ++k) axes.time.ticks.push_back(k * step);

    if (highLevel < lowLevel) {  // no samples
        lowLevel = 0;
        highLevel = 100;
    }
    lowLevel = std::floor(lowLevel / 10) * 10;
    highLevel = std::ceil(highLevel / 10) * 10;
    if (highLevel == lowLevel) {
        if (highLevel < 100) {
            highLevel += 10;
        } else {
            lowLevel -= 10;
        }
    }
    axes.level = roundAxis(lowLevel, highLevel, maxLevelTicks);
    axes.power = roundAxis(lowPower, highPower, maxPowerTicks);
    return axes;
}

std::string timeTickText(double seconds, double tickStep) {
    if (seconds == 0) return "0";
    if (tickStep < 60) return shortestText(seconds) + " s";
    if (tickStep < 3600) return shortestText(std::round(seconds / 6) / 10) + " min";
    return shortestText(std::round(seconds / 360) / 10) + " h";
}

std::string levelTickText(double level) {
    return decimalText(level, 0) + "%";
}

std::string powerTickText(double watts) {
    return shortestText(watts) + " W";
}

double alongAxis(const Axis& axis, double value, double length) {
    return axis.fraction(value) * length;
}

std::vector<PlotPoint> levelLine(const ChargeCurve& curve, const CurveAxes& axes, PlotArea area) {
    std::vector<PlotPoint> points;
    points.reserve(curve.samples.size());
    for (const CurveSample& sample : curve.samples) {
        points.push_back({alongAxis(axes.time, sample.seconds, area.width),
                          area.height - alongAxis(axes.level, sample.level, area.height)});
    }
    return thinned(std::move(points), area.width);
}

std::vector<std::vector<PlotPoint>> powerLines(const ChargeCurve& curve, const CurveAxes& axes,
                                               PlotArea area) {
    std::vector<std::vector<PlotPoint>> lines;
    std::vector<PlotPoint> line;
    const auto endLine = [&] {
        if (!line.empty()) lines.push_back(thinned(std::move(line), area.width));
        line.clear();
    };
    for (const CurveStep& step : curve.steps) {
        if (!step.watts) {
            endLine();
            continue;
        }
        const double y = area.height - alongAxis(axes.power, *step.watts, area.height);
        line.push_back({alongAxis(axes.time, step.fromSeconds, area.width), y});
        line.push_back({alongAxis(axes.time, step.toSeconds, area.width), y});
    }
    endLine();
    return lines;
}

std::string decimalText(double value, int decimals) {
    if (!std::isfinite(value)) return "?";
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return "?";
    std::string text(buffer, result.ptr);
    // A value that rounds to zero reads as zero, without a sign.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string durationText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 1e12) return "?";
    const auto whole = static_cast<long long>(std::llround(seconds));
    char buffer[64];
    if (whole >= 3600) {
        std::snprintf(buffer, sizeof buffer, "%lld h %02lld min", whole / 3600, whole % 3600 / 60);
    } else if (whole >= 60) {
        std::snprintf(buffer, sizeof buffer, "%lld min %02lld s", whole / 60, whole % 60);
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld s", whole);
    }
    return buffer;
}

std::vector<CurveFigure> recordFigures(const TestRecord& record, const ChargeCurve& curve) {
    namespace key = record_key;
    const bool hasUserLevel = record.count(key::kUserStartLevel) != 0;
    const double startLevel = valueOr(record, hasUserLevel ? key::kUserStartLevel : key::kStartLevel);
    std::vector<CurveFigure> figures = {
        {"Power", decimalText(valueOr(record, key::kWatt, NAN), 1) + " W"},
        {"Charge rate", decimalText(valueOr(record, key::kAmp, NAN), 1) + " mAh/min"},
        {"Per percent", decimalText(valueOr(record, key::kMin, NAN), 0) + " s"},
        {"Levels", decimalText(startLevel, 0) + "% to " +
                       decimalText(valueOr(record, key::kFinishLevel, NAN), 0) + "%"},
        {"Duration", durationText(valueOr(record, key::kFinishTime) -
                                  valueOr(record, key::kStartTime))},
        {"Samples", curve.endsOnly ? "first and last only"
                                   : std::to_string(curve.samples.size())},
    };
    return figures;
}

}  // namespace voltaro
