pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A group of things on a card: the content laid out in a column with padding.
Rectangle {
    id: card

    default property alias content: column.data
    property real padding: Style.cardPadding

    implicitHeight: column.implicitHeight + 2 * padding
    radius: Style.cardRadius
    color: Style.cellBackground
    border.color: Style.separator
    border.width: 1

    Column {
        id: column
        x: card.padding
        y: card.padding
        width: card.width - 2 * card.padding
        spacing: Style.cardSpacing
    }
}
