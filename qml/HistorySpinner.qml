pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A small white spinner: twelve bars fading round a circle.
Item {
    id: spinner

    property bool running: false

    implicitWidth: 28
    implicitHeight: 28

    Item {
        id: wheel
        anchors.fill: parent

        Repeater {
            model: 12
            delegate: Rectangle {
                id: bar
                required property int index
                x: wheel.width / 2 - width / 2
                y: 0
                width: 2.5
                height: wheel.height * 0.28
                radius: width / 2
                color: Theme.color("white")
                opacity: 0.2 + 0.8 * bar.index / 11
                transform: Rotation {
                    origin.x: bar.width / 2
                    origin.y: wheel.height / 2
                    angle: bar.index * 30
                }
            }
        }

        RotationAnimator on rotation {
            running: spinner.running && spinner.visible
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
        }
    }
}
