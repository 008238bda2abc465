pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../basic"
import "../common"
import "../js/macroblock.js" as MB
import "../js/macroedit.js" as ME
import "../js/keyaction.js" as KA

// The macro editor: the macros by name, the actions of the selected one,
// recording from the keyboard and editing by hand. Every change is saved at
// once; the key matrix list hears of deletions, new names and new actions.
MovableDialog {
    id: page

    property var shell
    readonly property var bridge: shell.bridge
    // The assignment dialog lists the macros too.
    property var assignment

    property var macroEditorLang: ["Macro Editor", "Macro Name", "New", "Delete", "Action", "Stop Record", "Times",
        "OK", "Start Record", "Delay", "Delete", "Import", "Export", "Insert Delay", "Insert Key",
        "Insert Left Key", "Insert Middle Key", "Insert Right Key", "", ""]
    property int currentIndex: -1
    property int actionIndex: -1
    property bool isInputting: false
    property bool isInsertting: false
    // The insert-key box records while this is set; a capture started from
    // the keyboard ends with its keys up and leaves the box open for its OK.
    property bool insertListening: false
    property alias delayRecord: delayBox.isSelect
    // 10 ms ticks since the previous recorded event.
    property int recordTicks: 0
    property string insertName: ""
    property int editingName: -1
    property int editingDelay: -1
    readonly property alias nameModel: names
    readonly property alias actionModel: actions
    // The shell keeps Tab inside the open insert-key box and gives its field
    // the focus when a keyboard capture ends.
    readonly property alias insertBox: insertKeyBox
    readonly property alias insertField: insertKeyField
    readonly property alias recordTimer: ticker

    signal deleteMacro(string macroName)
    signal modifyMacroName(string oldMacroName, string newMacroName)
    signal modifyMacroData(string macroName)

    theme: shell
    width: 640
    height: 448
    title: macroEditorLang[0]

    onCloseClicked: page.closeEditor()
    onBackgroundPressed: page.macroEditorFocus()

    ListModel { id: names }
    ListModel { id: actions }

    Timer {
        id: ticker
        objectName: "recordTimer"
        interval: 10
        repeat: true
        onTriggered: page.recordTicks++
    }

    function codeOf(name) {
        return shell.keyCodeTable.strTokeycode(name)
    }

    function nameList() {
        return ME.rows(names).map(function (row) { return String(row.textValue) })
    }

    function actionList() {
        return ME.rows(actions).map(function (row) { return { type: row.type, info: String(row.info) } })
    }

    function setActions(list) {
        actions.clear()
        for (var i = 0; i < list.length; ++i)
            actions.append({ type: list[i].type, info: String(list[i].info) })
    }

    // Whether the mouse can still hold the macro: its block has 128 bytes.
    function fitsBlock(list) {
        return MB.fits(list, 0, codeOf)
    }

    function currentName() {
        return currentIndex >= 0 && currentIndex < names.count ? String(names.get(currentIndex).textValue) : ""
    }

    function repeatValue() {
        var n = parseInt(timesInput.textValue)
        return isNaN(n) ? 0 : n
    }

    function init() {
        nameMenu.entries = [macroEditorLang[10], macroEditorLang[11], macroEditorLang[12]]
        actionMenu.entries = ME.actionMenuTexts(macroEditorLang)
        var stored = ME.namesFromStore(bridge.getNameList(0))
        for (var i = 0; i < stored.length; ++i)
            names.append({ textValue: stored[i] })
        assignment.macroList.addData(stored, true)
    }

    // Loads a macro from the library, encodes it and sends it as macro
    // number index + 1.
    function sendMacro(index, macroName) {
        var stored = bridge.loadMacroIni(macroName)
        // Without its file the block would be all zeros over the mouse's macro.
        if (stored.length === 0) {
            console.log("Macro not sent:", macroName, "has no macro file")
            return
        }
        var loaded = MB.parseLoaded(stored)
        bridge.mouseSendMacroData(MB.block(loaded.actions, loaded.repeat, codeOf), index)
    }

    function autoSave() {
        if (currentIndex < 0)
            return
        var name = currentName()
        bridge.saveMacroIni(name, actionList().map(MB.actionText), repeatValue())
        modifyMacroData(name)
    }

    function storeNames() {
        var list = nameList()
        bridge.updataNameList(0, list)
        assignment.macroList.addData(list, false)
    }

    function selectMacro(index) {
        endEdits()
        stopRecording()
        currentIndex = index
        actionIndex = -1
        var loaded = MB.parseLoaded(bridge.loadMacroIni(currentName()))
        setActions(loaded.actions)
        timesInput.textValue = String(loaded.repeat)
    }

    function newMacro() {
        if (names.count >= ME.maxMacros)
            return
        endEdits()
        stopRecording()
        var name = ME.freeName(nameList())
        names.append({ textValue: name })
        currentIndex = names.count - 1
        actionIndex = -1
        actions.clear()
        timesInput.textValue = "1"
        bridge.createMacroIni(name, 0)
        storeNames()
    }

    function removeMacro() {
        if (currentIndex < 0)
            return
        endEdits()
        stopRecording()
        var name = currentName()
        bridge.deleteMacroIni(name)
        actions.clear()
        actionIndex = -1
        deleteMacro(name)
        names.remove(currentIndex)
        currentIndex = -1
        storeNames()
    }

    // A new macro from a file, placed before the selected one.
    function importMacro() {
        if (names.count >= ME.maxMacros)
            return
        endEdits()
        stopRecording()
        var name = ME.freeName(nameList())
        var at = currentIndex >= 0 ? currentIndex : names.count
        names.insert(at, { textValue: name })
        if (currentIndex >= 0)
            currentIndex++
        // A copy that failed still reports success; a listed macro needs its
        // file, or every later edit of it would be lost.
        if (!bridge.loadMacroFile(name) || bridge.loadMacroIni(name).length === 0)
            bridge.createMacroIni(name, 0)
        storeNames()
    }

    function exportMacro() {
        if (currentIndex >= 0)
            bridge.saveMacroFile(currentName())
    }

    function startNameEdit(index) {
        endEdits()
        editingName = index
    }

    function finishNameEdit(text) {
        if (editingName < 0)
            return
        var index = editingName
        editingName = -1
        var oldName = String(names.get(index).textValue)
        text = String(text)
        if (text === oldName || !ME.acceptsName(text, nameList()))
            return
        if (index === currentIndex)
            stopRecording()
        modifyMacroName(oldName, text)
        names.setProperty(index, "textValue", text)
        storeNames()
    }

    function startDelayEdit(index) {
        endEdits()
        if (actions.get(index).type === 0)
            editingDelay = index
    }

    // A number replaces the delay, unless the macro would outgrow its block;
    // anything else leaves the old one.
    function finishDelayEdit(text) {
        if (editingDelay < 0)
            return
        var index = editingDelay
        editingDelay = -1
        var value = ME.parseDelay(text)
        if (value !== null) {
            var list = actionList()
            list[index].info = String(value)
            if (fitsBlock(list))
                actions.setProperty(index, "info", String(value))
        }
        autoSave()
    }

    // Ends every edit in progress, the count being typed included, before the
    // editor shows or saves something else.
    function endEdits() {
        if (editingName >= 0)
            finishNameEdit(nameEditText)
        if (editingDelay >= 0)
            finishDelayEdit(delayEditText)
        timesInput.closeFocus()
    }

    // What is typed in the row being edited (the edit fields live in the rows).
    property string nameEditText: ""
    property string delayEditText: ""

    function scrollList(view, steps) {
        view.contentY = Math.max(0, Math.min(view.contentY - steps * 27, view.contentHeight - view.height))
    }

    function macroEditorFocus() {
        endEdits()
        nameMenu.close()
        actionMenu.close()
        timesInput.closeFocus()
    }

    function toggleRecord() {
        if (isInputting) {
            stopRecording()
            return
        }
        // Typed keys are recorded, not typed into a field.
        macroEditorFocus()
        actions.clear()
        actionIndex = -1
        recordTicks = 0
        ticker.start()
        isInputting = true
    }

    function stopRecording() {
        if (!isInputting)
            return
        ticker.stop()
        isInputting = false
        autoSave()
    }

    // One captured key while recording. A key without a name could not be
    // kept in the library, and nothing is added once the block is full.
    function detectKeyboard(isDown, usbCode) {
        if (!isInputting || currentIndex < 0)
            return
        var name = shell.keyCodeTable.keycodeTostr(usbCode)
        if (name === "")
            return
        var entries = ME.recorded(actions.count === 0, delayRecord, recordTicks, isDown, usbCode, name)
        if (!fitsBlock(actionList().concat(entries)))
            return
        recordTicks = 0
        for (var i = 0; i < entries.length; ++i)
            actions.append(entries[i])
        actionView.positionViewAtEnd()
    }

    // A captured key shown in the insert-key box.
    function detectInput(isDown, usbCode) {
        if (!insertListening || usbCode >= 0xf0)
            return
        var name = shell.keyCodeTable.keycodeTostr(usbCode)
        if (name !== "")
            insertName = name
    }

    function insertEntries(at, entries) {
        var list = ME.inserted(actionList(), at, entries)
        if (!fitsBlock(list))
            return false
        for (var i = 0; i < entries.length; ++i)
            actions.insert(at + i, entries[i])
        return true
    }

    function deleteAction() {
        if (actionIndex < 0 || actionIndex >= actions.count)
            return
        actions.remove(actionIndex)
        actionIndex = Math.min(actionIndex, actions.count - 1)
        autoSave()
    }

    function insertDelay() {
        if (actionIndex < 0 || actionIndex >= actions.count)
            return
        if (insertEntries(actionIndex, [{ type: 0, info: "50" }])) {
            actionIndex++
            autoSave()
        }
    }

    function openInsertKey() {
        var at = ME.keyInsertAt(actions.count, actionIndex)
        if (!fitsBlock(ME.inserted(actionList(), at, ME.pressAndRelease("", false))))
            return
        insertName = ""
        isInsertting = true
        insertListening = true
    }

    // Space or Enter on the box's field: record again.
    function listenInsertKey() {
        insertName = ""
        insertListening = true
    }

    function endInsertListening() {
        insertListening = false
    }

    // "OK" of the insert-key box: the key's press and release, when a key was given.
    function confirmInsertKey() {
        isInsertting = false
        insertListening = false
        if (insertName === "")
            return
        var at = ME.keyInsertAt(actions.count, actionIndex)
        if (insertEntries(at, ME.pressAndRelease(insertName, false))) {
            if (at === actionIndex)
                actionIndex += 2
            autoSave()
        }
    }

    function focusCurrentAction() {
        // The view adds delegates for new rows only when it lays out.
        actionView.forceLayout()
        var row = actionView.itemAtIndex(Math.max(0, actionIndex))
        if (row !== null)
            row.forceActiveFocus()
    }

    function insertButton(code) {
        var at = ME.buttonInsertAt(actions.count, actionIndex)
        if (insertEntries(at, ME.pressAndRelease(shell.keyCodeTable.keycodeTostr(code), true)))
            autoSave()
    }

    function actionChosen(index) {
        switch (index) {
        case 0: deleteAction(); break
        case 1: insertDelay(); break
        case 2: openInsertKey(); break
        case 3: insertButton(0xf0); break
        case 4: insertButton(0xf2); break
        case 5: insertButton(0xf1); break
        }
    }

    function nameChosen(index) {
        switch (index) {
        case 0: removeMacro(); break
        case 1: importMacro(); break
        case 2: exportMacro(); break
        }
    }

    function closeEditor() {
        stopRecording()
        isInsertting = false
        insertListening = false
        macroEditorFocus()
        shell.closeDialog(page)
        assignment.macroList.closeMenu()
    }

    component Heading: Text {
        height: 20
        verticalAlignment: Text.AlignVCenter
        color: page.shell.fontColor
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontMiddleSize
        font.bold: true
    }

    component ListFrame: Rectangle {
        y: 32
        height: 328
        color: page.shell.colorGray0
        border.color: page.shell.colorGray1
    }

    component EditField: TextInput {
        anchors.verticalCenter: parent.verticalCenter
        Accessible.role: Accessible.EditableText
        color: page.shell.fontColor
        selectionColor: page.shell.colorOrange
        selectByMouse: true
        clip: true
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontNormalSize
    }

    Heading {
        x: 16
        y: 8
        text: page.macroEditorLang[1]
    }

    ListFrame {
        id: nameFrame
        x: 16
        width: 168
        ListView {
            id: nameView
            objectName: "macroNameList"
            x: 1
            y: 1
            width: parent.width - 10
            height: parent.height - 2
            clip: true
            interactive: false
            model: names
            WheelHandler {
                onWheel: function (event) { page.scrollList(nameView, event.angleDelta.y / 120) }
            }
            delegate: Rectangle {
                id: nameRow
                required property int index
                required property string textValue
                readonly property bool editing: page.editingName === index
                objectName: "macroName" + index
                width: nameView.width
                height: 27
                color: index === page.currentIndex ? page.shell.colorOrange
                     : nameArea.containsMouse ? page.shell.colorGray1 : "transparent"
                // Enter selects, F2 renames, the menu key opens the menu.
                activeFocusOnTab: !editing
                Accessible.role: Accessible.ListItem
                Accessible.name: textValue
                Accessible.selectable: true
                Accessible.selected: index === page.currentIndex
                Accessible.focusable: true
                Accessible.onPressAction: page.selectMacro(nameRow.index)
                Keys.onPressed: function (event) {
                    var command = KA.rowCommand(event)
                    if (command === "activate") {
                        page.selectMacro(nameRow.index)
                    } else if (command === "rename") {
                        page.startNameEdit(nameRow.index)
                    } else if (command === "menu") {
                        page.selectMacro(nameRow.index)
                        var at = nameRow.mapToItem(nameMenu.parent, 8, nameRow.height)
                        actionMenu.close()
                        nameMenu.popupFromKeys(at.x, at.y, nameRow)
                    } else {
                        event.accepted = false
                        return
                    }
                    event.accepted = true
                }
                FocusRing { theme: page.shell }
                Text {
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - 16
                    visible: !nameRow.editing
                    elide: Text.ElideRight
                    text: nameRow.textValue
                    color: page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                }
                MouseArea {
                    id: nameArea
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onClicked: function (mouse) {
                        if (nameRow.editing)
                            return
                        page.selectMacro(nameRow.index)
                        if (mouse.button === Qt.RightButton) {
                            var at = nameRow.mapToItem(nameMenu.parent, mouse.x, mouse.y)
                            actionMenu.close()
                            nameMenu.popup(at.x, at.y)
                        }
                    }
                    onDoubleClicked: function (mouse) {
                        if (mouse.button === Qt.LeftButton)
                            page.startNameEdit(nameRow.index)
                    }
                }
                Rectangle {
                    visible: nameRow.editing
                    anchors.fill: parent
                    anchors.margins: 2
                    color: page.shell.colorBlack
                    border.color: page.shell.colorGray2
                    EditField {
                        id: nameEdit
                        x: 8
                        Accessible.name: page.macroEditorLang[1]
                        width: parent.width - 16
                        maximumLength: 64
                        onTextChanged: {
                            if (nameRow.editing)
                                page.nameEditText = text
                        }
                        onAccepted: page.finishNameEdit(text)
                        onActiveFocusChanged: {
                            if (!activeFocus && nameRow.editing)
                                page.finishNameEdit(text)
                        }
                    }
                }
                onEditingChanged: {
                    if (!editing)
                        return
                    nameEdit.text = nameRow.textValue
                    nameEdit.selectAll()
                    page.nameEditText = nameEdit.text
                    nameEdit.forceActiveFocus()
                }
            }
            // Right-clicking below the names still offers Import.
            MouseArea {
                Accessible.ignored: true
                z: -1
                width: nameView.width
                height: Math.max(0, nameView.height - nameView.contentHeight)
                y: nameView.contentHeight
                acceptedButtons: Qt.RightButton
                onClicked: function (mouse) {
                    var at = mapToItem(nameMenu.parent, mouse.x, mouse.y)
                    page.macroEditorFocus()
                    nameMenu.popup(at.x, at.y)
                }
            }
        }
        ScrollStrip {
            theme: page.shell
            view: nameView
            x: parent.width - 8
            y: 2
            height: parent.height - 4
        }
    }

    Row {
        x: 16
        y: 368
        spacing: 16
        BarButton {
            objectName: "macroNew"
            theme: page.shell
            width: 76
            text: page.macroEditorLang[2]
            onClicked: page.newMacro()
        }
        BarButton {
            objectName: "macroDelete"
            theme: page.shell
            width: 76
            text: page.macroEditorLang[3]
            onClicked: page.removeMacro()
        }
    }

    Heading {
        x: 200
        y: 8
        text: page.macroEditorLang[4]
    }

    ListFrame {
        id: actionFrame
        x: 200
        width: 424
        ListView {
            id: actionView
            objectName: "macroActionList"
            x: 1
            y: 1
            width: parent.width - 10
            height: parent.height - 2
            clip: true
            interactive: false
            model: actions
            // An empty macro has no row to open the menu on: the list itself
            // takes the focus then, and the menu key inserts at the start.
            // Qt keeps a focused item a Tab stop, so rows that arrive under
            // the focus take it first.
            activeFocusOnTab: false
            function updateTabStop() {
                var empty = actions.count === 0 && page.currentIndex >= 0
                if (!empty && actionView.Window.activeFocusItem === actionView)
                    page.focusCurrentAction()
                actionView.activeFocusOnTab = empty
            }
            Connections {
                target: actions
                function onCountChanged() { actionView.updateTabStop() }
            }
            Connections {
                target: page
                function onCurrentIndexChanged() { actionView.updateTabStop() }
            }
            Accessible.role: Accessible.List
            Accessible.name: page.macroEditorLang[4]
            Accessible.focusable: actionView.activeFocusOnTab
            Keys.onPressed: function (event) {
                if (KA.rowCommand(event) !== "menu" || actions.count > 0 || page.currentIndex < 0)
                    return
                event.accepted = true
                page.endEdits()
                page.actionIndex = -1
                var at = actionView.mapToItem(actionMenu.parent, 8, 8)
                nameMenu.close()
                actionMenu.popupFromKeys(at.x, at.y, actionView)
            }
            WheelHandler {
                onWheel: function (event) { page.scrollList(actionView, event.angleDelta.y / 120) }
            }
            delegate: Rectangle {
                id: actionRow
                required property int index
                required property int type
                required property string info
                readonly property bool editing: page.editingDelay === index
                objectName: "macroAction" + index
                width: actionView.width
                height: 27
                color: index === page.actionIndex ? page.shell.colorGray1
                     : actionArea.containsMouse ? "#262626" : "transparent"
                // Enter selects, F2 edits a delay, the menu key opens the menu.
                activeFocusOnTab: !editing
                Accessible.role: Accessible.ListItem
                Accessible.name: index + " " + (type === 0 ? info + " ms" : info)
                Accessible.selectable: true
                Accessible.selected: index === page.actionIndex
                Accessible.focusable: true
                Keys.onPressed: function (event) {
                    var command = KA.rowCommand(event)
                    if (command === "activate") {
                        page.endEdits()
                        page.actionIndex = actionRow.index
                    } else if (command === "rename") {
                        page.startDelayEdit(actionRow.index)
                    } else if (command === "menu" && page.currentIndex >= 0) {
                        page.endEdits()
                        page.actionIndex = actionRow.index
                        var at = actionRow.mapToItem(actionMenu.parent, 8, actionRow.height)
                        nameMenu.close()
                        actionMenu.popupFromKeys(at.x, at.y, actionRow)
                    } else {
                        event.accepted = false
                        return
                    }
                    event.accepted = true
                }
                FocusRing { theme: page.shell }
                Text {
                    x: 8
                    width: 32
                    anchors.verticalCenter: parent.verticalCenter
                    horizontalAlignment: Text.AlignRight
                    text: String(actionRow.index)
                    color: page.shell.colorGray2
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                }
                Image {
                    x: 56
                    Accessible.ignored: true
                    anchors.verticalCenter: parent.verticalCenter
                    source: [page.shell.sourceMacroDelay, page.shell.sourceMacroKeyDown, page.shell.sourceMacroKeyUp,
                             page.shell.sourceMacroMouseDown, page.shell.sourceMacroMouseUp][actionRow.type] || ""
                }
                Text {
                    x: 84
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - 92
                    visible: !actionRow.editing
                    elide: Text.ElideRight
                    text: actionRow.type === 0 ? actionRow.info + " ms" : actionRow.info
                    color: actionRow.type === 0 ? page.shell.colorGray3 : page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                }
                MouseArea {
                    id: actionArea
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onClicked: function (mouse) {
                        if (actionRow.editing)
                            return
                        page.endEdits()
                        page.actionIndex = actionRow.index
                        if (mouse.button === Qt.RightButton && page.currentIndex >= 0) {
                            var at = actionRow.mapToItem(actionMenu.parent, mouse.x, mouse.y)
                            nameMenu.close()
                            actionMenu.popup(at.x, at.y)
                        }
                    }
                    onDoubleClicked: function (mouse) {
                        if (mouse.button === Qt.LeftButton)
                            page.startDelayEdit(actionRow.index)
                    }
                }
                Rectangle {
                    visible: actionRow.editing
                    x: 80
                    width: 96
                    height: parent.height - 4
                    anchors.verticalCenter: parent.verticalCenter
                    color: page.shell.colorBlack
                    border.color: page.shell.colorGray2
                    EditField {
                        id: delayEdit
                        x: 6
                        Accessible.name: page.macroEditorLang[9]
                        width: parent.width - 12
                        maximumLength: 5
                        validator: IntValidator { bottom: 0; top: 65535 }
                        onTextChanged: {
                            if (actionRow.editing)
                                page.delayEditText = text
                        }
                        onAccepted: page.finishDelayEdit(text)
                        onActiveFocusChanged: {
                            if (!activeFocus && actionRow.editing)
                                page.finishDelayEdit(text)
                        }
                    }
                }
                onEditingChanged: {
                    if (!editing)
                        return
                    delayEdit.text = actionRow.info
                    delayEdit.selectAll()
                    page.delayEditText = delayEdit.text
                    delayEdit.forceActiveFocus()
                }
            }
            // Right-clicking below the actions inserts at the end.
            MouseArea {
                Accessible.ignored: true
                z: -1
                width: actionView.width
                height: Math.max(0, actionView.height - actionView.contentHeight)
                y: actionView.contentHeight
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                onClicked: function (mouse) {
                    page.macroEditorFocus()
                    page.actionIndex = actions.count - 1
                    if (mouse.button === Qt.RightButton && page.currentIndex >= 0) {
                        var at = mapToItem(actionMenu.parent, mouse.x, mouse.y)
                        actionMenu.popup(at.x, at.y)
                    }
                }
            }
        }
        // Only round the empty list: a focused row draws its own.
        FocusRing {
            theme: page.shell
            target: actionView
            visible: actionView.activeFocus && actions.count === 0
        }
        ScrollStrip {
            theme: page.shell
            view: actionView
            x: parent.width - 8
            y: 2
            height: parent.height - 4
        }
    }

    Row {
        x: 200
        y: 368
        spacing: 16
        BarButton {
            objectName: "macroRecord"
            theme: page.shell
            width: 100
            bold: page.isInputting
            baseColor: page.isInputting ? page.shell.colorOrange : page.shell.colorBlue
            textColor: page.isInputting ? "#ffffff" : "#101010"
            text: page.isInputting ? page.macroEditorLang[5] : page.macroEditorLang[8]
            onClicked: page.toggleRecord()
        }
        Row {
            spacing: 8
            Text {
                height: 24
                verticalAlignment: Text.AlignVCenter
                text: page.macroEditorLang[6]
                color: page.shell.colorGray3
                font.family: page.shell.fontFamily
                font.pixelSize: page.shell.fontNormalSize
            }
            Rectangle {
                width: 56
                height: 24
                color: page.shell.colorGray0
                border.color: timesInput.txtInput.activeFocus ? page.shell.colorOrange : page.shell.colorGray1
                RectInput {
                    id: timesInput
                    objectName: "macroTimes"
                    theme: page.shell
                    name: page.macroEditorLang[6]
                    anchors.centerIn: parent
                    maxValue: 9999
                    minValue: 1
                    textValue: "1"
                    onEndInputSignal: page.autoSave()
                }
            }
        }
        CheckBox {
            id: delayBox
            objectName: "macroDelayBox"
            theme: page.shell
            anchors.verticalCenter: parent.verticalCenter
            textValue: page.macroEditorLang[9]
        }
    }

    PopupMenu {
        id: nameMenu
        objectName: "nameMenu"
        theme: page.shell
        onChosen: function (index) { page.nameChosen(index) }
    }

    PopupMenu {
        id: actionMenu
        objectName: "actionMenu"
        theme: page.shell
        width: 170
        onChosen: function (index) { page.actionChosen(index) }
    }

    // The insert-key box waits over the dimmed editor for a key.
    Rectangle {
        objectName: "insertKeyMask"
        parent: page
        anchors.fill: parent
        visible: page.isInsertting
        color: "#90000000"
        z: 70
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.AllButtons
            hoverEnabled: true
            Accessible.ignored: true
        }
        Rectangle {
            id: insertKeyBox
            objectName: "insertKeyBox"
            anchors.centerIn: parent
            width: 240
            height: 80
            color: page.shell.colorGray0
            border.color: page.shell.colorGray1
            Rectangle {
                x: 1
                y: 1
                width: parent.width - 2
                height: 26
                color: page.shell.colorBlack
                Text {
                    x: 12
                    anchors.verticalCenter: parent.verticalCenter
                    text: page.macroEditorLang[14]
                    color: page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                    font.bold: true
                }
            }
            Rectangle {
                id: insertKeyField
                objectName: "insertKeyField"
                readonly property bool waiting: page.insertListening
                readonly property string text: page.insertName
                x: 16
                y: 40
                width: 128
                height: 24
                color: page.shell.colorBlack
                border.color: insertKeyField.waiting ? page.shell.colorOrange : page.shell.colorGray1
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: page.macroEditorLang[14]
                Accessible.description: insertKeyField.text
                Accessible.focusable: true
                Accessible.onPressAction: page.listenInsertKey()
                Keys.onPressed: function (event) {
                    if (KA.activates(event)) {
                        event.accepted = true
                        page.listenInsertKey()
                    }
                }
                FocusRing { theme: page.shell }
                Text {
                    objectName: "insertKeyName"
                    anchors.centerIn: parent
                    text: insertKeyField.text
                    color: page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                }
            }
            BarButton {
                id: insertKeyOk
                objectName: "insertKeyOk"
                theme: page.shell
                x: 160
                y: 40
                width: 64
                text: page.macroEditorLang[7]
                onClicked: {
                    // Pressed from the keyboard, the focus goes on from the
                    // current action rather than from the closed box.
                    var keys = insertKeyOk.activeFocus
                    page.confirmInsertKey()
                    if (keys)
                        page.focusCurrentAction()
                }
            }
        }
    }
}
