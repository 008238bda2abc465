import QtQuick

// "LOADING ......", pulsing while the UI is busy; nothing runs otherwise.
Item {
    id: busy

    property var theme
    property bool isBusy: false
    readonly property bool pulsing: pulse.running

    function setBusy(value) {
        isBusy = value
    }

    visible: isBusy
    width: 168
    height: 28

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: "#cc000000"
    }
    Text {
        id: label
        anchors.centerIn: parent
        text: "LOADING ......"
        color: busy.theme.fontColor
        font.family: busy.theme.fontFamily
        font.pixelSize: busy.theme.fontMaxSize
        font.letterSpacing: 2
        SequentialAnimation on opacity {
            id: pulse
            running: busy.isBusy
            loops: Animation.Infinite
            NumberAnimation { from: 1.0; to: 0.2; duration: 400 }
            NumberAnimation { from: 0.2; to: 1.0; duration: 400 }
        }
    }
}
