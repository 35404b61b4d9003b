#pragma once

#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/screen_controller.h"

namespace voltaro {

// The intro: the phone and its title slide to the centre with the lightning and the line, the
// message fades in, then the main screen cross-dissolves over it for good.
class InitViewController : public ScreenController {
public:
    static constexpr double kAnimationDuration = 1.6;
    static constexpr ui::SpringParameters kSpring{0.8, 1.0};

    explicit InitViewController(ui::Services& services) : services_(services) {}

    // Outlets after `view`, bound by the toolkit by name.
    ui::Constraint phoneLeft{outlets, "phoneLeft"};
    ui::Constraint phoneTitleLeft{outlets, "phoneTitleLeft"};
    ui::Constraint flashLeft{outlets, "flashLeft"};
    ui::Constraint lineLeft{outlets, "lineLeft"};
    ui::ImageView lineImage{outlets, "lineImage"};
    ui::ImageView phoneImage{outlets, "phoneImage"};
    ui::ImageView flashImage{outlets, "flashImage"};
    ui::Label phoneTitle{outlets, "phoneTitle"};
    ui::Label messageLabel{outlets, "messageLabel"};
    ui::Label v1Label{outlets, "v1Label"};
    ui::View topView{outlets, "topView"};
    ui::View downView{outlets, "downView"};

    void viewDidLoad();
    void viewDidAppear();

private:
    void centreIntroViews();
    void centreLineAndFlash();
    void revealIntroMessage();
    void openMainScreen();

    ui::Services& services_;
};

}  // namespace voltaro
