pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "../common"
import "../js/dpi.js" as D

// The DPI page: eight upright stage sliders, the number of active stages and
// a reset to the factory values. Edits stay here until the shell's Save.
Rectangle {
    id: page

    property var shell
    readonly property var bridge: shell.bridge

    property int currentDPI: 0
    property int dpiCount: 4
    property int currentDpiCount: 4
    property real minDPI: 200
    property real maxDPI: 6000
    property string sensorType: "3360"
    property real dpiBase: 50
    property var dpiValueArray: [500, 1000, 1500, 2000, 3000, 4000, 5000, 6000]
    property bool isSave: false
    property var dpiSettingLang: ["DPI", "", "", "", ""]
    property alias dpiSegment: segmentList
    // The text under each stage's slider, and how many stages show.
    property var dpiValues: ["2000", "2000", "2000", "2000", "2000", "2000", "2000", "2000"]
    property int shownStages: 4
    property var stageSliders: []

    // The slider column before the turn: placement per number of visible stages.
    property int columnY: 30
    property int columnSpacing: 22
    property int textSpacing: 4

    width: 232
    height: 256
    color: shell.colorBlack

    function intOr(value, fallback) {
        var n = parseInt(value)
        return isNaN(n) ? fallback : n
    }

    function numberOr(value, fallback) {
        var n = Number(value)
        return (value === undefined || value === null || value === "" || isNaN(n)) ? fallback : n
    }

    function init(isSendData, isRecovery) {
        if (!isRecovery) {
            dpiCount = intOr(bridge.getData("mouse/dpiCount", false), dpiCount)
            currentDpiCount = intOr(bridge.getData("mouse/currentDpiCount", false), currentDpiCount)
            minDPI = numberOr(bridge.getGlobalData("mouse/minDPI"), minDPI)
            maxDPI = numberOr(bridge.getGlobalData("mouse/maxDPI"), maxDPI)
            sensorType = String(bridge.getGlobalData("mouse/sensorType"))
            dpiBase = numberOr(bridge.getGlobalData("mouse/dpiBase"), dpiBase)
        }
        dpiValueArray = bridge.getDataList("mouse/dpiValueArray", isRecovery)
        if (dpiCount > 8)
            return
        if (!isRecovery) {
            // The list offers this profile's own number of stages.
            segmentModel.clear()
            for (var n = 1; n <= dpiCount; ++n)
                segmentModel.append({ textValue: String(n) })
            segmentList.currentSelect = currentDpiCount - 1
            segmentList.closeMenu()
        }
        var usable = D.isUsable(minDPI, maxDPI, dpiBase)
        for (var i = 0; i < 8; ++i) {
            if (i >= dpiValueArray.length)
                continue
            var stored = Number(dpiValueArray[i])
            if (usable)
                stageSliders[i].setRatioValue(D.ratioOf(stored, minDPI, maxDPI))
            else
                setStageText(i, String(stored))
        }
        countControl(currentDpiCount - 1)
        if (isSendData)
            saveData(true)
    }

    function stageValues() {
        return dpiValues.map(function (text) { return parseInt(text) })
    }

    function setStageText(index, text) {
        var texts = dpiValues.slice()
        texts[index] = text
        dpiValues = texts
    }

    function saveData(isSendData) {
        var values = stageValues()
        bridge.setDataList("mouse/dpiValueArray", values)
        bridge.setData("mouse/currentDpiCount", currentDpiCount)
        if (isSendData)
            bridge.mouseSetDpi(currentDpiCount, sensorType, values)
    }

    function dpiValueProc(index, dpiValue, isSendData) {
        var value = D.valueAt(dpiValue, minDPI, maxDPI, dpiBase)
        if (value !== null)
            setStageText(index, String(value))
        if (isSendData)
            isSave = true
    }

    // Shows stages 0..n and lays the column out for n + 1 of them.
    function countControl(n) {
        shownStages = n + 1
        currentDpiCount = n + 1
        var layout = D.layoutFor(n + 1)
        if (layout === null)
            return
        columnY = layout.y
        if (layout.spacing !== null)
            columnSpacing = layout.spacing
        if (layout.textSpacing !== null)
            textSpacing = layout.textSpacing
    }

    Text {
        x: 8
        y: 8
        text: page.dpiSettingLang[0]
        color: page.shell.fontColor
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontMiddleSize
        font.bold: true
    }

    ImageButton {
        objectName: "dpiReset"
        theme: page.shell
        name: page.shell.actionName("reset")
        anchors.right: parent.right
        anchors.rightMargin: 8
        y: 12
        normalSource: page.shell.sourceResetBtn
        hoverSource: page.shell.sourceResetBtnH
        onClicked: {
            page.init(false, true)
            page.isSave = true
        }
    }

    // The sliders are laid out as a column and turned upright; the column
    // keeps its centre, so the stages spread evenly whatever their number.
    Column {
        id: column
        objectName: "dpiColumn"
        x: (page.width - width) / 2
        y: page.columnY
        spacing: page.columnSpacing
        rotation: 270
        Repeater {
            model: 8
            delegate: SliderButton {
                id: stage
                required property int index
                readonly property string dpiValue: page.dpiValues[index]
                theme: page.shell
                width: 176
                visible: index < page.shownStages
                name: page.dpiSettingLang[0] + " " + (index + 1)
                value: Number(dpiValue)
                minimumValue: page.minDPI
                maximumValue: page.maxDPI
                // One pixel, the finest a drag can do: about one DPI step.
                keyStep: 1
                colorS: index === page.currentDPI ? page.shell.colorOrange : page.shell.colorBlue
                onValueChange: function (tmpValue) { page.dpiValueProc(stage.index, tmpValue, false) }
                onValueChangeDelay: function (tmpValue) { page.dpiValueProc(stage.index, tmpValue, true) }
                Component.onCompleted: {
                    var list = page.stageSliders.slice()
                    list[index] = stage
                    page.stageSliders = list
                }
            }
        }
    }

    // The values under the sliders, each centred under its own stage.
    Row {
        id: values
        anchors.horizontalCenter: parent.horizontalCenter
        y: 226
        spacing: page.textSpacing
        Repeater {
            model: 8
            delegate: Text {
                required property int index
                visible: index < page.shownStages
                width: 6 + page.columnSpacing - page.textSpacing
                horizontalAlignment: Text.AlignHCenter
                text: page.dpiValues[index]
                color: index === page.currentDPI ? page.shell.colorOrange : page.shell.fontColor
                font.family: page.shell.fontFamily
                font.pixelSize: page.shell.fontMinSize
            }
        }
    }

    DropDownList {
        id: segmentList
        objectName: "dpiSegment"
        name: page.shell.actionName("stages")
        theme: page.shell
        x: page.width - width - 32
        y: 8
        width: 56
        currentSelect: 3
        mdItems: ListModel {
            id: segmentModel
            ListElement { textValue: "1" }
            ListElement { textValue: "2" }
            ListElement { textValue: "3" }
            ListElement { textValue: "4" }
            ListElement { textValue: "5" }
            ListElement { textValue: "6" }
            ListElement { textValue: "7" }
            ListElement { textValue: "8" }
        }
        onValueChange: function (index) {
            page.countControl(index)
            page.isSave = true
        }
    }
}
