#pragma once

#include "platform/ui/outlets.h"
#include "platform/ui/services.h"

namespace voltaro {

// The intro: the phone and its title slide to the centre with the lightning and the line, the
// message fades in, then the main screen cross-dissolves over it for good.
class InitViewController {
public:
    static constexpr double kAnimationDuration = 1.6;
    static constexpr ui::SpringParameters kSpring{0.8, 1.0};

    explicit InitViewController(ui::Services& services) : services_(services) {}

    // Outlets. The starting positions and transparencies are the scene's own.
    ui::View view;
    ui::Constraint phoneLeft;
    ui::Constraint phoneTitleLeft;
    ui::Constraint flashLeft;
    ui::Constraint lineLeft;
    ui::ImageView lineImage;
    ui::ImageView phoneImage;
    ui::ImageView flashImage;
    ui::Label phoneTitle;
    ui::Label messageLabel;
    ui::Label v1Label;
    ui::View topView;
    ui::View downView;

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
