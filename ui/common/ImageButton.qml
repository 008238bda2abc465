import QtQuick

// An icon that changes its picture under the pointer and while pressed.
Image {
    id: button

    property url normalSource
    property url hoverSource
    property url pressedSource
    readonly property bool hovered: area.containsMouse

    signal clicked()

    source: area.pressed && String(pressedSource) !== "" ? pressedSource
          : area.containsMouse && String(hoverSource) !== "" ? hoverSource
          : normalSource

    MouseArea {
        id: area
        anchors.fill: parent
        anchors.margins: -4
        hoverEnabled: true
        onClicked: button.clicked()
    }
}
