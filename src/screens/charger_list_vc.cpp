#include "screens/charger_list_vc.h"

#include <cstdint>
#include <utility>

#include "extensions/interface_helpers.h"
#include "extensions/number_text.h"
#include "platform/log.h"
#include "platform/strings.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/charger_state.h"
#include "store/display_text.h"
#include "store/history.h"

namespace voltaro {
namespace {

// Charger codes are whole numbers kept as doubles; a missing or unreadable one counts as 0.
int64_t code(const TestRecord& record, const char* key) {
    const auto found = record.find(key);
    if (found == record.end()) return 0;
    const double value = found->second;
    if (!(value > -1e15 && value < 1e15)) return 0;
    return static_cast<int64_t>(value);
}

bool carries(const TestRecord& record, const config& description) {
    namespace key = record_key;
    return description.brand == code(record, key::kBrandId) &&
           description.watt == code(record, key::kWatts) &&
           description.type == code(record, key::kType) &&
           description.capacity == code(record, key::kCapacity) &&
           description.port == code(record, key::kPort);
}

// The watt column: the first rule that applies wins.
std::string wattText(const config& description) {
    if (description.watt == 0 && description.capacity == 0 && description.type != 0) {
        return chargerKindName(description.type);
    }
    if (description.capacity != 0) return std::to_string(description.capacity) + "mAh";
    if (description.watt != 0) return std::to_string(description.watt) + "W";
    return "-";
}

std::string printed(const std::map<std::string, double>& record) {
    std::string text = "[";
    for (const auto& [key, value] : record) {
        if (text.size() > 1) text += ", ";
        text += "\"" + key + "\": " + shortestText(value);
    }
    return text + "]";
}

}  // namespace

ChargerListVC::ChargerListVC(ui::Services& services, PreferenceStore& preferences,
                             const Clock& clock, UploadChargerConfig upload,
                             const ui::ScreenArguments& arguments)
    : startTime(arguments.startTime.value_or(0)),
      services_(services),
      preferences_(preferences),
      clock_(clock),
      upload_(std::move(upload)) {}

void ChargerListVC::viewDidLoad() {
    titleLabel.setText(localized("chargerListTitle"));
    addButton.setTitle(localized("addChargerButton"));
    // The test being labelled; when several records share its start time the last one speaks.
    resetEditingRecord();
    for (const TestRecord& record : historyRecords()) {
        const auto found = record.find(record_key::kStartTime);
        if (found != record.end() && found->second == startTime) editingRecord() = record;
    }
}

void ChargerListVC::viewDidAppear() {
    log::debug(log::Category::Screens, "add something here");
    lastAddedKind() = AddedKind::Nothing;
    configList_ = prepareConfigList(preferences_, clock_);
    touchedRows_.clear();
    lastDeletedRow_.reset();
    tableView.reloadData();
}

const config* ChargerListVC::configForRow(size_t row) const {
    if (row >= configList_.size()) return nullptr;
    return &configList_[configList_.size() - 1 - row];
}

ChargerTypeList ChargerListVC::cell(size_t row) const {
    ChargerTypeList cell;
    const config* description = configForRow(row);
    if (description == nullptr) return cell;
    cell.checked = carries(editingRecord(), *description);
    if (const auto touched = touchedRows_.find(row); touched != touchedRows_.end()) {
        cell.checked = touched->second;
    }
    if (cell.checked) cell.textColorName = ChargerTypeList::kHighlightedColorName;
    cell.brandText =
        description->brand != 0 ? brandNameForId(description->brand) : localized("unknown");
    cell.wattText = wattText(*description);
    cell.portText = description->port != 0 ? portName(description->port) : "-";
    return cell;
}

void ChargerListVC::didSelectRow(size_t row) {
    const config* chosen = configForRow(row);
    if (chosen == nullptr) return;
    const config description = *chosen;
    touchedRows_[row] = true;
    tableView.reloadData();
    const bool written =
        applyChargerToHistory(description.brand, description.watt, description.type,
                              description.port, description.capacity, startTime);
    // Only a test that was labelled here is reported to the service.
    if (written) {
        namespace key = record_key;
        const std::map<std::string, double> record = {
            {key::kStartTime, startTime},
            {key::kBrandId, static_cast<double>(description.brand)},
            {key::kWatts, static_cast<double>(description.watt)},
            {key::kType, static_cast<double>(description.type)},
            {key::kCapacity, static_cast<double>(description.capacity)},
            {key::kPort, static_cast<double>(description.port)}};
        if (upload_) {
            upload_(record, [] { log::debug(log::Category::Screens, "I saved it"); });
        }
        log::debug(log::Category::Screens, "it saved " + printed(record));
    }
    dismissSlidingLeft(services_.navigator);
}

void ChargerListVC::didDeselectRow(size_t row) {
    if (row >= configList_.size()) return;
    touchedRows_[row] = false;
    tableView.reloadData();
}

void ChargerListVC::deleteRow(size_t row) {
    if (row >= configList_.size()) return;
    configList_.erase(configList_.begin() +
                      static_cast<std::ptrdiff_t>(configList_.size() - 1 - row));
    // Touched rows moved; the remaining rows show their stored state again.
    touchedRows_.clear();
    lastDeletedRow_ = row;
    saveConfigList(preferences_, configList_);
    tableView.reloadData();
}

void ChargerListVC::addButtonTapped() {
    presentSlidingRight(services_.navigator, "SelectModelVC");
}

void ChargerListVC::backButtonTapped() {
    commitEditingRecord();
}

void ChargerListVC::saveAndPop() {
    commitEditingRecord();
}

void ChargerListVC::pop() {
    dismissSlidingLeft(services_.navigator);
}

void ChargerListVC::commitEditingRecord() {
    namespace key = record_key;
    const TestRecord& record = editingRecord();
    // A failed write keeps the screen open, so the user can try again.
    if (applyChargerToHistory(code(record, key::kBrandId), code(record, key::kWatts),
                              code(record, key::kType), code(record, key::kPort),
                              code(record, key::kCapacity), startTime)) {
        dismissSlidingLeft(services_.navigator);
    }
}

void ChargerListVC::scrollViewWillBeginDragging(double contentOffsetY) {
    lastContentOffset_ = contentOffsetY;
}

void ChargerListVC::scrollViewDidScroll(double contentOffsetY) {
    if (lastContentOffset_ < contentOffsetY) {
        services_.animator.animate(kTitleAnimationDuration, [this] { collapseTitle(); });
    } else if (contentOffsetY < lastContentOffset_) {
        services_.animator.animate(kTitleAnimationDuration, [this] { expandTitle(); });
    }
}

void ChargerListVC::collapseTitle() {
    titleLabel.setFontSize(20);
    titleTopConstraint.setConstant(33);
    titleLeftConstraint.setConstant((view.width() - titleLabel.width()) * 0.5);
    tableTopConstraint.setConstant(70);
}

void ChargerListVC::expandTitle() {
    titleLabel.setFontSize(33);
    titleTopConstraint.setConstant(60);
    titleLeftConstraint.setConstant(20);
    tableTopConstraint.setConstant(110);
}

}  // namespace voltaro
