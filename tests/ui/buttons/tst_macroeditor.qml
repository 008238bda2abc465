import QtQuick
import QtTest
import "qrc:/modules/qml/js/keycodes.js" as K
import "qrc:/modules/qml/js/macroblock.js" as MB

// The macro editor against a macro library kept by the test.
ButtonScene {
    id: testCase
    name: "MacroEditor"

    function init() {
        begin({}, {}, {}, ["Macro_0", "Macro_1", "Macro_2"])
        scene.openDialog(editor, true)
        waitForRendering(editor)
    }

    function codeOf(name) {
        return K.strTokeycode(K.defaultNames, name)
    }

    function encodedLength() {
        return MB.encodedLength(editor.actionList(), 1, codeOf)
    }

    function ticks(n) {
        for (var i = 0; i < n; ++i)
            editor.recordTimer.triggered()
    }

    function setActions(texts) {
        library[editor.currentName()] = texts.concat(["1"])
        editor.selectMacro(editor.currentIndex)
    }

    function rightClickAction(index) {
        waitForRendering(editor)
        mouseClick(child("macroAction" + index, editor), 60, 13, Qt.RightButton)
        verify(child("actionMenu", editor).visible)
    }

    function chooseInMenu(menu, index) {
        mouseClick(child("menuEntry" + index, child(menu, editor)))
    }

    function test_initDropsTheSentinel_data() {
        return [
            { tag: "one name and the sentinel", stored: ["Macro_0", "loaderzephyr"], shown: ["Macro_0"] },
            { tag: "two names", stored: ["A", "B"], shown: ["A", "B"] },
            { tag: "the sentinel third", stored: ["A", "B", "loaderzephyr"], shown: ["A", "B", "loaderzephyr"] },
            { tag: "none", stored: [], shown: [] }
        ]
    }

    function test_initDropsTheSentinel(data) {
        begin({}, {}, {}, data.stored)
        compare(editor.nameList(), data.shown)
        var list = child("macroList", dialog)
        compare(list.mdItems.count, data.shown.length)
        compare(list.currentSelect, -1, "no macro is chosen at first")
        compare(editor.currentIndex, -1)
    }

    function test_recording_data() {
        return [
            { tag: "without delays", delay: false, actions: ["1,A", "2,A", "1,B", "2,B"],
              block: [0, 1, 1, 4, 0x81, 4, 1, 5, 0x81, 5, 0, 0] },
            { tag: "with delays", delay: true, actions: ["1,A", "0,30", "2,A", "0,1300", "1,B", "0,0", "2,B"],
              block: [0, 1, 3, 4, 0x80, 4, 0, 1, 0, 65, 1, 5, 0x81, 5, 0, 0] }
        ]
    }

    function test_recording(data) {
        mouseClick(child("macroName1", editor))
        compare(editor.currentIndex, 1)
        if (data.delay)
            mouseClick(child("macroDelayBox", editor))
        compare(editor.delayRecord, data.delay)
        recorder.clearLog()
        mouseClick(child("macroRecord", editor))
        verify(editor.isInputting)
        verify(editor.recordTimer.running)
        compare(editor.recordTimer.interval, 10)
        ticks(7)                                    // before the first key: never a delay
        scene.detectKeyboard(true, 0x04)
        ticks(3)
        scene.detectKeyboard(false, 0x04)
        ticks(130)
        scene.detectKeyboard(true, 0x05)
        scene.detectKeyboard(false, 0x05)
        compare(actionTexts(), data.actions)
        compare(recorder.names("ui_View.saveMacroIni"), [], "saved when the recording stops")
        mouseClick(child("macroRecord", editor))
        verify(!editor.isInputting)
        verify(!editor.recordTimer.running)
        compare(recorder.callsTo("ui_View.saveMacroIni"), [["Macro_1", data.actions, 1]])
        editor.sendMacro(0, "Macro_1")
        compare(recorder.callsTo("ui_View.mouseSendMacroData")[0][0].slice(0, data.block.length), data.block)
    }

    function test_recordingReplacesTheActions() {
        editor.selectMacro(0)
        compare(actionTexts(), ["1,A", "2,A"])
        editor.toggleRecord()
        compare(editor.actionModel.count, 0)
        scene.detectKeyboard(true, 0x80)             // a key without a name cannot be kept
        scene.detectKeyboard(true, 0x39)
        compare(actionTexts(), ["1,Caps"])
    }

    // Recording stops adding where the next event would not fit the block.
    function test_recordingStopsAtTheBlockLimit_data() {
        return [
            { tag: "no delays: 62 events", delay: false, gap: 0, events: 62 },
            { tag: "long pauses: 6 bytes an event", delay: true, gap: 200, events: 21 }
        ]
    }

    function test_recordingStopsAtTheBlockLimit(data) {
        editor.selectMacro(0)
        editor.delayRecord = data.delay
        editor.toggleRecord()
        for (var i = 0; i < 100; ++i) {
            ticks(data.gap)
            scene.detectKeyboard(i % 2 === 0, 0x04)
        }
        var events = editor.actionList().filter(function (a) { return a.type !== 0 }).length
        compare(events, data.events)
        verify(encodedLength() <= 128)
        verify(!MB.fits(editor.actionList().concat([{ type: 0, info: String(data.gap * 10) }, { type: 1, info: "A" }]),
                        1, codeOf), "one more would not fit")
        editor.toggleRecord()
        compare(storedActions("Macro_0").length, editor.actionModel.count)
    }

    function test_hundredMacrosRefuseNewAndImport() {
        var names = []
        for (var i = 0; i < 100; ++i)
            names.push("Macro_" + i)
        begin({}, {}, {}, names)
        scene.openDialog(editor, true)
        editor.selectMacro(4)
        recorder.clearLog()
        mouseClick(child("macroNew", editor))
        editor.importMacro()
        compare(editor.nameModel.count, 100)
        compare(recorder.names(), [])
    }

    function test_newTakesTheFirstFreeNumber() {
        editor.selectMacro(1)
        mouseClick(child("macroDelete", editor))
        compare(recorder.callsTo("ui_View.deleteMacroIni"), [["Macro_1"]])
        compare(editor.nameList(), ["Macro_0", "Macro_2"])
        compare(editor.currentIndex, -1)
        recorder.clearLog()
        mouseClick(child("macroNew", editor))
        compare(editor.nameList(), ["Macro_0", "Macro_2", "Macro_1"])
        compare(editor.currentIndex, 2)
        compare(editor.actionModel.count, 0)
        compare(child("macroTimes", editor).textValue, "1")
        compare(recorder.names(), ["ui_View.createMacroIni", "ui_View.updataNameList"])
        compare(recorder.callsTo("ui_View.createMacroIni"), [["Macro_1", 0]])
        compare(recorder.callsTo("ui_View.updataNameList"), [[0, ["Macro_0", "Macro_2", "Macro_1"]]])
        compare(child("macroList", dialog).mdItems.count, 3)
    }

    function test_insertions_data() {
        var four = ["1,A", "2,A", "1,B", "2,B"]
        return [
            { tag: "key in the middle: before the current", actions: four, current: 1, command: 2, key: 0x06,
              result: ["1,A", "1,C", "2,C", "2,A", "1,B", "2,B"] },
            { tag: "key at the last action: appended", actions: four, current: 3, command: 2, key: 0x06,
              result: four.concat(["1,C", "2,C"]) },
            { tag: "left button in the middle: after the current", actions: four, current: 1, command: 3,
              result: ["1,A", "2,A", "3,MS-L", "4,MS-L", "1,B", "2,B"] },
            { tag: "middle button at the last action", actions: four, current: 3, command: 4,
              result: four.concat(["3,MS-M", "4,MS-M"]) },
            { tag: "right button at the first action", actions: four, current: 0, command: 5,
              result: ["1,A", "3,MS-R", "4,MS-R", "2,A", "1,B", "2,B"] },
            { tag: "delay before the current", actions: four, current: 2, command: 1,
              result: ["1,A", "2,A", "0,50", "1,B", "2,B"] },
            { tag: "delete the current", actions: four, current: 1, command: 0, result: ["1,A", "1,B", "2,B"] },
            { tag: "key into a full macro", full: true, current: 0, command: 2, refused: true },
            { tag: "button into a full macro", full: true, current: 0, command: 3, refused: true },
            { tag: "delay that makes a pause long", full: true, current: 6, command: 1, refused: true }
        ]
    }

    function test_insertions(data) {
        editor.selectMacro(0)
        var actions = data.actions
        if (data.full) {
            // 61 events: 126 bytes; the pause before action 6 is 123 units.
            actions = []
            for (var i = 0; i < 61; ++i)
                actions.push(i % 2 ? "2,A" : "1,A")
            actions.splice(5, 0, "0,1230")
        }
        setActions(actions)
        if (data.full)
            compare(encodedLength(), 126)
        rightClickAction(data.current)
        compare(editor.actionIndex, data.current)
        recorder.clearLog()
        chooseInMenu("actionMenu", data.command)
        if (data.command === 2 && !data.refused) {
            verify(editor.isInsertting)
            verify(child("insertKeyBox", editor).visible)
            scene.detectKeyboard(true, data.key)
            scene.detectKeyboard(true, 0xf1)        // mouse buttons are not keys
            compare(child("insertKeyName", editor).text, "C")
            mouseClick(child("insertKeyOk", editor))
            verify(!editor.isInsertting)
        }
        if (data.refused) {
            verify(!editor.isInsertting, "the box does not open")
            compare(actionTexts(), actions)
            compare(recorder.names("ui_View.saveMacroIni"), [])
            return
        }
        compare(actionTexts(), data.result)
        compare(storedActions("Macro_0"), data.result, "saved at once")
        if (data.command === 1)
            compare(editor.actionIndex, data.current + 1, "the delay's action stays current")
        verify(encodedLength() <= 128)
    }

    function test_insertKeyWithoutAKeyAddsNothing() {
        editor.selectMacro(0)
        rightClickAction(1)
        recorder.clearLog()
        chooseInMenu("actionMenu", 2)
        verify(editor.isInsertting)
        scene.detectKeyboard(true, 0xf0)
        mouseClick(child("insertKeyOk", editor))
        verify(!editor.isInsertting)
        compare(actionTexts(), ["1,A", "2,A"])
        compare(recorder.names(), [])
    }

    function test_delayEdit_data() {
        return [
            { tag: "a number", text: "120", shown: "120" },
            { tag: "leading zeros", text: "007", shown: "7" },
            { tag: "letters", text: "abc", shown: "50" },
            { tag: "empty", text: "", shown: "50" },
            { tag: "beyond 65535", text: "70000", shown: "50" },
            { tag: "negative", text: "-5", shown: "50" }
        ]
    }

    function test_delayEdit(data) {
        editor.selectMacro(0)
        setActions(["1,A", "0,50", "2,A"])
        editor.startDelayEdit(1)
        compare(editor.editingDelay, 1)
        editor.finishDelayEdit(data.text)
        compare(editor.actionModel.get(1).info, data.shown)
        compare(storedActions("Macro_0"), ["1,A", "0," + data.shown, "2,A"])
        editor.startDelayEdit(0)
        compare(editor.editingDelay, -1, "only delays are edited")
    }

    function test_delayEditByTyping() {
        editor.selectMacro(0)
        setActions(["1,A", "0,50", "2,A"])
        waitForRendering(editor)
        mouseDoubleClickSequence(child("macroAction1", editor), 100, 13)
        compare(editor.editingDelay, 1)
        keyClick(Qt.Key_Backspace)
        keyClick(Qt.Key_9)
        keyClick(Qt.Key_0)
        keyClick(Qt.Key_Return)
        compare(editor.editingDelay, -1)
        compare(storedActions("Macro_0"), ["1,A", "0,90", "2,A"])
    }

    function test_delayThatWouldOverflowIsRefused() {
        editor.selectMacro(0)
        var actions = []
        for (var i = 0; i < 61; ++i)
            actions.push(i % 2 ? "2,A" : "1,A")
        actions.splice(2, 0, "0,50")
        setActions(actions)
        compare(encodedLength(), 126)
        editor.startDelayEdit(2)
        editor.finishDelayEdit("5000")
        compare(editor.actionModel.get(2).info, "50", "a long pause needs 4 more bytes")
    }

    function test_rename_data() {
        return [
            { tag: "a new name", name: "Boss", taken: true },
            { tag: "another macro's name", name: "Macro_2", taken: false },
            { tag: "its own name", name: "Macro_0", taken: false },
            { tag: "empty", name: "", taken: false },
            { tag: "blanks", name: "   ", taken: false },
            { tag: "a path", name: "../setting/p1", taken: false },
            { tag: "a colon", name: "C:x", taken: false }
        ]
    }

    function test_rename(data) {
        editor.startNameEdit(0)
        editor.finishNameEdit(data.name)
        compare(editor.editingName, -1)
        compare(editor.nameList()[0], data.taken ? data.name : "Macro_0")
        compare(recorder.callsTo("ui_View.modifyMacroNameUpdateProfile"), data.taken ? [["Macro_0", data.name]] : [])
        compare(recorder.callsTo("ui_View.updataNameList"), data.taken ? [[0, [data.name, "Macro_1", "Macro_2"]]] : [])
    }

    function test_renameByTyping() {
        mouseDoubleClickSequence(child("macroName2", editor), 40, 13)
        compare(editor.editingName, 2)
        keySequence("ctrl+a")
        keyClick(Qt.Key_Z)
        keyClick(Qt.Key_Return)
        compare(editor.nameList(), ["Macro_0", "Macro_1", "z"])
        // A press on the dialog's background also ends an edit.
        mouseDoubleClickSequence(child("macroName0", editor), 40, 13)
        keyClick(Qt.Key_Y)
        mousePress(editor, 620, 60)
        mouseRelease(editor, 620, 60)
        compare(editor.nameList(), ["y", "Macro_1", "z"])
    }

    function test_import_data() {
        return [
            { tag: "copied", loaded: true, file: true, calls: ["ui_View.loadMacroFile", "ui_View.loadMacroIni",
                                                                 "ui_View.updataNameList"] },
            { tag: "cancelled", loaded: false, file: false, calls: ["ui_View.loadMacroFile", "ui_View.createMacroIni",
                                                                     "ui_View.updataNameList"] },
            { tag: "reported, but no file", loaded: true, file: false,
              calls: ["ui_View.loadMacroFile", "ui_View.loadMacroIni", "ui_View.createMacroIni",
                      "ui_View.updataNameList"] }
        ]
    }

    function test_import(data) {
        editor.selectMacro(1)
        recorder.answers["ui_View.loadMacroFile"] = function (name) {
            if (data.file)
                library[name] = ["1,Q", "2,Q", "4"]
            return data.loaded
        }
        recorder.clearLog()
        mouseClick(child("macroName1", editor), 40, 13, Qt.RightButton)
        verify(child("nameMenu", editor).visible)
        chooseInMenu("nameMenu", 1)
        compare(recorder.names().slice(1), data.calls, "after selecting the right-clicked macro")
        compare(editor.nameList(), ["Macro_0", "Macro_3", "Macro_1", "Macro_2"])
        compare(editor.currentIndex, 2, "the selection stays with its macro")
        compare(editor.currentName(), "Macro_1")
        verify(library["Macro_3"] !== undefined, "the listed macro has its file")
    }

    function test_exportAndDeleteFromTheMenu() {
        mouseClick(child("macroName2", editor), 40, 13, Qt.RightButton)
        recorder.clearLog()
        chooseInMenu("nameMenu", 2)
        compare(recorder.callsTo("ui_View.saveMacroFile"), [["Macro_2"]])
        mouseClick(child("macroName0", editor), 40, 13, Qt.RightButton)
        chooseInMenu("nameMenu", 0)
        compare(editor.nameList(), ["Macro_1", "Macro_2"])
    }

    function test_sendMacroKeepsTheTerminator() {
        var many = []
        for (var i = 0; i < 80; ++i)
            many.push("1,A", "2,A")
        library["Macro_1"] = many.concat(["2"])
        editor.sendMacro(7, "Macro_1")
        var call = recorder.callsTo("ui_View.mouseSendMacroData")[0]
        compare(call[1], 7)
        compare(call[0].length, 128)
        compare(call[0].slice(0, 4), [0, 2, 1, 4])
        compare(call[0].slice(122, 128), [1, 4, 0x81, 4, 0, 0], "62 events, the last pause 1, then 00 00")
    }

    function test_closeWhileRecordingSaves() {
        editor.selectMacro(2)
        editor.toggleRecord()
        scene.detectKeyboard(true, 0x06)
        mouseClick(child("dialogClose", editor))
        verify(!editor.visible)
        verify(!editor.isInputting)
        verify(!editor.recordTimer.running)
        verify(!child("mainMask").visible)
        compare(recorder.callsTo("ui_View.saveMacroIni"), [["Macro_2", ["1,C"], 1]])
        scene.detectKeyboard(true, 0x07)
        compare(editor.actionModel.count, 1, "keys are no longer recorded")
    }

    function test_closingOverTheDialogKeepsItsMask() {
        scene.closeDialog(editor)
        mouseClick(child("keyRow1"))
        clickInDialog("macroEditorButton")
        verify(editor.visible)
        verify(editor.z > dialog.z, "the editor lies over the dialog")
        mouseClick(child("dialogClose", editor))
        verify(dialog.visible)
        verify(child("mainMask").visible)
    }

    function test_switchingMacrosWhileRecordingKeepsTheRecording() {
        editor.selectMacro(0)
        editor.toggleRecord()
        scene.detectKeyboard(true, 0x06)
        scene.detectKeyboard(false, 0x06)
        mouseClick(child("macroName1", editor))
        verify(!editor.isInputting)
        compare(storedActions("Macro_0"), ["1,C", "2,C"])
        compare(actionTexts(), ["1,A", "2,A"])
    }

    function test_timesIsSavedOnLeaving() {
        editor.selectMacro(0)
        recorder.clearLog()
        var times = child("macroTimes", editor)
        times.txtInput.forceActiveFocus()
        times.textValue = ""
        times.closeFocus()
        compare(times.textValue, "0")
        compare(recorder.callsTo("ui_View.saveMacroIni"), [["Macro_0", ["1,A", "2,A"], 0]])
    }

    // A count still being typed is saved to its own macro before the editor
    // shows another one or closes.
    function test_typedTimesSurvivesTheNextAction_data() {
        return [
            { tag: "another macro chosen", act: "macroName1" },
            { tag: "New", act: "macroNew" },
            { tag: "closed", act: "dialogClose" }
        ]
    }

    function test_typedTimesSurvivesTheNextAction(data) {
        editor.selectMacro(0)
        recorder.clearLog()
        var times = child("macroTimes", editor)
        mouseClick(times)
        verify(times.txtInput.activeFocus)
        times.txtInput.selectAll()
        keyClick(Qt.Key_7)
        mouseClick(child(data.act, editor))
        compare(recorder.callsTo("ui_View.saveMacroIni")[0], ["Macro_0", ["1,A", "2,A"], 7])
        compare(library["Macro_0"], ["1,A", "2,A", "7"])
    }

    function test_maskPressEndsEditsAndMenus() {
        mouseClick(child("macroName0", editor), 40, 13, Qt.RightButton)
        verify(child("nameMenu", editor).visible)
        mousePress(scene, 5, 5)
        mouseRelease(scene, 5, 5)
        verify(!child("nameMenu", editor).visible)
        editor.startNameEdit(1)
        mousePress(scene, 5, 5)
        mouseRelease(scene, 5, 5)
        compare(editor.editingName, -1)
    }
}
