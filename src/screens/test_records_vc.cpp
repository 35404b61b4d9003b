#include "screens/test_records_vc.h"

#include <algorithm>
#include <cstdio>

#include "engine/monitor_start_time.h"
#include "extensions/interface_helpers.h"
#include "extensions/number_text.h"
#include "platform/log.h"
#include "platform/strings.h"
#include "store/brand_catalogue.h"
#include "store/display_text.h"

namespace voltaro {
namespace {

std::string wattText(double value) { return fixedText(value, 1) + "w"; }

std::string wholeText(double value) { return fixedText(value, 0); }

double valueOr(const TestRecord& record, const char* key, double fallback = 0) {
    const auto it = record.find(key);
    return it == record.end() ? fallback : it->second;
}

// Charger codes are whole numbers stored as doubles; anything unreadable counts as not given.
int64_t code(const TestRecord& record, const char* key) {
    const double value = valueOr(record, key);
    if (!(value > -1e15 && value < 1e15)) return 0;
    return static_cast<int64_t>(value);
}

}  // namespace

std::vector<TestRecord>& historyRecords() {
    static std::vector<TestRecord> records;
    return records;
}

TestRecordsVC::TestRecordsVC(ui::Services& services, RatingPrompt& rating)
    : services_(services), rating_(rating) {}

void TestRecordsVC::viewDidLoad() {
    rating_.check([this](const RatingPrompt::Prompt& prompt,
                         std::function<void(RatingPrompt::Answer)> answer) {
        std::vector<ui::AlertButton> buttons = {
            {localized("raterRateButton"), ui::AlertButton::Style::Default,
             [answer] { answer(RatingPrompt::Answer::Rate); }}};
        if (prompt.offersLater) {
            buttons.push_back({localized("raterLaterButton"), ui::AlertButton::Style::Default,
                               [answer] { answer(RatingPrompt::Answer::Later); }});
        }
        buttons.push_back({localized("raterNeverButton"), ui::AlertButton::Style::Cancel,
                           [answer] { answer(RatingPrompt::Answer::Never); }});
        services_.alerts.show(prompt.title, prompt.message, std::move(buttons));
    });
    applyEdgeShading(view.width(), topView, downView, ShadingMode::Replace);
}

void TestRecordsVC::viewDidAppear() { reloadHistory(); }

void TestRecordsVC::reloadHistory() {
    historyRecords().clear();
    groups_ = {};
    historyRecords() = loadHistory();
    if (!historyRecords().empty()) groups_ = groupHistory(historyRecords());
    tableView.reloadData();
}

size_t TestRecordsVC::numberOfRows(size_t section) const {
    return section < groups_.sectionCount() ? groups_.rowCount(section) : 0;
}

TestResultCell TestRecordsVC::cell(size_t section, size_t row) const {
    TestResultCell cell;
    if (row >= numberOfRows(section)) return cell;
    const TestRecord& record = groups_.recordAt(section, row);
    cell.wattText = wattText(valueOr(record, "watt"));
    cell.mahText = wholeText(valueOr(record, "amp"));
    cell.timeText = wholeText(valueOr(record, "min"));
    const bool hasUserStartLevel = record.count("userStartlevel") != 0;
    cell.startLevel = wholeText(valueOr(record, hasUserStartLevel ? "userStartlevel" : "startlevel"));
    cell.finishLevel = wholeText(valueOr(record, "finishlevel"));
    const auto userStart = record.find("userStartTime");
    cell.highlighted = userStart != record.end() && monitorStartTime() < userStart->second;
    cell.wattTextColorName = cell.highlighted ? "highlightColor" : "textBrightColor";
    cell.wattBorderColorName = cell.highlighted ? "highlightColor" : "textDarkColor";
    return cell;
}

std::string TestRecordsVC::chargerText(int64_t watts, int64_t capacity, int64_t type,
                                       int64_t port) {
    const std::string portPart = port != 0 ? " / " + portName(port) : "";
    if (watts != 0) return std::to_string(watts) + "W" + portPart;
    if (capacity != 0) return std::to_string(capacity) + "mAh" + portPart;
    if (type != 0 && port != 0) return chargerKindName(type) + " " + portPart;
    if (type != 0) return chargerKindName(type);
    return chargerKindName(0) + " " + (port != 0 ? portName(port) : "");
}

std::string TestRecordsVC::chargerLabel(const TestRecord& record) {
    const int64_t brand = code(record, "brandid");
    const int64_t watts = code(record, "watts");
    const int64_t port = code(record, "port");
    const int64_t capacity = code(record, "capacity");
    const int64_t type = code(record, "type");
    if (brand == 0 && watts == 0 && port == 0 && capacity == 0 && type == 0) return "";
    const std::string brandPart = brand != 0 ? brandNameForId(brand) + " " : "";
    return brandPart + chargerText(watts, capacity, type, port);
}

TestResultHeaderView TestRecordsVC::header(size_t section) const {
    TestResultHeaderView header;
    if (section >= groups_.sectionCount()) return header;
    const double startTime = groups_.sectionStartTime(section);
    log::debug(log::Category::Screens,
               "the date in list is --" + startTimeKey(startTime) + "--");
    header.dateHidden = section == 0;
    header.dateText = shortDateText(startTime);

    // The record with the lowest "userStartlevel" speaks for the test (a stable choice).
    std::vector<TestRecord> records = groups_.sectionRecords(section);
    if (records.empty()) return header;
    std::stable_sort(records.begin(), records.end(), [](const TestRecord& a, const TestRecord& b) {
        return valueOr(a, "userStartlevel") < valueOr(b, "userStartlevel");
    });
    const TestRecord& first = records.front();
    header.startTime = valueOr(first, "starttime");
    const int64_t brand = code(first, "brandid");
    const int64_t watts = code(first, "watts");
    const int64_t port = code(first, "port");
    const int64_t capacity = code(first, "capacity");
    const int64_t type = code(first, "type");
    if (brand == 0 && watts == 0 && port == 0 && capacity == 0 && type == 0) return header;
    header.unknownCharger = false;
    header.brandText = brandNameForId(brand);
    header.wattText = chargerText(watts, capacity, type, port);
    return header;
}

void TestRecordsVC::backButtonTapped() { dismissSlidingLeft(services_.navigator); }

void TestRecordsVC::pop() { dismissSlidingLeft(services_.navigator); }

void TestRecordsVC::rateButtonTapped() { rating_.rateApp(); }

void TestRecordsVC::settingButtonTapped() { services_.urls.openApplicationSettings(); }

void TestRecordsVC::feedbackButtonTapped() {
    services_.navigator.present("FeedbackVC", ui::Transition::FlipHorizontal);
}

void TestRecordsVC::handleTap(size_t section) {
    if (section >= groups_.sectionCount()) return;
    presentSlidingRight(services_.navigator, "ChargerListVC",
                        ui::ScreenArguments{header(section).startTime});
}

void TestRecordsVC::curveButtonTapped(size_t section, size_t row) {
    if (row >= numberOfRows(section)) return;
    const TestRecord& record = groups_.recordAt(section, row);
    presentSlidingRight(services_.navigator, "ChargeCurveVC",
                        ui::ScreenArguments{.startTime = valueOr(record, "starttime"),
                                            .finishTime = valueOr(record, "finishtime")});
}

void TestRecordsVC::removeButtonTapped() {
    services_.alerts.show(localized("removeAlertTitle"), localized("removeAlertMessage"),
                          {{"Yes", ui::AlertButton::Style::Default,
                            [this] { clearHistoryAndTable(); }},
                           {"No", ui::AlertButton::Style::Cancel, {}}});
}

void TestRecordsVC::clearHistoryAndTable() {
    clearHistory();
    // The screen empties whatever the write's result; the file's records return on reload.
    historyRecords().clear();
    groups_ = {};
    tableView.reloadData();
}

void TestRecordsVC::scrollViewWillBeginDragging(double contentOffsetY) {
    lastContentOffset_ = contentOffsetY;
}

void TestRecordsVC::scrollViewDidScroll(double contentOffsetY) {
    if (lastContentOffset_ < contentOffsetY) {
        services_.animator.animate(kTitleAnimationDuration, [this] { collapseTitle(); });
    }
    if (contentOffsetY < lastContentOffset_) {
        services_.animator.animate(kTitleAnimationDuration, [this] { expandTitle(); });
    }
}

void TestRecordsVC::collapseTitle() {
    titleLabel.setFontSize(20);
    topConstraint.setConstant(3);
    titleColumnConstraint.setConstant(0);
    leftConstraint.setConstant(backButton.width() + 10);
}

void TestRecordsVC::expandTitle() {
    titleLabel.setFontSize(33);
    topConstraint.setConstant(60);
    titleColumnConstraint.setConstant(0);
    leftConstraint.setConstant(20);
}

}  // namespace voltaro
