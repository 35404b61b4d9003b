pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A round icon button: a dark disc with a thin rim and a line icon (a drawn `shape`, or `lines`
// and an `accent` as path data). For a button outlet it follows the outlet and reports its size.
Pressable {
    id: button

    property ButtonAdapter outlet: null
    property alias shape: icon.shape
    property alias lines: icon.lines
    property alias accent: icon.accent
    property alias glyphColor: icon.lineColor
    property alias accentColor: icon.accentColor
    property color discColor: Style.cellBackground
    property real rimWidth: 1
    // The icon's size against the disc's: drawn shapes 0.42, path icons 0.55, rounded.
    property real glyphSize: shape !== "" ? disc.width * 0.42 : Math.round(disc.width * 0.55)
    // Room left of the disc that still belongs to the button (and to its size).
    property real leadingInset: 0

    radius: height / 2
    implicitWidth: Style.iconButtonSize
    implicitHeight: Style.iconButtonSize
    pressedScale: 0.92
    touchMargin: Style.touchMargin
    visible: outlet === null || !outlet.hidden
    opacity: outlet === null || outlet.enabled ? 1 : 0.4
    enabled: outlet === null || outlet.enabled

    Rectangle {
        id: disc
        x: button.leadingInset
        width: button.width - button.leadingInset
        height: button.height
        radius: width / 2
        color: button.discColor
        border.color: Style.separator
        border.width: button.rimWidth

        Glyph {
            id: icon
            anchors.centerIn: parent
            width: button.glyphSize
            height: button.glyphSize
        }
    }

    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: if (outlet) outlet.setSize(width, height)
}
