pragma ComponentBehavior: Bound
import QtQuick

// The screens of the window, the topmost last. The navigator puts each screen's page here,
// settles it when its transition is over and removes it when the screen is dismissed; this item
// only animates. Durations are in real milliseconds.
Item {
    id: stack

    property var frames: []

    clip: true

    component Frame: Item {
        id: frame

        property real angle: 0
        property var animation: null

        width: stack.width
        height: stack.height
        transform: Rotation {
            origin.x: frame.width / 2
            origin.y: frame.height / 2
            axis { x: 0; y: 1; z: 0 }
            angle: frame.angle
        }
    }

    Component {
        id: frameComponent
        Frame {}
    }

    // Pushes in from one side while the other page leaves on the opposite side.
    Component {
        id: slideComponent
        ParallelAnimation {
            id: slide
            required property Item incoming
            required property Item outgoing
            required property real direction  // 1: comes from the right, -1: from the left
            required property int length

            NumberAnimation {
                target: slide.incoming; property: "x"
                from: slide.direction * stack.width; to: 0
                duration: slide.length; easing.type: Easing.OutCubic
            }
            NumberAnimation {
                target: slide.outgoing; property: "x"
                from: 0; to: -slide.direction * stack.width
                duration: slide.length; easing.type: Easing.OutCubic
            }
        }
    }

    Component {
        id: fadeComponent
        NumberAnimation {
            required property Item fading
            required property bool appearing
            required property int length

            target: fading; property: "opacity"
            from: appearing ? 0 : 1; to: appearing ? 1 : 0
            duration: length; easing.type: Easing.InOutQuad
        }
    }

    // Turns the leaving page edge-on, then the coming page from the other edge.
    Component {
        id: flipComponent
        SequentialAnimation {
            id: flip
            required property Item incoming
            required property Item outgoing
            required property real direction
            required property int length

            NumberAnimation {
                target: flip.outgoing; property: "angle"
                from: 0; to: 90 * flip.direction
                duration: flip.length / 2; easing.type: Easing.InQuad
            }
            ScriptAction {
                script: {
                    flip.outgoing.visible = false
                    flip.incoming.visible = true
                }
            }
            NumberAnimation {
                target: flip.incoming; property: "angle"
                from: -90 * flip.direction; to: 0
                duration: flip.length / 2; easing.type: Easing.OutQuad
            }
        }
    }

    function frameOf(page) {
        return page ? page.parent : null
    }

    function reset(frame) {
        frame.x = 0
        frame.opacity = 1
        frame.angle = 0
    }

    function animate(transition, incoming, outgoing, presenting, length) {
        let animation = null
        if (outgoing === null || length <= 0 || transition === "none") {
            return
        } else if (transition === "slideFromRight" || transition === "slideFromLeft") {
            animation = slideComponent.createObject(stack, {
                incoming: incoming, outgoing: outgoing, length: length,
                direction: transition === "slideFromRight" ? 1 : -1
            })
        } else if (transition === "crossDissolve") {
            animation = fadeComponent.createObject(stack, {
                fading: presenting ? incoming : outgoing, appearing: presenting, length: length
            })
        } else if (transition === "flipHorizontal") {
            incoming.visible = false
            animation = flipComponent.createObject(stack, {
                incoming: incoming, outgoing: outgoing, length: length,
                direction: presenting ? 1 : -1
            })
        }
        if (animation === null)
            return
        incoming.animation = animation
        outgoing.animation = animation
        animation.start()
    }

    function finish(frame) {
        const animation = frame.animation
        if (animation !== null) {
            animation.complete()
            for (const other of stack.frames) {
                if (other.animation === animation)
                    other.animation = null
            }
            animation.destroy()
        }
    }

    // The navigator calls these.
    function present(page, transition, length) {
        const below = stack.frames.length > 0 ? stack.frames[stack.frames.length - 1] : null
        const frame = frameComponent.createObject(stack)
        page.parent = frame
        page.anchors.fill = frame
        stack.frames.push(frame)
        animate(transition, frame, below, true, length)
    }

    function dismiss(page, revealedPage, transition, length) {
        const frame = frameOf(page)
        const revealed = frameOf(revealedPage)
        if (revealed !== null) {
            finish(revealed)
            reset(revealed)
            revealed.visible = true
        }
        animate(transition, revealed, frame, false, length)
    }

    // The page's transition is over: it shows in full, and the pages below are put away.
    function settle(page) {
        const frame = frameOf(page)
        if (frame === null)
            return
        finish(frame)
        reset(frame)
        frame.visible = true
        const index = stack.frames.indexOf(frame)
        for (let i = 0; i < index; ++i) {
            finish(stack.frames[i])
            reset(stack.frames[i])
            stack.frames[i].visible = false
        }
    }

    function remove(page) {
        const frame = frameOf(page)
        if (frame === null)
            return
        finish(frame)
        stack.frames.splice(stack.frames.indexOf(frame), 1)
        page.anchors.fill = undefined
        page.parent = null
        frame.destroy()
    }
}
