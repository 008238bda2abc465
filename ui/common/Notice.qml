pragma ComponentBehavior: Bound
import QtQuick

// A notice over the window that blocks nothing: lines of text, each shown
// once however often it is added, gone after `showMs` or on a click.
Rectangle {
    id: notice

    property var theme
    property var lines: []
    property int showMs: 8000

    function add(line) {
        if (lines.indexOf(line) < 0)
            lines = lines.concat([line])
        timer.restart()
    }

    function dismiss() {
        timer.stop()
        lines = []
    }

    visible: lines.length > 0
    width: 480
    height: column.height + 16
    radius: 2
    color: theme.colorGray0
    border.color: theme.colorOrange
    border.width: 1

    Accessible.role: Accessible.AlertMessage
    Accessible.name: lines.join(" ")

    Column {
        id: column
        x: 12
        y: 8
        width: parent.width - 24
        spacing: 4
        Repeater {
            model: notice.lines
            delegate: Text {
                required property string modelData
                width: column.width
                wrapMode: Text.WordWrap
                text: modelData
                color: notice.theme.fontColor
                font.family: notice.theme.fontFamily
                font.pixelSize: notice.theme.fontNormalSize
            }
        }
    }
    MouseArea {
        objectName: "noticeArea"
        anchors.fill: parent
        Accessible.role: Accessible.Button
        Accessible.name: notice.lines.join(" ")
        Accessible.onPressAction: notice.dismiss()
        onClicked: notice.dismiss()
    }
    Timer {
        id: timer
        objectName: "noticeTimer"
        interval: notice.showMs
        onTriggered: notice.dismiss()
    }
}
