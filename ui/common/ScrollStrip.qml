import QtQuick
import "../js/clamp.js" as C

// A vertical scroll bar for a view whose content is taller than the view:
// the thumb shows the visible share and drags the content along.
Rectangle {
    id: strip

    property var theme
    property Flickable view
    readonly property real range: Math.max(0, view.contentHeight - view.height)
    readonly property alias thumb: handle

    width: 6
    radius: 3
    color: theme.colorGray1
    visible: range > 0
    Accessible.role: Accessible.ScrollBar
    Accessible.name: theme.actionName("scroll")

    function scrollTo(offset) {
        view.contentY = C.clamp(offset, 0, range)
    }

    Rectangle {
        id: handle
        width: parent.width
        height: Math.max(16, Math.round(strip.height * strip.view.height / Math.max(1, strip.view.contentHeight)))
        radius: 3
        y: strip.range > 0 ? Math.round(strip.view.contentY * (strip.height - height) / strip.range) : 0
        color: handleArea.pressed || handleArea.containsMouse ? strip.theme.colorGray3 : strip.theme.colorGray2
        MouseArea {
            id: handleArea
            property real pressY
            property real startY
            anchors.fill: parent
            anchors.margins: -3
            hoverEnabled: true
            onPressed: function (mouse) {
                pressY = mapToItem(strip, mouse.x, mouse.y).y
                startY = handle.y
            }
            onPositionChanged: function (mouse) {
                if (!pressed || strip.height <= handle.height)
                    return
                var y = startY + mapToItem(strip, mouse.x, mouse.y).y - pressY
                strip.scrollTo(y * strip.range / (strip.height - handle.height))
            }
        }
    }
}
