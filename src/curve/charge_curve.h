#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/kept_samples.h"
#include "store/records.h"

namespace voltaro {

// The figures a step's power is worked out with, the same as the test's result was.
struct StepFigures {
    int64_t batteryCapacity = 0;   // mAh; 0 or less: the power of the steps is unknown
    int64_t maxChargingWatts = 0;  // the cap
    double nominalVoltage = 5;     // volts of the power figure
};

struct CurveSample {
    double seconds = 0;  // after the first sample
    double level = 0;    // percent
};

// The step between two neighbouring samples and its power, worked out of the two samples as a
// result is worked out of the first and last: nothing where that gives no result (less than a
// whole second between them). A level that falls gives a negative power.
struct CurveStep {
    double fromSeconds = 0;
    double toSeconds = 0;
    std::optional<double> watts;
};

// A test's level against time, with the power of each step.
struct ChargeCurve {
    double startTime = 0;  // absolute time of the first sample
    std::vector<CurveSample> samples;  // in order; times never go back
    std::vector<CurveStep> steps;      // samples.size() - 1 of them, or none
    size_t leftOut = 0;     // samples that could not be drawn: unreadable, or back in time
    bool endsOnly = false;  // only the first and last sample of the test are known

    double duration() const { return samples.empty() ? 0 : samples.back().seconds; }
};

// Makes the curve of sample lists. A pair whose time or level is not a number, whose time lies
// beyond a few thousand years or before the sample drawn last, or whose level is outside 0 to
// 100 is left out (and counted); so are the extra entries of the longer list.
ChargeCurve makeChargeCurve(const std::vector<double>& times, const std::vector<double>& levels,
                            StepFigures figures);

// The curve of a saved record: its kept samples where there are, else its first and last sample
// with the record's own power as the one step.
ChargeCurve curveOfRecord(const TestRecord& record, const std::optional<KeptSamples>& samples);

// One axis: the range it shows and where its ticks go. Ticks are round numbers inside the range.
struct Axis {
    double lowest = 0;
    double highest = 1;
    double tickStep = 1;
    std::vector<double> ticks;

    // Where `value` lies along the axis: 0 at `lowest`, 1 at `highest`.
    double fraction(double value) const { return (value - lowest) / (highest - lowest); }
};

// An axis over lowest..highest widened to whole tick steps of 1, 2 or 5 times a power of ten, with
// at most `maxTicks` + 1 ticks. An empty or unreadable range becomes 0..1.
Axis roundAxis(double lowest, double highest, int maxTicks);

// The axes shared by one or more curves drawn together: time from 0 (steps of seconds, minutes or
// hours), level in percent (whole tens around the samples), power in watts (from 0 or below).
struct CurveAxes {
    Axis time;
    Axis level;
    Axis power;
};
CurveAxes axesOf(const std::vector<const ChargeCurve*>& curves, int maxTimeTicks = 6,
                 int maxLevelTicks = 5, int maxPowerTicks = 4);

// Tick texts: "0", "45 s", "10 min", "1.5 h"; "80%"; "12 W", "2.5 W". The unit follows the
// axis' tick step so that every tick of one axis reads alike.
std::string timeTickText(double seconds, double tickStep);
std::string levelTickText(double level);
std::string powerTickText(double watts);

// A point in a drawing area, y growing downwards.
struct PlotPoint {
    double x = 0;
    double y = 0;
};
struct PlotArea {
    double width = 0;
    double height = 0;
};

// The level against time in `area`. Where more than four samples fall into one unit of width,
// only the first, lowest, highest and last of them are kept: the line looks the same.
std::vector<PlotPoint> levelLine(const ChargeCurve& curve, const CurveAxes& axes, PlotArea area);

// The power of each step as a flat stretch from the step's start to its end, joined into lines;
// a step without a power breaks the line. Thinned as levelLine is.
std::vector<std::vector<PlotPoint>> powerLines(const ChargeCurve& curve, const CurveAxes& axes,
                                               PlotArea area);

// Where a value falls along an axis of `length` units (a vertical axis counts from the bottom).
double alongAxis(const Axis& axis, double value, double length);

// `value` with `decimals` digits after a point, whatever the locale ("12.3").
std::string decimalText(double value, int decimals);

// The figures of a record as people read them, name and value: power, charge rate, seconds per
// percent, levels, duration. Levels are whole percents rounded to the nearest.
struct CurveFigure {
    std::string name;
    std::string value;
};
std::vector<CurveFigure> recordFigures(const TestRecord& record, const ChargeCurve& curve);

// "1 h 05 min", "12 min 30 s", "45 s".
std::string durationText(double seconds);

}  // namespace voltaro
