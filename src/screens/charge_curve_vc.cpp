#include "screens/charge_curve_vc.h"

#include <cmath>
#include <ctime>

#include "extensions/interface_helpers.h"
#include "platform/clock.h"
#include "platform/strings.h"
#include "screens/test_records_vc.h"
#include "store/display_text.h"
#include "store/history.h"
#include "store/kept_samples.h"

namespace voltaro {
namespace {

double valueOr(const TestRecord& record, const char* key) {
    const auto found = record.find(key);
    return found == record.end() ? 0.0 : found->second;
}

// Times compare exactly; a NaN of a hand-edited file finds its own record too.
bool sameTime(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// "12-03 14:13" in local time; the day alone when the time cannot be shown.
std::string dateTimeText(double absoluteTime) {
    std::string text = shortDateText(absoluteTime);
    const double unixTime = unixTimeFromAbsolute(absoluteTime);
    if (text.empty() || !(unixTime > -1e12 && unixTime < 1e12)) return text;
    const auto seconds = static_cast<std::time_t>(unixTime);
    std::tm local{};
    char buffer[16];
    if (localtime_r(&seconds, &local) != nullptr &&
        std::strftime(buffer, sizeof buffer, " %H:%M", &local) > 0) {
        text += buffer;
    }
    return text;
}

std::string chargerOf(const TestRecord& record) {
    const std::string label = TestRecordsVC::chargerLabel(record);
    return label.empty() ? localized("unknown") : label;
}

}  // namespace

ChargeCurveVC::ChargeCurveVC(ui::Services& services, const ui::ScreenArguments& arguments)
    : services_(services), arguments_(arguments) {
    chartView.subscribe([this] {
        if (chartView.width() != drawnWidth_ || chartView.height() != drawnHeight_) redraw();
    });
    noteLabel.setHidden(true);
    comparedLegendLabel.setHidden(true);
    compareButton.setHidden(true);
    compareSheet.setHidden(true);
}

void ChargeCurveVC::viewDidLoad() {
    const std::vector<TestRecord> history = loadHistory();
    const TestRecord* record = nullptr;
    for (auto it = history.rbegin(); it != history.rend() && record == nullptr; ++it) {
        const bool wanted =
            !arguments_.startTime ||
            (sameTime(valueOr(*it, record_key::kStartTime), *arguments_.startTime) &&
             sameTime(valueOr(*it, record_key::kFinishTime), arguments_.finishTime.value_or(0)));
        if (wanted) record = &*it;
    }
    if (record == nullptr) {
        noteLabel.setText(localized("curveNotFound"));
        noteLabel.setHidden(false);
        redraw();
        return;
    }

    const std::vector<KeptSamples> kept = loadKeptSamples();
    const std::optional<KeptSamples> samples = samplesOfRecord(kept, *record);
    curve_ = curveOfRecord(*record, samples);
    titleLabel.setText(chargerOf(*record));
    dateLabel.setText(dateTimeText(valueOr(*record, record_key::kStartTime)));
    const std::vector<CurveFigure> figures = recordFigures(*record, curve_);
    ui::Label* const labels[] = {&wattLabel, &mahLabel, &timeLabel, &levelsLabel, &durationLabel};
    for (size_t i = 0; i < std::size(labels) && i < figures.size(); ++i) {
        labels[i]->setText(figures[i].value);
    }
    std::string note;
    if (curve_.endsOnly) note = localized("curveEndsOnly");
    if (curve_.leftOut > 0) {
        std::string leftOut = localized("curveLeftOut");
        if (const size_t at = leftOut.find("%d"); at != std::string::npos) {
            leftOut.replace(at, 2, std::to_string(curve_.leftOut));
        }
        note += (note.empty() ? "" : "\n") + leftOut;
    }
    noteLabel.setText(note);
    noteLabel.setHidden(note.empty());

    // Tests of the same device, newest first: the history is this device's own, but a record
    // whose samples name another model is left out.
    const std::string model = samples ? samples->model : "";
    for (auto it = history.rbegin(); it != history.rend(); ++it) {
        if (&*it == record) continue;
        const std::optional<KeptSamples> theirs = samplesOfRecord(kept, *it);
        if (theirs && !model.empty() && !theirs->model.empty() && theirs->model != model) continue;
        choices_.push_back({dateTimeText(valueOr(*it, record_key::kStartTime)) + "  " +
                                decimalText(valueOr(*it, record_key::kWatt), 1) + " W  " +
                                chargerOf(*it),
                            curveOfRecord(*it, theirs)});
    }
    compareButton.setTitle(localized("curveCompare"));
    compareButton.setHidden(choices_.empty());
    compareTable.reloadData();
    redraw();
}

std::string ChargeCurveVC::choiceText(size_t row) const {
    return row < choices_.size() ? choices_[row].text : std::string();
}

void ChargeCurveVC::redraw() {
    drawnWidth_ = chartView.width();
    drawnHeight_ = chartView.height();
    drawing_ = {};
    const PlotArea area{drawnWidth_, drawnHeight_};
    if (area.width > 0 && area.height > 0 && !curve_.samples.empty()) {
        std::vector<const ChargeCurve*> curves = {&curve_};
        if (compared_) curves.push_back(&*compared_);
        // About one time tick per 70 points, so that their texts never touch.
        const CurveAxes axes =
            axesOf(curves, std::max(2, static_cast<int>(area.width / 70)), 5, 4);
        drawing_.level = levelLine(curve_, axes, area);
        if (compared_) drawing_.comparedLevel = levelLine(*compared_, axes, area);
        drawing_.power = powerLines(curve_, axes, area);
        for (const double tick : axes.time.ticks) {
            drawing_.timeTicks.push_back({alongAxis(axes.time, tick, area.width),
                                          timeTickText(tick, axes.time.tickStep)});
        }
        for (const double tick : axes.level.ticks) {
            drawing_.levelTicks.push_back(
                {area.height - alongAxis(axes.level, tick, area.height), levelTickText(tick)});
        }
        for (const double tick : axes.power.ticks) {
            drawing_.powerTicks.push_back(
                {area.height - alongAxis(axes.power, tick, area.height), powerTickText(tick)});
        }
    }
    chartView.reloadData();
}

void ChargeCurveVC::backButtonTapped() { dismissSlidingLeft(services_.navigator); }

void ChargeCurveVC::pop() { dismissSlidingLeft(services_.navigator); }

void ChargeCurveVC::compareButtonTapped() {
    if (compared_) {
        compared_.reset();
        comparedLegendLabel.setHidden(true);
        compareButton.setTitle(localized("curveCompare"));
        redraw();
        return;
    }
    if (!choices_.empty()) compareSheet.setHidden(false);
}

void ChargeCurveVC::didSelectChoice(size_t row) {
    if (row >= choices_.size()) return;
    compared_ = choices_[row].curve;
    comparedLegendLabel.setText(choices_[row].text);
    comparedLegendLabel.setHidden(false);
    compareSheet.setHidden(true);
    compareButton.setTitle(localized("curveStopComparing"));
    redraw();
}

void ChargeCurveVC::cancelCompare() { compareSheet.setHidden(true); }

}  // namespace voltaro
