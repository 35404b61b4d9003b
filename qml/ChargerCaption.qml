pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The caption of a group of choices, in the style of the main screen's small captions.
OutletText {
    plainSize: 12
    plainColor: Theme.color("textDarkColor")
    font.capitalization: Font.AllUppercase
    font.letterSpacing: 1.6
    font.weight: Font.DemiBold
    elide: Text.ElideRight
}
