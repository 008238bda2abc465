import QtQuick
import QtTest
import "../support"

// Keyboard journeys through the real main document: the Tab order of the
// main screen, Tab kept inside an open dialog, Escape shutting a drop-down
// before its dialog, the arrows on lists and sliders, and key capture left
// to the recording.
SceneTestCase {
    id: testCase
    name: "Keyboard"

    function init() {
        startScene()
        scene.forceActiveFocus()
    }

    function focused() {
        return testCase.Window.activeFocusItem
    }

    // A focused control by its object name, or its field's, or its accessible name.
    function label(item) {
        if (item === null)
            return "(none)"
        if (item.objectName !== "")
            return item.objectName
        if ("cursorPosition" in item)
            return item.parent.objectName
        return item.Accessible.name
    }

    // A key, and the pass of the event loop in which the shell settles
    // where the focus went.
    function press(key, modifiers) {
        keyClick(key, modifiers === undefined ? Qt.NoModifier : modifiers)
        wait(0)
    }

    function tabs(count, backwards) {
        var out = []
        for (var i = 0; i < count; ++i) {
            press(Qt.Key_Tab, backwards ? Qt.ShiftModifier : Qt.NoModifier)
            out.push(label(focused()))
        }
        return out
    }

    function tabTo(name) {
        for (var i = 0; i < 80 && label(focused()) !== name; ++i)
            press(Qt.Key_Tab)
        compare(label(focused()), name)
    }

    function calls() {
        return recorder.log.map(function (call) { return call.name })
    }

    // Reading order: title bar, key rows, editor box, report rate, system
    // setting, DPI page, lighting page, bottom bar; then round again.
    function test_mainScreenTabOrder() {
        var order = ["titleProfileList", "titleButton2", "titleButton0", "titleButton1",
                     "keyMatrixReset", "keyRow0", "keyRow1", "keyRow2", "keyRow3", "keyRow4", "keyRow5",
                     "keyRow6", "keyRow7", "macroEditorRow", "gunEditorRow", "reportRateList",
                     "systemSettingButton",
                     "dpiReset", "DPI Setting 1", "DPI Setting 2", "DPI Setting 3", "DPI Setting 4", "dpiSegment",
                     "lightModel", "lightBack", "Speed", "lightRed", "lightGreen", "lightBlue",
                     "configButton", "resetButton", "saveButton",
                     "titleProfileList"]
        compare(tabs(order.length, false), order)
        // Shift+Tab walks back the same way.
        compare(tabs(8, true), ["saveButton", "resetButton", "configButton", "lightBlue", "lightGreen", "lightRed",
                                "Speed", "lightBack"])
        compare(tabs(2, true), ["lightModel", "dpiSegment"])
        compare(recorder.log.length, 0, "moving the focus calls nothing")
    }

    // Opened from the keyboard, a dialog takes the focus; Tab and Shift+Tab
    // go round inside it; Escape closes it as its close mark would, and the
    // focus goes back to the button that opened it.
    function test_tabStaysInsideTheDialog() {
        tabTo("resetButton")
        press(Qt.Key_Space)
        var dialog = child("factorysure")
        verify(dialog.visible)
        compare(label(focused()), "dialogClose")
        compare(tabs(4, false), ["factoryOk", "factoryCancel", "dialogClose", "factoryOk"])
        compare(tabs(3, true), ["dialogClose", "factoryCancel", "factoryOk"])
        press(Qt.Key_Escape)
        verify(!dialog.visible)
        verify(!child("mainMask").visible)
        compare(label(focused()), "resetButton")
        compare(calls(), [], "closing resets nothing")
    }

    // Escape shuts an open drop-down first, then the dialog, which takes
    // the edit as its close mark does.
    function test_escapeClosesTheListThenTheDialog() {
        tabTo("keyRow3")
        press(Qt.Key_Return)
        var dialog = child("keyAssigmentMain")
        verify(dialog.visible)
        tabTo("mouseChoice2")
        press(Qt.Key_Space)                                  // "Right Key"
        tabTo("macroList")
        press(Qt.Key_Down)
        var list = child("macroList")
        finishSlide(list)
        verify(list.isDrop)
        press(Qt.Key_Escape)
        finishSlide(list)
        verify(!list.isDrop)
        verify(dialog.visible, "the first Escape only shuts the list")
        press(Qt.Key_Escape)
        verify(!dialog.visible)
        var slot = child("keyMatrixMain").modKeys.get(3)
        compare([slot.keyCode0, slot.keyCode1, slot.keyCode2, slot.keyCode3], [0x00, 0x00, 0xf1, 0x00])
        compare(slot.keyText, "Right Key")
        verify(child("keyMatrixMain").isSave)
        compare(label(focused()), "keyRow3")
    }

    // The arrows walk the list from the chosen entry, Enter takes one; the
    // mouse gets it as from a click: index 2, rate code 2.
    function test_reportRateWithArrowsAndEnter() {
        tabTo("reportRateList")
        var list = child("reportRateList")
        press(Qt.Key_Down)
        finishSlide(list)
        verify(list.isDrop)
        compare(list.keyIndex, 3)
        press(Qt.Key_Up)
        compare(list.keyIndex, 2)
        press(Qt.Key_Return)
        finishSlide(list)
        verify(!list.isDrop)
        compare(list.currentSelect, 2)
        compare(recorder.log.map(function (call) { return [call.name].concat(call.args) }),
                [["ui_View.setData", "mouse/reportRate", 2], ["ui_View.mouseSetReportRate", 2]])
    }

    // One arrow moves a slider one step and applies it, as a click would:
    // the cursor speed goes from step 5 to 6.
    function test_sliderStepsWithArrows() {
        tabTo("systemSettingButton")
        press(Qt.Key_Return)
        var row = child("cursorSpeedRow")
        row.slider.setValue(3 + 5 * 33.4)
        tabTo("Mouse Speed")
        recorder.clearLog()
        press(Qt.Key_Right)
        compare(Math.round(row.slider.handleX), 203)
        var sent = recorder.log.filter(function (call) { return call.name === "ui_View.mouseSetCursorSpeed" })
        compare(sent.length, 1)
        compare(sent[0].args[0], 6)
        press(Qt.Key_Left)
        compare(Math.round(row.slider.handleX), 170)
    }

    // A DPI stage moves a pixel an arrow (about one DPI step), ten with
    // Page Up, and like a drag waits for Save.
    function test_dpiStageKeys() {
        var page = child("dpiSettingMain")
        var stage = page.stageSliders[0]
        tabTo("DPI Setting 1")
        var x = stage.handleX
        press(Qt.Key_Up)
        compare(stage.handleX, x + 1)
        press(Qt.Key_PageUp)
        compare(stage.handleX, x + 11)
        press(Qt.Key_PageDown)
        press(Qt.Key_Left)
        compare(stage.handleX, x)
        verify(page.isSave)
        compare(calls(), [], "nothing goes out before Save")
    }

    // While the fire field waits, keys are the recording's: Escape does not
    // close the dialog, and the release of a starting key is not taken.
    function test_captureKeepsTheKeys_data() {
        return [{ tag: "started with Return", keys: true }, { tag: "started with the pointer", keys: false }]
    }

    function test_captureKeepsTheKeys(data) {
        tabTo("keyRow5")
        press(Qt.Key_Return)
        var dialog = child("keyAssigmentMain")
        if (data.keys) {
            tabTo("fireField")
            keyPress(Qt.Key_Return)
            verify(dialog.isFireInput)
            scene.detectKeyboard(false, 0x28)                   // Return comes up
            keyRelease(Qt.Key_Return)
            verify(dialog.isFireInput, "the starting key's release is not the fire key")
        } else {
            mouseClick(child("fireField"))
            verify(dialog.isFireInput)
        }
        press(Qt.Key_Escape)
        verify(dialog.visible, "Escape is a key to record")
        press(Qt.Key_Tab)
        compare(label(focused()), "captureSink", "Tab is a key to record")
        scene.detectKeyboard(true, 0x04)
        verify(!dialog.isFireInput)
        compare(dialog.fireText, "A")
        keyRelease(Qt.Key_A)
        wait(0)
        compare(label(focused()), data.keys ? "fireField" : "dialogClose", "back where the focus was")
        press(Qt.Key_Escape)
        verify(!dialog.visible, "the recording over, Escape closes again")
    }
}
