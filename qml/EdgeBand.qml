pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// A view outlet that shows only its layers: the dark shading bands at the top and bottom of a
// screen. The layers stretch to the band's size, which the page gives it.
LayerItem {
    id: band
    objectName: "edgeBand"

    required property ViewAdapter outlet

    visible: !outlet.hidden
    opacity: outlet.alpha
    layers: outlet.layers
    fitWidth: true
    fitHeight: true

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)
}
