pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// What every button shares: tapped, or pressed from the keyboard (Tab reaches it, Enter and
// Space press it), it says `clicked`; pressed, it shrinks a little; it has a name for screen
// readers and a ring while it has the keyboard.
Rectangle {
    id: control

    property string accessibleName
    property real pressedScale: 0.95
    // How far outside the control a tap still counts.
    property real touchMargin: 0
    readonly property bool pressed: tap.pressed
    signal clicked

    color: "transparent"
    scale: tap.pressed ? pressedScale : 1
    activeFocusOnTab: true

    Behavior on scale {
        NumberAnimation { duration: Style.pressDuration; easing.type: Easing.OutQuad }
    }

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: control.clicked()
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()
    Keys.onSpacePressed: control.clicked()

    MouseArea {
        id: tap
        anchors.fill: parent
        anchors.margins: -control.touchMargin
        onClicked: control.clicked()
    }

    FocusRing {}
}
