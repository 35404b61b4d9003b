#pragma once

#include <string>
#include <vector>

#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/rating_prompt.h"
#include "screens/screen_controller.h"
#include "store/history.h"
#include "store/records.h"

namespace voltaro {

// The history as the history screen last loaded it; the saved charger list reads it to find the
// tapped test. Main thread only.
std::vector<TestRecord>& historyRecords();

// One row of the history: a saved record.
struct TestResultCell {
    std::string wattText;    // "12.3w"
    std::string mahText;     // mAh per minute
    std::string timeText;    // seconds per percent
    std::string startLevel;  // percent
    std::string finishLevel;
    bool highlighted = false;  // the test began counting after the main screen last appeared
    std::string wattTextColorName;
    std::string wattBorderColorName;
};

// The header of one test: the charger it was labelled with, or the unknown charger.
struct TestResultHeaderView {
    bool unknownCharger = true;  // unknowLabel shown; brandLabel and wattLabel hidden
    std::string brandText;
    std::string wattText;
    std::string dateText;     // "MM-dd"
    bool dateHidden = false;  // the newest test shows no date
    double startTime = 0;     // the test's "starttime"
};

// The history screen: every saved test, newest first, under the charger it was labelled with.
class TestRecordsVC : public ScreenController {
public:
    static constexpr double kRowHeight = 70;
    static constexpr double kHeaderHeight = 50;
    static constexpr double kFooterHeight = 1;
    static constexpr double kCornerRadius = 10;  // of each cell and header
    static constexpr double kTitleAnimationDuration = 0.2;

    TestRecordsVC(ui::Services& services, RatingPrompt& rating);

    // Outlets after `view`, bound by the toolkit by name.
    ui::Table tableView{outlets, "tableView"};
    ui::Label titleLabel{outlets, "titleLabel"};
    ui::Constraint topConstraint{outlets, "topConstraint", 60};
    ui::Constraint leftConstraint{outlets, "leftConstraint", 20};
    ui::Constraint titleColumnConstraint{outlets, "titleColumnConstraint", 0};
    ui::View topView{outlets, "topView"};
    ui::View downView{outlets, "downView"};
    ui::Button backButton{outlets, "backButton"};

    void viewDidLoad();
    void viewDidAppear();  // reloads the history

    // Table content.
    size_t numberOfSections() const { return groups_.sectionCount(); }
    size_t numberOfRows(size_t section) const;
    TestResultCell cell(size_t section, size_t row) const;
    TestResultHeaderView header(size_t section) const;

    // Actions.
    void backButtonTapped();
    void pop();  // right swipe
    void rateButtonTapped();
    void settingButtonTapped();
    void feedbackButtonTapped();
    void removeButtonTapped();
    void handleTap(size_t section);  // a test's header
    void scrollViewWillBeginDragging(double contentOffsetY);
    void scrollViewDidScroll(double contentOffsetY);

    // A result's charger curve (its chevron, or a long press on it).
    void curveButtonTapped(size_t section, size_t row);

    // The header's text for a charger description (first rule that applies wins).
    static std::string chargerText(int64_t watts, int64_t capacity, int64_t type, int64_t port);
    // The brand and charger text of a record's description ("Volt 18W / USB-C"); empty for the
    // unknown charger.
    static std::string chargerLabel(const TestRecord& record);

private:
    void reloadHistory();
    void clearHistoryAndTable();
    void collapseTitle();
    void expandTitle();

    ui::Services& services_;
    RatingPrompt& rating_;
    HistoryGroups groups_;
    double lastContentOffset_ = 0;
};

}  // namespace voltaro
