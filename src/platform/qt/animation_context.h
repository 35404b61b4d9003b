#pragma once

#include <QEasingCurve>

namespace voltaro::qt {

// How an outlet change is shown: at once, or animated over a duration along an easing curve.
// Adapters read the animation in force when their outlet changes and hand it to QML, whose
// Behaviors animate with it.
struct AnimationStyle {
    int durationMs = 0;  // real milliseconds; 0 shows the change at once
    QEasingCurve::Type easing = QEasingCurve::Linear;
    double overshoot = 0;  // for QEasingCurve::OutBack

    bool animated() const { return durationMs > 0; }
    bool operator==(const AnimationStyle&) const = default;
};

// The animation that outlet changes made now belong to. Main thread only.
class AnimationContext {
public:
    static AnimationStyle current();

    // Makes `style` current while it lives; scopes nest.
    class Scope {
    public:
        explicit Scope(AnimationStyle style);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        AnimationStyle previous_;
    };
};

}  // namespace voltaro::qt
