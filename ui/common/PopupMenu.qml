pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "../js/keyaction.js" as KA

// A context menu: a column of texts that opens at a point and reports the
// chosen entry by its position. Opened from the keyboard, its entries take
// the focus: Up and Down walk them, Space or Enter chooses, Escape shuts it;
// the focus then goes back to where it came from.
Rectangle {
    id: menu

    property var theme
    property var entries: []
    property int rowHeight: 24
    property Item opener: null

    signal chosen(int index)

    visible: false
    width: 150
    height: entries.length * rowHeight + 2
    color: theme.colorGray0
    border.color: theme.colorGray1
    z: 60
    Accessible.role: Accessible.PopupMenu
    Accessible.name: ""

    // Opens at (x, y) of the parent, kept inside it.
    function popup(atX, atY) {
        x = Math.max(0, Math.min(atX, parent.width - width))
        y = Math.max(0, Math.min(atY, parent.height - height))
        visible = true
    }

    // The focus leaves first: an entry still focused when the menu hides
    // would stay a Tab stop (Qt keeps the focused item's activeFocusOnTab).
    function close() {
        if (opener !== null) {
            var back = opener
            opener = null
            back.forceActiveFocus()
        }
        visible = false
    }

    // Opens at (x, y) with the first entry focused; `from` gets the focus back.
    function popupFromKeys(atX, atY, from) {
        popup(atX, atY)
        opener = from
        if (entries.length > 0)
            entryList.itemAt(0).forceActiveFocus()
    }

    Column {
        x: 1
        y: 1
        Repeater {
            id: entryList
            model: menu.entries
            delegate: Rectangle {
                id: entry
                required property int index
                required property string modelData
                objectName: "menuEntry" + index
                width: menu.width - 2
                height: menu.rowHeight
                color: entryArea.containsMouse ? menu.theme.colorOrange : "transparent"
                activeFocusOnTab: menu.visible
                Accessible.role: Accessible.MenuItem
                Accessible.name: modelData
                Accessible.focusable: true
                Accessible.onPressAction: entry.choose()
                Keys.onPressed: function (event) {
                    var step = KA.listStep(event)
                    if (KA.activates(event)) {
                        entry.choose()
                    } else if (event.key === Qt.Key_Escape) {
                        menu.close()
                    } else if (step !== 0) {
                        var next = entryList.itemAt(Math.max(0, Math.min(menu.entries.length - 1, entry.index + step)))
                        next.forceActiveFocus()
                    } else {
                        event.accepted = false
                        return
                    }
                    event.accepted = true
                }
                function choose() {
                    menu.close()
                    menu.chosen(entry.index)
                }
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
                    onClicked: entry.choose()
                }
                FocusRing {
                    theme: menu.theme
                    anchors.margins: 0
                }
            }
        }
    }
}
