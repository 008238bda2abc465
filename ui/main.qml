import QtQuick

// The main document: the whole content of the window, and the entry point of
// every call from the backend (initUI, run, setProtectUI, setCurrentDPI,
// detectKeyboard, detectMouse). Until the pages arrive it shows a plain main
// screen with the connection and the DPI stage the mouse reports.
Item {
    id: mainIten
    width: 1024
    height: 640
    visible: false

    property var mainLang: ["Editor", "Macro Editor", "Gun Editor", "Report Rate", "Config", "Reset",
        "Reset factory setting", "Cancel", "OK", "System setting", "Save", "", "", "", ""]
    property bool isColorful: false
    property bool isGun: true
    property string icType: "553"
    property bool is55328: false
    property string language: "ChineseSimplified"
    property string url: "https://example.com/kestrel-orbit"
    property bool isPownOn: false
    property bool isScrollRateFocus: false

    // Set by the bridge when the whole view is disabled or enabled again.
    property bool viewEnabled: true
    // True while the busy indicator shows and input is ignored.
    property bool isProtected: false
    // Disabled without a protection period running: the device went away.
    readonly property bool deviceGone: !viewEnabled && !isProtected
    // The DPI stage the mouse reports, counted from 0; -1 for none.
    property int currentStage: -1
    property int keyCount: 8
    // The last key and button the global capture reported, for the main screen.
    property string lastKey: ""
    property string lastButton: ""

    property string fontFamily: "微软雅黑"
    property int fontNormalSize: 12
    property int fontMiddleSize: 14
    property int fontMaxSize: 16
    property int fontMinSize: 10
    property color fontColor: "#f0f0f0"
    property color colorGray0: "#1a1a1a"
    property color colorGray1: "#3c3c3c"
    property color colorGray2: "#969696"
    property color colorGray3: "#d1d1d1"
    property color colorBlue: "#a7a9ab"
    property color colorOrange: "#d52925"
    property color colorBlack: "#000000"
    property int skin_No: 1

    signal msg_KB(bool isDown, int usbCode)
    signal msg_MS(bool isDown, int tovoCode, int x, int y)
    signal emptyAreaPressed()

    function initUI() {
        setProtectUI(1000)
        mainIten.visible = true
        if (!isPownOn) {
            isColorful = ui_View.getGlobalData("mouse/isColorful") === "true" || ui_View.getGlobalData("mouse/isColorful") === true
            icType = ui_View.getGlobalData("mouse/icType")
            is55328 = ui_View.getGlobalData("mouse/is55328") === "true" || ui_View.getGlobalData("mouse/is55328") === true
            isGun = ui_View.getGlobalData("mouse/isGun") === "true" || ui_View.getGlobalData("mouse/isGun") === true
            var keys = parseInt(ui_View.getGlobalData("mouse/keyCount"))
            keyCount = isNaN(keys) ? 8 : keys
            language = ui_View.getGlobalData("common/language")
            url = ui_View.getGlobalData("common/url")
            if (icType === "560") {
                if (ui_View.mouseReadCurrentProfile() !== 1)
                    hid.hid560_02H_SetCurrentProfile(1)
            }
            var profileNo = ui_View.getGlobalData("mouse/profileNo")
            console.log("profileNo", profileNo)
            ui_View.setCurrentProfile(profileNo)
            isPownOn = true
        }
        currentStage = ui_View.mouseGetCurrentDPI() - 1
    }

    function run() {
    }

    function setProtectUI(interval) {
        isProtected = true
        ui_View.setEnabled(false)
        tmrProtectUI.interval = interval
        tmrProtectUI.restart()
    }

    function setCurrentDPI(dpiValue) {
        if (dpiValue !== 0)
            currentStage = dpiValue - 1
    }

    function detectKeyboard(isDown, usbCode) {
        lastKey = "key " + hexByte(usbCode) + (isDown ? " down" : " up")
        console.log(lastKey)
        msg_KB(isDown, usbCode)
    }

    function detectMouse(isDown, tovoCode, x, y) {
        // The coordinates come unsigned; screens left of or above the
        // primary one have negative ones.
        x = x | 0
        y = y | 0
        lastButton = "button " + hexByte(tovoCode) + (isDown ? " down" : " up") + " at " + x + "," + y
        console.log(lastButton)
        msg_MS(isDown, tovoCode, x, y)
    }

    function hexByte(value) {
        return "0x" + ("0" + (value & 0xff).toString(16)).slice(-2)
    }

    function mainFocus() {
    }

    function controlUIEnable(isEnable) {
        // The indicator goes on before the view is disabled and off after it
        // is enabled again, so a protected view never reads as a lost device.
        if (isEnable) {
            ui_View.setEnabled(true)
            isProtected = false
        } else {
            isProtected = true
            ui_View.setEnabled(false)
        }
    }

    onDeviceGoneChanged: console.log(deviceGone ? "view disabled: device gone" : "view enabled")
    onCurrentStageChanged: console.log("DPI stage", currentStage + 1)

    // Drags the frameless window from any empty spot.
    MouseArea {
        id: dragArea
        anchors.fill: parent
        property point pressAt
        onPressed: function (mouse) {
            mainIten.emptyAreaPressed()
            pressAt = Qt.point(mouse.x, mouse.y)
            mainFocus()
        }
        onPositionChanged: function (mouse) {
            if (!pressed)
                return
            ui_Ctl.onXChanged(mouse.x - pressAt.x)
            ui_Ctl.onYChanged(mouse.y - pressAt.y)
        }
    }

    Timer {
        id: tmrProtectUI
        interval: 1000
        onTriggered: {
            ui_View.setEnabled(true)
            isProtected = false
            if (powerOnLogo.visible) {
                powerOnLogo.visible = false
                envItem.visible = true
            }
        }
    }

    Rectangle {
        id: powerOnLogo
        anchors.centerIn: parent
        width: 360
        height: 240
        radius: 16
        color: colorGray0
        border.color: colorGray1
        Column {
            anchors.centerIn: parent
            spacing: 16
            Mark {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 96
                height: 96
                accent: colorOrange
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "KESTREL ORBIT"
                color: fontColor
                font.family: fontFamily
                font.pixelSize: 22
                font.letterSpacing: 6
                font.bold: true
            }
        }
    }

    Rectangle {
        id: envItem
        visible: false
        anchors.fill: parent
        radius: 14
        border.color: "#2c2c2c"
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#202124" }
            GradientStop { position: 1.0; color: "#111113" }
        }

        // Title bar: the mark, the name, minimise and close.
        Item {
            id: upItem
            x: 0
            y: 0
            width: parent.width
            height: 64
            Mark {
                x: 28
                anchors.verticalCenter: parent.verticalCenter
                width: 34
                height: 34
                accent: colorOrange
            }
            Text {
                x: 74
                anchors.verticalCenter: parent.verticalCenter
                text: "KESTREL ORBIT"
                color: fontColor
                font.family: fontFamily
                font.pixelSize: fontMaxSize
                font.letterSpacing: 4
                font.bold: true
            }
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 24
                anchors.verticalCenter: parent.verticalCenter
                spacing: 16
                TitleButton { glyph: "—"; onClicked: ui_Ctl.onMinimize() }
                TitleButton { glyph: "✕"; onClicked: ui_Ctl.onClose() }
            }
            Rectangle {
                anchors.bottom: parent.bottom
                x: 24
                width: parent.width - 48
                height: 1
                color: colorGray1
            }
        }

        Column {
            x: 48
            y: 112
            spacing: 28

            Row {
                spacing: 12
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 12
                    height: 12
                    radius: 6
                    color: deviceGone ? colorOrange : "#3fb950"
                }
                Text {
                    text: deviceGone ? "Mouse removed: plug it in again" : "Mouse connected"
                    color: fontColor
                    font.family: fontFamily
                    font.pixelSize: 26
                }
            }
            Text {
                text: (icType === "560" ? "560" : "553") + " controller"
                    + (isGun ? " · gun modes" : "") + (isColorful ? " · RGB lighting" : "")
                    + " · " + keyCount + " buttons"
                color: colorGray2
                font.family: fontFamily
                font.pixelSize: fontMiddleSize
            }

            Text {
                topPadding: 36
                text: "DPI STAGE"
                color: colorGray2
                font.family: fontFamily
                font.pixelSize: fontNormalSize
                font.letterSpacing: 3
            }
            Row {
                spacing: 14
                Repeater {
                    model: 8
                    Rectangle {
                        width: 96
                        height: 96
                        radius: 10
                        color: index === currentStage ? colorOrange : "#1b1c1f"
                        border.color: index === currentStage ? "#ff6b5e" : colorGray1
                        Behavior on color { ColorAnimation { duration: 150 } }
                        Text {
                            anchors.centerIn: parent
                            text: index + 1
                            color: index === currentStage ? "#ffffff" : colorGray2
                            font.family: fontFamily
                            font.pixelSize: 34
                            font.bold: index === currentStage
                        }
                    }
                }
            }
            Text {
                text: currentStage >= 0 ? "The mouse's DPI button selects the stage; the highlight follows it."
                                        : "The mouse has not reported a DPI stage yet."
                color: colorGray2
                font.family: fontFamily
                font.pixelSize: fontNormalSize
            }

            Text {
                topPadding: 24
                text: "CAPTURED INPUT"
                color: colorGray2
                font.family: fontFamily
                font.pixelSize: fontNormalSize
                font.letterSpacing: 3
            }
            Text {
                text: (lastKey !== "" ? lastKey : "no key yet") + "   ·   "
                      + (lastButton !== "" ? lastButton : "no button yet")
                color: fontColor
                font.family: fontFamily
                font.pixelSize: fontMiddleSize
            }
        }
    }

    // Shown while the UI is protected (input ignored).
    Item {
        id: protectUIItem
        anchors.centerIn: parent
        width: 220
        height: 48
        visible: isProtected
        z: 99
        Rectangle {
            anchors.fill: parent
            radius: 8
            color: "#cc000000"
        }
        Text {
            id: loadingText
            anchors.centerIn: parent
            text: "LOADING ......"
            color: fontColor
            font.family: fontFamily
            font.pixelSize: fontMaxSize
            font.letterSpacing: 2
            SequentialAnimation on opacity {
                running: protectUIItem.visible
                loops: Animation.Infinite
                NumberAnimation { from: 1.0; to: 0.25; duration: 400 }
                NumberAnimation { from: 0.25; to: 1.0; duration: 400 }
            }
        }
    }
}
