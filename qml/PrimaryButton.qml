pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The one big action of a screen: a pill in the highlight colour with the button's title (and a
// leading `glyph`), dimmed to the button's alpha and not tappable while disabled. `compact` is
// the smaller one that sits inside a page, at least wide enough for a short title.
Pressable {
    id: button

    required property ButtonAdapter outlet
    property string glyph: ""
    property bool compact: false

    visible: !outlet.hidden
    enabled: outlet.enabled
    opacity: compact ? (outlet.enabled ? outlet.alpha : outlet.alpha * 0.4) : outlet.alpha
    implicitHeight: compact ? Style.compactPrimaryHeight : Style.primaryHeight
    implicitWidth: compact ? Math.max(180, title.implicitWidth + 48) : title.implicitWidth + 60
    radius: height / 2
    color: Style.highlight
    pressedScale: compact ? 0.96 : 0.97
    accessibleName: outlet.title

    Behavior on opacity {
        enabled: !button.compact && button.outlet.animationDuration > 0
        OutletAnimation { outlet: button.outlet }
    }

    Row {
        anchors.centerIn: parent
        spacing: 8

        Text {
            visible: button.glyph !== ""
            anchors.verticalCenter: parent.verticalCenter
            text: button.glyph
            textFormat: Text.PlainText
            font.pixelSize: 22
            font.weight: Font.DemiBold
            color: Style.background
        }
        Text {
            id: title
            anchors.verticalCenter: parent.verticalCenter
            width: button.compact ? implicitWidth : Math.min(implicitWidth, button.width - 60)
            text: button.outlet.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font.pixelSize: button.compact ? 16 : 17
            font.weight: Font.DemiBold
            font.letterSpacing: button.compact ? 0 : 0.3
            color: Style.background
        }
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)
}
