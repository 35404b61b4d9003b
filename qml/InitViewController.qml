pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The intro: the phone and its title slide in to the middle with the lightning and the line, then
// the message and the version fade in. Where each element starts is this scene's; where it ends,
// and when, is the screen's.
Item {
    id: page

    required property Screen screen

    readonly property real phoneTop: Math.round(height * 0.2)

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: {
        screen.view.setSize(width, height)
        screen.phoneImage.imageName = "phone"
        screen.flashImage.imageName = "flash"
        screen.lineImage.imageName = "line"
        screen.phoneTitle.text = Localized.text("introTitle")
        screen.messageLabel.text = Localized.text("introMessage")
        screen.v1Label.text = Localized.text("versionLabel") + " " + Localized.version
        // Everything starts out of sight: the phone and the line on the left, the lightning
        // and the title on the right, the two texts transparent.
        screen.messageLabel.alpha = 0
        screen.v1Label.alpha = 0
        screen.phoneLeft.constant = -phone.width - 40
        screen.lineLeft.constant = -line.width - 40
        screen.flashLeft.constant = width + 40
        screen.phoneTitleLeft.constant = width + 40
    }

    ScreenBackground {
        anchors.fill: parent
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

    OutletImage {
        id: phone
        outlet: page.screen.phoneImage
        width: 120
        height: 230
        x: page.screen.phoneLeft.constant
        y: page.phoneTop

        Behavior on x {
            enabled: page.screen.phoneLeft.animationDuration > 0
            OutletAnimation { outlet: page.screen.phoneLeft }
        }
    }

    Image {
        width: 260
        height: 260
        anchors.centerIn: flash
        source: Theme.image("glow")
        sourceSize: Qt.size(260, 260)
    }

    OutletImage {
        id: flash
        outlet: page.screen.flashImage
        width: 56
        height: 84
        x: page.screen.flashLeft.constant
        y: phone.y + (phone.height - height) / 2

        Behavior on x {
            enabled: page.screen.flashLeft.animationDuration > 0
            OutletAnimation { outlet: page.screen.flashLeft }
        }
    }

    OutletImage {
        id: line
        outlet: page.screen.lineImage
        width: 220
        height: 6
        x: page.screen.lineLeft.constant
        y: phone.y + phone.height + 30

        Behavior on x {
            enabled: page.screen.lineLeft.animationDuration > 0
            OutletAnimation { outlet: page.screen.lineLeft }
        }
    }

    OutletText {
        id: title
        outlet: page.screen.phoneTitle
        x: page.screen.phoneTitleLeft.constant
        y: line.y + line.height + 26
        z: 1
        plainSize: 38
        font.weight: Font.Bold
        font.letterSpacing: 1

        Behavior on x {
            enabled: page.screen.phoneTitleLeft.animationDuration > 0
            OutletAnimation { outlet: page.screen.phoneTitleLeft }
        }
    }

    OutletText {
        outlet: page.screen.messageLabel
        anchors.horizontalCenter: parent.horizontalCenter
        y: title.y + title.height + 14
        width: Math.min(page.width - 64, 320)
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        plainSize: 15
        plainColor: Theme.color("textDarkColor")
    }

    OutletText {
        outlet: page.screen.v1Label
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 44
        plainSize: 12
        plainColor: Theme.color("textDarkColor")
        font.letterSpacing: 0.8
    }
}
