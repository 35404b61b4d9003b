pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The share sheet: a preview of the picture, saving it as a file at a path the user may edit, or
// opening it with another application.
Item {
    id: overlay

    required property ShareSheet sheet
    property bool editingPath: false
    // 0 hidden, 1 shown: the sheet slides up over the screen and back down, as long as pages slide.
    property real shown: sheet.showing ? 1 : 0

    visible: shown > 0
    Behavior on shown {
        NumberAnimation { duration: 250; easing.type: Easing.OutCubic }
    }

    Connections {
        target: overlay.sheet
        function onShowingChanged() {
            overlay.editingPath = false
            pathInput.text = overlay.sheet.suggestedPath
        }
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.color("dimmingColor")
        opacity: overlay.shown
        MouseArea {
            anchors.fill: parent
            onClicked: overlay.sheet.close()
        }
    }

    Rectangle {
        id: panel
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 10
        height: content.implicitHeight + 20
        transform: Translate { y: (1 - overlay.shown) * (panel.height + 10) }
        radius: 20
        color: Theme.color("alertBackgroundColor")
        border.color: Theme.color("separatorColor")
        border.width: 1

        // Taps on the panel stay on the panel.
        MouseArea {
            anchors.fill: parent
        }

        Column {
            id: content
            x: 16
            y: 10
            width: panel.width - 32
            spacing: 8

            Rectangle {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 36; height: 4; radius: 2
                color: Theme.color("separatorColor")
            }
            Text {
                width: parent.width
                text: Localized.text("shareTitle")
                textFormat: Text.PlainText
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: 15
                font.weight: Font.DemiBold
                color: Theme.color("textBrightColor")
            }
            Item {
                width: parent.width
                height: Math.min(260, overlay.height * 0.32) + 12

                Image {
                    id: preview
                    anchors.fill: parent
                    anchors.topMargin: 6
                    anchors.bottomMargin: 6
                    source: overlay.sheet.previewUrl
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                    mipmap: true
                }
                Rectangle {
                    anchors.centerIn: preview
                    width: preview.paintedWidth + 2
                    height: preview.paintedHeight + 2
                    color: "transparent"
                    radius: 3
                    border.color: Theme.color("separatorColor")
                    border.width: 1
                }
            }
            Text {
                width: parent.width
                visible: text !== ""
                text: overlay.sheet.status
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: 12
                color: overlay.sheet.failed ? Theme.color("destructiveColor")
                                            : Theme.color("textDarkColor")
            }
            Rectangle { width: parent.width; height: 1; color: Theme.color("separatorColor") }
            TextButton {
                width: parent.width
                visible: !overlay.editingPath
                label: Localized.text("shareSaveAs")
                onClicked: overlay.editingPath = true
            }
            Row {
                width: parent.width
                visible: overlay.editingPath
                spacing: 8
                Rectangle {
                    width: parent.width - saveButton.width - parent.spacing
                    height: 44
                    radius: 10
                    color: Theme.color("backgroundColor")
                    border.color: pathInput.activeFocus ? Theme.color("highlightColor")
                                                        : Theme.color("separatorColor")
                    border.width: 1
                    clip: true
                    TextInput {
                        id: pathInput
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 12
                        verticalAlignment: TextInput.AlignVCenter
                        font.pixelSize: 13
                        color: Theme.color("textBrightColor")
                        selectionColor: Theme.color("highlightColor")
                        selectedTextColor: Theme.color("backgroundColor")
                        selectByMouse: true
                        onAccepted: overlay.sheet.saveAs(text)
                    }
                }
                TextButton {
                    id: saveButton
                    width: 88
                    height: 44
                    emphasized: true
                    label: overlay.sheet.confirmingReplace ? Localized.text("shareReplace")
                                                           : Localized.text("shareSave")
                    onClicked: overlay.sheet.saveAs(pathInput.text)
                }
            }
            Rectangle { width: parent.width; height: 1; color: Theme.color("separatorColor") }
            TextButton {
                width: parent.width
                label: Localized.text("shareOpenWith")
                onClicked: overlay.sheet.openWithApplication()
            }
            Rectangle { width: parent.width; height: 1; color: Theme.color("separatorColor") }
            TextButton {
                width: parent.width
                emphasized: true
                label: Localized.text("Cancel")
                onClicked: overlay.sheet.close()
            }
        }
    }
}
