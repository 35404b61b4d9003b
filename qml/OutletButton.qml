pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A button outlet drawn as its named image, pressed a little smaller.
Item {
    id: button

    required property ButtonAdapter outlet
    property string accessibleName: outlet.title
    signal clicked

    visible: !outlet.hidden
    opacity: outlet.enabled ? outlet.alpha : outlet.alpha * 0.4
    enabled: outlet.enabled

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: button.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    Keys.onSpacePressed: button.clicked()

    Image {
        anchors.fill: parent
        source: Theme.image(button.outlet.imageName)
        sourceSize: Qt.size(width * 2, height * 2)
        fillMode: Image.PreserveAspectFit
        smooth: true
        scale: tap.pressed ? 0.93 : 1
        Behavior on scale {
            NumberAnimation { duration: 90; easing.type: Easing.OutQuad }
        }
    }

    MouseArea {
        id: tap
        anchors.fill: parent
        onClicked: button.clicked()
    }

    Behavior on opacity {
        enabled: button.outlet.animationDuration > 0
        OutletAnimation { outlet: button.outlet }
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)

    FocusRing {}
}
