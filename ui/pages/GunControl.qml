pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../basic"
import "../common"
import "../js/gun.js" as G
import "../js/keyaction.js" as KA

// The gun editor: which of the six guns serves gun modes 1, 2 and 3, and
// each gun's vertical correction, firing period and shot count. Every edit
// is stored at once; closing the page sends the three modes and then the
// key matrix, which carries the three periods.
MovableDialog {
    id: page

    property var shell
    readonly property var bridge: shell.bridge

    property var gunControlLang: ["Gun editor", "Gun", "Select gun", "Cursor Adjust", "X Axis", "Y axis",
        "Fire adjust", "Rate", "Times", "Endness"]
    // List positions of the guns on gun modes 1, 2 and 3.
    property int selectGun1: 0
    property int selectGun2: 1
    property int selectGun3: 2
    // Something changed since the page was opened; closing sends.
    property bool isSave: false
    // The list position of the gun shown on the right.
    property int shownGun: 0
    readonly property alias gunNumberModel: guns
    readonly property alias modeList: modes
    readonly property alias rateSlider: rate
    readonly property alias yBox: yField
    readonly property alias timesBox: timesField
    readonly property alias endnessBox: endness
    readonly property alias redDot: dot

    theme: shell
    width: 640
    height: 448
    title: gunControlLang[0]

    onBackgroundPressed: gunControlFocus()
    onCloseClicked: closePage()

    // The six guns with their built-in values, until the gun file is read.
    ListModel {
        id: guns
        Component.onCompleted: {
            var names = ["M416", "AKM", "M16A4", "SCAR-L", "UNP9", "Thomson"]
            for (var i = 0; i < names.length; ++i)
                append({ gunName: names[i], gunImage: String(page.shell.gunImage(i + 1)), gunKey: "L-Click",
                         gunPeriod: "10", gunX: "0", gunY: "10", gunTimes: "0" })
        }
    }

    function selection(mode) {
        return [selectGun1, selectGun2, selectGun3][mode]
    }

    function setSelection(mode, gun) {
        if (mode === 0)
            selectGun1 = gun
        else if (mode === 1)
            selectGun2 = gun
        else
            selectGun3 = gun
    }

    function storeSelections() {
        bridge.setGlobalData("mouse/selectGun", [selectGun1, selectGun2, selectGun3])
    }

    // The three firing periods, mode 1 to 3, as the key matrix sends them.
    function periods() {
        return G.periods(guns, [selectGun1, selectGun2, selectGun3])
    }

    function init() {
        for (var m = 0; m < 3; ++m)
            modeModel.setProperty(m, "textValue", gunControlLang[1] + (m + 1))
        var roles = ["gunName", "gunKey", "gunPeriod", "gunX", "gunY", "gunTimes"]
        for (var i = 0; i < guns.count; ++i) {
            var values = bridge.getGunData(i)
            // Without the gun file a gun keeps its built-in values.
            if (values.length < roles.length)
                continue
            for (var r = 0; r < roles.length; ++r)
                guns.setProperty(i, roles[r], String(values[r]))
        }
        var chosen = G.selections(bridge.getGlobalData("mouse/selectGun"), [selectGun1, selectGun2, selectGun3])
        selectGun1 = chosen[0]
        selectGun2 = chosen[1]
        selectGun3 = chosen[2]
        modes.currentSelect = 0
        loadGunData(selectGun1)
    }

    // After a factory reset: guns 0, 1, 2 on the modes with their factory
    // corrections and periods, stored and sent at once.
    function resetData() {
        selectGun1 = 0
        selectGun2 = 1
        selectGun3 = 2
        storeSelections()
        var factoryY = ["5", "7", "8"]
        for (var i = 0; i < 3; ++i) {
            guns.setProperty(i, "gunY", factoryY[i])
            guns.setProperty(i, "gunPeriod", "9")
            bridge.mouseSaveGundata(i, G.record(guns.get(i)))
            sendMode(i)
        }
        modes.currentSelect = 0
        loadGunData(0)
    }

    function loadGunData(index) {
        shownGun = index
        var gun = guns.get(index)
        xField.input.textValue = gun.gunX
        yField.input.textValue = gun.gunY
        dot.y = G.dotForY(gun.gunY)
        rate.setValue(G.ratioForPeriod(gun.gunPeriod))
        rate.textValue = G.rateText(gun.gunPeriod)
        timesField.input.textValue = gun.gunTimes
        // The box shows whether the gun fires without end.
        endness.isSelect = G.toInt(gun.gunTimes) === 0
    }

    function saveGun(index) {
        bridge.mouseSaveGundata(index, G.record(guns.get(index)))
        isSave = true
    }

    // Stores one value of the shown gun; an unchanged value stores nothing.
    function setGunValue(role, value) {
        if (String(guns.get(shownGun)[role]) === String(value))
            return
        guns.setProperty(shownGun, role, String(value))
        saveGun(shownGun)
    }

    function sendMode(mode) {
        bridge.mouseSendGundata(mode + 1, G.sendValues(guns.get(selection(mode))))
    }

    function yEntered() {
        var value = yField.input.textValue
        dot.y = G.dotForY(value)
        setGunValue("gunY", value)
    }

    function timesEntered() {
        var value = timesField.input.textValue
        endness.isSelect = G.toInt(value) === 0
        setGunValue("gunTimes", value)
    }

    // A value still being typed belongs to the gun shown so far.
    function chooseMode(mode) {
        gunControlFocus()
        loadGunData(selection(mode))
    }

    function chooseGun(index) {
        gunControlFocus()
        setSelection(modes.currentSelect, index)
        storeSelections()
        isSave = true
        loadGunData(index)
    }

    function gunControlFocus() {
        modes.closeMenu()
        rate.closeMenu()
        yField.input.closeFocus()
        timesField.input.closeFocus()
    }

    function closePage() {
        // An edit still in a field is stored before deciding what to send.
        gunControlFocus()
        shell.closeDialog(page)
        if (!isSave)
            return
        isSave = false
        for (var mode = 0; mode < 3; ++mode)
            sendMode(mode)
        shell.sendKeyMatrix()
    }

    component Heading: Text {
        color: page.shell.fontColor
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontMiddleSize
        font.bold: true
    }

    component Label: Text {
        color: page.shell.fontColor
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontNormalSize
    }

    // A numeric field in a framed box; `ended` when input ends.
    component Field: Rectangle {
        id: field
        property alias input: box
        property alias maxValue: box.maxValue
        property alias name: box.name
        signal ended()
        width: 56
        height: 24
        color: page.shell.colorBlack
        border.color: box.txtInput.activeFocus ? page.shell.colorGray2 : page.shell.colorGray1
        opacity: enabled ? 1 : 0.5
        RectInput {
            id: box
            theme: page.shell
            anchors.fill: parent
            anchors.margins: 2
            onEndInputSignal: field.ended()
        }
    }

    Heading {
        x: 24
        y: 12
        text: page.gunControlLang[1]
    }

    Rectangle {
        x: 24
        y: 40
        width: 248
        height: gunList.height
        color: page.shell.colorBlack
        Column {
            id: gunList
            objectName: "gunList"
            Repeater {
                model: guns
                delegate: Rectangle {
                    id: gunRow
                    required property int index
                    required property string gunName
                    required property string gunImage
                    objectName: "gunRow" + index
                    width: 248
                    height: 58
                    color: index === page.shownGun || rowArea.containsMouse ? page.shell.colorOrange : "transparent"
                    activeFocusOnTab: true
                    Accessible.role: Accessible.ListItem
                    Accessible.name: gunName
                    Accessible.selectable: true
                    Accessible.selected: index === page.shownGun
                    Accessible.focusable: true
                    Accessible.onPressAction: page.chooseGun(gunRow.index)
                    Keys.onPressed: function (event) {
                        if (KA.activates(event)) {
                            event.accepted = true
                            page.chooseGun(gunRow.index)
                        }
                    }
                    Image {
                        anchors.centerIn: parent
                        anchors.verticalCenterOffset: -4
                        Accessible.ignored: true
                        source: gunRow.gunImage
                    }
                    Text {
                        x: 8
                        anchors.bottom: parent.bottom
                        anchors.bottomMargin: 2
                        text: gunRow.gunName
                        color: page.shell.fontColor
                        font.family: page.shell.fontFamily
                        font.pixelSize: page.shell.fontMinSize
                    }
                    MouseArea {
                        id: rowArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: page.chooseGun(gunRow.index)
                    }
                    FocusRing { theme: page.shell }
                }
            }
        }
    }

    Heading {
        x: 296
        y: 12
        text: page.gunControlLang[2]
    }

    DropDownList {
        id: modes
        objectName: "gunModeList"
        theme: page.shell
        name: page.gunControlLang[2]
        x: 496
        y: 8
        width: 120
        currentSelect: 0
        mdItems: ListModel {
            id: modeModel
            ListElement { textValue: "Gun1" }
            ListElement { textValue: "Gun2" }
            ListElement { textValue: "Gun3" }
        }
        onValueChange: function (index) { page.chooseMode(index) }
    }

    Heading {
        x: 296
        y: 48
        text: page.gunControlLang[3]
    }

    Image {
        id: target
        objectName: "gunTarget"
        x: 296
        y: 72
        width: 200
        height: 200
        source: page.shell.sourceGunTarget
        Accessible.ignored: true

        Rectangle {
            id: dot
            objectName: "gunDot"
            x: 96
            y: G.dotTop
            width: 8
            height: 8
            radius: 4
            color: "#ff2a2a"
            border.color: "#ffd0d0"
            // Dragged with the pointer; the Y box gives the keyboard's way.
            readonly property real value: G.yForDot(y)
            readonly property real minimumValue: G.yForDot(G.dotTop)
            readonly property real maximumValue: G.yForDot(G.dotTop + G.dotTravel)
            Accessible.role: Accessible.Slider
            Accessible.name: page.gunControlLang[3]
            Accessible.description: yField.input.textValue
            onYChanged: {
                if (dotArea.drag.active)
                    yField.input.textValue = String(G.yForDot(y))
            }
            MouseArea {
                id: dotArea
                anchors.fill: parent
                anchors.margins: -4
                cursorShape: Qt.SizeVerCursor
                drag.target: dot
                drag.axis: Drag.YAxis
                drag.minimumY: G.dotTop
                drag.maximumY: G.dotTop + G.dotTravel
                drag.threshold: 0
                onPressed: page.gunControlFocus()
                onReleased: page.setGunValue("gunY", yField.input.textValue)
            }
        }
    }

    // The X correction is shown, not edited: it keeps its stored value.
    Label {
        x: 512
        y: 140
        width: 44
        elide: Text.ElideRight
        text: page.gunControlLang[4]
    }
    Field {
        id: xField
        objectName: "gunXField"
        name: page.gunControlLang[4]
        x: 560
        y: 136
        enabled: false
        maxValue: 64
    }

    Label {
        x: 512
        y: 176
        width: 44
        elide: Text.ElideRight
        text: page.gunControlLang[5]
    }
    Field {
        id: yField
        objectName: "gunYField"
        name: page.gunControlLang[5]
        x: 560
        y: 172
        maxValue: 64
        onEnded: page.yEntered()
    }

    Heading {
        x: 296
        y: 288
        text: page.gunControlLang[6]
    }

    Label {
        x: 296
        y: 326
        width: 72
        elide: Text.ElideRight
        text: page.gunControlLang[7]
    }
    DropDownSlider {
        id: rate
        objectName: "gunRate"
        theme: page.shell
        name: page.gunControlLang[7]
        x: 376
        y: 322
        width: 180
        textValue: "10ms"
        onValueChange: function (tmpValue) {
            rate.textValue = G.rateText(G.periodForX(tmpValue, rate.sliderControl.width, rate.sliderControl.handleWidth))
        }
    }
    // The period is stored once the knob comes to rest, after a drag or a
    // click on the track alike, so what the box shows is what the mouse gets.
    Connections {
        target: rate.sliderControl
        function onValueChangeDelay() { page.setGunValue("gunPeriod", G.periodOfText(rate.textValue)) }
    }

    Label {
        x: 296
        y: 366
        width: 72
        elide: Text.ElideRight
        text: page.gunControlLang[8]
    }
    Field {
        id: timesField
        objectName: "gunTimesField"
        name: page.gunControlLang[8]
        x: 376
        y: 362
        maxValue: 255
        onEnded: page.timesEntered()
    }
    CheckBox {
        id: endness
        objectName: "gunEndness"
        theme: page.shell
        x: 456
        y: 368
        textValue: page.gunControlLang[9]
        onBtnClick: {
            // Called before the box toggles: only checking it acts.
            if (!endness.isSelect) {
                timesField.input.textValue = "0"
                page.setGunValue("gunTimes", "0")
            }
        }
    }
}
