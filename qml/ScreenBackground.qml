pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The deep blue-black behind every screen.
Rectangle {
    gradient: Gradient {
        GradientStop { position: 0.0; color: Theme.color("backgroundTopColor") }
        GradientStop { position: 0.55; color: Theme.color("backgroundColor") }
        GradientStop { position: 1.0; color: Theme.color("backgroundColor") }
    }
}
