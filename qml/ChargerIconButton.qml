pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A round button of the charger screens with a drawn glyph: "back" (a chevron), "add" (a plus)
// or "delete" (a bin). Pressed a little smaller, like the main screen's buttons.
Rectangle {
    id: button

    property string glyph: "back"
    property string accessibleName
    property color glyphColor: Theme.color("textBrightColor")
    property real glyphSize: width * 0.42
    signal clicked

    implicitWidth: 40
    implicitHeight: 40
    radius: width / 2
    color: Theme.color("cellBackgroundColor")
    border.color: Theme.color("separatorColor")
    border.width: 1
    scale: tap.pressed ? 0.92 : 1

    Behavior on scale {
        NumberAnimation { duration: 90; easing.type: Easing.OutQuad }
    }

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: button.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    Keys.onSpacePressed: button.clicked()

    Canvas {
        id: canvas
        anchors.centerIn: parent
        width: button.glyphSize
        height: button.glyphSize
        antialiasing: true
        onPaint: {
            const ctx = getContext("2d")
            const w = width
            const h = height
            ctx.reset()
            ctx.strokeStyle = button.glyphColor
            ctx.lineWidth = Math.max(1.6, w * 0.12)
            ctx.lineCap = "round"
            ctx.lineJoin = "round"
            ctx.beginPath()
            if (button.glyph === "back") {
                ctx.moveTo(w * 0.64, h * 0.12)
                ctx.lineTo(w * 0.28, h * 0.5)
                ctx.lineTo(w * 0.64, h * 0.88)
            } else if (button.glyph === "add") {
                ctx.moveTo(w * 0.5, h * 0.1)
                ctx.lineTo(w * 0.5, h * 0.9)
                ctx.moveTo(w * 0.1, h * 0.5)
                ctx.lineTo(w * 0.9, h * 0.5)
            } else if (button.glyph === "delete") {
                ctx.moveTo(w * 0.12, h * 0.24)
                ctx.lineTo(w * 0.88, h * 0.24)
                ctx.moveTo(w * 0.38, h * 0.24)
                ctx.lineTo(w * 0.42, h * 0.08)
                ctx.lineTo(w * 0.58, h * 0.08)
                ctx.lineTo(w * 0.62, h * 0.24)
                ctx.moveTo(w * 0.22, h * 0.24)
                ctx.lineTo(w * 0.28, h * 0.92)
                ctx.lineTo(w * 0.72, h * 0.92)
                ctx.lineTo(w * 0.78, h * 0.24)
                ctx.moveTo(w * 0.42, h * 0.4)
                ctx.lineTo(w * 0.42, h * 0.76)
                ctx.moveTo(w * 0.58, h * 0.4)
                ctx.lineTo(w * 0.58, h * 0.76)
            }
            ctx.stroke()
        }
    }

    onGlyphColorChanged: canvas.requestPaint()
    onGlyphChanged: canvas.requestPaint()

    MouseArea {
        id: tap
        anchors.fill: parent
        anchors.margins: -6
        onClicked: button.clicked()
    }

    FocusRing {}
}
