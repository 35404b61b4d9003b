pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A figure of a history row: the value, and its unit in small letters under it.
Item {
    id: figure

    property string value
    property string unit
    property bool showBattery: false

    implicitHeight: column.implicitHeight
    height: implicitHeight

    Column {
        id: column
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width
        spacing: 1

        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 10
            text: figure.value
            textFormat: Text.PlainText
            font.pixelSize: 16
            font.weight: Font.Light
            color: Theme.color("textBrightColor")
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 4
            Image {
                visible: figure.showBattery
                anchors.verticalCenter: parent.verticalCenter
                width: 17
                height: 9
                source: figure.showBattery ? Theme.image("battery") : ""
                sourceSize: Qt.size(34, 18)
            }
            Text {
                text: figure.unit
                textFormat: Text.PlainText
                font.pixelSize: 11
                font.letterSpacing: 0.4
                color: Theme.color("textDarkColor")
            }
        }
    }
}
