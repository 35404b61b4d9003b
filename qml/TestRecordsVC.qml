pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The test history: a large title that the screen shrinks into the top bar while the list moves
// up, one card per test, the remove button at the top right and rate, feedback and settings at
// the bottom. Layout and styling only; what shows, and where the constraints put the title, is
// the screen's.
Item {
    id: page

    required property QtObject screen

    readonly property bool compact: height < 760
    // The top bar's line, level with the main screen's header.
    readonly property real barTop: compact ? 32 : 54
    readonly property real sideMargin: 16

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: {
        screen.view.setSize(width, height)
        screen.titleLabel.text = Localized.text("historyButtonLabel")
    }

    ScreenBackground {
        anchors.fill: parent
    }

    // The shading lies behind the list.
    EdgeBand {
        outlet: page.screen.topView
        anchors.top: parent.top
        width: parent.width
        // Half as high as wide, as on a phone; no more than a quarter of a wide window.
        height: Math.min(parent.width / 2, parent.height / 4)
    }

    EdgeBand {
        outlet: page.screen.downView
        anchors.bottom: parent.bottom
        width: parent.width
        // Half as high as wide, as on a phone; no more than a quarter of a wide window.
        height: Math.min(parent.width / 2, parent.height / 4)
    }

    ListView {
        id: list
        objectName: "historyList"

        anchors.left: parent.left
        anchors.right: parent.right
        y: title.y + title.height + 14 + page.screen.titleColumnConstraint.constant
        height: page.height - y
        clip: true
        bottomMargin: toolbar.height + (page.compact ? 40 : 64)
        boundsBehavior: Flickable.DragOverBounds
        model: page.screen.tests
        // The screen measures the offset from the top of the content, as a table does.
        readonly property real offset: contentY - originY

        onDraggingChanged: if (dragging) page.screen.scrollViewWillBeginDragging(offset)
        onOffsetChanged: page.screen.scrollViewDidScroll(offset)

        Component.onCompleted: page.screen.tableView.setSize(width, height)
        onHeightChanged: page.screen.tableView.setSize(width, height)

        delegate: HistoryTestCard {
            x: page.sideMargin - inset
            width: list.width - 2 * x
            headerHeight: page.screen.headerHeight
            rowHeight: page.screen.rowHeight
            footerHeight: page.screen.footerHeight
            cornerRadius: page.screen.cornerRadius
            onHeaderTapped: page.screen.handleTap(index)
            onCurveRequested: row => page.screen.curveButtonTapped(index, row)
        }
    }

    // Nothing kept yet.
    Image {
        visible: list.count === 0
        anchors.centerIn: parent
        width: 96
        height: 96
        opacity: 0.35
        source: Theme.image("historyButton")
        sourceSize: Qt.size(192, 192)
    }

    IconButton {
        id: backButton
        objectName: "backButton"
        outlet: page.screen.backButton
        accessibleName: Localized.text("backButtonLabel")
        // The title moves in right beside it: the button reaches to the left edge.
        width: 52
        height: 40
        leadingInset: 12
        y: page.barTop - 2
        lines: "M14.5,5 L7.5,12 L14.5,19"
        onClicked: page.screen.backButtonTapped()
    }

    IconButton {
        id: removeButton
        objectName: "removeButton"
        accessibleName: Localized.text("removeHistoryButtonLabel")
        anchors.right: parent.right
        anchors.rightMargin: page.sideMargin - 4
        anchors.verticalCenter: backButton.verticalCenter
        lines: "M4.5,7 L19.5,7 M9.5,7 L9.5,4.5 L14.5,4.5 "
               + "L14.5,7 M6.5,7 L7.5,19.5 L16.5,19.5 L17.5,7"
        accent: "M10.5,10.5 L10.5,16 M13.5,10.5 L13.5,16"
        accentColor: Theme.color("destructiveColor")
        onClicked: page.screen.removeButtonTapped()
    }

    OutletText {
        id: title
        outlet: page.screen.titleLabel
        x: page.screen.leftConstraint.constant
        y: page.barTop + page.screen.topConstraint.constant
        width: Math.min(implicitWidth, removeButton.x - 8 - x)
        elide: Text.ElideRight
        plainSize: page.screen.titleLabel.pointSize > 0 ? page.screen.titleLabel.pointSize : 33
        font.weight: Font.Bold
        font.letterSpacing: 0.2

        Behavior on x {
            enabled: page.screen.leftConstraint.animationDuration > 0
            OutletAnimation { outlet: page.screen.leftConstraint }
        }
        Behavior on y {
            enabled: page.screen.topConstraint.animationDuration > 0
            OutletAnimation { outlet: page.screen.topConstraint }
        }
        Behavior on plainSize {
            enabled: page.screen.titleLabel.animationDuration > 0
            OutletAnimation { outlet: page.screen.titleLabel }
        }
    }

    // Rate, feedback and the application's settings, on a dock over the list.
    Rectangle {
        anchors.fill: toolbar
        anchors.margins: -8
        radius: height / 2
        color: Theme.color("backgroundColor")
        opacity: 0.92
        border.color: Theme.color("separatorColor")
        border.width: 1
    }

    Row {
        id: toolbar
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: page.compact ? 24 : 40
        spacing: 24

        IconButton {
            width: 48
            height: 48
            lines: "M12,3.8 L14.5,9 L20.2,9.7 L16,13.6 L17.1,19.3 "
                   + "L12,16.5 L6.9,19.3 L8,13.6 L3.8,9.7 L9.5,9 Z"
            accent: "M12,8.5 L12,12.5"
            objectName: "rateButton"
            accessibleName: Localized.text("raterRateButton")
            onClicked: page.screen.rateButtonTapped()
        }
        IconButton {
            width: 48
            height: 48
            lines: "M6.5,5 L17.5,5 Q19.5,5 19.5,7 L19.5,14 Q19.5,16 17.5,16 L11.5,16 "
                   + "L7.5,19.5 L7.5,16 L6.5,16 Q4.5,16 4.5,14 L4.5,7 Q4.5,5 6.5,5 Z"
            accent: "M8.5,9 L15.5,9 M8.5,12 L13,12"
            objectName: "feedbackButton"
            accessibleName: Localized.text("feedbackButtonLabel")
            onClicked: page.screen.feedbackButtonTapped()
        }
        IconButton {
            width: 48
            height: 48
            lines: "M4,7 L20,7 M4,12 L20,12 M4,17 L20,17"
            accent: "M9,5.2 L9,8.8 M15,10.2 L15,13.8 M7,15.2 L7,18.8"
            objectName: "settingButton"
            accessibleName: Localized.text("settingsButtonLabel")
            onClicked: page.screen.settingButtonTapped()
        }
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
}
