import QtQuick
import "../basic"
import "../js/keyaction.js" as KA

// A row of the main screen's left panel: a text that turns orange under the pointer.
Rectangle {
    id: row

    property var theme
    property string text
    property bool bold: false
    property bool centred: false
    readonly property bool hovered: rowArea.containsMouse

    signal clicked()

    width: 216
    height: 24
    color: hovered ? theme.colorOrange : "transparent"
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.focusable: true
    Accessible.onPressAction: clicked()
    Keys.onPressed: function (event) {
        if (KA.activates(event)) {
            event.accepted = true
            row.clicked()
        }
    }

    Text {
        x: row.centred ? (row.width - width) / 2 : 8
        anchors.verticalCenter: parent.verticalCenter
        text: row.text
        color: row.theme.fontColor
        font.family: row.theme.fontFamily
        font.pixelSize: row.theme.fontNormalSize
        font.bold: row.bold
    }
    MouseArea {
        id: rowArea
        anchors.fill: parent
        hoverEnabled: true
        onClicked: row.clicked()
    }
    FocusRing { theme: row.theme }
}
