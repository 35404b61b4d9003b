import QtQuick
import Voltaro

// The ring around the control that has the keyboard: fills its parent, a little outside it.
Rectangle {
    anchors.fill: parent
    anchors.margins: -3
    radius: parent.radius !== undefined ? parent.radius + 3 : 8
    color: "transparent"
    border.color: Theme.color("highlightColor")
    border.width: 2
    visible: parent.activeFocus
}
