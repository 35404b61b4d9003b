pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The brand picker: a search field, the brands under their first letters, and the index of
// letters along the right edge. Names are shown as plain text. What the sections hold, and which
// section an index letter leads to, is the screen's.
Item {
    id: page

    required property AddBrandVCScreen screen

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: screen.view.setSize(width, height)

    ScreenBackground {
        anchors.fill: parent
    }

    NavigationBar {
        id: navigation
        titleOutlet: page.screen.titleLabel
        y: 46
        width: parent.width
        onBackClicked: page.screen.backButtonTapped()
    }

    ChargerSearchField {
        id: search
        outlet: page.screen.searchBar
        anchors.top: navigation.bottom
        anchors.topMargin: 22
        x: 16
        width: parent.width - 32
        onEdited: text => page.screen.searchBarTextDidChange(text)
        onAccepted: page.screen.searchBarSearchButtonClicked()
    }

    ListView {
        id: table
        objectName: "brandTable"
        anchors.top: search.bottom
        anchors.topMargin: 14
        anchors.bottom: parent.bottom
        x: 0
        width: parent.width - letters.width - 4
        clip: true
        boundsBehavior: Flickable.DragOverBounds
        model: {
            page.screen.tableView.revision
            return page.screen.entries()
        }

        onWidthChanged: page.screen.tableView.setSize(width, height)
        onHeightChanged: page.screen.tableView.setSize(width, height)
        Component.onCompleted: page.screen.tableView.setSize(width, height)

        delegate: Item {
            id: entry

            required property var modelData
            width: ListView.view.width
            height: modelData.height

            // A section's header: its letter on a band.
            Rectangle {
                visible: entry.modelData.kind === "header"
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.topMargin: 6
                radius: 10
                color: visible ? Theme.color(entry.modelData.backgroundColorName) : "transparent"

                Text {
                    x: 14
                    anchors.verticalCenter: parent.verticalCenter
                    text: entry.modelData.kind === "header" ? entry.modelData.title : ""
                    textFormat: Text.PlainText
                    font.pixelSize: 15
                    font.weight: Font.Bold
                    font.letterSpacing: 0.5
                    color: Theme.color("highlightColor")
                }
            }

            // A brand.
            Rectangle {
                id: cell
                objectName: "brandCell"
                visible: entry.modelData.kind === "row"
                anchors.fill: parent
                anchors.leftMargin: 16
                radius: 10
                color: tap.pressed && visible
                       ? Theme.color(entry.modelData.selectedBackgroundColorName)
                       : "transparent"

                Accessible.role: Accessible.Button
                Accessible.name: brandName.text
                Accessible.onPressAction: page.screen.didSelectRow(entry.modelData.section,
                                                                   entry.modelData.row)
                activeFocusOnTab: visible
                Keys.onReturnPressed: page.screen.didSelectRow(entry.modelData.section, entry.modelData.row)
                Keys.onEnterPressed: page.screen.didSelectRow(entry.modelData.section, entry.modelData.row)
                Keys.onSpacePressed: page.screen.didSelectRow(entry.modelData.section, entry.modelData.row)

                FocusRing { anchors.margins: 1 }

                Text {
                    id: brandName
                    x: 14
                    width: parent.width - 28
                    anchors.verticalCenter: parent.verticalCenter
                    text: entry.modelData.kind === "row" ? entry.modelData.brandName : ""
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.pixelSize: 17
                    color: Theme.color("textBrightColor")
                }

                Rectangle {
                    visible: entry.modelData.kind === "row" && !entry.modelData.lastInSection
                    x: 14
                    anchors.bottom: parent.bottom
                    width: parent.width - 14
                    height: 1
                    color: Theme.color("separatorColor")
                }

                TapHandler {
                    id: tap
                    enabled: cell.visible
                    onTapped: page.screen.didSelectRow(entry.modelData.section,
                                                       entry.modelData.row)
                }
            }
        }
    }

    // The index: every letter of the catalogue, whatever the search; a tap or a slide along it
    // brings that letter's section to the top.
    Item {
        id: letters
        objectName: "sectionIndex"
        anchors.right: parent.right
        anchors.rightMargin: 4
        anchors.verticalCenter: table.verticalCenter
        width: 22
        height: column.height

        readonly property var titles: {
            page.screen.tableView.revision
            return page.screen.sectionIndexTitles()
        }

        function jump(y) {
            if (titles.length === 0)
                return
            const position = Math.max(0, Math.min(titles.length - 1,
                                                  Math.floor(y / (height / titles.length))))
            const target = page.screen.entryForSectionIndex(position)
            if (target >= 0)
                table.positionViewAtIndex(target, ListView.Beginning)
        }

        Column {
            id: column
            width: parent.width

            Repeater {
                model: letters.titles
                delegate: Text {
                    required property string modelData
                    width: letters.width
                    height: Math.min(18, (table.height - 16) / Math.max(1, letters.titles.length))
                    text: modelData
                    textFormat: Text.PlainText
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    color: Theme.color("highlightColor")
                }
            }
        }

        MouseArea {
            anchors.fill: parent
            anchors.leftMargin: -8
            onPressed: mouse => letters.jump(mouse.y)
            onPositionChanged: mouse => letters.jump(mouse.y)
        }
    }

    ChargerSwipeBack {
        onSwiped: page.screen.pop()
    }
}
