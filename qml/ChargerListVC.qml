pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The saved chargers: a large title that shrinks into the bar while the list scrolls up, one
// card a charger with a check mark on the one the test carries, a left swipe on a card to
// delete it, and the button that adds a charger. Which rows show and which is checked, and
// where the title and the list sit, is the screen's.
Item {
    id: page

    required property ChargerListVCScreen screen

    // Where the constraint offsets count from, in points from the top: the collapsed title
    // then sits beside the back button, and the large one clear below it.
    readonly property real originY: 24
    readonly property real deleteWidth: 84
    // The row whose actions a left swipe has uncovered; -1 for none.
    property int openRow: -1
    // The row the user tapped last, as a table keeps its selection.
    property int selectedRow: -1

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: screen.view.setSize(width, height)

    // A small value on a card: the power or the port.
    component Chip: Rectangle {
        id: chip
        property string label
        property string colorName
        width: Math.min(chipText.implicitWidth + 20, 110)
        height: 26
        radius: 13
        color: Theme.color("backgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1
        Text {
            id: chipText
            anchors.centerIn: parent
            width: Math.min(implicitWidth, chip.width - 16)
            text: chip.label
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font.pixelSize: 13
            color: Theme.color(chip.colorName)
        }
    }

    ScreenBackground {
        anchors.fill: parent
    }

    IconButton {
        id: back
        shape: "back"
        accessibleName: Localized.text("backButtonLabel")
        visible: !page.screen.backButton.hidden
        x: 18
        y: 46
        onClicked: page.screen.backButtonTapped()
    }

    OutletText {
        id: title
        outlet: page.screen.titleLabel
        x: page.screen.titleLeftConstraint.constant
        y: page.originY + page.screen.titleTopConstraint.constant
        plainSize: page.screen.titleLabel.pointSize > 0 ? page.screen.titleLabel.pointSize : 33
        font.weight: Font.Bold
        font.letterSpacing: 0.2

        Behavior on x {
            enabled: page.screen.titleLeftConstraint.animationDuration > 0
            OutletAnimation { outlet: page.screen.titleLeftConstraint }
        }
        Behavior on y {
            enabled: page.screen.titleTopConstraint.animationDuration > 0
            OutletAnimation { outlet: page.screen.titleTopConstraint }
        }
    }

    ListView {
        id: table
        objectName: "chargerTable"
        y: page.originY + page.screen.tableTopConstraint.constant
        width: parent.width
        height: add.y - 14 - y
        clip: true
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.DragOverBounds
        model: {
            page.screen.tableView.revision
            return page.screen.rows()
        }
        onModelChanged: page.openRow = -1

        Behavior on y {
            enabled: page.screen.tableTopConstraint.animationDuration > 0
            OutletAnimation { outlet: page.screen.tableTopConstraint }
        }

        onDragStarted: page.screen.scrollViewWillBeginDragging(contentY - originY)
        onContentYChanged: if (moving) page.screen.scrollViewDidScroll(contentY - originY)
        onWidthChanged: page.screen.tableView.setSize(width, height)
        onHeightChanged: page.screen.tableView.setSize(width, height)
        Component.onCompleted: page.screen.tableView.setSize(width, height)

        delegate: Item {
            id: row

            required property var modelData
            required property int index
            readonly property rect frame: page.screen.cardFrame(width)
            // How far the card is pushed to the left, uncovering the delete button.
            property real offset: page.openRow === index ? -page.deleteWidth : 0
            property bool leaving: false

            width: ListView.view.width
            height: page.screen.rowHeight

            Behavior on offset {
                enabled: !swipe.active && !slideOut.running
                NumberAnimation { duration: 180; easing.type: Easing.OutCubic }
            }

            // Under the card: the delete button, uncovered by a left swipe.
            Item {
                x: row.frame.x + row.frame.width - page.deleteWidth
                y: row.frame.y
                width: page.deleteWidth
                height: row.frame.height
                visible: row.modelData.canEdit && row.offset < 0

                IconButton {
                    objectName: "deleteButton"
                    anchors.centerIn: parent
                    width: 46
                    height: 46
                    shape: "delete"
                    glyphColor: Theme.color("white")
                    discColor: Theme.color("destructiveColor")
                    rimWidth: 0
                    accessibleName: Localized.text("deleteButton")
                    onClicked: slideOut.start()
                }
            }

            Rectangle {
                id: card
                objectName: "chargerCard"
                x: row.frame.x + row.offset
                y: row.frame.y
                width: row.frame.width
                height: row.frame.height
                radius: page.screen.cornerRadius
                clip: true
                color: tap.pressed ? Theme.color(row.modelData.selectedBackgroundColorName)
                                   : Theme.color("cellBackgroundColor")
                border.color: row.modelData.checked ? Theme.color(row.modelData.textColorName)
                                                    : Theme.color("separatorColor")
                border.width: 1

                Accessible.role: Accessible.Button
                Accessible.name: row.modelData.brandText + " " + row.modelData.wattText + " "
                                 + row.modelData.portText
                Accessible.onPressAction: row.choose()
                activeFocusOnTab: true
                Keys.onReturnPressed: row.choose()
                Keys.onEnterPressed: row.choose()
                Keys.onSpacePressed: row.choose()

                FocusRing {}

                Text {
                    id: brand
                    x: 18
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width * 0.42
                    text: row.modelData.brandText
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 17
                    font.weight: Font.DemiBold
                    color: Theme.color(row.modelData.textColorName)
                }

                Row {
                    anchors.left: brand.right
                    anchors.leftMargin: 8
                    anchors.right: check.left
                    anchors.rightMargin: 12
                    anchors.verticalCenter: parent.verticalCenter
                    layoutDirection: Qt.RightToLeft
                    spacing: 8

                    Chip {
                        label: row.modelData.portText
                        colorName: row.modelData.textColorName
                    }
                    Chip {
                        label: row.modelData.wattText
                        colorName: row.modelData.textColorName
                    }
                }

                ChargerCheckMark {
                    id: check
                    objectName: "checkedImage"
                    anchors.right: parent.right
                    anchors.rightMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
                    visible: row.modelData.checked
                    width: visible ? 26 : 0
                }

                TapHandler {
                    id: tap
                    onTapped: row.choose()
                }
            }

            // Left to uncover the delete button, right to leave. On the row, which stays put
            // while the card follows the finger.
            DragHandler {
                id: swipe
                property real start: 0
                target: null
                xAxis.enabled: true
                yAxis.enabled: false
                onActiveChanged: {
                    if (active) {
                        start = row.offset
                        return
                    }
                    const travel = translation.x
                    if (start === 0 && travel > 60) {
                        page.screen.saveAndPop()
                    } else if (row.modelData.canEdit && start + travel < -page.deleteWidth / 2) {
                        page.openRow = row.index
                        row.offset = Qt.binding(() => page.openRow === row.index
                                                ? -page.deleteWidth : 0)
                    } else {
                        page.openRow = -1
                        row.offset = Qt.binding(() => page.openRow === row.index
                                                ? -page.deleteWidth : 0)
                    }
                }
                onTranslationChanged: {
                    if (active)
                        row.offset = Math.min(0, Math.max(-page.width, start + translation.x))
                }
            }

            // Deleting slides the card out to the left, then the row goes.
            NumberAnimation {
                id: slideOut
                target: row
                property: "offset"
                to: -row.width
                duration: 220
                easing.type: Easing.InCubic
                onFinished: page.screen.deleteRow(row.index)
            }

            function choose() {
                if (page.openRow >= 0) {
                    page.openRow = -1
                    return
                }
                if (page.selectedRow >= 0 && page.selectedRow !== index)
                    page.screen.didDeselectRow(page.selectedRow)
                page.selectedRow = index
                page.screen.didSelectRow(index)
            }
        }
    }

    PrimaryButton {
        id: add
        outlet: page.screen.addButton
        glyph: "+"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40
        width: Math.min(parent.width - 40, 360)
        onClicked: page.screen.addButtonTapped()
    }

    // A right swipe leaves, keeping the charger being edited.
    ChargerSwipeBack {
        onSwiped: page.screen.saveAndPop()
    }
}
