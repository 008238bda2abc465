import QtQuick

// A collapsible section's title bar: a click folds or unfolds the section.
Rectangle {
    id: frame

    property var theme
    property string title: "Title"

    signal openCloseMenu()
    signal clickFrame()

    width: 242
    height: 18
    color: "#1a1a1a"

    Text {
        x: 7
        anchors.verticalCenter: parent.verticalCenter
        text: frame.title
        color: frame.theme.fontColor
        font.family: frame.theme.fontFamily
        font.pixelSize: frame.theme.fontNormalSize
    }
    Text {
        anchors.right: parent.right
        anchors.rightMargin: 7
        anchors.verticalCenter: parent.verticalCenter
        text: "\u2014"
        color: frame.theme.fontColor
        font.family: frame.theme.fontFamily
        font.pixelSize: frame.theme.fontNormalSize
    }
    MouseArea {
        anchors.fill: parent
        onClicked: {
            frame.openCloseMenu()
            frame.clickFrame()
        }
    }
}
