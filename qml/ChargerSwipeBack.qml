pragma ComponentBehavior: Bound
import QtQuick

// A right swipe across a charger screen: told once the finger has travelled far enough.
DragHandler {
    id: swipe

    property real travel: 0
    signal swiped

    target: null
    // Handlers further in (a card's own swipe) keep their gestures.
    grabPermissions: PointerHandler.CanTakeOverFromItems | PointerHandler.ApproveTakeOverByAnything
    xAxis.enabled: true
    yAxis.enabled: false
    onTranslationChanged: travel = translation.x
    onActiveChanged: {
        if (active)
            travel = 0
        else if (travel > 60)
            swipe.swiped()
    }
}
