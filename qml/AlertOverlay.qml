pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The alert of the moment, over everything: title, message and buttons, all plain text.
Item {
    id: overlay

    required property Alerts alerts

    visible: alerts.showing

    Rectangle {
        anchors.fill: parent
        color: Theme.color("dimmingColor")
        // Nothing underneath takes taps while an alert is up.
        MouseArea {
            anchors.fill: parent
        }
    }

    Rectangle {
        id: card
        anchors.centerIn: parent
        width: Math.min(overlay.width - 64, 300)
        height: content.implicitHeight
        radius: 16
        color: Theme.color("alertBackgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1

        Column {
            id: content
            width: parent.width

            Item { width: 1; height: 20 }
            Text {
                x: 20
                width: card.width - 40
                text: overlay.alerts.title
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: 17
                font.weight: Font.DemiBold
                color: Theme.color("textBrightColor")
            }
            Item { width: 1; height: 8 }
            Text {
                x: 20
                width: card.width - 40
                visible: text !== ""
                text: overlay.alerts.message
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: 13
                lineHeight: 1.15
                color: Theme.color("textDarkColor")
            }
            Item { width: 1; height: 16 }
            Repeater {
                model: overlay.alerts.buttons
                delegate: Column {
                    id: entry
                    required property var modelData
                    required property int index
                    width: card.width
                    Rectangle {
                        width: parent.width
                        height: 1
                        color: Theme.color("separatorColor")
                    }
                    TextButton {
                        width: parent.width
                        label: entry.modelData.title
                        emphasized: entry.modelData.style === "cancel"
                        destructive: entry.modelData.style === "destructive"
                        onClicked: overlay.alerts.answer(entry.index)
                    }
                }
            }
        }
    }
}
