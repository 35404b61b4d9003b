pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A choice drawn as a pill: its title in the button's title colour, outlined and lit in the
// highlight colour while the button is selected. Its width is the layout's (or the screen's
// width constraint); an empty slot is hidden and takes no room.
Pressable {
    id: pill

    required property ButtonAdapter outlet
    property ConstraintAdapter widthConstraint: null

    visible: !outlet.hidden
    enabled: outlet.enabled
    opacity: outlet.alpha
    implicitHeight: Style.pillHeight
    implicitWidth: widthConstraint ? widthConstraint.constant : label.implicitWidth + 32
    radius: height / 2
    color: outlet.selected ? Qt.rgba(Style.highlight.r, Style.highlight.g, Style.highlight.b, 0.14)
                           : Style.background
    border.color: outlet.selected ? Style.highlight : Style.separator
    border.width: outlet.selected ? 1.5 : 1
    accessibleName: outlet.title
    Accessible.checkable: true
    Accessible.checked: outlet.selected

    Behavior on color {
        ColorAnimation { duration: 120 }
    }

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
                                                 : Style.textBright
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)
}
