pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The one big action of a charger screen: a full-width pill in the highlight colour with the
// button's title, dimmed to the button's alpha and not tappable while disabled.
Rectangle {
    id: button

    required property ButtonAdapter outlet
    property string glyph: ""
    signal clicked

    visible: !outlet.hidden
    enabled: outlet.enabled
    opacity: outlet.alpha
    implicitHeight: 56
    radius: height / 2
    color: Theme.color("highlightColor")
    scale: tap.pressed ? 0.97 : 1

    Behavior on scale {
        NumberAnimation { duration: 90; easing.type: Easing.OutQuad }
    }
    Behavior on opacity {
        enabled: button.outlet.animationDuration > 0
        OutletAnimation { outlet: button.outlet }
    }

    Accessible.role: Accessible.Button
    Accessible.name: outlet.title
    Accessible.onPressAction: button.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    Keys.onSpacePressed: button.clicked()

    Row {
        anchors.centerIn: parent
        spacing: 8

        Text {
            visible: button.glyph !== ""
            anchors.verticalCenter: parent.verticalCenter
            text: button.glyph
            textFormat: Text.PlainText
            font.pixelSize: 22
            font.weight: Font.DemiBold
            color: Theme.color("backgroundColor")
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, button.width - 60)
            text: button.outlet.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font.pixelSize: 17
            font.weight: Font.DemiBold
            font.letterSpacing: 0.3
            color: Theme.color("backgroundColor")
        }
    }

    MouseArea {
        id: tap
        anchors.fill: parent
        onClicked: button.clicked()
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)

    FocusRing {}
}
