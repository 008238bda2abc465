pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../basic"
import "../common"
import "../js/keycodes.js" as K
import "../js/assign.js" as A
import "../js/clamp.js" as C
import "../js/keyaction.js" as KA

// The key assignment dialog: every kind of function a button can have, in
// a scrolling column. A choice edits keyCode0..3 and keyString; closing the
// dialog puts them into the button's slot of the key matrix list.
MovableDialog {
    id: page

    property var shell
    readonly property var bridge: shell.bridge
    property var matrix
    property var macroEditor
    property var mouseView

    property int slotIndex: 0
    property int keyCode0: 0
    property int keyCode1: 0
    property int keyCode2: 0
    property int keyCode3: 0
    property string keyString: ""
    property string keyCode: "0000F000"
    property bool isFireInput: false
    property bool isComboInput: false
    property int macroMode: 0
    property var combination: A.emptyCombination()
    property string fireText: ""
    property string comboText: keyAssigmentLang[10]
    property int fireInterval: 10
    property string fireIntervalText: "10ms"
    // Set while the dialog loads a slot, so its controls' echoes change nothing.
    property bool loading: false
    property var keyAssigmentLang: ["Key ", "Mouse Function", "Left Key", "Middle Key", "Right Key", "Forward Key",
        "Back Key", "Double Fire", "Fire Function", "Key Value", "Click Input", "Rate", "Times", "Endness",
        "Group Function", "Media Function", "Macro Function", "Macro Editor",
        "Macro runs one-time after pressing the button", "Macro runs endless loop until any button is pressed",
        "Macro runs endless loop until button is released", "DPI Function", "DPI+", "DPI-", "DPI LOOP",
        "Windows Function", "Shortcut Function", "Player", "Next", "Privous", "Stop", "Mute", "Play/Pause",
        "Volumn+", "Volumn-", "My PC", "Index", "Search", "Max", "Min", "Desktop", "Run", "New", "Cut", "Copy",
        "Paste", "Save", "Print", "Find", "Redo", "Undo", "Select All", "Gun Function", "One Gun", "Two Gun",
        "Three Gun", "Sniper Key", "", "", ""]
    property alias macroList: macroDrop
    property alias contentView: view

    theme: shell
    width: 416
    height: 404
    title: keyAssigmentLang[0] + (slotIndex + 1) + " : " + keyString

    onCloseClicked: page.closeAndApply()
    onBackgroundPressed: page.focusOut()
    Component.onCompleted: {
        loading = true
        rateDrop.setValue(A.fireRatioOf(fireInterval))
        loading = false
    }

    function texts(list) {
        return list.map(function (choice) { return page.keyAssigmentLang[choice[0]] })
    }

    // The grid's last row is filled up with empty cells, which choose nothing.
    function fillGrid(model, list) {
        model.clear()
        var names = texts(list)
        for (var i = 0; i < names.length || i % 3 !== 0; ++i)
            model.append({ textValue: i < names.length ? names[i] : "" })
    }

    function init() {
        macroDrop.closeMenu()
        fillGrid(mediaModel, K.choices.media)
        fillGrid(windowsModel, K.choices.windows)
        fillGrid(shortcutModel, K.choices.shortcut)
    }

    function keyCodeToString(code0, code1, code2, code3) {
        return shell.keyCodeTable.keyCodeToString(code0, code1, code2, code3, keyAssigmentLang)
    }

    function codes() {
        return [keyCode0, keyCode1, keyCode2, keyCode3]
    }

    function setCodes(list) {
        keyCode0 = list[0]
        keyCode1 = list[1]
        keyCode2 = list[2]
        keyCode3 = list[3]
    }

    // Splits the eight hex digits of the last fixed choice into the bytes.
    function keyCodeStrProc() {
        setCodes(K.splitKeyCode(keyCode))
    }

    // A fixed choice: its bytes from the table, its text from the language.
    function chooseFixed(list, index) {
        keyCode = list[index][1]
        keyString = keyAssigmentLang[list[index][0]]
        keyCodeStrProc()
    }

    function isChosen(hex) {
        var bytes = K.splitKeyCode(hex)
        return bytes[0] === keyCode0 && bytes[1] === keyCode1 && bytes[2] === keyCode2 && bytes[3] === keyCode3
    }

    function show(index) {
        focusOut()
        slotIndex = index
        var slot = matrix.modKeys.get(index)
        loading = true
        keyString = slot.keyText
        setCodes([slot.keyCode0, slot.keyCode1, slot.keyCode2, slot.keyCode3])
        presetControls()
        loading = false
        shell.openDialog(page, true)
        view.contentY = 0
    }

    // The controls show the definition being edited.
    function presetControls() {
        var current = codes()
        mediaGrid.currentSelect = A.choiceIndex(K.choices.media, current, K.splitKeyCode)
        windowsGrid.currentSelect = A.choiceIndex(K.choices.windows, current, K.splitKeyCode)
        shortcutGrid.currentSelect = A.choiceIndex(K.choices.shortcut, current, K.splitKeyCode)
        if (keyCode0 === 1) {
            fireText = keyString
            setFireInterval(keyCode2)
            timesInput.textValue = String(keyCode3)
            endless.isSelect = keyCode3 === 0
        }
        comboText = keyCode0 === 2 && keyString !== "" ? keyString : keyAssigmentLang[10]
        combination = A.emptyCombination()
        if (keyCode0 === 4) {
            macroMode = Math.min(Math.max(keyCode1, 0), 2)
            macroDrop.selectName(matrix.macroNameOf(slotIndex))
        }
    }

    function setFireInterval(value) {
        fireInterval = value
        fireIntervalText = value + "MS"
        rateDrop.setValue(A.fireRatioOf(value))
    }

    // Pressing outside the controls ends whatever they were doing.
    function focusOut() {
        macroDrop.closeMenu()
        mediaGrid.closeMenu()
        windowsGrid.closeMenu()
        shortcutGrid.closeMenu()
        rateDrop.closeMenu()
        timesInput.closeFocus()
    }

    // Captured keys, while the fire field (0) or the combination field (1) waits.
    function detectKeyboard(isDown, usbCode, index) {
        var name = shell.keyCodeTable.keycodeTostr(usbCode)
        if (index === 0 && isFireInput) {
            setCodes([1, usbCode, fireInterval, timesValue()])
            keyString = name
            fireText = name
            isFireInput = false
        } else if (index === 1 && isComboInput && isDown) {
            combination = A.addToCombination(combination, usbCode, name)
            comboText = combination.text
        }
    }

    function timesValue() {
        var n = parseInt(timesInput.textValue)
        return isNaN(n) || n < 1 ? 0 : Math.min(n, 255)
    }

    function startFireInput() {
        focusOut()
        isComboInput = false
        isFireInput = true
        fireText = keyAssigmentLang[10]
    }

    function startComboInput() {
        focusOut()
        isFireInput = false
        isComboInput = true
        combination = A.emptyCombination()
        comboText = ""
    }

    // Only keys typed since the field was clicked are taken; without them the
    // definition stays as it is, whatever the field shows.
    function confirmCombination() {
        isComboInput = false
        if (combination.text === "") {
            if (comboText === "")
                comboText = keyAssigmentLang[10]
            return
        }
        setCodes(A.combinationCodes(combination))
        keyString = combination.text
        comboText = combination.text
        combination = A.emptyCombination()
    }

    // A capture started from the keyboard ends with its keys up: the field
    // keeps them for the confirm mark, which the keyboard can now reach.
    function endComboInput() {
        isComboInput = false
    }

    function cancelCombination() {
        isComboInput = false
        comboText = keyAssigmentLang[10]
        combination = A.emptyCombination()
    }

    function chooseMacro(index) {
        setCodes([4, macroMode, slotIndex, 0])
        keyString = String(macroModel.get(index).textValue)
    }

    function chooseMacroMode(mode) {
        macroMode = mode
        if (keyCode0 === 4)
            keyCode1 = mode
    }

    // The macro editor renamed a macro: the dialog's choice follows, so
    // closing does not put the old name back into the profile.
    function macroRenamed(oldName, newName) {
        if (macroDrop.textValue === oldName)
            macroModel.setProperty(macroDrop.currentSelect, "textValue", newName)
        if (keyCode0 === 4 && keyString === oldName)
            keyString = newName
    }

    // The macro editor deleted a macro: a definition that ran it gives way
    // to what the slot holds now, so closing does not bring it back.
    function macroDeleted(name) {
        if (!visible || keyCode0 !== 4 || keyString !== name)
            return
        var slot = matrix.modKeys.get(slotIndex)
        loading = true
        keyString = slot.keyText
        setCodes([slot.keyCode0, slot.keyCode1, slot.keyCode2, slot.keyCode3])
        presetControls()
        loading = false
    }

    // The close mark: the slot takes the edited definition when it differs,
    // and a macro goes to the mouse at once.
    function closeAndApply() {
        shell.closeDialog(page)
        focusOut()
        if (isFireInput)
            fireText = ""
        isFireInput = false
        // Typed keys never confirmed are dropped, as while recording.
        if (isComboInput || combination.text !== "")
            cancelCombination()
        var slot = matrix.modKeys.get(slotIndex)
        var slotCodes = [slot.keyCode0, slot.keyCode1, slot.keyCode2, slot.keyCode3]
        var stored = slot.keyCode0 === 4 && keyCode0 === 4 ? matrix.macroNameOf(slotIndex) : null
        if (A.slotChanged(slotCodes, codes(), stored, macroDrop.textValue)) {
            matrix.setCodes(matrix.modKeys, slotIndex, codes(), keyString)
            matrix.isSave = true
            if (keyCode0 === 4) {
                macroEditor.sendMacro(keyCode2, keyString)
                bridge.setData("mouseMacroKey/" + keyCode2, keyString)
            }
        }
        mouseView.selectKey = -1
    }

    // The restore mark: the slot's factory definition, in the dialog and the slot.
    function restoreFactory() {
        var factory = matrix.modKeys_tmp.get(slotIndex)
        if (factory.keyText === keyString)
            return
        loading = true
        setCodes([factory.keyCode0, factory.keyCode1, factory.keyCode2, factory.keyCode3])
        keyString = factory.keyText
        presetControls()
        loading = false
        matrix.setCodes(matrix.modKeys, slotIndex, codes(), keyString)
        matrix.isSave = true
    }

    // Keeps an opened list inside the visible part of the column.
    function reveal(item, extra) {
        var top = item.mapToItem(view.contentItem, 0, 0).y
        var bottom = top + item.height + extra
        if (bottom > view.contentY + view.height)
            scrollTo(bottom - view.height + 8)
        if (top < view.contentY)
            scrollTo(top - 8)
    }

    function scrollTo(offset) {
        view.contentY = C.clamp(offset, 0, view.contentHeight - view.height)
    }

    ImageButton {
        objectName: "keyRestore"
        theme: page.shell
        name: page.shell.actionName("restore")
        parent: page.titleBar
        anchors.right: parent.right
        anchors.rightMargin: 48
        anchors.verticalCenter: parent.verticalCenter
        normalSource: page.shell.sourceRestoreBtn
        hoverSource: page.shell.sourceRestoreBtnH
        onClicked: page.restoreFactory()
    }

    component Heading: Item {
        id: heading
        property string text
        width: 360
        height: 24
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: heading.text
            color: page.shell.fontColor
            font.family: page.shell.fontFamily
            font.pixelSize: page.shell.fontMiddleSize
            font.bold: true
        }
        Rectangle {
            y: parent.height - 1
            width: parent.width
            height: 1
            color: page.shell.colorGray1
        }
    }

    component Label: Text {
        width: 88
        height: 24
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        color: page.shell.colorGray3
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontNormalSize
    }

    // A field that waits for a key once clicked.
    component CaptureField: Rectangle {
        id: field
        property string text
        property string name
        property bool waiting: false
        signal clicked()
        width: 120
        height: 24
        color: page.shell.colorGray0
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: name
        Accessible.description: text
        Accessible.focusable: true
        Accessible.onPressAction: clicked()
        Keys.onPressed: function (event) {
            if (KA.activates(event)) {
                event.accepted = true
                field.clicked()
            }
        }
        border.color: waiting || fieldArea.containsMouse ? page.shell.colorOrange : page.shell.colorGray1
        Text {
            anchors.centerIn: parent
            width: parent.width - 12
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            text: field.text
            color: field.waiting ? page.shell.colorGray2 : page.shell.fontColor
            font.family: page.shell.fontFamily
            font.pixelSize: page.shell.fontNormalSize
        }
        MouseArea {
            id: fieldArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: field.clicked()
        }
        FocusRing { theme: page.shell }
    }

    // A radio button that shows whether its fixed choice is the definition.
    component ChoiceRadio: RadioButton {
        id: radio
        property var list
        property int choice
        theme: page.shell
        textValue: page.keyAssigmentLang[list[choice][0]]
        isSelect: page.isChosen(list[choice][1])
        onBtnClick: {
            page.chooseFixed(radio.list, radio.choice)
            radio.isSelect = Qt.binding(function () { return page.isChosen(radio.list[radio.choice][1]) })
        }
    }

    component ChoiceGrid: DropDownGrid {
        id: grid
        property var list
        property string heading
        theme: page.shell
        width: 120
        name: grid.heading
        onIsDropChanged: {
            if (grid.isDrop)
                page.reveal(grid, grid.panelHeight)
        }
        onValueChange: function (index) { page.chooseFixed(grid.list, index) }
    }

    Flickable {
        id: view
        objectName: "assignmentView"
        width: parent.width
        height: 360
        contentWidth: width
        contentHeight: 830
        interactive: false
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        WheelHandler {
            onWheel: function (event) {
                page.scrollTo(view.contentY - event.angleDelta.y / 120 * 48)
            }
        }

        Column {
            x: 16
            y: 12
            spacing: 14

            // 1. Mouse buttons.
            Column {
                spacing: 8
                Heading { text: page.keyAssigmentLang[1] }
                Grid {
                    columns: 3
                    columnSpacing: 0
                    rowSpacing: 8
                    Repeater {
                        model: K.choices.mouse.length
                        delegate: Item {
                            id: cell
                            required property int index
                            width: 120
                            height: 20
                            ChoiceRadio {
                                objectName: "mouseChoice" + cell.index
                                anchors.verticalCenter: parent.verticalCenter
                                list: K.choices.mouse
                                choice: cell.index
                            }
                        }
                    }
                }
            }

            // 2. Fire: one key repeated.
            Column {
                spacing: 8
                Heading { text: page.keyAssigmentLang[8] }
                Row {
                    Label { text: page.keyAssigmentLang[9] }
                    CaptureField {
                        objectName: "fireField"
                        name: page.keyAssigmentLang[9]
                        text: page.fireText
                        waiting: page.isFireInput
                        onClicked: page.startFireInput()
                    }
                }
                Row {
                    z: 2
                    Label { text: page.keyAssigmentLang[11] }
                    DropDownSlider {
                        id: rateDrop
                        objectName: "fireRate"
                        theme: page.shell
                        name: page.keyAssigmentLang[11]
                        width: 120
                        textValue: page.fireIntervalText
                        onIsDropChanged: {
                            if (rateDrop.isDrop)
                                page.reveal(rateDrop, rateDrop.panelHeight)
                        }
                        onValueChange: function (tmpValue) {
                            if (page.loading)
                                return
                            var value = A.fireIntervalAt(tmpValue, rateDrop.sliderControl.width,
                                                         rateDrop.sliderControl.handleWidth)
                            page.fireInterval = value
                            page.fireIntervalText = value + "MS"
                            if (page.keyCode0 === 1)
                                page.keyCode2 = value
                        }
                    }
                }
                Row {
                    spacing: 0
                    Label { text: page.keyAssigmentLang[12] }
                    Rectangle {
                        width: 56
                        height: 24
                        color: page.shell.colorGray0
                        border.color: timesInput.txtInput.activeFocus ? page.shell.colorOrange : page.shell.colorGray1
                        RectInput {
                            id: timesInput
                            objectName: "fireTimes"
                            theme: page.shell
                            name: page.keyAssigmentLang[12]
                            anchors.centerIn: parent
                            maxValue: 255
                            onEndInputSignal: {
                                var value = page.timesValue()
                                endless.isSelect = value === 0
                                if (page.keyCode0 === 1)
                                    page.keyCode3 = value
                            }
                        }
                    }
                    Item { width: 24; height: 24 }
                    CheckBox {
                        id: endless
                        objectName: "fireEndless"
                        theme: page.shell
                        anchors.verticalCenter: parent.verticalCenter
                        textValue: page.keyAssigmentLang[13]
                        isSelect: true
                        onBtnClick: {
                            if (endless.isSelect)
                                return
                            timesInput.textValue = "0"
                            if (page.keyCode0 === 1)
                                page.keyCode3 = 0
                        }
                    }
                }
            }

            // 3. A key combination.
            Column {
                spacing: 8
                Heading { text: page.keyAssigmentLang[14] }
                Row {
                    spacing: 12
                    CaptureField {
                        objectName: "comboField"
                        name: page.keyAssigmentLang[14]
                        width: 248
                        text: page.comboText
                        waiting: page.isComboInput
                        onClicked: page.startComboInput()
                    }
                    ImageButton {
                        objectName: "comboConfirm"
                        theme: page.shell
                        name: page.shell.actionName("ok")
                        anchors.verticalCenter: parent.verticalCenter
                        normalSource: page.shell.sourceOkBtn
                        hoverSource: page.shell.sourceOkBtnH
                        onClicked: page.confirmCombination()
                    }
                    ImageButton {
                        objectName: "comboCancel"
                        theme: page.shell
                        name: page.shell.actionName("cancel")
                        anchors.verticalCenter: parent.verticalCenter
                        normalSource: page.shell.sourceCancelBtn
                        hoverSource: page.shell.sourceCancelBtnH
                        onClicked: page.cancelCombination()
                    }
                }
            }

            // 4. Media keys.
            Column {
                z: 4
                spacing: 8
                Heading { text: page.keyAssigmentLang[15] }
                ChoiceGrid {
                    id: mediaGrid
                    objectName: "mediaGrid"
                    heading: page.keyAssigmentLang[15]
                    list: K.choices.media
                    currentSelect: -1
                    mdItems: ListModel { id: mediaModel }
                }
            }

            // 5. Macros.
            Column {
                z: 3
                spacing: 8
                Heading { text: page.keyAssigmentLang[16] }
                Row {
                    z: 2
                    spacing: 16
                    DropDownList {
                        id: macroDrop
                        objectName: "macroList"
                        theme: page.shell
                        name: page.keyAssigmentLang[16]
                        width: 160
                        currentSelect: -1
                        mdItems: ListModel { id: macroModel }
                        onIsDropChanged: {
                            if (macroDrop.isDrop)
                                page.reveal(macroDrop, macroDrop.panelHeight)
                        }
                        onValueChange: function (index) { page.chooseMacro(index) }

                        // The macro editor hands over its names after every change;
                        // the chosen macro stays chosen by its name.
                        function addData(names, isInit) {
                            var chosen = isInit ? "" : macroDrop.textValue
                            macroModel.clear()
                            for (var i = 0; i < names.length; ++i)
                                macroModel.append({ textValue: String(names[i]) })
                            macroDrop.selectName(chosen)
                            if (isInit)
                                macroDrop.closeMenu()
                        }

                        function selectName(name) {
                            var found = -1
                            for (var i = 0; i < macroModel.count; ++i) {
                                if (macroModel.get(i).textValue === name)
                                    found = i
                            }
                            macroDrop.currentSelect = found
                        }
                    }
                    BarButton {
                        objectName: "macroEditorButton"
                        theme: page.shell
                        width: 120
                        text: page.keyAssigmentLang[17]
                        onClicked: {
                            page.focusOut()
                            page.shell.openDialog(page.macroEditor, true)
                        }
                    }
                }
                Column {
                    spacing: 6
                    Repeater {
                        model: 3
                        delegate: RadioButton {
                            id: mode
                            required property int index
                            objectName: "macroMode" + index
                            theme: page.shell
                            textValue: page.keyAssigmentLang[18 + index]
                            isSelect: page.macroMode === index
                            onBtnClick: {
                                page.chooseMacroMode(mode.index)
                                mode.isSelect = Qt.binding(function () { return page.macroMode === mode.index })
                            }
                        }
                    }
                }
            }

            // 6. DPI functions.
            Column {
                spacing: 8
                Heading { text: page.keyAssigmentLang[21] }
                Row {
                    Repeater {
                        model: K.choices.dpi.length
                        delegate: Item {
                            id: dpiCell
                            required property int index
                            width: 90
                            height: 20
                            ChoiceRadio {
                                objectName: "dpiChoice" + dpiCell.index
                                anchors.verticalCenter: parent.verticalCenter
                                list: K.choices.dpi
                                choice: dpiCell.index
                            }
                        }
                    }
                }
            }

            // 7. Windows functions.
            Column {
                z: 2
                spacing: 8
                Heading { text: page.keyAssigmentLang[25] }
                ChoiceGrid {
                    id: windowsGrid
                    objectName: "windowsGrid"
                    heading: page.keyAssigmentLang[25]
                    list: K.choices.windows
                    currentSelect: -1
                    mdItems: ListModel { id: windowsModel }
                }
            }

            // 8. Shortcuts.
            Column {
                z: 1
                spacing: 8
                Heading { text: page.keyAssigmentLang[26] }
                ChoiceGrid {
                    id: shortcutGrid
                    objectName: "shortcutGrid"
                    heading: page.keyAssigmentLang[26]
                    list: K.choices.shortcut
                    currentSelect: -1
                    mdItems: ListModel { id: shortcutModel }
                }
            }

            // 9. Gun modes, on a mouse that has them.
            Column {
                objectName: "gunSection"
                visible: page.shell.isGun
                spacing: 8
                Heading { text: page.keyAssigmentLang[52] }
                Row {
                    Repeater {
                        model: K.choices.gun.length
                        delegate: Item {
                            id: gunCell
                            required property int index
                            width: 120
                            height: 20
                            ChoiceRadio {
                                objectName: "gunChoice" + gunCell.index
                                anchors.verticalCenter: parent.verticalCenter
                                list: K.choices.gun
                                choice: gunCell.index
                            }
                        }
                    }
                }
            }
        }
    }

    // The column's own scroll bar.
    ScrollStrip {
        objectName: "assignmentScrollBar"
        theme: page.shell
        view: view
        x: parent.width - 12
        y: 4
        height: view.height - 8
    }
}
