pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// An image outlet: the named image, drawn sharp at the item's size.
Image {
    id: image

    required property ImageViewAdapter outlet

    visible: !outlet.hidden
    opacity: outlet.alpha
    source: Theme.image(outlet.imageName)
    sourceSize: Qt.size(width * 2, height * 2)
    fillMode: Image.PreserveAspectFit
    smooth: true

    Behavior on opacity {
        enabled: image.outlet.animationDuration > 0
        OutletAnimation { outlet: image.outlet }
    }

    // The size goes back to the outlet once the outlet is bound.
    onWidthChanged: if (outlet) outlet.setSize(width, height)
    onHeightChanged: if (outlet) outlet.setSize(width, height)
    Component.onCompleted: outlet.setSize(width, height)
}
