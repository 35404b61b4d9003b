pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The caption of a group, in the style of the main screen's small captions.
OutletText {
    plainSize: Style.captionSize
    plainColor: Style.textDark
    font.capitalization: Font.AllUppercase
    font.letterSpacing: 1.6
    font.weight: Font.DemiBold
    elide: Text.ElideRight
}
