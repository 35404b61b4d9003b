pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import Voltaro

// The application window, shaped like a phone: the screens, and above them the alert and the
// share sheet.
Window {
    id: window

    required property AppShell shell
    property alias screenStack: stack

    width: 390
    height: 844
    minimumWidth: 320
    minimumHeight: 700
    visible: true
    color: Theme.color("backgroundColor")
    title: "Voltaro"

    ScreenStack {
        id: stack
        anchors.fill: parent
    }

    ShareOverlay {
        anchors.fill: parent
        sheet: window.shell.shareSheet
    }

    AlertOverlay {
        anchors.fill: parent
        alerts: window.shell.alerts
    }
}
