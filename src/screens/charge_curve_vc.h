#pragma once

#include <optional>
#include <string>
#include <vector>

#include "curve/charge_curve.h"
#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/screen_controller.h"

namespace voltaro {

// A tick of the drawing: where along its axis, in points from the drawing's left (time) or top
// (level, power), and its text.
struct CurveTick {
    double position = 0;
    std::string text;
};

// What the drawing shows, in points of the drawing area (chartView's size).
struct CurveDrawing {
    std::vector<PlotPoint> level;          // the level of this test
    std::vector<PlotPoint> comparedLevel;  // the level of the test compared with; empty if none
    std::vector<std::vector<PlotPoint>> power;  // the power of this test's steps
    std::vector<CurveTick> timeTicks;
    std::vector<CurveTick> levelTicks;  // at the left
    std::vector<CurveTick> powerTicks;  // at the right
};

// The charge curve of one saved result: its level against time with the power of each step, its
// figures and charger, and another test of the same device laid over it on request. Opened from
// the history screen with the result's start and finish times; with none, it shows the newest.
class ChargeCurveVC : public ScreenController {
public:
    ChargeCurveVC(ui::Services& services, const ui::ScreenArguments& arguments);

    // Outlets after `view`, bound by the toolkit by name.
    ui::Button backButton{outlets, "backButton"};
    ui::Label titleLabel{outlets, "titleLabel"};  // the charger, or "unknown"
    ui::Label dateLabel{outlets, "dateLabel"};    // "12-03 14:13"
    ui::Label wattLabel{outlets, "wattLabel"};
    ui::Label mahLabel{outlets, "mahLabel"};
    ui::Label timeLabel{outlets, "timeLabel"};  // seconds per percent
    ui::Label levelsLabel{outlets, "levelsLabel"};
    ui::Label durationLabel{outlets, "durationLabel"};
    ui::Label noteLabel{outlets, "noteLabel"};  // what the curve lacks; hidden when nothing
    // The drawing area: its size is the toolkit's, its content drawing(); reloaded on change.
    ui::Table chartView{outlets, "chartView"};
    ui::Label comparedLegendLabel{
        outlets, "comparedLegendLabel"};  // the test compared with; hidden when none
    ui::Button compareButton{
        outlets, "compareButton"};  // hidden when no other test of this device was saved
    ui::View compareSheet{outlets,
                          "compareSheet"};  // the list of tests to compare with; hidden until asked
    ui::Table compareTable{outlets, "compareTable"};

    void viewDidLoad();

    const CurveDrawing& drawing() const { return drawing_; }
    size_t numberOfChoices() const { return choices_.size(); }
    std::string choiceText(size_t row) const;

    // Actions.
    void backButtonTapped();
    void pop();                  // right swipe
    void compareButtonTapped();  // opens the list, or stops comparing
    void didSelectChoice(size_t row);
    void cancelCompare();

private:
    struct Choice {
        std::string text;
        ChargeCurve curve;
    };

    void redraw();

    ui::Services& services_;
    ui::ScreenArguments arguments_;
    ChargeCurve curve_;
    std::optional<ChargeCurve> compared_;
    std::vector<Choice> choices_;
    CurveDrawing drawing_;
    double drawnWidth_ = 0;
    double drawnHeight_ = 0;
};

}  // namespace voltaro
