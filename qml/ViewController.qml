pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The main test screen: the model, the battery level, the lightning, the power with its stars,
// the running test time and the messages. Layout and styling only; what shows, and where the
// constraints put it, is the screen's.
Item {
    id: page

    required property ViewControllerScreen screen

    // Shorter windows draw everything a little closer together.
    readonly property bool compact: height < 760
    // Where the constraint offsets count from, in points from the top.
    readonly property real flashTop: compact ? 96 : 132
    readonly property real messageTop: compact ? 334 : 370
    readonly property real contentWidth: Math.min(width - 56, 360)

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: {
        screen.view.setSize(width, height)
        // The scene's own images and texts.
        screen.flashImage.imageName = "flash"
        screen.shareButton.imageName = "shareButton"
        screen.wattAfterLabel.text = Localized.text("powerUnit")
        screen.wattUnderLabel.text = Localized.text("powerCaption")
        screen.timeAfterLabel.text = Localized.text("testTimeCaption")
        screen.optimalMessageLabel.text = Localized.text("optimalMessage")
        screen.PDLabel.text = Localized.text("fastChargeBadge")
    }

    ScreenBackground {
        anchors.fill: parent
    }

    // The warm light behind the lightning breathes with it.
    Image {
        width: 340
        height: 340
        anchors.horizontalCenter: flash.horizontalCenter
        anchors.verticalCenter: flash.verticalCenter
        source: Theme.image("glow")
        sourceSize: Qt.size(340, 340)
        opacity: flash.visible ? flash.opacity : 0
    }

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

    // Header: the model, and the way to the history.
    OutletText {
        id: modelName
        outlet: page.screen.phoneVersionLabel
        anchors.horizontalCenter: parent.horizontalCenter
        y: page.compact ? 40 : 62
        width: Math.min(implicitWidth, page.width - 140)
        elide: Text.ElideRight
        plainSize: 17
        font.weight: Font.DemiBold
        font.letterSpacing: 0.3
    }

    Image {
        id: historyButton
        objectName: "historyButton"
        anchors.right: parent.right
        anchors.rightMargin: 18
        anchors.verticalCenter: modelName.verticalCenter
        width: 44
        height: 44
        source: Theme.image("historyButton")
        sourceSize: Qt.size(88, 88)
        scale: historyTap.pressed ? 0.92 : 1

        Accessible.role: Accessible.Button
        Accessible.name: Localized.text("historyButtonLabel")
        Accessible.onPressAction: page.screen.testResultButtonTapped()
        activeFocusOnTab: true
        Keys.onReturnPressed: page.screen.testResultButtonTapped()
        Keys.onEnterPressed: page.screen.testResultButtonTapped()
        Keys.onSpacePressed: page.screen.testResultButtonTapped()

        FocusRing { radius: width / 2 + 3 }

        MouseArea {
            id: historyTap
            anchors.fill: parent
            anchors.margins: -8
            onClicked: page.screen.testResultButtonTapped()
        }
    }

    // The lightning.
    OutletImage {
        id: flash
        outlet: page.screen.flashImage
        width: 72
        height: 108
        anchors.horizontalCenter: parent.horizontalCenter
        y: page.flashTop + page.screen.topFlash.constant

        Behavior on y {
            enabled: page.screen.topFlash.animationDuration > 0
            OutletAnimation { outlet: page.screen.topFlash }
        }
    }

    // Fast-charge badge, under the lightning while unplugged.
    Rectangle {
        id: badge
        visible: !page.screen.PDLabel.hidden
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: flash.bottom
        anchors.topMargin: 18
        width: badgeText.implicitWidth + 28
        height: 28
        radius: 14
        color: "transparent"
        border.color: Theme.color("highlightColor")
        border.width: 1

        OutletText {
            id: badgeText
            outlet: page.screen.PDLabel
            anchors.centerIn: parent
            plainSize: 12
            plainColor: Theme.color("highlightColor")
            font.weight: Font.DemiBold
            font.letterSpacing: 0.6
        }
    }

    // Battery level, once a charger is connected.
    Rectangle {
        id: levelPill
        visible: !page.screen.batteryLevelView.hidden
        opacity: page.screen.batteryLevelView.alpha
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: flash.bottom
        anchors.topMargin: 16
        width: levelRow.implicitWidth + 40
        height: 52
        radius: 26
        color: Theme.color("cellBackgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1

        onWidthChanged: if (page.screen) page.screen.batteryLevelView.setSize(width, height)
        Component.onCompleted: page.screen.batteryLevelView.setSize(width, height)

        Row {
            id: levelRow
            anchors.centerIn: parent
            spacing: 12
            Image {
                anchors.verticalCenter: parent.verticalCenter
                width: 34
                height: 18
                source: Theme.image("battery")
                sourceSize: Qt.size(68, 36)
            }
            OutletText {
                anchors.verticalCenter: parent.verticalCenter
                outlet: page.screen.batteryLevelLabel
                plainSize: 26
                font.weight: Font.Light
            }
        }
    }

    // What to do next, on a card.
    Rectangle {
        visible: !page.screen.connectMessageLabel.hidden || !page.screen.optimalMessageLabel.hidden
        anchors.fill: messages
        anchors.margins: -18
        radius: 18
        color: Theme.color("cellBackgroundColor")
        opacity: 0.85
        border.color: Theme.color("separatorColor")
        border.width: 1
    }

    Column {
        id: messages
        anchors.horizontalCenter: parent.horizontalCenter
        y: page.messageTop + page.screen.topCharge.constant
        width: page.contentWidth - 36
        spacing: 14

        Behavior on y {
            enabled: page.screen.topCharge.animationDuration > 0
            OutletAnimation { outlet: page.screen.topCharge }
        }

        OutletText {
            outlet: page.screen.connectMessageLabel
            width: parent.width
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            plainSize: 15
        }
        Rectangle {
            visible: !page.screen.optimalMessageLabel.hidden
            anchors.horizontalCenter: parent.horizontalCenter
            width: 28
            height: 2
            radius: 1
            color: Theme.color("separatorColor")
        }
        OutletText {
            outlet: page.screen.optimalMessageLabel
            width: parent.width
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            plainSize: 12
            plainColor: Theme.color("textDarkColor")
        }
    }

    // The power: the figure and its unit, with the caption under them.
    Item {
        id: wattGroup
        anchors.horizontalCenter: parent.horizontalCenter
        y: flash.y + flash.height + 92 + page.screen.topWatt.constant
        width: page.width
        height: 104

        Behavior on y {
            enabled: page.screen.topWatt.animationDuration > 0
            OutletAnimation { outlet: page.screen.topWatt }
        }

        Row {
            id: wattRow
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8

            OutletText {
                id: watt
                outlet: page.screen.wattLabel
                width: Math.min(implicitWidth, 260)
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 24
                plainSize: 76
                plainColor: Theme.color("highlightColor")
                font.weight: Font.ExtraLight
                font.letterSpacing: -2
            }
            OutletText {
                outlet: page.screen.wattAfterLabel
                anchors.baseline: watt.baseline
                plainSize: 30
                plainColor: Theme.color("highlightColor")
                font.weight: Font.Light
            }
        }
        OutletText {
            outlet: page.screen.wattUnderLabel
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: wattRow.bottom
            anchors.topMargin: 2
            plainSize: 12
            plainColor: Theme.color("textDarkColor")
            font.capitalization: Font.AllUppercase
            font.letterSpacing: 1.8
        }
    }

    // The rating: five stars, each filled as far as its width; 13 points is a whole star.
    Item {
        id: starView
        visible: !page.screen.starView.hidden
        opacity: page.screen.starView.alpha
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: wattGroup.bottom
        anchors.topMargin: 14
        width: stars.width * stars.scale
        height: stars.height * stars.scale

        onWidthChanged: if (page.screen) page.screen.starView.setSize(width, height)
        Component.onCompleted: page.screen.starView.setSize(width, height)

        Row {
            id: stars
            anchors.centerIn: parent
            spacing: 5
            scale: 1.75

            Repeater {
                model: [page.screen.star1Width, page.screen.star2Width, page.screen.star3Width,
                        page.screen.star4Width, page.screen.star5Width]
                delegate: Item {
                    id: slot
                    required property ConstraintAdapter modelData
                    width: 13
                    height: 13

                    Image {
                        anchors.fill: parent
                        source: Theme.image("starEmpty")
                        sourceSize: Qt.size(52, 52)
                    }
                    Item {
                        width: Math.max(0, Math.min(13, slot.modelData.constant))
                        height: 13
                        clip: true
                        Image {
                            width: 13
                            height: 13
                            source: Theme.image("star")
                            sourceSize: Qt.size(52, 52)
                        }
                    }
                }
            }
        }
    }

    // What the service says of the result.
    OutletText {
        outlet: page.screen.beatLabel
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: starView.visible ? starView.bottom : wattGroup.bottom
        anchors.topMargin: 18
        width: page.contentWidth
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        plainSize: 14
        plainColor: Theme.color("textBrightColor")
    }

    // The running test time.
    Column {
        id: timeGroup
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: wattGroup.bottom
        anchors.topMargin: 6
        spacing: 2

        OutletText {
            id: time
            outlet: page.screen.timeLabel
            anchors.horizontalCenter: parent.horizontalCenter
            plainSize: 46
            font.weight: Font.ExtraLight
        }
        OutletText {
            outlet: page.screen.timeAfterLabel
            anchors.horizontalCenter: parent.horizontalCenter
            plainSize: 12
            plainColor: Theme.color("textDarkColor")
            font.capitalization: Font.AllUppercase
            font.letterSpacing: 1.8
        }
    }

    OutletText {
        outlet: page.screen.chargeMessageLabel
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: time.visible ? timeGroup.bottom : wattGroup.bottom
        anchors.topMargin: 22
        width: page.contentWidth
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        plainSize: 15
        plainColor: Theme.color("textDarkColor")
    }

    // Start and Stop, and the share button beside them.
    OutletButton {
        id: startButton
        outlet: page.screen.startButton
        accessibleName: Localized.text(outlet.imageName === "stopButton" ? "stopButtonLabel"
                                                                         : "startButtonLabel")
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: page.compact ? 56 : 92
        width: page.compact ? 88 : 104
        height: width
        onClicked: page.screen.buttonClicked()
    }

    OutletButton {
        outlet: page.screen.shareButton
        accessibleName: Localized.text("shareTitle")
        anchors.left: startButton.right
        anchors.leftMargin: 30
        anchors.verticalCenter: startButton.verticalCenter
        width: 56
        height: 56
        onClicked: page.screen.shareButtonClick()
    }

    // Two pages: this one, and the history a left swipe away.
    Row {
        id: pageDots
        visible: !page.screen.pageController.hidden
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: page.compact ? 22 : 38
        spacing: 8

        onWidthChanged: if (page.screen) page.screen.pageController.setSize(width, height)
        Component.onCompleted: page.screen.pageController.setSize(width, height)

        Rectangle { width: 18; height: 6; radius: 3; color: Theme.color("textBrightColor") }
        Rectangle { width: 6; height: 6; radius: 3; color: Theme.color("separatorColor") }
    }

    // The test log, for diagnostics; the screen keeps it hidden.
    OutletText {
        outlet: page.screen.testMessageLabel
        x: 16
        y: 120
        width: page.width - 32
        wrapMode: Text.Wrap
        plainSize: 10
        plainColor: Theme.color("textDarkColor")
    }

    // A left swipe anywhere opens the history.
    DragHandler {
        id: swipe

        property real travel: 0

        target: null
        xAxis.enabled: true
        yAxis.enabled: false
        onTranslationChanged: travel = translation.x
        onActiveChanged: {
            if (active)
                travel = 0
            else if (travel < -60)
                page.screen.showResultVC()
        }
    }
}
