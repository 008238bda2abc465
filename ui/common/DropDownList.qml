pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../js/dropdown.js" as D

// A drop-down list: ten entries show at a time, more scroll with the bar at
// the right or the wheel. The chosen entry is reported once the list has shut.
DropDownBase {
    id: dropDown

    property ListModel mdItems: ListModel {}
    property int count: mdItems.count
    property int currentSelect: 2
    // Counts model edits, so the shown text follows an entry renamed in place.
    property int revision: 0
    property int chosen: -1

    signal valueChange(int index)
    signal dragSignal(bool isDrag)

    pointsIntoPanel: true
    keyEntries: count
    onKeyChosen: function (index) { choose(index) }
    keyStart: Math.max(0, currentSelect)
    // The entry the arrows point at stays in view.
    onKeyIndexChanged: {
        if (keyIndex < 0)
            return
        var top = keyIndex * D.rowHeight
        if (top < list.contentY)
            scrollTo(top)
        else if (top + D.rowHeight > list.contentY + D.listHeight(count))
            scrollTo(top + D.rowHeight - D.listHeight(count))
    }
    // The entry under the pointer, once the list stands still.
    readonly property int hoveredIndex: !animating && panelPointerY >= 0
                                        ? Math.floor((panelPointerY + list.contentY) / D.rowHeight) : -1
    onPanelClicked: function (x, y) {
        var index = Math.floor((y + list.contentY) / D.rowHeight)
        if (index >= 0 && index < count)
            choose(index)
    }

    textValue: revision >= 0 && currentSelect >= 0 && currentSelect < mdItems.count
               ? String(mdItems.get(currentSelect).textValue) : ""
    panelHeight: D.listHeight(count)
    durationMs: D.animationMs(count)

    onClosed: {
        if (chosen >= 0) {
            var index = chosen
            chosen = -1
            valueChange(index)
        }
    }

    function choose(index) {
        if (animating)
            return
        currentSelect = index
        chosen = index
        close()
    }

    function scrollTo(offset) {
        var range = Math.max(0, D.rowHeight * count - D.listHeight(count))
        list.contentY = Math.max(0, Math.min(offset, range))
        bar.y = D.barForContentOffset(list.contentY, count)
    }

    Connections {
        target: dropDown.mdItems
        function onDataChanged() { dropDown.revision++ }
        function onRowsRemoved() { dropDown.revision++ }
        function onRowsInserted() { dropDown.revision++ }
    }

    ListView {
        id: list
        anchors.fill: parent
        model: dropDown.mdItems
        interactive: false
        clip: true
        delegate: Rectangle {
            id: entry
            required property int index
            required property string textValue
            width: list.width
            height: D.rowHeight
            color: index === dropDown.currentSelect || index === dropDown.hoveredIndex || index === dropDown.keyIndex
                   ? dropDown.theme.colorOrange : dropDown.bgColor
            Accessible.role: Accessible.ListItem
            Accessible.name: textValue
            Accessible.selectable: true
            Accessible.selected: index === dropDown.currentSelect
            Text {
                anchors.centerIn: parent
                width: parent.width - 8
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
                text: entry.textValue
                color: dropDown.theme.fontColor
                font.family: dropDown.theme.fontFamily
                font.pixelSize: dropDown.theme.fontNormalSize
            }
        }
        WheelHandler {
            enabled: D.hasScrollBar(dropDown.count)
            onWheel: function (event) {
                dropDown.scrollTo(list.contentY - (event.angleDelta.y > 0 ? D.rowHeight : -D.rowHeight))
            }
        }
    }

    Rectangle {
        id: bar
        objectName: "scrollBar"
        x: parent.width - width
        width: 12
        height: D.scrollBarLength(dropDown.count)
        visible: D.hasScrollBar(dropDown.count)
        color: "#ffffff"
        opacity: barArea.pressed || barArea.containsMouse ? 0.9 : 0.6
        Accessible.role: Accessible.ScrollBar
        Accessible.name: dropDown.theme.actionName("scroll")
        onYChanged: {
            if (barArea.drag.active)
                list.contentY = D.contentOffsetForBar(y, dropDown.count)
        }
        MouseArea {
            id: barArea
            anchors.fill: parent
            hoverEnabled: true
            drag.target: bar
            drag.axis: Drag.YAxis
            drag.minimumY: 0
            drag.maximumY: D.listHeight(dropDown.count) - bar.height
            onPressed: dropDown.dragSignal(true)
            onReleased: dropDown.dragSignal(false)
        }
    }
}
