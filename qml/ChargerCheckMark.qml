pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The check mark of a chosen charger: a tick in a filled circle of the highlight colour.
Rectangle {
    id: mark

    implicitWidth: 26
    implicitHeight: 26
    radius: width / 2
    color: Theme.color("highlightColor")

    Canvas {
        anchors.fill: parent
        anchors.margins: mark.width * 0.26
        antialiasing: true
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.strokeStyle = Theme.color("backgroundColor")
            ctx.lineWidth = Math.max(2, width * 0.2)
            ctx.lineCap = "round"
            ctx.lineJoin = "round"
            ctx.beginPath()
            ctx.moveTo(width * 0.06, height * 0.52)
            ctx.lineTo(width * 0.4, height * 0.86)
            ctx.lineTo(width * 0.96, height * 0.16)
            ctx.stroke()
        }
    }
}
