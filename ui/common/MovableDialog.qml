import QtQuick
import "../js/clamp.js" as C

// A dialog over the scene: a black title bar with the title and a close
// mark, moved by dragging any free spot and kept fully inside the scene.
// Escape from within it does what the close mark does.
Rectangle {
    id: dialog

    property var theme
    property string title
    property int titleHeight: 40
    property bool titleBold: true
    property int sceneWidth: 1024
    property int sceneHeight: 640
    property alias titleBar: bar
    // Where the keyboard focus goes back to once the dialog closes.
    property Item returnFocus: null
    default property alias content: body.data

    signal closeClicked()
    // A press on a free spot: pages end edits and close their lists here.
    signal backgroundPressed()

    visible: false
    color: theme.colorGray0
    border.color: theme.colorGray1
    Accessible.role: Accessible.Dialog
    Accessible.name: title
    Keys.onEscapePressed: closeClicked()
    onVisibleChanged: {
        if (!visible && returnFocus !== null) {
            var back = returnFocus
            returnFocus = null
            back.forceActiveFocus()
        }
    }

    function centre() {
        x = Math.round((sceneWidth - width) / 2)
        y = Math.round((sceneHeight - height) / 2)
    }

    function moveBy(dx, dy) {
        x = C.moveInside(x, dx, width, sceneWidth)
        y = C.moveInside(y, dy, height, sceneHeight)
    }

    MouseArea {
        id: dragArea
        property point pressAt
        // The dialog itself is what assistive technology sees here.
        Accessible.ignored: true
        anchors.fill: parent
        onPressed: function (mouse) {
            pressAt = Qt.point(mouse.x, mouse.y)
            dialog.forceActiveFocus()
            dialog.backgroundPressed()
        }
        onPositionChanged: function (mouse) {
            if (pressed)
                dialog.moveBy(mouse.x - pressAt.x, mouse.y - pressAt.y)
        }
    }

    Rectangle {
        id: bar
        x: 1
        y: 1
        width: parent.width - 2
        height: dialog.titleHeight - 1
        color: dialog.theme.colorBlack
        Text {
            x: 16
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 64
            elide: Text.ElideRight
            text: dialog.title
            Accessible.ignored: true
            color: dialog.theme.fontColor
            font.family: dialog.theme.fontFamily
            font.pixelSize: dialog.theme.fontMiddleSize
            font.bold: dialog.titleBold
        }
        ImageButton {
            objectName: "dialogClose"
            theme: dialog.theme
            name: dialog.theme.actionName("close")
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            normalSource: dialog.theme.sourceDlgClose
            hoverSource: dialog.theme.sourceDlgCloseH
            onClicked: dialog.closeClicked()
        }
    }

    Item {
        id: body
        y: dialog.titleHeight
        width: parent.width
        height: parent.height - dialog.titleHeight
    }
}
