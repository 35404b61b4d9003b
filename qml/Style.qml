pragma Singleton
import QtQuick
import Voltaro

// The look that every screen shares, in one place: the named colours (their values are in
// resources/colors.json) and the sizes of the shared components.
QtObject {
    readonly property color highlight: Theme.color("highlightColor")
    readonly property color background: Theme.color("backgroundColor")
    readonly property color cellBackground: Theme.color("cellBackgroundColor")
    readonly property color separator: Theme.color("separatorColor")
    readonly property color textBright: Theme.color("textBrightColor")
    readonly property color textDark: Theme.color("textDarkColor")
    readonly property color alertBackground: Theme.color("alertBackgroundColor")
    readonly property color destructive: Theme.color("destructiveColor")

    // Pressed controls shrink a little, for this long.
    readonly property int pressDuration: 90
    // Round icon buttons, and how far around them a tap still counts.
    readonly property real iconButtonSize: 40
    readonly property real touchMargin: 6
    // Pills: choices, and the highlight-coloured primary action (compact inside a page).
    readonly property real pillHeight: 42
    readonly property real primaryHeight: 56
    readonly property real compactPrimaryHeight: 48
    // Cards and the rows of sheets.
    readonly property real cardRadius: 18
    readonly property real cardPadding: 16
    readonly property real cardSpacing: 14
    readonly property real sheetRowHeight: 50
    // The bar at the top of a screen: its height, the back button's margin, the title's size.
    readonly property real barHeight: 40
    readonly property real barMargin: 18
    readonly property real titleSize: 17
    readonly property real captionSize: 12
}
