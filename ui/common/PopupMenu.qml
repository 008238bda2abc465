pragma ComponentBehavior: Bound
import QtQuick

// A context menu: a column of texts that opens at a point and reports the
// chosen entry by its position.
Rectangle {
    id: menu

    property var theme
    property var entries: []
    property int rowHeight: 24

    signal chosen(int index)

    visible: false
    width: 150
    height: entries.length * rowHeight + 2
    color: theme.colorGray0
    border.color: theme.colorGray1
    z: 60

    // Opens at (x, y) of the parent, kept inside it.
    function popup(atX, atY) {
        x = Math.max(0, Math.min(atX, parent.width - width))
        y = Math.max(0, Math.min(atY, parent.height - height))
        visible = true
    }

    function close() {
        visible = false
    }

    Column {
        x: 1
        y: 1
        Repeater {
            model: menu.entries
            delegate: Rectangle {
                id: entry
                required property int index
                required property string modelData
                objectName: "menuEntry" + index
                width: menu.width - 2
                height: menu.rowHeight
                color: entryArea.containsMouse ? menu.theme.colorOrange : "transparent"
                Text {
                    x: 12
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - 16
                    elide: Text.ElideRight
                    text: entry.modelData
                    color: menu.theme.fontColor
                    font.family: menu.theme.fontFamily
                    font.pixelSize: menu.theme.fontNormalSize
                }
                MouseArea {
                    id: entryArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: {
                        menu.close()
                        menu.chosen(entry.index)
                    }
                }
            }
        }
    }
}
