#pragma once

#include "platform/qt/animation_context.h"
#include "platform/qt/qt_main_loop.h"
#include "platform/ui/services.h"

namespace voltaro::qt {

// Animates the outlet changes made inside `changes`: while they run, the animation is current
// (AnimationContext), so each adapter hands it with its new values to QML. Durations are in the
// loop's time; the completion runs on a loop timer once the duration has passed.
class QtAnimator final : public ui::Animator {
public:
    explicit QtAnimator(QtMainLoop& loop) : loop_(loop) {}

    void animate(double duration, std::function<void()> changes,
                 std::function<void(bool finished)> completion = {}) override;
    void animateSpring(double duration, ui::SpringParameters spring, std::function<void()> changes,
                       std::function<void(bool finished)> completion = {}) override;

    // The curves: ease in and out for plain animations; for springs an ease-out that overshoots
    // as far as a spring of that damping ratio does (none at a ratio of 1 or more).
    AnimationStyle plainStyle(double duration) const;
    AnimationStyle springStyle(double duration, ui::SpringParameters spring) const;
    // The OutBack overshoot parameter whose curve peaks `fraction` above its end value.
    static double overshootParameterFor(double fraction);

private:
    void run(AnimationStyle style, double duration, const std::function<void()>& changes,
             std::function<void(bool)> completion);

    QtMainLoop& loop_;
};

}  // namespace voltaro::qt
