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
        objectName: "shareOverlay"
        anchors.fill: parent
        sheet: window.shell.shareSheet
    }

    AlertOverlay {
        anchors.fill: parent
        alerts: window.shell.alerts
    }

    // Tab and Shift+Tab go through the controls of the top page in reading order.
    Shortcut {
        sequences: ["Tab"]
        enabled: stack.interactive && !window.shell.alerts.showing && !window.shell.shareSheet.showing
        onActivated: stack.focusNext(true)
    }
    Shortcut {
        sequences: ["Shift+Tab"]
        enabled: stack.interactive && !window.shell.alerts.showing && !window.shell.shareSheet.showing
        onActivated: stack.focusNext(false)
    }

    // Escape goes back: it closes the share sheet, else leaves the top page as its back button
    // does. An alert waits for its answer.
    Shortcut {
        sequences: [StandardKey.Cancel, StandardKey.Back]
        enabled: stack.interactive && !window.shell.alerts.showing
        onActivated: {
            if (window.shell.shareSheet.showing)
                window.shell.shareSheet.close()
            else
                stack.goBack()
        }
    }
}
