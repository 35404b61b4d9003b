pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The animation of an outlet's last change, as the screen's animator set it (none outside an
// animation): used in Behaviors of the properties bound to that outlet.
NumberAnimation {
    required property OutletAdapter outlet

    duration: outlet.animationDuration
    easing.type: outlet.animationEasing
    easing.overshoot: outlet.animationOvershoot
}
