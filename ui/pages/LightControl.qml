pragma ComponentBehavior: Bound
import QtQuick
import "../basic"
import "../common"
import "../js/lighting.js" as L

// The lighting page: the effect, its speed and brightness, and colour 1 on
// the colour bar or as red, green and blue. Edits stay here until the
// shell's Save stores and sends them.
Rectangle {
    id: page

    property var shell
    readonly property var bridge: shell.bridge

    property bool isSave: false
    property alias lightModel: effectList
    property var lightControlLang: ["Light", "Static", "Breath", "Neon", "OFF", "Speed", "Color", "Brightness",
        "Twinkling", "Wave", "Gliding", "Finger Moving", "Vertical Flipping", "YO-YO", "Spotlight", "Breath Loop",
        "", "", "", ""]
    // The eight colour slots; the row that would pick another slot is not
    // part of this layout, so the bar and the inputs always edit slot 0.
    property var colours: L.defaultColours.slice()
    property int selectedSlot: 0
    property bool speedShown: true
    property bool brightnessShown: false
    property bool isBackHandling: false
    readonly property int effect: effectList.currentSelect
    readonly property bool colourMasked: L.maskShown(effect)
    readonly property int barX: 24
    readonly property int barWidth: 185

    width: 232
    height: L.pageHeight(speedShown, brightnessShown)
    color: shell.colorBlack

    function init(isSendData, isRecovery) {
        for (var i = 0; i < 4; ++i)
            effectModel.setProperty(i, "textValue", lightControlLang[i + 1])
        if (!isSendData && !isBackHandling && !shell.isPownOn) {
            if (shell.isColorful) {
                for (var j = 0; j < L.colourfulTexts.length; ++j)
                    effectModel.append({ textValue: lightControlLang[L.colourfulTexts[j]] })
            }
            if (shell.is55328) {
                effectModel.append({ textValue: lightControlLang[L.breathLoopText] })
                effectList.closeMenu()
            }
        }
        var light = bridge.getDataList("mouse/lightValue", isRecovery)
        effectList.currentSelect = L.position(light[0], effectList.currentSelect)
        speedPanel.slider.setIndexValue(L.position(light[1], speedPanel.slider.segmentValue), false)
        brightnessPanel.slider.setIndexValue(L.position(light[2], brightnessPanel.slider.segmentValue), false)
        showPanels(effect)
        colours = L.coloursOf(bridge.getDataList("mouse/colorValue", isRecovery), colours)
        selectedSlot = 0
        showColour(colours[selectedSlot])
        if (isSendData)
            saveData(true, 0)
    }

    function saveData(isSendData, isStep) {
        var lightValue = [effect, speedPanel.slider.segmentValue, brightnessPanel.slider.segmentValue]
        if (isStep === 0 || isStep === 1)
            bridge.setDataList("mouse/lightValue", lightValue)
        var values = L.colourValues(colours, effect, shell.is55328)
        if (isStep === 0 || isStep === 2)
            bridge.setDataList("mouse/colorValue", values)
        if (!isSendData)
            return
        if (isStep === 0 || isStep === 1)
            bridge.mouseSetRGBEffect(lightValue[0], lightValue[1], lightValue[2])
        if (isStep === 0 || isStep === 2)
            bridge.mouseSetRGBColor(L.colourType(shell.isColorful), values)
    }

    function lightControlFocus() {
        effectList.closeMenu()
        redInput.closeFocus()
        greenInput.closeFocus()
        blueInput.closeFocus()
    }

    function showPanels(index) {
        var shown = L.panels(index, shell.is55328)
        speedShown = shown.speed
        brightnessShown = shown.brightness
    }

    function chooseEffect(index) {
        showPanels(index)
        var reset = L.resetPositions(index, shell.is55328)
        if (reset.speed !== null)
            speedPanel.slider.setIndexValue(reset.speed, false)
        if (reset.brightness !== null)
            brightnessPanel.slider.setIndexValue(reset.brightness, false)
        selectedSlot = 0
        isSave = true
    }

    function goBack() {
        isBackHandling = true
        init(false, true)
        isBackHandling = false
        isSave = true
    }

    function storeColour(colour) {
        var list = colours.slice()
        list[selectedSlot] = colour
        colours = list
    }

    // Puts the handle where a colour lies on the bar and shows its parts.
    function showColour(colour) {
        colourHandle.x = L.handleLeft(colour, barX, barWidth)
        showComponents(colour)
    }

    function showComponents(colour) {
        var rgb = L.componentsOf(colour)
        redInput.textValue = String(rgb[0])
        greenInput.textValue = String(rgb[1])
        blueInput.textValue = String(rgb[2])
    }

    // The handle was dragged: the colour under it goes into the slot.
    function handleMoved() {
        var colour = L.colourAtHandle(colourHandle.x, barX, barWidth)
        storeColour(colour)
        showComponents(colour)
    }

    // Red, green or blue was edited.
    function componentsEntered() {
        var colour = L.hexOf(L.component(redInput.textValue, 0), L.component(greenInput.textValue, 0),
                             L.component(blueInput.textValue, 0))
        colourHandle.x = L.handleLeft(colour, barX, barWidth)
        storeColour(colour)
        isSave = true
    }

    // A labelled 5-position slider with its scale and its percentage.
    component SliderPanel: Item {
        id: panel
        property var theme
        property string label
        property alias slider: control
        signal moved()

        width: 232
        height: 32
        Text {
            x: 24
            text: panel.label
            color: panel.theme.fontColor
            font.family: panel.theme.fontFamily
            font.pixelSize: panel.theme.fontNormalSize
        }
        SliderButton {
            id: control
            theme: panel.theme
            x: 24
            y: 20
            width: 96
            isScale: true
            segment: 4
            name: panel.label
            onValueChangeDelay: panel.moved()
        }
        Image {
            x: control.x
            y: control.y + control.height + 3
            source: panel.theme.sourceSpeedScale
            Accessible.ignored: true
        }
        Rectangle {
            x: control.x + control.width + 16
            y: control.y + control.height / 2 - height / 2
            width: 48
            height: 16
            color: panel.theme.colorBlue
            Text {
                objectName: "lightPercent"
                anchors.centerIn: parent
                text: L.percentText(control.segmentValue)
                color: panel.theme.colorBlack
                font.family: panel.theme.fontFamily
                font.pixelSize: panel.theme.fontNormalSize
            }
        }
    }

    // "R", "G" or "B" and its input box.
    component ComponentField: Row {
        id: field
        property var theme
        property string label
        property string inputName
        property alias input: box
        signal edited()
        spacing: 6
        Text {
            height: 16
            verticalAlignment: Text.AlignVCenter
            text: field.label
            color: field.theme.fontColor
            font.family: field.theme.fontFamily
            font.pixelSize: field.theme.fontNormalSize
        }
        Rectangle {
            width: 32
            height: 16
            color: field.theme.colorBlue
            RectInput {
                id: box
                objectName: field.inputName
                anchors.fill: parent
                theme: field.theme
                minValue: 0
                maxValue: 255
                textValue: "255"
                textColor: field.theme.colorBlack
                name: field.label
                onEndInputSignal: field.edited()
            }
        }
    }

    Text {
        x: 8
        y: 8
        height: 24
        verticalAlignment: Text.AlignVCenter
        width: effectList.x - 16
        elide: Text.ElideRight
        text: page.lightControlLang[0]
        color: page.shell.fontColor
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontMiddleSize
        font.bold: true
    }

    ImageButton {
        id: backButton
        objectName: "lightBack"
        theme: page.shell
        name: page.shell.actionName("undo")
        anchors.right: parent.right
        anchors.rightMargin: 8
        y: 12
        normalSource: page.shell.sourceBackBtn
        hoverSource: page.shell.sourceBackBtnH
        pressedSource: page.shell.sourceBackBtnP
        onClicked: page.goBack()
    }

    Column {
        x: 0
        y: effectList.y + effectList.height + 8
        spacing: 8
        SliderPanel {
            id: speedPanel
            objectName: "lightSpeed"
            visible: page.speedShown
            theme: page.shell
            label: page.lightControlLang[5]
            onMoved: page.isSave = true
        }
        SliderPanel {
            id: brightnessPanel
            objectName: "lightBrightness"
            visible: page.brightnessShown
            theme: page.shell
            label: page.lightControlLang[7]
            onMoved: page.isSave = true
        }
    }

    // The colour area keeps its place at the bottom whatever the sliders above.
    Item {
        id: colourArea
        width: parent.width
        height: 137
        anchors.bottom: parent.bottom

        Rectangle {
            x: 24
            width: parent.width - 48
            height: 1
            color: page.shell.colorGray0
        }
        Text {
            id: colourLabel
            x: 24
            y: 13
            height: 16
            verticalAlignment: Text.AlignVCenter
            text: page.lightControlLang[6]
            color: page.shell.fontColor
            font.family: page.shell.fontFamily
            font.pixelSize: page.shell.fontNormalSize
        }
        Image {
            id: colourBar
            objectName: "lightColourBar"
            x: page.barX
            y: colourLabel.y + colourLabel.height + 36
            width: page.barWidth
            height: 24
            source: page.shell.sourceColorBar
            Accessible.ignored: true
        }

        // The handle: the slot's number over the slot's colour, pointing at the bar.
        Item {
            id: colourHandle
            objectName: "lightColourHandle"
            y: colourLabel.y + colourLabel.height + 8
            width: L.handleWidth
            height: 28
            // Dragged with the pointer; the R, G and B boxes give the keyboard's way.
            readonly property real value: x - L.handleRange(page.barX, page.barWidth).min
            readonly property real minimumValue: 0
            readonly property real maximumValue: L.handleRange(page.barX, page.barWidth).max
                                                 - L.handleRange(page.barX, page.barWidth).min
            Accessible.role: Accessible.Slider
            Accessible.name: page.lightControlLang[6]
            Accessible.description: page.colours[page.selectedSlot]
            Rectangle {
                width: 18
                height: 18
                radius: 2
                color: page.colours[page.selectedSlot]
                border.color: page.shell.colorGray3
                Text {
                    anchors.centerIn: parent
                    text: String(page.selectedSlot + 1)
                    color: L.isLight(page.colours[page.selectedSlot]) ? "#000000" : "#ffffff"
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontMinSize
                    font.bold: true
                }
            }
            // Its tip touches the bar.
            Rectangle {
                x: 5
                y: 18
                width: 8
                height: 8
                rotation: 45
                color: page.colours[page.selectedSlot]
                border.color: page.shell.colorGray3
                z: -1
            }
            MouseArea {
                objectName: "lightColourDrag"
                anchors.fill: parent
                drag.target: colourHandle
                drag.axis: Drag.XAxis
                drag.minimumX: L.handleRange(page.barX, page.barWidth).min
                drag.maximumX: L.handleRange(page.barX, page.barWidth).max
                drag.threshold: 0
                // The handle follows the pointer from the first move on.
                drag.smoothed: false
                cursorShape: Qt.SizeHorCursor
                onPositionChanged: {
                    if (drag.active)
                        page.handleMoved()
                }
                onReleased: page.isSave = true
            }
        }

        Row {
            anchors.horizontalCenter: colourBar.horizontalCenter
            y: colourBar.y + colourBar.height + 8
            spacing: 16
            // Under the mask the pointer cannot reach them; nor can Tab.
            enabled: !page.colourMasked
            ComponentField { id: redField; theme: page.shell; label: "R"; inputName: "lightRed"; onEdited: page.componentsEntered() }
            ComponentField { id: greenField; theme: page.shell; label: "G"; inputName: "lightGreen"; onEdited: page.componentsEntered() }
            ComponentField { id: blueField; theme: page.shell; label: "B"; inputName: "lightBlue"; onEdited: page.componentsEntered() }
        }

        // Effects that ignore the colour cover the colour area and take its clicks.
        Rectangle {
            objectName: "lightColourMask"
            y: colourLabel.y
            width: parent.width
            height: 101
            visible: page.colourMasked
            color: "#b0000000"
            Accessible.ignored: true
            MouseArea {
                anchors.fill: parent
                hoverEnabled: true
                acceptedButtons: Qt.AllButtons
                onWheel: function (wheel) { wheel.accepted = true }
            }
        }
    }

    readonly property var redInput: redField.input
    readonly property var greenInput: greenField.input
    readonly property var blueInput: blueField.input

    DropDownList {
        id: effectList
        objectName: "lightModel"
        name: page.lightControlLang[0]
        theme: page.shell
        x: backButton.x - 8 - width
        y: 8
        z: 2
        width: 120
        currentSelect: 1
        mdItems: ListModel {
            id: effectModel
            ListElement { textValue: "常亮模式" }
            ListElement { textValue: "呼吸模式" }
            ListElement { textValue: "霓虹模式" }
            ListElement { textValue: "关闭灯光" }
        }
        onValueChange: function (index) { page.chooseEffect(index) }
    }
}
