pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Shapes
import Voltaro

// The charge curve of one saved result: the charger and the figures at the top, the level against
// time with the power of each step on a second scale below, and another test laid over it on
// request. Layout and styling only: what is drawn, and where, is the screen's.
Item {
    id: page

    required property QtObject screen

    readonly property bool compact: height < 760
    readonly property real barTop: compact ? 32 : 54
    readonly property real sideMargin: 16
    // The drawing, read again whenever the screen reloads it.
    readonly property var drawing: {
        page.screen.chartView.revision
        return page.screen.drawing()
    }

    Accessible.role: Accessible.Pane
    Accessible.name: Localized.text("curveTitle")
    focus: true
    Keys.onBackPressed: page.screen.backButtonTapped()

    // Escape: closes the comparison sheet first.
    function goBack() {
        if (page.screen.compareSheet.hidden)
            page.screen.backButtonTapped()
        else
            page.screen.cancelCompare()
    }

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: {
        screen.view.setSize(width, height)
        forceActiveFocus()
    }
    // The keys come back to the page when the list of tests closes.
    Connections {
        target: page.screen.compareSheet
        function onHiddenChanged() {
            if (page.screen.compareSheet.hidden)
                page.forceActiveFocus()
        }
    }

    ScreenBackground {
        anchors.fill: parent
    }

    IconButton {
        id: backButton
        objectName: "curveBackButton"
        outlet: page.screen.backButton
        width: 52
        height: 40
        leadingInset: 12
        y: page.barTop - 2
        lines: "M14.5,5 L7.5,12 L14.5,19"
        accessibleName: Localized.text("curveTitle")
        activeFocusOnTab: true
        Keys.onSpacePressed: clicked()
        Keys.onReturnPressed: clicked()
        onClicked: page.screen.backButtonTapped()
    }

    Text {
        id: screenTitle
        anchors.left: backButton.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        anchors.rightMargin: page.sideMargin
        anchors.verticalCenter: backButton.verticalCenter
        text: Localized.text("curveTitle")
        textFormat: Text.PlainText
        elide: Text.ElideRight
        font.pixelSize: 20
        font.weight: Font.Bold
        color: Theme.color("textBrightColor")
    }

    Column {
        id: top
        x: page.sideMargin
        y: backButton.y + backButton.height + (page.compact ? 10 : 18)
        width: page.width - 2 * page.sideMargin
        spacing: 8

        // The charger and when the test began.
        Row {
            width: parent.width
            spacing: 10
            Text {
                id: charger
                objectName: "curveCharger"
                width: Math.min(implicitWidth, parent.width - date.width - 10)
                text: page.screen.titleLabel.text
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: 17
                font.weight: Font.DemiBold
                color: Theme.color("textBrightColor")
            }
            Text {
                id: date
                anchors.baseline: charger.baseline
                text: page.screen.dateLabel.text
                textFormat: Text.PlainText
                font.pixelSize: 13
                color: Theme.color("textDarkColor")
            }
        }

        // The figures of the record: three a row on a phone, all five side by side when wide.
        Grid {
            id: figures
            width: parent.width
            columns: width < 560 ? 3 : 5
            rowSpacing: 6
            Repeater {
                model: [
                    [page.screen.wattLabel, "curvePower"],
                    [page.screen.mahLabel, "curveRate"],
                    [page.screen.timeLabel, "curvePerPercent"],
                    [page.screen.levelsLabel, "curveLevels"],
                    [page.screen.durationLabel, "curveDuration"]
                ]
                delegate: HistoryFigure {
                    required property var modelData
                    width: figures.width / figures.columns
                    value: modelData[0].text
                    unit: Localized.text(modelData[1])
                }
            }
        }

        Text {
            objectName: "curveNote"
            width: parent.width
            visible: !page.screen.noteLabel.hidden
            text: page.screen.noteLabel.text
            textFormat: Text.PlainText
            wrapMode: Text.WordWrap
            font.pixelSize: 12
            color: Theme.color("textDarkColor")
        }
    }

    // The chart: level ticks at the left, power ticks at the right, time ticks under it.
    Rectangle {
        id: card
        x: page.sideMargin
        y: top.y + top.height + 12
        width: page.width - 2 * page.sideMargin
        height: Math.max(160, legend.y - 10 - y)
        radius: 16
        color: Theme.color("cellBackgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1

        Item {
            id: chart
            objectName: "curveChart"
            x: 46
            y: 16
            width: card.width - x - 50
            height: card.height - y - 30

            onWidthChanged: page.screen.chartView.setSize(width, height)
            onHeightChanged: page.screen.chartView.setSize(width, height)
            Component.onCompleted: page.screen.chartView.setSize(width, height)

            Repeater {
                model: page.drawing.levelTicks
                delegate: Item {
                    id: levelTick
                    required property var modelData
                    y: modelData.position
                    width: chart.width
                    Rectangle {
                        width: parent.width
                        height: 1
                        color: Theme.color("separatorColor")
                    }
                    Text {
                        anchors.right: parent.left
                        anchors.rightMargin: 6
                        anchors.verticalCenter: parent.top
                        text: levelTick.modelData.text
                        textFormat: Text.PlainText
                        font.pixelSize: 11
                        color: Theme.color("textDarkColor")
                    }
                }
            }
            Repeater {
                model: page.drawing.powerTicks
                delegate: Text {
                    required property var modelData
                    x: chart.width + 6
                    y: modelData.position - height / 2
                    text: modelData.text
                    textFormat: Text.PlainText
                    font.pixelSize: 11
                    color: Theme.color("powerColor")
                }
            }
            Repeater {
                model: page.drawing.timeTicks
                delegate: Text {
                    required property var modelData
                    x: Math.min(Math.max(modelData.position - width / 2, -8), chart.width - width + 8)
                    y: chart.height + 6
                    text: modelData.text
                    textFormat: Text.PlainText
                    font.pixelSize: 11
                    color: Theme.color("textDarkColor")
                }
            }

            // The power of each step, behind the level.
            Repeater {
                model: page.drawing.power
                delegate: Shape {
                    id: powerLine
                    required property var modelData
                    anchors.fill: parent
                    ShapePath {
                        strokeColor: Theme.color("powerColor")
                        strokeWidth: 1.5
                        fillColor: "transparent"
                        PathPolyline { path: powerLine.modelData }
                    }
                }
            }
            Shape {
                objectName: "curveComparedLine"
                anchors.fill: parent
                visible: page.drawing.comparedLevel.length > 1
                ShapePath {
                    strokeColor: Theme.color("textBrightColor")
                    strokeWidth: 2
                    strokeStyle: ShapePath.DashLine
                    dashPattern: [3, 2]
                    fillColor: "transparent"
                    PathPolyline { path: page.drawing.comparedLevel }
                }
            }
            Shape {
                objectName: "curveLevelLine"
                anchors.fill: parent
                visible: page.drawing.level.length > 1
                ShapePath {
                    strokeColor: Theme.color("highlightColor")
                    strokeWidth: 2.5
                    fillColor: "transparent"
                    joinStyle: ShapePath.RoundJoin
                    capStyle: ShapePath.RoundCap
                    PathPolyline { path: page.drawing.level }
                }
            }
            // A test of a single sample is a dot.
            Rectangle {
                visible: page.drawing.level.length === 1
                x: visible ? page.drawing.level[0].x - 4 : 0
                y: visible ? page.drawing.level[0].y - 4 : 0
                width: 8
                height: 8
                radius: 4
                color: Theme.color("highlightColor")
            }
        }
    }

    // What the lines are.
    Flow {
        id: legend
        x: page.sideMargin
        y: compare.y - height - (page.compact ? 12 : 18)
        width: page.width - 2 * page.sideMargin
        spacing: 14

        Repeater {
            model: [
                [Theme.color("highlightColor"), Localized.text("curveLevelLegend"), true],
                [Theme.color("powerColor"), Localized.text("curvePowerLegend"), true],
                [Theme.color("textBrightColor"), page.screen.comparedLegendLabel.text,
                 !page.screen.comparedLegendLabel.hidden]
            ]
            delegate: Row {
                id: entry
                required property var modelData
                visible: modelData[2]
                spacing: 6
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 16
                    height: 3
                    radius: 1.5
                    color: entry.modelData[0]
                }
                Text {
                    text: entry.modelData[1]
                    textFormat: Text.PlainText
                    font.pixelSize: 12
                    color: Theme.color("textBrightColor")
                }
            }
        }
    }

    PrimaryButton {
        compact: true
        id: compare
        objectName: "compareButton"
        outlet: page.screen.compareButton
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: page.compact ? 20 : 36
        activeFocusOnTab: true
        Keys.onSpacePressed: clicked()
        Keys.onReturnPressed: clicked()
        onClicked: page.screen.compareButtonTapped()
        // Without another test the button is gone, but its place keeps the chart's bottom.
        opacity: outlet.hidden ? 0 : 1
        visible: true
        enabled: !outlet.hidden
    }

    // A right swipe anywhere goes back.
    DragHandler {
        property real travel: 0

        target: null
        xAxis.enabled: true
        yAxis.enabled: false
        onTranslationChanged: travel = translation.x
        onActiveChanged: {
            if (active)
                travel = 0
            else if (travel > 60)
                page.screen.pop()
        }
    }

    // The tests to compare with, over the page.
    Rectangle {
        anchors.fill: parent
        visible: !page.screen.compareSheet.hidden
        color: Theme.color("dimmingColor")

        MouseArea {
            anchors.fill: parent
            onClicked: page.screen.cancelCompare()
        }

        Rectangle {
            objectName: "compareSheet"
            anchors.centerIn: parent
            width: Math.min(parent.width - 32, 480)
            height: Math.min(parent.height - 120, sheetTitle.height + choices.contentHeight + 110)
            radius: 16
            color: Theme.color("alertBackgroundColor")
            border.color: Theme.color("separatorColor")
            border.width: 1

            Accessible.role: Accessible.Dialog
            Accessible.name: Localized.text("curveCompareTitle")

            // Takes the taps that miss a row, so they do not close the list.
            MouseArea {
                anchors.fill: parent
            }

            Text {
                id: sheetTitle
                x: 16
                y: 16
                width: parent.width - 32
                text: Localized.text("curveCompareTitle")
                textFormat: Text.PlainText
                wrapMode: Text.WordWrap
                font.pixelSize: 16
                font.weight: Font.DemiBold
                color: Theme.color("textBrightColor")
            }

            ListView {
                id: choices
                objectName: "compareChoices"
                y: sheetTitle.y + sheetTitle.height + 10
                width: parent.width
                height: parent.height - y - 64
                clip: true
                keyNavigationEnabled: true
                focus: !page.screen.compareSheet.hidden
                model: {
                    page.screen.compareTable.revision
                    return page.screen.choices()
                }
                delegate: Rectangle {
                    id: choice
                    required property string modelData
                    required property int index
                    width: choices.width
                    height: 48
                    color: choiceTap.pressed || ListView.isCurrentItem && choices.activeFocus
                           ? Qt.lighter(Theme.color("alertBackgroundColor"), 1.4) : "transparent"

                    Accessible.role: Accessible.Button
                    Accessible.name: modelData
                    Accessible.onPressAction: page.screen.didSelectChoice(index)
                    Keys.onReturnPressed: page.screen.didSelectChoice(index)
                    Keys.onSpacePressed: page.screen.didSelectChoice(index)

                    Text {
                        x: 16
                        width: parent.width - 32
                        anchors.verticalCenter: parent.verticalCenter
                        text: choice.modelData
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        font.pixelSize: 14
                        color: Theme.color("textBrightColor")
                    }
                    MouseArea {
                        id: choiceTap
                        anchors.fill: parent
                        onClicked: page.screen.didSelectChoice(choice.index)
                    }
                }
            }

            TextButton {
                x: 12
                width: parent.width - 24
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 8
                label: Localized.text("Cancel")
                onClicked: page.screen.cancelCompare()
            }
        }
    }
}
