pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The charger setup screen: the kind, the brand, the rated power or the capacity, and the port,
// each a row of pills on a card, and the save button. Which pills show, which are lit and
// whether saving is possible is the screen's.
Item {
    id: page

    required property SelectModelVCScreen screen

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

    // A group: its caption, and its pills under it, wrapping on narrow windows.
    component Group: Card {
        id: group

        required property LabelAdapter caption
        default property alias pills: pillFlow.data

        width: parent ? parent.width : 0
        padding: 14

        Caption {
            outlet: group.caption
            width: Math.min(implicitWidth, parent.width)
        }
        Flow {
            id: pillFlow
            width: parent.width
            spacing: 6
        }
    }

    // The button at the end of a row of quick picks that adds a value of its own.
    component AddPill: IconButton {
        shape: "add"
        width: 42
        height: 42
        glyphColor: Theme.color("highlightColor")
        discColor: Theme.color("backgroundColor")
    }

    Flickable {
        id: scroller
        anchors.top: navigation.bottom
        anchors.topMargin: 22
        anchors.bottom: save.top
        anchors.bottomMargin: 16
        width: parent.width
        contentHeight: groups.height + 8
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        Column {
            id: groups
            x: 16
            width: scroller.width - 32
            spacing: 14

            Group {
                id: kinds
                caption: page.screen.typeCaptionLabel

                Repeater {
                    model: [page.screen.typeButton1, page.screen.typeButton2,
                            page.screen.typeButton3]
                    delegate: Pill {
                        required property ButtonAdapter modelData
                        required property int index
                        outlet: modelData
                        width: Math.floor((kinds.width - 2 * kinds.padding - 12) / 3)
                        onClicked: page.screen.typeButtonTapped(index + 1)
                    }
                }
            }

            Group {
                caption: page.screen.brandCaptionLabel

                Repeater {
                    model: [[page.screen.brandButton1, page.screen.brandButton1Width],
                            [page.screen.brandButton2, page.screen.brandButton2Width],
                            [page.screen.brandButton3, page.screen.brandButton3Width]]
                    delegate: Pill {
                        required property var modelData
                        required property int index
                        outlet: modelData[0]
                        widthConstraint: modelData[1]
                        onClicked: page.screen.brandButtonTapped(index + 1)
                    }
                }
                AddPill {
                    accessibleName: Localized.text("addBrandTitle")
                    onClicked: page.screen.addBrandButtonTapped()
                }
            }

            // The rated power for wall and car chargers, the capacity for power banks: one of
            // the two rows shows, under the screen's caption of the one that does.
            Group {
                id: values
                caption: page.screen.typeLabel

                Flow {
                    id: wattRow
                    visible: !page.screen.wattView.hidden
                    width: parent.width
                    spacing: 6
                    onWidthChanged: page.screen.wattView.setSize(width, height)
                    Component.onCompleted: page.screen.wattView.setSize(width, height)

                    Repeater {
                        model: [[page.screen.wattButton1, page.screen.wattButton1Width],
                                [page.screen.wattButton2, page.screen.wattButton2Width],
                                [page.screen.wattButton3, page.screen.wattButton3Width]]
                        delegate: Pill {
                            required property var modelData
                            required property int index
                            outlet: modelData[0]
                            widthConstraint: modelData[1]
                            onClicked: page.screen.wattButtonTapped(index + 1)
                        }
                    }
                    AddPill {
                        accessibleName: Localized.text("添加功率")
                        onClicked: page.screen.addWattsButtonTapped()
                    }
                }
                Flow {
                    id: ampRow
                    visible: !page.screen.ampView.hidden
                    width: parent.width
                    spacing: 6
                    onWidthChanged: page.screen.ampView.setSize(width, height)
                    Component.onCompleted: page.screen.ampView.setSize(width, height)

                    Repeater {
                        model: [[page.screen.ampButton1, page.screen.ampButton1Width],
                                [page.screen.ampButton2, page.screen.ampButton2Width],
                                [page.screen.ampButton3, page.screen.ampButton3Width]]
                        delegate: Pill {
                            required property var modelData
                            required property int index
                            outlet: modelData[0]
                            widthConstraint: modelData[1]
                            onClicked: page.screen.ampButtonTapped(index + 1)
                        }
                    }
                    AddPill {
                        accessibleName: Localized.text("添加容量")
                        onClicked: page.screen.addAmpButtonTapped()
                    }
                }
            }

            Group {
                id: ports
                caption: page.screen.portCaptionLabel

                Repeater {
                    model: [page.screen.portButton1, page.screen.portButton2,
                            page.screen.portButton3]
                    delegate: Pill {
                        required property ButtonAdapter modelData
                        required property int index
                        outlet: modelData
                        width: Math.floor((ports.width - 2 * ports.padding - 12) / 3)
                        onClicked: page.screen.portButtonTapped(index + 1)
                    }
                }
            }
        }
    }

    PrimaryButton {
        id: save
        outlet: page.screen.addButton
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40
        width: Math.min(parent.width - 40, 360)
        onClicked: page.screen.saveButtonTapped()
    }

    ChargerSwipeBack {
        onSwiped: page.screen.pop()
    }
}
