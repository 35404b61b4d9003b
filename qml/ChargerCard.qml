pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A group of the setup screen on a card: the content laid out in a column with padding.
Rectangle {
    id: card

    default property alias content: column.data
    property real padding: 16

    implicitHeight: column.implicitHeight + 2 * padding
    radius: 18
    color: Theme.color("cellBackgroundColor")
    border.color: Theme.color("separatorColor")
    border.width: 1

    Column {
        id: column
        x: card.padding
        y: card.padding
        width: card.width - 2 * card.padding
        spacing: 14
    }
}
