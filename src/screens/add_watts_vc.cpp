#include "screens/add_watts_vc.h"

#include <algorithm>
#include <optional>

#include "extensions/interface_helpers.h"
#include "extensions/number_text.h"
#include "platform/log.h"
#include "platform/strings.h"
#include "screens/quick_pick_entry.h"
#include "store/charger_state.h"

namespace voltaro {
namespace {

// Only the digits 0 to 9 make a number: digits of other scripts, signs, blanks and separators
// are not one the quick picks could hold.
bool isDigitsOnly(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

AddWattsVC::AddWattsVC(ui::Services& services, PreferenceStore& preferences, int64_t entryType)
    : type(entryType), services_(services), preferences_(preferences) {}

AddWattsVC::AddWattsVC(ui::Services& services, PreferenceStore& preferences,
                       const ui::ScreenArguments& arguments)
    : AddWattsVC(services, preferences, arguments.entryType.value_or(kWattType)) {}

void AddWattsVC::viewDidLoad() {
    lastAddedKind() = AddedKind::Nothing;
    addBottomBorder(inputTextField, view.width() - 40);
    inputTextField.setFocused(true);  // the keyboard opens at once
    addBottomBorder(wTextField, wTextField.width());
    const bool watts = type == kWattType;
    titleLabel.setText(localized(watts ? "添加功率" : "添加容量"));
    wTextField.setText(watts ? "W" : "mAh");
    saveButton.setTitle(localized("Save"));
    updateSaveButton();
}

void AddWattsVC::edited() {
    updateSaveButton();
}

void AddWattsVC::updateSaveButton() {
    const bool empty = inputTextField.text().empty();
    saveButton.setEnabled(!empty);
    saveButton.setAlpha(empty ? 0.5 : 1.0);
}

void AddWattsVC::saveButtonTapped() {
    validateAndSave();
}

void AddWattsVC::returnKeyPressed() {
    if (saveButton.enabled()) validateAndSave();
}

void AddWattsVC::validateAndSave() {
    log::debug(log::Category::Screens, "type is " + std::to_string(type));
    const std::string text = inputTextField.text();
    // The checks in order; the first that fails names the problem.
    const char* problem = nullptr;
    std::optional<int64_t> value;
    if (text.empty() || !isDigitsOnly(text)) {
        problem = "notNumber";
    } else if (type == kWattType && isInvalidPercentText(text)) {
        problem = "over100";
    } else if (type == kCapacityType && isInvalidCountText(text)) {
        problem = "over10000";
    } else if (value = parseDecimalInteger(text); !value) {
        // Only without a range check (a type the setup screen never passes) can digits overflow.
        problem = "notNumber";
    }
    if (problem != nullptr) {
        showAlert(problem);
        return;
    }
    const QuickPickKind kind = type == kWattType ? QuickPickKind::Watt : QuickPickKind::Capacity;
    finishAddingQuickPick(services_.navigator, preferences_, kind, *value);
}

void AddWattsVC::showAlert(const char* key) {
    services_.alerts.show(localized(key), "",
                          {{"OK", ui::AlertButton::Style::Default, {}}});
}

void AddWattsVC::backButtonTapped() {
    leaveWithoutAdding(services_.navigator);
}

void AddWattsVC::pop() {
    dismissSlidingLeft(services_.navigator);
}

}  // namespace voltaro
