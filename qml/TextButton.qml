pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// One row of an alert, a sheet or a list of choices: a full-width tappable text, lit while
// pressed.
Pressable {
    id: row

    property string label
    property bool emphasized: false
    property bool destructive: false

    implicitHeight: Style.sheetRowHeight
    radius: 12
    pressedScale: 1
    color: pressed ? Qt.lighter(Style.alertBackground, 1.35) : "transparent"
    accessibleName: label

    Text {
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        text: row.label
        textFormat: Text.PlainText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        font.pixelSize: 16
        font.weight: row.emphasized ? Font.DemiBold : Font.Normal
        color: row.destructive ? Style.destructive : Style.highlight
    }
}
