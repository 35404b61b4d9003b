#include "platform/qt/qt_animator.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace voltaro::qt {
namespace {

// Peak of the OutBack curve f(t) = 1 + (s + 1)u³ + s·u², u = t − 1, above 1.
double outBackPeak(double s) {
    const double u = -2.0 * s / (3.0 * (s + 1.0));
    return (s + 1.0) * u * u * u + s * u * u;
}

// How far past its target an underdamped spring first swings, as a fraction of the distance,
// when it starts at rest distance 1 away with `velocity` distances a second towards the target.
// Its stiffness is such that the swinging has died down (to a thousandth) when `duration` ends.
double springOvershoot(double ratio, double velocity, double duration) {
    const double natural = std::log(1000.0) / (ratio * duration);
    const double damped = natural * std::sqrt(1 - ratio * ratio);
    const double decay = ratio * natural;
    const double b = (velocity - decay) / damped;
    double peak = 0;
    for (int i = 1; i <= 4000; ++i) {
        const double t = duration * i / 4000.0;
        const double offset =
            std::exp(-decay * t) * (-std::cos(damped * t) + b * std::sin(damped * t));
        peak = std::max(peak, offset);
    }
    return peak;
}

}  // namespace

double QtAnimator::overshootParameterFor(double fraction) {
    if (!(fraction > 0)) return 0;
    double low = 0;
    double high = 10;
    for (int i = 0; i < 60; ++i) {
        const double middle = (low + high) / 2;
        (outBackPeak(middle) < fraction ? low : high) = middle;
    }
    return (low + high) / 2;
}

AnimationStyle QtAnimator::plainStyle(double duration) const {
    return {loop_.realMilliseconds(duration), QEasingCurve::InOutQuad, 0};
}

AnimationStyle QtAnimator::springStyle(double duration, ui::SpringParameters spring) const {
    AnimationStyle style{loop_.realMilliseconds(duration), QEasingCurve::OutCubic, 0};
    const double ratio = spring.dampingRatio;
    if (ratio > 0 && ratio < 1 && duration > 0) {
        // A push at the start makes it swing further.
        style.easing = QEasingCurve::OutBack;
        style.overshoot =
            overshootParameterFor(springOvershoot(ratio, spring.initialVelocity, duration));
    }
    return style;
}

void QtAnimator::animate(double duration, std::function<void()> changes,
                         std::function<void(bool)> completion) {
    run(plainStyle(duration), duration, changes, std::move(completion));
}

void QtAnimator::animateSpring(double duration, ui::SpringParameters spring,
                               std::function<void()> changes,
                               std::function<void(bool)> completion) {
    run(springStyle(duration, spring), duration, changes, std::move(completion));
}

void QtAnimator::run(AnimationStyle style, double duration, const std::function<void()>& changes,
                     std::function<void(bool)> completion) {
    {
        const AnimationContext::Scope scope(style);
        if (changes) changes();
    }
    if (!completion) return;
    loop_.scheduleOnce(duration > 0 ? duration : 0,
                       [completion = std::move(completion)] { completion(true); });
}

}  // namespace voltaro::qt
