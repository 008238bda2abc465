import QtQuick
import "../js/slider.js" as S
import "../js/keyaction.js" as KA

// A track with a draggable handle. With isScale the handle snaps to one of
// `segment` + 1 steps; the signals carry the handle's x. With the focus the
// arrows move it one step (a segment, or `keyStep` pixels when free), as a
// click on the track would.
Item {
    id: slider

    property var theme
    property int segment: 10
    property int segmentValue: 0
    property bool isScale: false
    property color colorS: theme.colorOrange
    property color trackColor: theme.colorGray1
    property int handleWidth: 12
    readonly property real handleX: handle.x
    readonly property bool isDragging: handleArea.drag.active
    // For assistive technology (read as its value and range); a page may
    // give what the position means to it.
    property string name
    property real value: isScale ? segmentValue : Math.round(handle.x - S.minX(handleWidth))
    property real minimumValue: 0
    property real maximumValue: isScale ? segment : Math.round(S.usableWidth(width, handleWidth))
    property real keyStep: S.stepWidth(width, handleWidth, segment)

    signal valueChange(int tmpValue)
    signal valueChangeDelay(int tmpValue)
    signal btnClick()
    signal dragSignal(bool isDrag)

    width: 100
    height: 6
    activeFocusOnTab: true
    Accessible.role: Accessible.Slider
    Accessible.name: name
    Accessible.focusable: true
    Accessible.onIncreaseAction: stepBy(1)
    Accessible.onDecreaseAction: stepBy(-1)
    Keys.onPressed: function (event) {
        var direction = KA.step(event)
        if (direction !== 0) {
            event.accepted = true
            slider.stepBy(direction)
        }
    }

    // Steps from the keyboard: the page hears them as a finished drag.
    function stepBy(direction) {
        glide.stop()
        btnClick()
        if (isScale) {
            setIndexValue(Math.max(0, Math.min(segment, segmentValue + direction)), true)
        } else {
            handle.x = Math.max(S.minX(handleWidth), Math.min(handle.x + direction * keyStep,
                                                              S.maxX(width, handleWidth)))
            valueChange(handle.x)
        }
        valueChangeDelay(handle.x)
    }

    function setRatioValue(ratio) {
        glide.stop()
        handle.x = S.ratioX(ratio, width, handleWidth)
        valueChange(handle.x)
    }

    function setIndexValue(index, isSendSignal) {
        glide.stop()
        handle.x = S.indexX(index, width, handleWidth, segment)
        segmentValue = index
        if (isSendSignal)
            valueChange(handle.x)
    }

    function setValue(x) {
        glide.stop()
        handle.x = x
    }

    // Moves the handle towards a press at x on the track.
    function pressTrack(x) {
        btnClick()
        var target = S.clampTarget(x, width, handleWidth)
        if (isScale) {
            glide.snapTo = S.snapIndex(target, width, handleWidth, segment, 0)
            target = S.indexX(glide.snapTo, width, handleWidth, segment)
        } else {
            glide.snapTo = -1
        }
        glide.to = target
        glide.restart()
    }

    function releaseHandle() {
        if (isScale) {
            segmentValue = S.snapIndex(handle.x, width, handleWidth, segment, 1)
            handle.x = S.indexX(segmentValue, width, handleWidth, segment)
            valueChange(handle.x)
        }
        valueChangeDelay(handle.x)
        dragSignal(false)
    }

    Rectangle {
        anchors.fill: parent
        radius: 3
        color: slider.trackColor
    }
    Rectangle {
        width: handle.x + slider.handleWidth / 2
        height: parent.height
        radius: 3
        color: slider.colorS
    }
    FocusRing {
        theme: slider.theme
        anchors.margins: -4
        anchors.topMargin: -slider.handleWidth / 2
        anchors.bottomMargin: -slider.handleWidth / 2
    }
    MouseArea {
        anchors.fill: parent
        anchors.topMargin: -slider.handleWidth / 2
        anchors.bottomMargin: -slider.handleWidth / 2
        onPressed: function (mouse) { slider.pressTrack(mouse.x) }
    }

    Image {
        id: handle
        x: S.minX(slider.handleWidth)
        y: -slider.handleWidth / 4
        width: slider.handleWidth
        height: slider.handleWidth
        source: slider.theme.sourceSlide
        smooth: true
        // A free slider reports every position the handle passes.
        onXChanged: {
            if (!slider.isScale && (handleArea.drag.active || glide.running))
                slider.valueChange(x)
        }
        MouseArea {
            id: handleArea
            anchors.fill: parent
            anchors.margins: -3
            drag.target: handle
            drag.axis: Drag.XAxis
            drag.minimumX: S.minX(slider.handleWidth)
            drag.maximumX: S.maxX(slider.width, slider.handleWidth)
            drag.threshold: 0
            // The handle follows the pointer from its first move.
            drag.smoothed: false
            onPressed: {
                glide.stop()
                slider.btnClick()
                slider.dragSignal(true)
            }
            onReleased: slider.releaseHandle()
        }
    }

    NumberAnimation {
        id: glide
        objectName: "sliderGlide"
        property int snapTo: -1
        target: handle
        property: "x"
        duration: 120
        easing.type: Easing.OutQuad
        onFinished: {
            if (snapTo >= 0) {
                slider.segmentValue = snapTo
                slider.valueChange(handle.x)
            }
            slider.valueChangeDelay(handle.x)
        }
    }
}
