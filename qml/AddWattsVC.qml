pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The value entry: a number typed into a large field with its unit beside it, on a card, and
// the save button under it. The field takes the keyboard as soon as the screen asks for it;
// whether the text is a value to keep is the screen's.
Item {
    id: page

    required property AddWattsVCScreen screen

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: screen.view.setSize(width, height)

    ScreenBackground {
        anchors.fill: parent
    }

    NavigationBar {
        id: navigation
        titleOutlet: page.screen.titleLabel
        y: 46
        width: parent.width
        onBackClicked: page.screen.backButtonTapped()
    }

    Card {
        id: card
        anchors.top: navigation.bottom
        anchors.topMargin: 28
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(parent.width - 32, 400)
        padding: 20

        Item {
            id: fieldRow
            width: parent.width
            height: 76

            // The number, with the screen's bottom line drawn by its layers.
            Item {
                id: inputBox
                anchors.left: parent.left
                anchors.right: unitBox.left
                anchors.rightMargin: 14
                height: parent.height
                visible: !page.screen.inputTextField.hidden
                clip: page.screen.inputTextField.clipsToBounds

                LayerItem {
                    anchors.fill: parent
                    layers: page.screen.inputTextField.layers
                }

                TextInput {
                    id: input
                    objectName: "inputTextField"
                    anchors.fill: parent
                    anchors.bottomMargin: 6
                    verticalAlignment: TextInput.AlignBottom
                    text: page.screen.inputTextField.text
                    inputMethodHints: Qt.ImhDigitsOnly | Qt.ImhNoPredictiveText
                    font.pixelSize: 52
                    font.weight: Font.ExtraLight
                    color: Theme.color("highlightColor")
                    selectionColor: Theme.color("highlightColor")
                    selectedTextColor: Theme.color("backgroundColor")
                    cursorVisible: activeFocus
                    clip: true

                    onTextEdited: {
                        page.screen.inputTextField.text = text
                        page.screen.edited()
                    }
                    onAccepted: page.screen.returnKeyPressed()
                    onActiveFocusChanged: page.screen.inputTextField.focused = activeFocus

                    Text {
                        anchors.left: parent.left
                        anchors.bottom: parent.bottom
                        visible: input.text === "" && text !== ""
                        text: page.screen.inputTextField.placeholder
                        textFormat: Text.PlainText
                        font: input.font
                        color: Theme.color("separatorColor")
                    }
                }

                onWidthChanged: page.screen.inputTextField.setSize(width, height)
                onHeightChanged: page.screen.inputTextField.setSize(width, height)
                Component.onCompleted: page.screen.inputTextField.setSize(width, height)
            }

            // The unit, read-only, with its own bottom line.
            Item {
                id: unitBox
                anchors.right: parent.right
                width: 72
                height: parent.height
                visible: !page.screen.wTextField.hidden
                clip: page.screen.wTextField.clipsToBounds

                LayerItem {
                    anchors.fill: parent
                    layers: page.screen.wTextField.layers
                }

                // The box, not the text, is the outlet's view: the text only shows its label.
                Text {
                    id: unit
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.bottom: parent.bottom
                    anchors.bottomMargin: 14
                    opacity: page.screen.wTextField.alpha
                    text: page.screen.wTextField.text
                    textFormat: Text.PlainText
                    font.pixelSize: 24
                    font.weight: Font.Light
                    color: page.screen.wTextField.textColorName !== ""
                           ? Theme.color(page.screen.wTextField.textColorName)
                           : Theme.color("textDarkColor")
                }

                onWidthChanged: page.screen.wTextField.setSize(width, height)
                onHeightChanged: page.screen.wTextField.setSize(width, height)
                Component.onCompleted: page.screen.wTextField.setSize(width, height)
            }
        }
    }

    Connections {
        target: page.screen.inputTextField
        function onFocusedChanged() {
            if (page.screen.inputTextField.focused)
                input.forceActiveFocus()
            else
                input.focus = false
        }
    }

    PrimaryButton {
        id: save
        outlet: page.screen.saveButton
        anchors.top: card.bottom
        anchors.topMargin: 24
        anchors.horizontalCenter: parent.horizontalCenter
        width: card.width
        onClicked: page.screen.saveButtonTapped()
    }

    ChargerSwipeBack {
        onSwiped: page.screen.pop()
    }
}
