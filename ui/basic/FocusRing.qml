import QtQuick

// Where the keyboard focus is: a ring just outside the focused control. The
// pointer never gives these controls the focus, so pointer use never shows it.
Rectangle {
    property var theme
    property Item target: parent

    anchors.fill: parent
    anchors.margins: -2
    visible: target.activeFocus
    color: "transparent"
    border.width: 2
    border.color: theme ? theme.fontColor : "#f0f0f0"
    radius: 2
    z: 100
}
