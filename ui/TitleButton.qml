import QtQuick

// A title-bar icon button that lights up under the pointer.
Rectangle {
    id: button
    property string glyph
    signal clicked()
    width: 28
    height: 28
    radius: 6
    color: area.containsMouse ? "#33ffffff" : "transparent"
    Text {
        anchors.centerIn: parent
        text: button.glyph
        color: area.containsMouse ? "#d52925" : "#d1d1d1"
        font.pixelSize: 15
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.clicked()
    }
}
