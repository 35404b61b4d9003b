#include "platform/qt/qt_animator.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace voltaro::qt {
namespace {

// Peak of the OutBack curve f(t) = 1 + (s + 1)u³ + s·u², u = t − 1, above 1.
double outBackPeak(double s) {
    const double u = -2.0 * s / (3.0 * (s + 1.0));
    return (s + 1.0) * u * u * u + s * u * u;
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
    const double ratio = spring.damping;
    if (ratio > 0 && ratio < 1) {
        // The first overshoot of a damped spring, as a fraction of the distance travelled.
        const double peak = std::exp(-ratio * std::numbers::pi / std::sqrt(1 - ratio * ratio));
        style.easing = QEasingCurve::OutBack;
        style.overshoot = overshootParameterFor(peak);
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
