pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The top of a screen: the back button on the left and the screen's title in the middle, at
// the height of the main screen's header.
Item {
    id: bar

    required property LabelAdapter titleOutlet
    signal backClicked

    implicitHeight: Style.barHeight

    IconButton {
        id: back
        shape: "back"
        accessibleName: Localized.text("backButtonLabel")
        anchors.left: parent.left
        anchors.leftMargin: Style.barMargin
        anchors.verticalCenter: parent.verticalCenter
        onClicked: bar.backClicked()
    }

    OutletText {
        outlet: bar.titleOutlet
        anchors.centerIn: parent
        width: Math.min(implicitWidth, bar.width - 2 * (back.width + 28))
        elide: Text.ElideRight
        plainSize: Style.titleSize
        font.weight: Font.DemiBold
        font.letterSpacing: 0.3
    }
}
