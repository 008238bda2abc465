import QtQuick
import "../basic"
import "../common"
import "../js/systemsetting.js" as SS

// The system settings page: the desktop's cursor speed, double-click speed
// and wheel scroll lines. Every change applies at once and is kept in the
// current profile, so each profile brings its own pointer settings.
MovableDialog {
    id: page

    property var shell
    readonly property var bridge: shell.bridge
    property var systemSettingLang: ["System Setting", "Mouse Speed", "Double Click Speed", "Slow", "Fast",
        "Scroll Speed", "Number of Rows", "Scroll one Screen"]
    readonly property int cursorPosition: Math.round(cursorRow.slider.handleX)
    readonly property int doubleClickPosition: Math.round(doubleClickRow.slider.handleX)
    readonly property bool linesChosen: linesRadio.isSelect
    readonly property string linesText: linesInput.textValue

    theme: shell
    width: 416
    height: 312
    title: systemSettingLang[0]

    onCloseClicked: shell.closeDialog(page)
    onBackgroundPressed: systemSettingFocus()

    function init(isSendData, isRecovery) {
        cursorRow.slider.setValue(SS.position(bridge.getData("mouse/mouseRate", isRecovery), cursorPosition))
        doubleClickRow.slider.setValue(SS.position(bridge.getData("mouse/doubleRate", isRecovery), doubleClickPosition))
        var scroll = SS.scrollShown(bridge.getData("mouse/scrollRate", isRecovery))
        if (scroll !== null) {
            linesRadio.isSelect = !scroll.onePage
            pageRadio.isSelect = scroll.onePage
            if (scroll.text !== null)
                linesInput.textValue = scroll.text
        }
        if (isSendData)
            saveData(true, 0)
    }

    function saveData(isSendData, isStep) {
        bridge.setData("mouse/mouseRate", cursorPosition)
        bridge.setData("mouse/doubleRate", doubleClickPosition)
        var lines = SS.scrollValue(linesChosen, linesText)
        bridge.setData("mouse/scrollRate", lines)
        if (!isSendData)
            return
        if (isStep === 0 || isStep === 1)
            bridge.mouseSetCursorSpeed(SS.stepOf(cursorPosition))
        if (isStep === 0 || isStep === 2)
            bridge.mouseSetDoubleClickSpeed(SS.stepOf(doubleClickPosition))
        if (isStep === 0 || isStep === 3)
            bridge.mouseSetVerticalScrollLines(lines)
    }

    function systemSettingFocus() {
        linesInput.closeFocus()
    }

    function chooseScroll(lines) {
        linesRadio.isSelect = lines
        pageRadio.isSelect = !lines
        saveData(true, 3)
    }

    // The orange line under the title bar.
    Rectangle {
        y: -1
        width: page.width
        height: 1
        color: page.shell.colorOrange
    }

    ImageButton {
        objectName: "systemReset"
        theme: page.shell
        name: page.shell.actionName("reset")
        parent: page.titleBar
        anchors.right: parent.right
        anchors.rightMargin: 16 + 16 + 8
        anchors.verticalCenter: parent.verticalCenter
        normalSource: page.shell.sourceResetBtn
        hoverSource: page.shell.sourceResetBtnH
        onClicked: page.init(true, true)
    }

    // A label, a slider from slow to fast, and a divider under it.
    component SpeedRow: Item {
        id: row
        property var theme
        property string label
        property string slow
        property string fast
        property alias slider: control
        signal released()

        width: 416
        height: 86
        Text {
            id: caption
            x: 16
            y: 16
            height: 16
            verticalAlignment: Text.AlignVCenter
            text: row.label
            color: row.theme.fontColor
            font.family: row.theme.fontFamily
            font.pixelSize: row.theme.fontNormalSize
            font.bold: true
        }
        SliderButton {
            id: control
            theme: row.theme
            x: (row.width - width) / 2
            y: caption.y + caption.height + 12
            width: 352
            name: row.label
            onValueChangeDelay: row.released()
        }
        Text {
            x: control.x
            y: control.y + control.height + 8
            text: row.slow
            color: row.theme.colorGray2
            font.family: row.theme.fontFamily
            font.pixelSize: row.theme.fontNormalSize
        }
        Text {
            x: control.x + control.width - width
            y: control.y + control.height + 8
            text: row.fast
            color: row.theme.colorGray2
            font.family: row.theme.fontFamily
            font.pixelSize: row.theme.fontNormalSize
        }
        Rectangle {
            x: (row.width - width) / 2
            y: row.height - 1
            width: 384
            height: 1
            color: row.theme.colorBlack
        }
    }

    Column {
        SpeedRow {
            id: cursorRow
            objectName: "cursorSpeedRow"
            theme: page.shell
            label: page.systemSettingLang[1]
            slow: page.systemSettingLang[3]
            fast: page.systemSettingLang[4]
            onReleased: page.saveData(true, 1)
        }
        SpeedRow {
            id: doubleClickRow
            objectName: "doubleClickRow"
            theme: page.shell
            label: page.systemSettingLang[2]
            slow: page.systemSettingLang[3]
            fast: page.systemSettingLang[4]
            onReleased: page.saveData(true, 2)
        }
        Item {
            width: page.width
            height: 100
            Text {
                id: scrollCaption
                x: 16
                y: 16
                height: 16
                verticalAlignment: Text.AlignVCenter
                text: page.systemSettingLang[5]
                color: page.shell.fontColor
                font.family: page.shell.fontFamily
                font.pixelSize: page.shell.fontNormalSize
                font.bold: true
            }
            RadioButton {
                id: linesRadio
                objectName: "scrollLinesRadio"
                theme: page.shell
                x: 24
                y: scrollCaption.y + scrollCaption.height + 10
                height: 16
                isSelect: true
                textValue: page.systemSettingLang[6]
                onBtnClick: page.chooseScroll(true)
            }
            Rectangle {
                x: linesRadio.x + linesRadio.width + 16
                y: linesRadio.y
                width: 32
                height: 16
                color: "transparent"
                border.color: page.shell.colorGray2
                RectInput {
                    id: linesInput
                    objectName: "scrollLinesInput"
                    anchors.fill: parent
                    theme: page.shell
                    minValue: 1
                    maxValue: 100
                    textValue: "1"
                    txtInput.maximumLength: 3
                    name: page.systemSettingLang[6]
                    onInputSignal: page.shell.isScrollRateFocus = true
                    onEndInputSignal: {
                        textValue = SS.settledLines(textValue)
                        page.shell.isScrollRateFocus = false
                        page.saveData(true, 3)
                    }
                }
            }
            RadioButton {
                id: pageRadio
                objectName: "scrollPageRadio"
                theme: page.shell
                x: 24
                y: linesRadio.y + linesRadio.height + 8
                height: 16
                textValue: page.systemSettingLang[7]
                onBtnClick: page.chooseScroll(false)
            }
        }
    }
}
