#include "platform/qt/animation_context.h"

namespace voltaro::qt {
namespace {

AnimationStyle& currentStyle() {
    static AnimationStyle style;
    return style;
}

}  // namespace

AnimationStyle AnimationContext::current() {
    return currentStyle();
}

AnimationContext::Scope::Scope(AnimationStyle style) : previous_(currentStyle()) {
    currentStyle() = style;
}

AnimationContext::Scope::~Scope() {
    currentStyle() = previous_;
}

}  // namespace voltaro::qt
