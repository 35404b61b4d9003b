pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// One test of the history: the charger it was labelled with (or the unknown charger) in a
// tappable header, then one row per saved result, newest first, each on a rounded cell inset in
// its slot, and a thin footer. The heights and corners are the screen's table metrics. The texts
// come from the history and the brand catalogue and are shown as plain text.
Item {
    id: card

    required property int index
    required property var testHeader  // unknownCharger, brandText, wattText, dateText, dateHidden
    required property var testRows    // wattText, mahText, timeText, startLevel, finishLevel, ...
    required property real headerHeight
    required property real rowHeight
    required property real footerHeight
    required property real cornerRadius
    signal headerTapped
    signal curveRequested(int row)  // the chevron at the end of a row, or a long press on it

    // Each cell and the header sit inset in their slots.
    readonly property real inset: 10

    height: headerHeight + rows.height + footerHeight

    // The charger: tapping it describes the charger of this test.
    Rectangle {
        id: header
        objectName: "cardHeader"
        x: card.inset
        y: card.inset / 2
        width: card.width - 2 * card.inset
        height: card.headerHeight
        radius: card.cornerRadius
        color: headerTap.pressed ? Qt.lighter(Theme.color("cellBackgroundColor"), 1.4)
                                 : Theme.color("cellBackgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1
        clip: true

        Accessible.role: Accessible.Button
        Accessible.name: card.testHeader.unknownCharger
                         ? Localized.text("unknown")
                         : card.testHeader.brandText + " " + card.testHeader.wattText
        Accessible.onPressAction: card.headerTapped()
        activeFocusOnTab: true
        Keys.onReturnPressed: card.headerTapped()
        Keys.onEnterPressed: card.headerTapped()
        Keys.onSpacePressed: card.headerTapped()

        FocusRing { anchors.margins: 1 }

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

        Glyph {
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
        x: card.inset
        width: card.width - 2 * card.inset

        Repeater {
            model: card.testRows
            delegate: Item {
                id: row
                required property var modelData
                required property int index
                width: rows.width
                height: card.rowHeight

                // The cell fills its slot below a gap as high as the inset.
                Rectangle {
                    objectName: "resultCell"
                    y: card.inset
                    width: parent.width
                    height: parent.height - card.inset
                    radius: card.cornerRadius
                    color: Theme.color("cellBackgroundColor")
                    border.color: Theme.color("separatorColor")
                    border.width: 1
                }

                // The power, in a box that the tests of this sitting light up.
                Rectangle {
                    id: wattBox
                    readonly property color boxColor: Theme.color(row.modelData.wattBorderColorName)
                    x: 14
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.verticalCenterOffset: card.inset / 2
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
                    anchors.verticalCenterOffset: card.inset / 2

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
                    y: card.inset
                    width: 34
                    height: parent.height - card.inset
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: Localized.text("curveShowButton")
                    Accessible.onPressAction: card.curveRequested(row.index)
                    Keys.onReturnPressed: card.curveRequested(row.index)
                    Keys.onSpacePressed: card.curveRequested(row.index)

                    Glyph {
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
