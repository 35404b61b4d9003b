pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A search field bound to a text field outlet: a rounded box with a magnifier, the outlet's
// placeholder while empty. Typing is reported through `edited`, the return key through
// `accepted`.
Rectangle {
    id: field

    required property TextFieldAdapter outlet
    readonly property alias input: input
    signal edited(string text)
    signal accepted

    visible: !outlet.hidden
    implicitHeight: 44
    radius: height / 2
    color: Theme.color("cellBackgroundColor")
    border.color: input.activeFocus ? Theme.color("highlightColor") : Theme.color("separatorColor")
    border.width: 1

    Canvas {
        id: magnifier
        x: 16
        anchors.verticalCenter: parent.verticalCenter
        width: 16
        height: 16
        antialiasing: true
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            ctx.strokeStyle = Theme.color("textDarkColor")
            ctx.lineWidth = 2
            ctx.lineCap = "round"
            ctx.beginPath()
            ctx.arc(6.5, 6.5, 5.5, 0, 2 * Math.PI)
            ctx.moveTo(10.6, 10.6)
            ctx.lineTo(15, 15)
            ctx.stroke()
        }
    }

    TextInput {
        id: input
        objectName: "searchInput"
        anchors.left: magnifier.right
        anchors.leftMargin: 10
        anchors.right: parent.right
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        text: field.outlet.text
        font.pixelSize: 16
        color: Theme.color("textBrightColor")
        selectionColor: Theme.color("highlightColor")
        selectedTextColor: Theme.color("backgroundColor")
        inputMethodHints: Qt.ImhNoPredictiveText
        clip: true
        onTextEdited: field.edited(text)
        onAccepted: field.accepted()
        onActiveFocusChanged: field.outlet.focused = activeFocus

        Text {
            anchors.fill: parent
            visible: input.text === ""
            text: field.outlet.placeholder
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font: input.font
            color: Theme.color("textDarkColor")
        }
    }

    TapHandler {
        onTapped: input.forceActiveFocus()
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)
}
