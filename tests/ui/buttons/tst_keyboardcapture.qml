import QtQuick
import QtTest

// Captures a keyboard user can finish: started with Enter on the field, the
// recording ends once it holds a key and every key pressed in it is up; the
// focus is back on the field, so Tab reaches the confirm mark. Started with
// the pointer, it goes on until the mark is clicked, as it always did.
ButtonScene {
    id: testCase
    name: "KeyboardCapture"

    function init() {
        begin({}, {}, {}, ["Macro_0"])
    }

    function focused() {
        var item = testCase.Window.activeFocusItem
        return item === null ? "(none)" : item.objectName
    }

    // A key, and the pass of the event loop in which the shell settles
    // where the focus went.
    function press(key) {
        keyClick(key)
        wait(0)
    }

    // Opens the slot's dialog, or the editor's insert-key box from the second
    // action's menu, and leaves the focus where a keyboard user starts.
    function open(data) {
        var target = data.field
        if (target === "insertKeyField") {
            scene.openDialog(editor, true)
            library["Macro_0"] = data.macro.concat(["1"])
            editor.selectMacro(0)
            waitForRendering(editor)
            child(data.opener, editor).forceActiveFocus()
            keyClick(data.menuKey[0], data.menuKey[1])
            wait(0)
            press(Qt.Key_Down)
            press(Qt.Key_Down)
            compare(focused(), "menuEntry2")
            press(Qt.Key_Return)
        } else {
            openSlot(5)
            var field = child(target, dialog)
            dialog.reveal(field, 0)
            field.forceActiveFocus()
            press(Qt.Key_Return)
        }
        scene.detectKeyboard(false, 0x28)               // the starting Return comes up
        compare(focused(), "captureSink")
    }

    // Each event but the last leaves the recording listening.
    function type(keys) {
        for (var i = 0; i < keys.length; ++i) {
            compare(focused(), "captureSink", "listening before key event " + i)
            scene.detectKeyboard(keys[i][0], keys[i][1])
        }
    }

    function test_keyboardCaptureEnds_data() {
        return [
            { tag: "combination", field: "comboField", mark: "comboConfirm",
              retyped: [[true, 0x05], [false, 0x05]],
              keys: [[true, 0xe0], [true, 0x04], [false, 0x04], [false, 0xe0]],
              text: "LCtrl + A", slot5: [0x02, 0x01, 0x04, 0x00] },
            { tag: "combination, released in another order", field: "comboField", mark: "comboConfirm",
              retyped: [[true, 0x05], [false, 0x05]],
              keys: [[true, 0xe1], [true, 0x1e], [false, 0xe1], [true, 0xe0], [false, 0x1e], [false, 0xe0]],
              text: "LShift + 1 + LCtrl", slot5: [0x02, 0x03, 0x1e, 0x00] },
            { tag: "fire key", field: "fireField", mark: "",
              retyped: [[true, 0x05], [false, 0x05]],
              keys: [[true, 0x2c], [false, 0x2c]],
              text: "Space", slot5: [0x01, 0x2c, 10, 0] },
            { tag: "insert key: a mouse button and a lone release record nothing", field: "insertKeyField",
              mark: "insertKeyOk", retyped: [[true, 0x05], [false, 0x05]],
              macro: ["1,A", "2,A", "1,B", "2,B"], opener: "macroAction1", menuKey: [Qt.Key_Menu, Qt.NoModifier],
              keys: [[true, 0xf0], [false, 0xf0], [false, 0x07], [true, 0x06], [false, 0x06]],
              text: "C", actions: ["1,A", "1,C", "2,C", "2,A", "1,B", "2,B"], focusAfter: "macroAction3" },
            { tag: "insert key into an empty macro", field: "insertKeyField", mark: "insertKeyOk",
              retyped: [[true, 0x05], [false, 0x05]],
              macro: [], opener: "macroActionList", menuKey: [Qt.Key_F10, Qt.ShiftModifier],
              keys: [[true, 0x06], [false, 0x06]],
              text: "C", actions: ["1,C", "2,C"], focusAfter: "macroAction0" }
        ]
    }

    function test_keyboardCaptureEnds(data) {
        open(data)
        var field = child(data.field, data.field === "insertKeyField" ? editor : dialog)
        // A first capture, then Enter on the field records anew.
        type(data.retyped)
        compare(focused(), data.field)
        verify(!field.waiting)
        press(Qt.Key_Return)
        scene.detectKeyboard(false, 0x28)
        type(data.keys)
        compare(focused(), data.field, "the focus is back on the field")
        compare(field.text, data.text)
        recorder.clearLog()
        if (data.mark !== "") {
            press(Qt.Key_Tab)
            compare(focused(), data.mark)
            press(Qt.Key_Return)
        }
        if (data.field === "insertKeyField") {
            verify(!editor.isInsertting)
            compare(focused(), data.focusAfter, "the focus goes on at the current action")
            compare(recorder.callsTo("ui_View.saveMacroIni").map(function (args) { return args[1] }),
                    [data.actions])
            return
        }
        press(Qt.Key_Escape)
        verify(!dialog.visible)
        compare(recorder.callsTo("ui_View.mouseSetKeyMatrix"), [], "nothing goes out before Save")
        scene.saveAll()
        var sent = recorder.callsTo("ui_View.mouseSetKeyMatrix")
        compare(sent.length, 1)
        compare(sent[0][0].slice(20, 24), data.slot5)
        compare(matrix.modKeys.get(5).keyText, data.text)
    }

    // Started with the pointer, a release ends nothing: keys go on being
    // recorded until the mark is clicked.
    function test_pointerCaptureGoesOn_data() {
        return [
            { tag: "combination", field: "comboField", mark: "comboConfirm", text: "LCtrl + A" },
            { tag: "insert key", field: "insertKeyField", mark: "insertKeyOk", text: "A" }
        ]
    }

    function test_pointerCaptureGoesOn(data) {
        if (data.field === "insertKeyField") {
            scene.openDialog(editor, true)
            editor.selectMacro(0)
            waitForRendering(editor)
            editor.actionChosen(2)                      // as the menu entry's click
        } else {
            openSlot(5)
            clickInDialog(data.field)
        }
        scene.detectKeyboard(true, 0xe0)
        scene.detectKeyboard(false, 0xe0)
        scene.detectKeyboard(true, 0x04)
        scene.detectKeyboard(false, 0x04)
        verify(data.field === "comboField" ? dialog.isComboInput : editor.insertListening, "still listening")
        compare(child(data.field, data.field === "comboField" ? dialog : editor).text, data.text)
        verify(focused() !== data.field)
        mouseClick(child(data.mark, data.field === "comboField" ? dialog : editor))
        verify(data.field === "comboField" ? !dialog.isComboInput : !editor.isInsertting)
    }
}
