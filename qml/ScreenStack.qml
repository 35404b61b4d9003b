pragma ComponentBehavior: Bound
import QtQuick

// The screens of the window, the topmost last. The navigator puts each screen's page here,
// settles it when its transition is over and removes it when the screen is dismissed; this item
// only animates. Durations are in real milliseconds.
Item {
    id: stack

    property var frames: []
    // False while a page slides in or out: then neither it nor the page under it takes input,
    // so one tap makes one action. The navigator sets it.
    property bool interactive: true

    clip: true

    // Above every page while they move: takes the taps, drags and wheel turns meant for them.
    MouseArea {
        objectName: "transitionShield"
        anchors.fill: parent
        z: 1
        enabled: !stack.interactive
        acceptedButtons: Qt.AllButtons
        onWheel: wheel => wheel.accepted = true
    }

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

    function topPage() {
        if (stack.frames.length === 0)
            return null
        const frame = stack.frames[stack.frames.length - 1]
        return frame.children.length > 0 ? frame.children[0] : null
    }

    // Moves the keyboard to the next control of the top page in reading order (rows top to
    // bottom, each left to right), whatever order the page declares them in; around at the end.
    function focusNext(forward) {
        const page = topPage()
        if (page === null)
            return
        const controls = []
        const visit = (item, clip) => {
            if (!item.visible || !item.enabled || item.opacity === 0)
                return
            const area = item.mapToItem(stack, 0, 0, item.width, item.height)
            if (item.clip)
                clip = intersect(clip, area)
            if (item.activeFocusOnTab && clip.width > 0 && clip.height > 0
                    && intersect(clip, area).width > 0 && intersect(clip, area).height > 0)
                controls.push({ item: item, area: area })
            for (let i = 0; i < item.children.length; ++i)
                visit(item.children[i], clip)
        }
        visit(page, Qt.rect(0, 0, stack.width, stack.height))
        if (controls.length === 0)
            return
        controls.sort((a, b) => {
            const sameRow = Math.abs((a.area.y + a.area.height / 2) - (b.area.y + b.area.height / 2))
                            < Math.min(a.area.height, b.area.height) / 2
            return sameRow ? a.area.x - b.area.x : a.area.y - b.area.y
        })
        const current = controls.findIndex(control => control.item.activeFocus)
        const next = current < 0 ? (forward ? 0 : controls.length - 1)
                                 : (current + (forward ? 1 : -1) + controls.length) % controls.length
        controls[next].item.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
    }

    function intersect(a, b) {
        const left = Math.max(a.x, b.x)
        const top = Math.max(a.y, b.y)
        return Qt.rect(left, top, Math.max(0, Math.min(a.x + a.width, b.x + b.width) - left),
                       Math.max(0, Math.min(a.y + a.height, b.y + b.height) - top))
    }

    // What the top page's back button does, where it has one: its own goBack(), else its screen's
    // backButtonTapped().
    function goBack() {
        const page = topPage()
        if (page === null)
            return
        if (typeof page.goBack === "function")
            page.goBack()
        else if (page.screen && typeof page.screen.backButtonTapped === "function")
            page.screen.backButtonTapped()
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
