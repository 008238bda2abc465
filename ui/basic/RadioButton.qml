import QtQuick
import "../js/keyaction.js" as KA

// A round choice with its text to the right. Clicking selects it; clearing
// the others of its group is up to the page.
Item {
    id: radio

    property var theme
    property string textValue: "Text"
    property bool isSelect: false
    property int index: -1
    property int gapValue: 16

    signal btnClick(int index)

    implicitWidth: 10 + gapValue + label.implicitWidth
    implicitHeight: Math.max(10, label.implicitHeight)
    width: implicitWidth
    height: implicitHeight
    activeFocusOnTab: true
    Accessible.role: Accessible.RadioButton
    Accessible.name: textValue
    Accessible.checkable: true
    Accessible.checked: isSelect
    Accessible.focusable: true
    Accessible.onPressAction: choose()
    Keys.onPressed: function (event) {
        if (KA.activates(event)) {
            event.accepted = true
            radio.choose()
        }
    }

    function choose() {
        isSelect = true
        btnClick(index)
    }

    Rectangle {
        id: ring
        anchors.verticalCenter: parent.verticalCenter
        width: 10
        height: 10
        radius: 4
        color: radio.theme.colorGray3
        border.color: area.containsMouse ? radio.theme.colorOrange : "transparent"
        Rectangle {
            anchors.centerIn: parent
            width: 6
            height: 6
            radius: 3
            visible: radio.isSelect
            color: radio.theme.colorOrange
        }
    }
    Text {
        id: label
        x: 10 + radio.gapValue
        anchors.verticalCenter: parent.verticalCenter
        text: radio.textValue
        color: area.containsMouse ? radio.theme.colorGray3 : radio.theme.fontColor
        font.family: radio.theme.fontFamily
        font.pixelSize: radio.theme.fontNormalSize
    }
    MouseArea {
        id: area
        anchors.fill: parent
        anchors.margins: -3
        hoverEnabled: true
        onClicked: radio.choose()
    }
    FocusRing { theme: radio.theme }
}
