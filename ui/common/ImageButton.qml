import QtQuick
import "../basic"
import "../js/keyaction.js" as KA

// An icon that changes its picture under the pointer and while pressed. It
// shows no text, so `name` says what it does to assistive technology.
Image {
    id: button

    property var theme
    property string name
    property url normalSource
    property url hoverSource
    property url pressedSource
    readonly property bool hovered: area.containsMouse

    signal clicked()

    source: area.pressed && String(pressedSource) !== "" ? pressedSource
          : area.containsMouse && String(hoverSource) !== "" ? hoverSource
          : normalSource
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.focusable: true
    Accessible.onPressAction: clicked()
    Keys.onPressed: function (event) {
        if (KA.activates(event)) {
            event.accepted = true
            button.clicked()
        }
    }

    MouseArea {
        id: area
        anchors.fill: parent
        anchors.margins: -4
        hoverEnabled: true
        onClicked: button.clicked()
    }
    FocusRing {
        theme: button.theme
        anchors.margins: -4
    }
}
