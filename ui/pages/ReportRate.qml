import QtQuick
import "../common"
import "../js/reportrate.js" as RR

// The report-rate box: the index is kept in the profile and the mouse gets
// the matching rate at once.
Rectangle {
    id: box

    property var shell
    readonly property var bridge: shell.bridge
    property alias reportList: rateList

    width: 232
    height: 42
    color: shell.colorBlack

    function init(isSendData) {
        var index = RR.indexOf(bridge.getData("mouse/reportRate", false))
        rateList.currentSelect = index
        if (isSendData)
            send(index)
    }

    function send(index) {
        bridge.mouseSetReportRate(RR.valueOf(index))
    }

    Text {
        x: 8
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - rateList.width - 24
        elide: Text.ElideRight
        text: box.shell.mainLang[3]
        color: box.shell.fontColor
        font.family: box.shell.fontFamily
        font.pixelSize: box.shell.fontNormalSize
        font.bold: true
    }

    DropDownList {
        id: rateList
        objectName: "reportRateList"
        name: box.shell.mainLang[3]
        theme: box.shell
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        width: 120
        mdItems: ListModel {
            ListElement { textValue: "125Hz" }
            ListElement { textValue: "250Hz" }
            ListElement { textValue: "500Hz" }
            ListElement { textValue: "1000Hz" }
        }
        onValueChange: function (index) {
            box.bridge.setData("mouse/reportRate", index)
            box.send(index)
        }
    }
}
