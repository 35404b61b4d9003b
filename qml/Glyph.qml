pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A line icon in the style of the app's button images, round strokes: either one of the drawn
// `shape`s ("back", a chevron; "add", a plus; "delete", a bin) or SVG path data in a 24 x 24 box,
// the main `lines` in one colour and an `accent` in another.
Canvas {
    id: glyph

    property string shape
    property string lines
    property string accent
    property color lineColor: Style.textBright
    property color accentColor: Style.highlight
    property real lineWidth: 2

    implicitWidth: 24
    implicitHeight: 24

    onShapeChanged: requestPaint()
    onLinesChanged: requestPaint()
    onAccentChanged: requestPaint()
    onLineColorChanged: requestPaint()
    onAccentColorChanged: requestPaint()

    // The drawn shapes, as fractions of the glyph's size.
    readonly property var shapes: ({
        "back": [[[0.64, 0.12], [0.28, 0.5], [0.64, 0.88]]],
        "add": [[[0.5, 0.1], [0.5, 0.9]], [[0.1, 0.5], [0.9, 0.5]]],
        "delete": [[[0.12, 0.24], [0.88, 0.24]],
                   [[0.38, 0.24], [0.42, 0.08], [0.58, 0.08], [0.62, 0.24]],
                   [[0.22, 0.24], [0.28, 0.92], [0.72, 0.92], [0.78, 0.24]],
                   [[0.42, 0.4], [0.42, 0.76]], [[0.58, 0.4], [0.58, 0.76]]]
    })

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        ctx.lineCap = "round"
        ctx.lineJoin = "round"
        if (shape !== "") {
            ctx.strokeStyle = lineColor
            ctx.lineWidth = Math.max(1.6, width * 0.12)
            ctx.beginPath()
            for (const stroke of shapes[shape] || []) {
                ctx.moveTo(width * stroke[0][0], height * stroke[0][1])
                for (const point of stroke.slice(1))
                    ctx.lineTo(width * point[0], height * point[1])
            }
            ctx.stroke()
            return
        }
        ctx.scale(width / 24, height / 24)
        ctx.lineWidth = lineWidth
        for (const stroke of [[lines, lineColor], [accent, accentColor]]) {
            if (stroke[0] === "")
                continue
            ctx.strokeStyle = stroke[1]
            ctx.path = stroke[0]
            ctx.stroke()
        }
    }
}
