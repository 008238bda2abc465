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
                color: (index === grid.currentSelect || cellArea.containsMouse) && textValue !== ""
                       ? grid.theme.colorOrange : grid.bgColor
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
                MouseArea {
                    id: cellArea
                    anchors.fill: parent
                    // Only once the grid stands still: a cell that slides under
                    // a resting pointer would keep showing it after it moved on.
                    hoverEnabled: grid.isDrop && !grid.animating
                    onClicked: grid.cellClicked(cell.index, cell.textValue)
                }
            }
        }
    }
}
