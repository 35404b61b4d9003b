pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A round icon button like the main screen's history button: a dark disc with a thin rim and a
// line icon. When it stands for a button outlet, it follows the outlet and reports its size.
Item {
    id: button

    property ButtonAdapter outlet: null
    property alias lines: icon.lines
    property alias accent: icon.accent
    property alias accentColor: icon.accentColor
    property string accessibleName
    // Room left of the disc that still belongs to the button (and to its size).
    property real leadingInset: 0
    signal clicked

    implicitWidth: 40
    implicitHeight: 40
    visible: outlet === null || !outlet.hidden
    opacity: outlet === null || outlet.enabled ? 1 : 0.4
    enabled: outlet === null || outlet.enabled

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: button.clicked()
    // Tab reaches it; Enter and Space press it.
    activeFocusOnTab: true
    Keys.onReturnPressed: button.clicked()
    Keys.onEnterPressed: button.clicked()
    Keys.onSpacePressed: button.clicked()

    Rectangle {
        x: button.leadingInset
        width: button.width - button.leadingInset
        height: button.height
        radius: width / 2
        color: Theme.color("cellBackgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1
        scale: tap.pressed ? 0.92 : 1
        Behavior on scale {
            NumberAnimation { duration: 90; easing.type: Easing.OutQuad }
        }

        HistoryGlyph {
            id: icon
            anchors.centerIn: parent
            width: Math.round(parent.width * 0.55)
            height: width
        }
    }

    MouseArea {
        id: tap
        anchors.fill: parent
        anchors.margins: -6
        onClicked: button.clicked()
    }

    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: if (outlet) outlet.setSize(width, height)

    FocusRing {}
}
