#include "screens/init_view_controller.h"

#include "extensions/interface_helpers.h"

namespace voltaro {

void InitViewController::viewDidLoad() {
    applyEdgeShading(view.width(), topView, downView, ShadingMode::Add);
}

void InitViewController::viewDidAppear() {
    services_.animator.animateSpring(
        kAnimationDuration, kSpring, [this] { centreIntroViews(); },
        [this](bool) {
            services_.animator.animateSpring(
                kAnimationDuration, kSpring, [this] { revealIntroMessage(); },
                [this](bool) { openMainScreen(); });
        });
    // Set after the animated layout with none of its own: the line and the lightning jump.
    centreLineAndFlash();
}

void InitViewController::centreIntroViews() {
    const double half = view.width() / 2;
    phoneLeft.setConstant(half - phoneImage.width() / 2);
    phoneTitleLeft.setConstant(half - phoneTitle.width() / 2);
}

void InitViewController::centreLineAndFlash() {
    const double half = view.width() / 2;
    lineLeft.setConstant(half - lineImage.width() / 2);
    flashLeft.setConstant(half - flashImage.width() / 2);
}

void InitViewController::revealIntroMessage() {
    messageLabel.setAlpha(1.0);
    v1Label.setAlpha(1.0);
}

void InitViewController::openMainScreen() {
    services_.navigator.present("ViewController", ui::Transition::CrossDissolve);
}

}  // namespace voltaro
