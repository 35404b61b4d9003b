pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A line icon drawn from SVG path data in a 24 x 24 box, in the style of the app's button
// images: round strokes, the main lines in one colour and an accent in another.
Canvas {
    id: glyph

    property string lines
    property string accent
    property color lineColor: Theme.color("textBrightColor")
    property color accentColor: Theme.color("highlightColor")
    property real lineWidth: 2

    implicitWidth: 24
    implicitHeight: 24

    onLinesChanged: requestPaint()
    onAccentChanged: requestPaint()
    onLineColorChanged: requestPaint()
    onAccentColorChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        ctx.scale(width / 24, height / 24)
        ctx.lineWidth = lineWidth
        ctx.lineCap = "round"
        ctx.lineJoin = "round"
        const strokes = [[lines, lineColor], [accent, accentColor]]
        for (const stroke of strokes) {
            if (stroke[0] === "")
                continue
            ctx.strokeStyle = stroke[1]
            ctx.path = stroke[0]
            ctx.stroke()
        }
    }
}
