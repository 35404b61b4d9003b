pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// One test of the history on a card: the charger it was labelled with (or the unknown charger)
// in a tappable header, then one row per saved result, newest first. The texts come from the
// history and the brand catalogue and are shown as plain text.
Rectangle {
    id: card

    required property int index
    required property var testHeader  // unknownCharger, brandText, wattText, dateText, dateHidden
    required property var testRows    // wattText, mahText, timeText, startLevel, finishLevel, ...
    signal headerTapped
    signal curveRequested(int row)  // the chevron at the end of a row, or a long press on it

    readonly property real headerHeight: 60
    readonly property real rowHeight: 60

    height: headerHeight + rows.height + 6
    radius: 16
    color: Theme.color("cellBackgroundColor")
    border.color: Theme.color("separatorColor")
    border.width: 1
    clip: true

    // The charger: tapping it describes the charger of this test.
    Rectangle {
        id: header
        width: card.width
        height: card.headerHeight
        radius: card.radius
        color: headerTap.pressed ? Qt.lighter(Theme.color("cellBackgroundColor"), 1.4)
                                 : "transparent"

        Accessible.role: Accessible.Button
        Accessible.name: card.testHeader.unknownCharger
                         ? Localized.text("unknown")
                         : card.testHeader.brandText + " " + card.testHeader.wattText
        Accessible.onPressAction: card.headerTapped()

        Rectangle {
            id: chargeImage
            x: 14
            anchors.verticalCenter: parent.verticalCenter
            width: 36
            height: 36
            radius: 8
            color: "transparent"
            border.color: Theme.color("textDarkColor")
            border.width: 1

            Image {
                visible: !card.testHeader.unknownCharger
                anchors.centerIn: parent
                width: 14
                height: 21
                source: Theme.image("flash")
                sourceSize: Qt.size(28, 42)
            }
            Text {
                visible: card.testHeader.unknownCharger
                anchors.centerIn: parent
                text: "?"
                textFormat: Text.PlainText
                font.pixelSize: 17
                font.weight: Font.DemiBold
                color: Theme.color("textDarkColor")
            }
        }

        Column {
            anchors.left: chargeImage.right
            anchors.leftMargin: 12
            anchors.right: date.left
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2

            Text {
                width: parent.width
                visible: !card.testHeader.unknownCharger
                text: card.testHeader.brandText
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 15
                font.weight: Font.DemiBold
                color: Theme.color("textBrightColor")
            }
            Text {
                width: parent.width
                visible: !card.testHeader.unknownCharger
                text: card.testHeader.wattText
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 13
                color: Theme.color("highlightColor")
            }
            Text {
                width: parent.width
                visible: card.testHeader.unknownCharger
                text: Localized.text("unknown")
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 15
                color: Theme.color("textDarkColor")
            }
        }

        Text {
            id: date
            anchors.right: chevron.left
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            visible: !card.testHeader.dateHidden
            width: visible ? implicitWidth : 0
            text: card.testHeader.dateText
            textFormat: Text.PlainText
            font.pixelSize: 13
            font.letterSpacing: 0.4
            color: Theme.color("textDarkColor")
        }

        HistoryGlyph {
            id: chevron
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
            lines: "M9,5 L16,12 L9,19"
            lineColor: Theme.color("textDarkColor")
            lineWidth: 2.4
        }

        MouseArea {
            id: headerTap
            anchors.fill: parent
            onClicked: card.headerTapped()
        }
    }

    Column {
        id: rows
        y: card.headerHeight
        width: card.width

        Repeater {
            model: card.testRows
            delegate: Item {
                id: row
                required property var modelData
                required property int index
                width: rows.width
                height: card.rowHeight

                Rectangle {
                    x: 14
                    width: parent.width - 28
                    height: 1
                    color: Theme.color("separatorColor")
                    opacity: row.index === 0 ? 1 : 0.6
                }

                // The power, in a box that the tests of this sitting light up.
                Rectangle {
                    id: wattBox
                    readonly property color boxColor: Theme.color(row.modelData.wattBorderColorName)
                    x: 14
                    anchors.verticalCenter: parent.verticalCenter
                    width: 78
                    height: 36
                    radius: 8
                    color: Qt.rgba(boxColor.r, boxColor.g, boxColor.b, 0.12)
                    border.color: boxColor
                    border.width: 1
                    clip: true

                    Text {
                        anchors.centerIn: parent
                        width: parent.width - 8
                        horizontalAlignment: Text.AlignHCenter
                        fontSizeMode: Text.HorizontalFit
                        minimumPixelSize: 10
                        text: row.modelData.wattText
                        textFormat: Text.PlainText
                        font.pixelSize: 16
                        font.weight: Font.DemiBold
                        color: Theme.color(row.modelData.wattTextColorName)
                    }
                }

                Row {
                    anchors.left: wattBox.right
                    anchors.leftMargin: 10
                    anchors.right: curveButton.left
                    anchors.verticalCenter: parent.verticalCenter

                    HistoryFigure {
                        width: parent.width * 0.34
                        value: row.modelData.mahText
                        unit: "mAh/min"
                    }
                    HistoryFigure {
                        width: parent.width * 0.26
                        value: row.modelData.timeText
                        unit: "s/%"
                    }
                    HistoryFigure {
                        width: parent.width * 0.40
                        value: row.modelData.startLevel + " → " + row.modelData.finishLevel
                        unit: "%"
                        showBattery: true
                    }
                }

                // The charge curve of this result.
                Item {
                    id: curveButton
                    objectName: "curveButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    width: 34
                    height: parent.height
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: Localized.text("curveShowButton")
                    Accessible.onPressAction: card.curveRequested(row.index)
                    Keys.onReturnPressed: card.curveRequested(row.index)
                    Keys.onSpacePressed: card.curveRequested(row.index)

                    HistoryGlyph {
                        anchors.centerIn: parent
                        width: 14
                        height: 14
                        lines: "M9,5 L16,12 L9,19"
                        lineColor: curveTap.pressed || curveButton.activeFocus
                                   ? Theme.color("highlightColor") : Theme.color("textDarkColor")
                        lineWidth: 2.4
                    }
                    TapHandler {
                        id: curveTap
                        onTapped: card.curveRequested(row.index)
                    }
                }

                // A long press anywhere on the row opens it too; a plain tap still does nothing.
                TapHandler {
                    onLongPressed: card.curveRequested(row.index)
                }
            }
        }
    }
}
