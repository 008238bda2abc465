import QtQuick
import "../basic"
import "../js/keyaction.js" as KA

// What the three drop-downs share: a 24-pixel box that shows a text and an
// arrow, and a panel below it that slides open and shut. While the panel
// slides, clicks do nothing but report themselves.
// With the focus: Space or Enter opens it and takes the entry the arrows
// point at; the arrows open it, then walk its entries (or move its slider);
// Escape shuts it without a choice.
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
    // For assistive technology: what the box is for (its label on the page).
    property string name
    // The entry the arrows point at while open (-1: none), how many there
    // are, and how far Up and Down go (a grid's row).
    property int keyIndex: -1
    // Where the arrows start: the chosen entry.
    property int keyStart: 0
    property int keyEntries: 0
    property int keyRowStep: 1

    signal btnClick()
    // The closing slide has ended.
    signal closed()
    // A click on the open panel, in panel coordinates.
    signal panelClicked(real x, real y)
    // Space or Enter on the entry the arrows point at.
    signal keyChosen(int index)
    // An arrow while open, for a panel without entries.
    signal keyStepped(int direction)

    width: 120
    height: 24
    z: isDrop || slide.running ? 50 : 0
    activeFocusOnTab: true
    Accessible.role: Accessible.ComboBox
    Accessible.name: name
    Accessible.description: textValue
    Accessible.focusable: true
    Accessible.onPressAction: boxClicked()
    Keys.onPressed: function (event) { event.accepted = base.keyPressed(event) }
    onActiveFocusChanged: {
        if (!activeFocus)
            closeMenu()
    }
    onIsDropChanged: {
        if (!isDrop)
            keyIndex = -1
    }

    // Opened by the pointer, no entry is pointed at until an arrow is pressed.
    function openFromKeys() {
        boxClicked()
        if (isDrop && keyEntries > 0)
            keyIndex = keyStart
    }

    // Whether the key was the drop-down's.
    function keyPressed(event) {
        if (event.key === Qt.Key_Escape) {
            if (!isDrop)
                return false
            close()
            return true
        }
        if (KA.activates(event)) {
            if (isDrop && keyIndex >= 0)
                keyChosen(keyIndex)
            else
                openFromKeys()
            return true
        }
        var direction = KA.step(event)
        // Page Up and Page Down move only an opened slider.
        if (direction === 0 || (Math.abs(direction) > 1 && (!isDrop || keyEntries > 0)))
            return false
        if (!isDrop) {
            openFromKeys()
        } else if (keyEntries > 0 && keyIndex < 0) {
            keyIndex = keyStart
        } else if (keyEntries > 0) {
            var by = event.key === Qt.Key_Up || event.key === Qt.Key_Down ? keyRowStep : 1
            // Down walks down the list, unlike a slider's step.
            var forward = event.key === Qt.Key_Down || event.key === Qt.Key_Right
            keyIndex = Math.max(0, Math.min(keyEntries - 1, keyIndex + (forward ? by : -by)))
        } else {
            keyStepped(direction)
        }
        return true
    }

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
            Accessible.ignored: true
        }
        MouseArea {
            id: boxArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: base.boxClicked()
        }
        FocusRing {
            theme: base.theme
            target: base
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
