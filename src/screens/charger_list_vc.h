#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/preference_store.h"
#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/screen_controller.h"
#include "store/charger_config.h"

namespace voltaro {

// One saved charger description as a row of the list, drawn as a card.
struct ChargerTypeList {
    static constexpr const char* kHighlightedColorName = "highlightColor";
    static constexpr const char* kNormalColorName = "textBrightColor";
    static constexpr double kCornerRadius = 10;  // the card clips to its rounded bounds

    // The card sits inside the frame the table gives a row: 10 points in from the left and the
    // top, 20 points narrower and 10 points lower, so rows keep a gap between them.
    static ui::Rect insetFrame(ui::Rect frame) {
        return {frame.x + 10, frame.y + 10, frame.width - 20, frame.height - 10};
    }

    std::string brandText;                         // the brand's name, or the localized "unknown"
    std::string wattText;                          // "18W", "10000mAh", the kind's name or "-"
    std::string portText;                          // the port's name or "-"
    bool checked = false;                          // checkedImage shown and the labels highlighted
    std::string textColorName = kNormalColorName;  // of brandLabel, wattLabel and portLabel
    std::string selectedBackgroundColorName = "cellBackgroundColor";
};

// The saved charger descriptions, newest first with the unknown charger on top. Choosing one
// labels a test of the history with it at once; adding one goes through the setup screen and
// is written when the user leaves.
class ChargerListVC : public ScreenController {
public:
    static constexpr double kRowHeight = 70;
    static constexpr double kTitleAnimationDuration = 0.2;

    // Sends a charger description to the remote service; the completion runs once it arrived.
    using UploadChargerConfig = std::function<void(const std::map<std::string, double>& config,
                                                   std::function<void()> completion)>;

    // `arguments.startTime` is the "starttime" of the test being labelled.
    ChargerListVC(ui::Services& services, PreferenceStore& preferences, const Clock& clock,
                  UploadChargerConfig upload, const ui::ScreenArguments& arguments = {});

    // Outlets after `view`, bound by the toolkit by name.
    ui::Button backButton{outlets, "backButton"};
    ui::Button addButton{outlets, "addButton"};
    ui::Table tableView{outlets, "tableView"};
    ui::Label titleLabel{outlets, "titleLabel"};
    ui::Constraint tableTopConstraint{outlets, "tableTopConstraint", 110};
    ui::Constraint titleLeftConstraint{outlets, "titleLeftConstraint", 20};
    ui::Constraint titleTopConstraint{outlets, "titleTopConstraint", 60};

    // The test being labelled.
    double startTime = 0;

    void viewDidLoad();
    void viewDidAppear();  // reloads the list

    // Table content: one section.
    size_t numberOfRows() const { return configList_.size(); }
    ChargerTypeList cell(size_t row) const;
    bool canEditRow(size_t row) const { return row < configList_.size(); }
    // The row that the last change of the table removed, slid out to the left; empty after a
    // reload of the whole list.
    std::optional<size_t> lastDeletedRow() const { return lastDeletedRow_; }
    // The list as last loaded, in stored order (oldest first).
    const std::vector<config>& configList() const { return configList_; }

    // Actions.
    void didSelectRow(size_t row);  // labels the test with the row's charger and closes
    void didDeselectRow(size_t row);
    void deleteRow(size_t row);  // swipe to delete
    void addButtonTapped();
    void backButtonTapped();  // writes the charger being edited, then closes
    void saveAndPop();        // right swipe: the same as the back button
    void pop();               // closes without writing
    void scrollViewWillBeginDragging(double contentOffsetY);
    void scrollViewDidScroll(double contentOffsetY);

private:
    const config* configForRow(size_t row) const;
    void commitEditingRecord();
    void collapseTitle();
    void expandTitle();

    ui::Services& services_;
    PreferenceStore& preferences_;
    const Clock& clock_;
    UploadChargerConfig upload_;
    std::vector<config> configList_;
    // Rows checked or unchecked by the user's touch since the last reload.
    std::map<size_t, bool> touchedRows_;
    std::optional<size_t> lastDeletedRow_;
    double lastContentOffset_ = 0;
};

}  // namespace voltaro
