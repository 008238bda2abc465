pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../js/dropdown.js" as D

// A drop-down whose entries open as a grid three boxes wide. A click on any
// cell shuts the grid; only a cell with a text is chosen.
DropDownBase {
    id: grid

    property ListModel mdItems: ListModel {}
    property int currentSelect: 0
    property int revision: 0
    property int chosen: -1

    signal valueChange(int index)

    boxClickSignals: false
    pointsIntoPanel: true
    keyEntries: mdItems.count
    keyRowStep: 3
    onKeyChosen: function (index) { cellClicked(index, String(mdItems.get(index).textValue)) }
    keyStart: Math.max(0, currentSelect)
    readonly property int hoveredIndex: !animating && panelPointerY >= 0 ? cellAt(panelPointerX, panelPointerY) : -1
    onPanelClicked: function (x, y) {
        var index = cellAt(x, y)
        if (index >= 0 && index < mdItems.count)
            cellClicked(index, String(mdItems.get(index).textValue))
    }
    textValue: revision >= 0 && currentSelect >= 0 && currentSelect < mdItems.count
               ? String(mdItems.get(currentSelect).textValue) : ""
    panelWidth: width * 3
    panelHeight: D.rowHeight * Math.ceil(mdItems.count / 3)
    durationMs: D.animationMs(mdItems.count)

    onClosed: {
        if (chosen >= 0) {
            var index = chosen
            chosen = -1
            valueChange(index)
        }
    }

    function cellAt(x, y) {
        return Math.floor(y / D.rowHeight) * 3 + Math.floor(x / width)
    }

    function cellClicked(index, text) {
        if (animating)
            return
        if (text !== "") {
            currentSelect = index
            chosen = index
        }
        close()
        btnClick()
    }

    Connections {
        target: grid.mdItems
        function onDataChanged() { grid.revision++ }
    }

    Grid {
        columns: 3
        Repeater {
            model: grid.mdItems
            delegate: Rectangle {
                id: cell
                required property int index
                required property string textValue
                width: grid.width
                height: D.rowHeight
                color: (index === grid.currentSelect || index === grid.hoveredIndex || index === grid.keyIndex)
                       && textValue !== "" ? grid.theme.colorOrange : grid.bgColor
                Accessible.role: Accessible.ListItem
                Accessible.name: textValue
                Accessible.ignored: textValue === ""
                Accessible.selectable: true
                Accessible.selected: index === grid.currentSelect
                border.color: grid.theme.colorGray1
                Text {
                    anchors.centerIn: parent
                    width: parent.width - 8
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    text: cell.textValue
                    color: grid.theme.fontColor
                    font.family: grid.theme.fontFamily
                    font.pixelSize: grid.theme.fontNormalSize
                }
            }
        }
    }
}
