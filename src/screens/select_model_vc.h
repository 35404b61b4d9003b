#pragma once

#include <array>
#include <cstdint>

#include "platform/clock.h"
#include "platform/preference_store.h"
#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/screen_controller.h"
#include "store/charger_state.h"
#include "store/quick_picks.h"

namespace voltaro {

// Composes a new charger description from its kind, brand, watts or capacity, and port, and
// saves it into the list of descriptions and into the test being labelled.
//
// Every button stands for the value in its tag. A chosen button shows its title in
// "highlightColor" (and is selected), every other one in "white"; a highlighted button always
// stands for a value of the selection that saving stores.
class SelectModelVC : public ScreenController {
public:
    static constexpr const char* kChosenColorName = "highlightColor";
    static constexpr const char* kPlainColorName = "white";
    static constexpr double kBrandButtonWidth = 90;
    static constexpr double kValueButtonWidth = 80;  // watt and capacity buttons

    SelectModelVC(ui::Services& services, PreferenceStore& preferences, const Clock& clock);

    // Outlets after `view`, bound by the toolkit by name.
    ui::Label titleLabel{outlets, "titleLabel"};
    ui::Label typeCaptionLabel{outlets, "typeCaptionLabel"};    // above the kind buttons
    ui::Label brandCaptionLabel{outlets, "brandCaptionLabel"};  // above the brand buttons
    ui::Label portCaptionLabel{outlets, "portCaptionLabel"};    // above the port buttons
    ui::Button typeButton1{outlets, "typeButton1"}, typeButton2{outlets, "typeButton2"},
        typeButton3{outlets, "typeButton3"};  // wall charger, power bank, car charger
    ui::Button brandButton1{outlets, "brandButton1"}, brandButton2{outlets, "brandButton2"},
        brandButton3{outlets, "brandButton3"};
    ui::Constraint brandButton1Width{outlets, "brandButton1Width"},
        brandButton2Width{outlets, "brandButton2Width"},
        brandButton3Width{outlets, "brandButton3Width"};
    ui::View wattView{outlets, "wattView"};  // watt ratings, for wall and car chargers
    ui::Button wattButton1{outlets, "wattButton1"}, wattButton2{outlets, "wattButton2"},
        wattButton3{outlets, "wattButton3"};
    ui::Constraint wattButton1Width{outlets, "wattButton1Width"},
        wattButton2Width{outlets, "wattButton2Width"},
        wattButton3Width{outlets, "wattButton3Width"};
    ui::View ampView{outlets, "ampView"};  // capacities, for power banks
    ui::Button ampButton1{outlets, "ampButton1"}, ampButton2{outlets, "ampButton2"},
        ampButton3{outlets, "ampButton3"};
    ui::Constraint ampButton1Width{outlets, "ampButton1Width"},
        ampButton2Width{outlets, "ampButton2Width"}, ampButton3Width{outlets, "ampButton3Width"};
    ui::Label typeLabel{outlets,
                        "typeLabel"};  // caption of the visible one of wattView and ampView
    ui::Button portButton1{outlets, "portButton1"}, portButton2{outlets, "portButton2"},
        portButton3{outlets, "portButton3"};     // USB-A, USB-C, wireless
    ui::Button addButton{outlets, "addButton"};  // saves

    void viewDidLoad();    // starts a new selection: a wall charger
    void viewDidAppear();  // rebuilds the quick picks, also on return from the entry screens

    // Actions; `position` 1 to 3 names the button of the group (typeButton1 is 1).
    void typeButtonTapped(int position);
    void brandButtonTapped(int position);
    void wattButtonTapped(int position);
    void ampButtonTapped(int position);
    void portButtonTapped(int position);
    void saveButtonTapped();
    void addWattsButtonTapped();
    void addAmpButtonTapped();
    void addBrandButtonTapped();
    void backButtonTapped();
    void pop();  // right swipe

    // Position (1 to 3) of the kind button last tapped.
    int64_t typeFlag() const { return typeFlag_; }

private:
    using Group = std::array<ui::Button*, 3>;
    using Widths = std::array<ui::Constraint*, 3>;

    // Shows the quick picks of one kind, keeping `field` only while it is still one of them.
    void refreshQuickPicks(QuickPickKind kind, const Group& buttons, const Widths& widths,
                           double width, int64_t& field);
    // Chooses the first quick pick of a kind, as just added on an entry screen.
    void chooseFirst(const Group& buttons, int64_t& field);
    void toggleQuickPick(const Group& buttons, int position, int64_t& field);
    void updateAddButton();
    void updateTypeViews();

    ui::Services& services_;
    PreferenceStore& preferences_;
    const Clock& clock_;
    Group typeButtons_;
    Group brandButtons_;
    Group wattButtons_;
    Group ampButtons_;
    Group portButtons_;
    int64_t typeFlag_ = 1;
};

}  // namespace voltaro
