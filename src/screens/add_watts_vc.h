#pragma once

#include <cstdint>
#include <string>

#include "platform/preference_store.h"
#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/screen_controller.h"

namespace voltaro {

// Takes a watt rating or a capacity that is not among the setup screen's quick picks. A valid
// value becomes the first quick pick of its kind, which the setup screen then chooses.
class AddWattsVC : public ScreenController {
public:
    static constexpr int64_t kWattType = 1;
    static constexpr int64_t kCapacityType = 2;

    // `entryType` 1 takes a watt rating (1 to 100 W), any other value a capacity (at least 1 mAh).
    AddWattsVC(ui::Services& services, PreferenceStore& preferences, int64_t entryType = kWattType);
    // With `arguments.entryType` as the type (1 when absent).
    AddWattsVC(ui::Services& services, PreferenceStore& preferences,
               const ui::ScreenArguments& arguments);

    // Outlets after `view`, bound by the toolkit by name.
    ui::TextField inputTextField{outlets, "inputTextField"};  // where the number is typed
    ui::Label wTextField{outlets, "wTextField"};              // the unit beside it, read-only
    ui::Button saveButton{outlets, "saveButton"};
    ui::Label titleLabel{outlets, "titleLabel"};

    int64_t type;  // 1 a watt rating, any other value a capacity

    void viewDidLoad();

    // Actions.
    void edited();  // the text of inputTextField changed
    void saveButtonTapped();
    // Enter in the field: saves only when the save button could be tapped.
    void returnKeyPressed();
    void backButtonTapped();
    void pop();  // right swipe

private:
    // Stores the typed value, or names the problem in an alert and leaves the text as it is.
    void validateAndSave();
    void showAlert(const char* key);
    void updateSaveButton();

    ui::Services& services_;
    PreferenceStore& preferences_;
};

}  // namespace voltaro
