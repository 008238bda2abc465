import QtQuick
import "../basic"
import "../js/keyaction.js" as KA

// A small text button that turns orange under the pointer.
Rectangle {
    id: button

    property var theme
    property string text
    property color baseColor: theme.colorBlue
    property color textColor: "#101010"
    property bool bold: false
    readonly property bool hovered: area.containsMouse

    signal clicked()

    width: 64
    height: 24
    radius: 2
    color: area.containsMouse ? theme.colorOrange : baseColor
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.focusable: true
    Accessible.onPressAction: clicked()
    Keys.onPressed: function (event) {
        if (KA.activates(event)) {
            event.accepted = true
            button.clicked()
        }
    }

    Text {
        anchors.centerIn: parent
        width: parent.width - 4
        horizontalAlignment: Text.AlignHCenter
        elide: Text.ElideRight
        text: button.text
        color: area.containsMouse ? "#ffffff" : button.textColor
        font.family: button.theme.fontFamily
        font.pixelSize: button.theme.fontNormalSize
        font.bold: button.bold
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.clicked()
    }
    FocusRing { theme: button.theme }
}
