pragma ComponentBehavior: Bound
import QtQuick

// The mouse from above, with a numbered round marker on each button. The
// markers stand for slots 0 to 7; the shell opens the assignment dialog for
// a clicked one.
Item {
    id: page

    property var shell
    property int keyCount: 8
    property int selectKey: -1
    // A side view is drawn for no mouse yet.
    property bool isSide: false

    signal enterKey(int index)
    signal leaveKey(int index)
    signal clickKey(int index)

    // The buttons' centres on the drawing (ui/art/mouse/mouse.svg), marker n
    // at entry n - 1.
    readonly property var centres: [
        Qt.point(112, 132), Qt.point(236, 132), Qt.point(173, 89), Qt.point(42, 212),
        Qt.point(43, 268), Qt.point(173, 164), Qt.point(173, 204), Qt.point(62, 112)
    ]

    Image {
        id: picture
        objectName: "mousePicture"
        x: Math.round((page.width - width) / 2)
        y: 80
        visible: !page.isSide
        source: page.shell.sourceMouse
        Accessible.ignored: true

        Repeater {
            model: 8
            delegate: Rectangle {
                id: marker
                required property int index
                readonly property bool lit: markerArea.containsMouse || index === page.selectKey
                objectName: "keyMarker" + (index + 1)
                visible: index < page.keyCount
                x: page.centres[index].x - width / 2
                y: page.centres[index].y - height / 2
                width: 36
                height: 36
                radius: 18
                color: lit ? page.shell.colorOrange : "#c0101010"
                border.width: 2
                border.color: lit ? "#ffffff" : page.shell.colorGray2
                // The key rows carry the keyboard; a marker is named like its row.
                Accessible.role: Accessible.Button
                Accessible.name: page.shell.keyRowName(index)
                Accessible.onPressAction: page.clickKey(marker.index)
                Text {
                    anchors.centerIn: parent
                    text: String(marker.index + 1)
                    color: page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontMaxSize
                    font.bold: true
                }
                MouseArea {
                    id: markerArea
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onEntered: page.enterKey(marker.index)
                    onExited: page.leaveKey(marker.index)
                    onClicked: page.clickKey(marker.index)
                }
            }
        }
    }
}
