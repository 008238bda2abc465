import QtQuick

// What the three drop-downs share: a 24-pixel box that shows a text and an
// arrow, and a panel below it that slides open and shut. While the panel
// slides, clicks do nothing but report themselves.
Item {
    id: base

    property var theme
    property bool isDrop: false
    property string textValue: ""
    property color borderColor: theme.colorGray1
    property color bgColor: theme.colorGray0
    property real horizontalOffset: 0
    // The opened panel's size and how long it takes to open or shut.
    property real panelWidth: width
    property real panelHeight: 24
    property int durationMs: 180
    // A plain list reports a click on its box; a grid reports clicks on its cells.
    property bool boxClickSignals: true
    // Lists and grids take the pointer over their panel here, where nothing
    // moves: entries sliding under a still pointer would otherwise keep a
    // stale hover. The point is in panel coordinates; -1 while outside.
    property bool pointsIntoPanel: false
    readonly property real panelPointerX: pointer.containsMouse ? pointer.mouseX : -1
    readonly property real panelPointerY: pointer.containsMouse ? pointer.mouseY - panel.y : -1
    readonly property bool animating: slide.running
    default property alias panelContent: panel.data

    signal btnClick()
    // The closing slide has ended.
    signal closed()
    // A click on the open panel, in panel coordinates.
    signal panelClicked(real x, real y)

    width: 120
    height: 24
    z: isDrop || slide.running ? 50 : 0

    function open() {
        isDrop = true
        slide.from = panel.y
        slide.to = 0
        slide.restart()
    }

    function close() {
        isDrop = false
        slide.from = panel.y
        slide.to = -panelHeight
        slide.restart()
    }

    // Closes the panel only when it is fully open.
    function closeMenu() {
        if (isDrop && !slide.running)
            close()
    }

    function boxClicked() {
        if (boxClickSignals)
            btnClick()
        if (slide.running)
            return
        if (isDrop)
            close()
        else
            open()
    }

    Rectangle {
        id: box
        anchors.fill: parent
        color: base.bgColor
        border.color: boxArea.containsMouse || base.isDrop ? base.theme.colorGray2 : base.borderColor
        Text {
            anchors.centerIn: parent
            anchors.horizontalCenterOffset: base.horizontalOffset
            width: parent.width - 28
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            text: base.textValue
            color: base.theme.fontColor
            font.family: base.theme.fontFamily
            font.pixelSize: base.theme.fontNormalSize
        }
        Image {
            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            source: base.isDrop ? base.theme.sourceDropBtnU : base.theme.sourceDropBtn
        }
        MouseArea {
            id: boxArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: base.boxClicked()
        }
    }

    Item {
        id: window
        y: base.height
        width: base.panelWidth
        height: base.panelHeight
        clip: true
        visible: base.isDrop || slide.running
        MouseArea {
            id: pointer
            anchors.fill: parent
            enabled: base.pointsIntoPanel
            hoverEnabled: true
            onClicked: function (mouse) {
                if (!slide.running)
                    base.panelClicked(mouse.x, mouse.y - panel.y)
            }
        }
        Item {
            id: panel
            width: parent.width
            height: base.panelHeight
            y: -base.panelHeight
        }
    }

    NumberAnimation {
        id: slide
        objectName: "dropAnimation"
        target: panel
        property: "y"
        duration: base.durationMs
        easing.type: Easing.OutQuad
        onFinished: {
            if (!base.isDrop)
                base.closed()
        }
    }
}
