import QtQuick

// "LOADING ......", pulsing while the UI is busy; nothing runs otherwise.
// With a total, it shows how far the work is instead ("3 / 21" in the
// page's words: `progressFormat` holds %1 for done and %2 for the total).
Item {
    id: busy

    property var theme
    property bool isBusy: false
    property int done: 0
    property int total: 0
    property string progressFormat: "%1 / %2"
    readonly property bool pulsing: pulse.running
    readonly property string shownText: total > 0 ? (progressFormat || "%1 / %2").arg(Math.min(done, total)).arg(total)
                                              : "LOADING ......"

    function setBusy(value) {
        isBusy = value
    }

    visible: isBusy
    width: Math.max(168, label.implicitWidth + 32)
    height: 28

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: "#cc000000"
    }
    Text {
        id: label
        anchors.centerIn: parent
        text: busy.shownText
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
