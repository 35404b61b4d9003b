pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// One row of an alert or of the share sheet: a full-width tappable text.
Rectangle {
    id: row

    property string label
    property bool emphasized: false
    property bool destructive: false
    signal clicked

    implicitHeight: 50
    color: tap.pressed ? Qt.lighter(Theme.color("alertBackgroundColor"), 1.35) : "transparent"
    radius: 12

    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.onPressAction: row.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: row.clicked()
    Keys.onEnterPressed: row.clicked()
    Keys.onSpacePressed: row.clicked()

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
        color: row.destructive ? Theme.color("destructiveColor") : Theme.color("highlightColor")
    }

    MouseArea {
        id: tap
        anchors.fill: parent
        onClicked: row.clicked()
    }

    FocusRing {}
}
