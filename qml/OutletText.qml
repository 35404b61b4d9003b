pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A label outlet. Its text is always shown as plain text; a styled text brings its own font size
// and line spacing, a plain one uses `plainSize`.
Text {
    id: label

    required property LabelAdapter outlet
    property real plainSize: 15
    property color plainColor: Theme.color("textBrightColor")

    visible: !outlet.hidden
    opacity: outlet.alpha
    text: outlet.text
    textFormat: Text.PlainText
    color: outlet.textColorName !== "" ? Theme.color(outlet.textColorName) : plainColor
    font.pixelSize: outlet.styled ? outlet.fontSize : plainSize
    lineHeightMode: Text.FixedHeight
    lineHeight: labelMetrics.lineSpacing + (outlet.styled ? outlet.lineSpacing : 0)

    FontMetrics {
        id: labelMetrics
        font: label.font
    }

    Behavior on opacity {
        enabled: label.outlet.animationDuration > 0
        OutletAnimation { outlet: label.outlet }
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)
}
