import QtQuick
import "../js/keyaction.js" as KA

// A text followed by a small box that shows a check mark when selected.
Item {
    id: check

    property var theme
    property string textValue: "Text"
    property bool isSelect: false
    property int index: -1
    property int gapValue: 8
    property color bgColor: "transparent"
    property color borderColor: theme.colorGray2

    signal btnClick(int index)

    implicitWidth: label.implicitWidth + gapValue + 12
    implicitHeight: Math.max(12, label.implicitHeight)
    width: implicitWidth
    height: implicitHeight
    activeFocusOnTab: true
    Accessible.role: Accessible.CheckBox
    Accessible.name: textValue
    Accessible.checkable: true
    Accessible.checked: isSelect
    Accessible.focusable: true
    Accessible.onPressAction: toggle()
    Accessible.onToggleAction: toggle()
    Keys.onPressed: function (event) {
        if (KA.activates(event)) {
            event.accepted = true
            check.toggle()
        }
    }

    function toggle() {
        btnClick(index)
        isSelect = !isSelect
    }

    Text {
        id: label
        anchors.verticalCenter: parent.verticalCenter
        text: check.textValue
        color: check.theme.fontColor
        font.family: check.theme.fontFamily
        font.pixelSize: check.theme.fontNormalSize
    }
    Rectangle {
        id: mark
        x: label.implicitWidth + check.gapValue
        anchors.verticalCenter: parent.verticalCenter
        width: 12
        height: 12
        radius: 2
        color: check.bgColor
        border.color: area.containsMouse ? check.theme.colorOrange : check.borderColor
        Image {
            anchors.centerIn: parent
            visible: check.isSelect
            source: check.theme.sourceCheckBtn
        }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        anchors.margins: -6
        hoverEnabled: true
        onClicked: check.toggle()
    }
    FocusRing { theme: check.theme }
}
