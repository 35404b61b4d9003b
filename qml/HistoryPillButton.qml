pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A button outlet drawn as its title on a highlight-coloured pill.
Rectangle {
    id: button

    required property ButtonAdapter outlet
    signal clicked

    visible: !outlet.hidden
    opacity: outlet.enabled ? outlet.alpha : outlet.alpha * 0.4
    enabled: outlet.enabled
    implicitWidth: Math.max(180, label.implicitWidth + 48)
    implicitHeight: 48
    radius: height / 2
    color: Theme.color("highlightColor")
    scale: tap.pressed ? 0.96 : 1

    Accessible.role: Accessible.Button
    Accessible.name: outlet.title
    Accessible.onPressAction: button.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    Keys.onSpacePressed: button.clicked()

    Behavior on scale {
        NumberAnimation { duration: 90; easing.type: Easing.OutQuad }
    }

    Text {
        id: label
        anchors.centerIn: parent
        text: button.outlet.title
        textFormat: Text.PlainText
        font.pixelSize: 16
        font.weight: Font.DemiBold
        color: Theme.color("backgroundColor")
    }

    MouseArea {
        id: tap
        anchors.fill: parent
        onClicked: button.clicked()
    }

    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)

    FocusRing {}
}
