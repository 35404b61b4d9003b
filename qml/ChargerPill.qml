pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A choice drawn as a pill: its title in the button's title colour, outlined and lit in the
// highlight colour while the button is selected. Its width is the layout's (or the screen's
// width constraint); an empty slot is hidden and takes no room.
Rectangle {
    id: pill

    required property ButtonAdapter outlet
    property ConstraintAdapter widthConstraint: null
    signal clicked

    readonly property color litColor: Theme.color("highlightColor")

    visible: !outlet.hidden
    enabled: outlet.enabled
    opacity: outlet.alpha
    implicitHeight: 42
    implicitWidth: widthConstraint ? widthConstraint.constant : label.implicitWidth + 32
    radius: height / 2
    color: outlet.selected ? Qt.rgba(litColor.r, litColor.g, litColor.b, 0.14)
                           : Theme.color("backgroundColor")
    border.color: outlet.selected ? litColor : Theme.color("separatorColor")
    border.width: outlet.selected ? 1.5 : 1
    scale: tap.pressed ? 0.95 : 1

    Behavior on scale {
        NumberAnimation { duration: 90; easing.type: Easing.OutQuad }
    }
    Behavior on color {
        ColorAnimation { duration: 120 }
    }

    Accessible.role: Accessible.Button
    Accessible.name: outlet.title
    Accessible.checkable: true
    Accessible.checked: outlet.selected
    Accessible.onPressAction: pill.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: pill.clicked()
    Keys.onEnterPressed: pill.clicked()
    Keys.onSpacePressed: pill.clicked()

    Text {
        id: label
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        text: pill.outlet.title
        textFormat: Text.PlainText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        fontSizeMode: Text.HorizontalFit
        minimumPixelSize: 11
        font.pixelSize: 14
        font.weight: pill.outlet.selected ? Font.DemiBold : Font.Normal
        color: pill.outlet.titleColorName !== "" ? Theme.color(pill.outlet.titleColorName)
                                                 : Theme.color("textBrightColor")
    }

    MouseArea {
        id: tap
        anchors.fill: parent
        onClicked: pill.clicked()
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)

    FocusRing {}
}
