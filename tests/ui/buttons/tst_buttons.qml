import QtQuick
import QtTest

// The key matrix list, the mouse picture and the key assignment dialog, read
// off the calls they make to the backend.
ButtonScene {
    id: testCase
    name: "ButtonAssignment"

    readonly property var twoMacroSlots: ({ 2: [4, 0, 2, 0], 5: [4, 1, 5, 0], 6: [4, 0, 6, 0] })
    readonly property var twoMacroNames: ({ 2: "Macro_0", 5: "Macro_0", 6: "Macro_1" })

    function init() {
        begin()
    }

    function test_lastLeftButtonIsNotGivenAway_data() {
        return [
            { tag: "its row", extraLeft: false, item: "keyRow0", opens: false },
            { tag: "its marker", extraLeft: false, item: "keyMarker1", opens: false },
            { tag: "another row", extraLeft: false, item: "keyRow1", opens: true },
            { tag: "two left buttons, the first row", extraLeft: true, item: "keyRow0", opens: true },
            { tag: "two left buttons, the other marker", extraLeft: true, item: "keyMarker4", opens: true }
        ]
    }

    function test_lastLeftButtonIsNotGivenAway(data) {
        begin(data.extraLeft ? { 3: [0, 0, 0xf0, 0] } : {})
        mouseClick(child(data.item))
        compare(dialog.visible, data.opens)
        compare(child("mainMask").visible, data.opens)
        if (!data.opens && data.item.indexOf("keyMarker") === 0)
            compare(mouseView.selectKey, -1, "a refused marker clears the selection")
        compare(sends(), [])
    }

    function test_keyCountSix() {
        scene.keyCount = 6
        waitForRendering(matrix)
        compare(matrix.height, 202)
        for (var i = 0; i < 8; ++i) {
            compare(child("keyRow" + i).visible, i < 6, "row " + i)
            compare(child("keyMarker" + (i + 1)).visible, i < 6, "marker " + (i + 1))
        }
        scene.keyCount = 8
        compare(matrix.height, 254)   // 40 + 8 rows of 24 + 7 gaps of 2 + 8
    }

    function test_hoverSharesTheSelection() {
        mouseMove(child("keyRow2"), 20, 12)
        compare(mouseView.selectKey, 2)
        verify(child("keyMarker3").lit)
        mouseMove(scene, 600, 600)
        compare(mouseView.selectKey, -1)
        mouseMove(child("keyMarker5"), 18, 18)
        compare(mouseView.selectKey, 4)
        compare(child("keyRow4").color, scene.colorOrange)
        mouseClick(child("keyMarker5"), 18, 18)
        verify(dialog.visible)
        mouseMove(scene, 10, 630)
        compare(mouseView.selectKey, 4, "the edited button stays selected")
        closeDialog()
        compare(mouseView.selectKey, -1)
    }

    // Each category's fixed choices, chosen in the dialog and put into the slot.
    function test_fixedChoices_data() {
        return [
            { tag: "Double Fire", radio: "mouseChoice5", codes: [0x00, 0xf0, 0x1e, 0x02], text: "Double Fire" },
            { tag: "Middle Key", radio: "mouseChoice1", codes: [0x00, 0x00, 0xf2, 0x00], text: "Middle Key" },
            { tag: "Back Key", radio: "mouseChoice4", codes: [0x00, 0x00, 0xf3, 0x00], text: "Back Key" },
            { tag: "DPI LOOP", radio: "dpiChoice2", codes: [0x05, 0x00, 0x03, 0x00], text: "DPI LOOP" },
            { tag: "Sniper Key", radio: "dpiChoice3", codes: [0x05, 0x00, 0x04, 0x00], text: "Sniper Key" },
            { tag: "Three Gun", radio: "gunChoice2", codes: [0x08, 0x00, 0x03, 0x00], text: "Three Gun" },
            { tag: "Player", grid: "mediaGrid", cell: 0, codes: [0x03, 0x00, 0x83, 0x01], text: "Player" },
            { tag: "Volumn-", grid: "mediaGrid", cell: 7, codes: [0x03, 0x00, 0xea, 0x00], text: "Volumn-" },
            { tag: "My PC", grid: "windowsGrid", cell: 0, codes: [0x06, 0x00, 0x94, 0x01], text: "My PC" },
            { tag: "Max", grid: "windowsGrid", cell: 3, codes: [0x06, 0x04, 0x2c, 0x1b], text: "Max" },
            { tag: "Run", grid: "windowsGrid", cell: 6, codes: [0x06, 0x00, 0xe3, 0x15], text: "Run" },
            { tag: "Copy", grid: "shortcutGrid", cell: 2, codes: [0x07, 0x00, 0xe0, 0x06], text: "Copy" },
            { tag: "Select All", grid: "shortcutGrid", cell: 9, codes: [0x07, 0x00, 0xe0, 0x04], text: "Select All" }
        ]
    }

    function test_fixedChoices(data) {
        openSlot(1)
        if (data.radio !== undefined)
            clickInDialog(data.radio)
        else
            chooseInGrid(data.grid, data.cell)
        compare(dialogCodes(), data.codes)
        compare(dialog.title, "Key 2 : " + data.text)
        closeDialog()
        compare(codesOf(1), data.codes)
        compare(matrix.modKeys.get(1).keyText, data.text)
        compare(child("keyRow1").keyText, data.text)
        verify(matrix.isSave)
        compare(sends(), [], "the layout waits for Save")
    }

    function gridCells(grid) {
        var out = []
        function collect(item) {
            for (var i = 0; i < item.children.length; ++i) {
                var c = item.children[i]
                if (c.textValue !== undefined && c.index !== undefined)
                    out.push(c)
                collect(c)
            }
        }
        collect(grid)
        return out
    }

    function litCells(grid) {
        return gridCells(grid).filter(function (c) { return Qt.colorEqual(c.color, scene.colorOrange) })
            .map(function (c) { return c.textValue })
    }

    // An opened grid's cells show the pointer where it is; the last row is
    // filled up with empty cells that choose nothing.
    function test_openedGridFollowsThePointer() {
        openSlot(1)
        var grid = child("mediaGrid", dialog)
        dialog.reveal(grid, 96)
        waitForRendering(dialog)
        compare(gridCells(grid).map(function (c) { return c.textValue }),
                ["Player", "Next", "Privous", "Stop", "Mute", "Play/Pause", "Volumn+", "Volumn-", ""])
        mouseMove(grid, grid.width / 2, 12)
        mouseClick(grid, grid.width / 2, 12)
        finishSlide(grid)
        waitForRendering(dialog)
        mouseMove(grid, grid.width * 2.5, -60)
        compare(litCells(grid), [])
        mouseMove(grid, grid.width * 1.5, 24 + 12)
        compare(litCells(grid), ["Next"])
        mouseMove(grid, grid.width * 2.5, 24 + 2 * 24 + 12)
        compare(litCells(grid), [], "the empty cell is no choice")
        mouseClick(grid, grid.width * 2.5, 24 + 2 * 24 + 12)
        finishSlide(grid)
        verify(!grid.isDrop)
        compare(dialogCodes(), [0, 0, 0xf1, 0])
    }

    function test_radiosShowTheDefinition() {
        openSlot(7)
        verify(child("mouseChoice5", dialog).isSelect, "the slot's double click")
        clickInDialog("dpiChoice0")
        verify(!child("mouseChoice5", dialog).isSelect)
        verify(child("dpiChoice0", dialog).isSelect)
        clickInDialog("mouseChoice5")
        verify(child("mouseChoice5", dialog).isSelect)
        verify(!child("dpiChoice0", dialog).isSelect)
    }

    function test_combination_data() {
        return [
            { tag: "LCtrl LShift A B C", keys: [[true, 0xe0], [true, 0xe1], [true, 0x04], [false, 0x04], [true, 0x05],
                                                [true, 0x06]],
              mark: "comboConfirm", text: "LCtrl + LShift + A + B", codes: [0x02, 0x03, 0x04, 0x05] },
            { tag: "a held key repeats", keys: [[true, 0xe0], [true, 0xe0], [true, 0x04], [true, 0x04], [true, 0x2c]],
              mark: "comboConfirm", text: "LCtrl + A + Space", codes: [0x02, 0x01, 0x04, 0x2c] },
            { tag: "right modifiers only", keys: [[true, 0xe4], [true, 0xe7]],
              mark: "comboConfirm", text: "RCtrl + RWin", codes: [0x02, 0x90, 0x00, 0x00] },
            { tag: "releases are ignored", keys: [[false, 0xe0], [false, 0x04]],
              mark: "comboConfirm", text: "Click Input", codes: null },
            { tag: "cancelled", keys: [[true, 0xe0], [true, 0x04]],
              mark: "comboCancel", text: "Click Input", codes: null }
        ]
    }

    function test_combination(data) {
        openSlot(4)
        var before = dialogCodes()
        clickInDialog("comboField")
        verify(dialog.isComboInput)
        compare(dialog.comboText, "")
        for (var i = 0; i < data.keys.length; ++i)
            scene.detectKeyboard(data.keys[i][0], data.keys[i][1])
        mouseClick(child(data.mark, dialog))
        verify(!dialog.isComboInput)
        compare(dialog.comboText, data.text)
        compare(dialogCodes(), data.codes === null ? before : data.codes)
        scene.detectKeyboard(true, 0x07)
        compare(dialog.comboText, data.text, "no key is taken once the input ended")
        closeDialog()
        if (data.codes !== null) {
            compare(codesOf(4), data.codes)
            compare(matrix.modKeys.get(4).keyText, data.text)
        } else {
            compare(codesOf(4), before)
        }
        compare(sends(), [])
    }

    // The confirm mark takes only keys typed since the field was clicked; with
    // nothing new it leaves the slot as stored.
    function test_confirmWithoutNewInputKeepsTheSlot_data() {
        return [
            { tag: "first dialog of the run", typedBefore: false, steps: [] },
            { tag: "after a combination typed for another button", typedBefore: true, steps: [] },
            { tag: "the field clicked, nothing typed", typedBefore: true, steps: ["comboField"] },
            { tag: "typed, then cancelled", typedBefore: false, steps: ["comboField", "A", "comboCancel"] }
        ]
    }

    function test_confirmWithoutNewInputKeepsTheSlot(data) {
        begin({ 4: [2, 0x05, 0x04, 0x00] })
        if (data.typedBefore) {
            openSlot(1)
            clickInDialog("comboField")
            scene.detectKeyboard(true, 0xe0)
            scene.detectKeyboard(true, 0x04)
            clickInDialog("comboConfirm")
            closeDialog()
            compare(codesOf(1), [0x02, 0x01, 0x04, 0x00])
            matrix.isSave = false
            recorder.clearLog()
        }
        var text = matrix.modKeys.get(4).keyText
        openSlot(4)
        compare(dialog.comboText, text)
        for (var i = 0; i < data.steps.length; ++i) {
            if (data.steps[i] === "A")
                scene.detectKeyboard(true, 0x04)
            else
                clickInDialog(data.steps[i])
        }
        clickInDialog("comboConfirm")
        compare(dialogCodes(), [0x02, 0x05, 0x04, 0x00])
        compare(dialog.keyString, text)
        closeDialog()
        compare(codesOf(4), [0x02, 0x05, 0x04, 0x00])
        compare(matrix.modKeys.get(4).keyText, text)
        verify(!matrix.isSave)
        compare(sends(), [])
    }

    function test_fireKey() {
        openSlot(5)
        clickInDialog("fireField")
        verify(dialog.isFireInput)
        compare(dialog.fireText, "Click Input")
        scene.detectKeyboard(false, 0x2c)
        verify(!dialog.isFireInput, "a release is taken too")
        compare(dialogCodes(), [0x01, 0x2c, 10, 0])
        compare(dialog.keyString, "Space")
        compare(dialog.fireText, "Space")
        scene.detectKeyboard(true, 0x04)
        compare(dialog.keyString, "Space", "only the first key")

        // The rate slider, the repetitions and "Endness" edit a fire definition.
        var slider = child("fireRate", dialog).sliderControl
        slider.setValue(slider.width - slider.handleWidth - slider.handleWidth / 4)
        slider.valueChange(slider.handleX)
        compare(dialog.keyCode2, 80)
        compare(dialog.fireIntervalText, "80MS")
        var times = child("fireTimes", dialog)
        var endless = child("fireEndless", dialog)
        verify(endless.isSelect, "Endness starts checked")
        times.txtInput.forceActiveFocus()
        times.textValue = "12"
        times.closeFocus()
        compare(dialog.keyCode3, 12)
        verify(!endless.isSelect)
        clickInDialog("fireEndless")
        compare(times.textValue, "0")
        compare(dialog.keyCode3, 0)
        closeDialog()
        compare(codesOf(5), [0x01, 0x2c, 80, 0])
        compare(matrix.modKeys.get(5).keyText, "Space")
    }

    function test_fireSliderLeavesOtherCategories() {
        openSlot(1)
        var slider = child("fireRate", dialog).sliderControl
        slider.setValue(slider.width / 2)
        slider.valueChange(slider.handleX)
        compare(dialogCodes(), [0x00, 0x00, 0xf1, 0x00])
    }

    function test_closingUnchangedSendsNothing_data() {
        return [
            { tag: "a mouse button", slot: 1, isSave: false },
            { tag: "a macro", slot: 3, isSave: false },
            { tag: "a combination, page already unsaved", slot: 4, isSave: true }
        ]
    }

    function test_closingUnchangedSendsNothing(data) {
        begin({ 3: [4, 0, 3, 0], 4: [2, 0x05, 0x04, 0x00] }, {}, { 3: "Macro_1" }, ["Macro_0", "Macro_1"])
        matrix.isSave = data.isSave
        var before = codesOf(data.slot)
        openSlot(data.slot)
        closeDialog()
        compare(matrix.isSave, data.isSave)
        compare(codesOf(data.slot), before)
        compare(sends(), [])
        compare(recorder.names("hid"), [])
    }

    function test_aMacroIsSentWhenChosen_data() {
        return [
            { tag: "same macro, new repeat mode", mode: 2, pick: -1, codes: [4, 2, 3, 0], name: "Macro_1" },
            { tag: "another macro", mode: -1, pick: 0, codes: [4, 0, 3, 0], name: "Macro_0" }
        ]
    }

    function test_aMacroIsSentWhenChosen(data) {
        begin({ 3: [4, 0, 3, 0] }, {}, { 3: "Macro_1" }, ["Macro_0", "Macro_1"])
        library["Macro_0"] = ["1,B", "0,50", "2,B", "2"]
        openSlot(3)
        compare(matrix.modKeys.get(3).keyText, "Macro_1")
        var list = child("macroList", dialog)
        compare(list.textValue, "Macro_1", "the slot's macro shows as chosen")
        if (data.mode >= 0)
            clickInDialog("macroMode" + data.mode)
        if (data.pick >= 0) {
            dialog.reveal(list, 48)
            clickAndSettle(list)
            mouseClick(list, list.width / 2, 24 + data.pick * 24 + 12)
            finishSlide(list)
        }
        recorder.clearLog()
        closeDialog()
        compare(codesOf(3), data.codes)
        compare(matrix.modKeys.get(3).keyText, data.name)
        verify(matrix.isSave)
        compare(recorder.names().filter(function (n) { return n !== "ui_View.getData" }),
                ["ui_View.loadMacroIni", "ui_View.mouseSendMacroData", "ui_View.setData"])
        compare(recorder.callsTo("ui_View.loadMacroIni"), [[data.name]])
        var sent = recorder.callsTo("ui_View.mouseSendMacroData")[0]
        compare(sent[1], 3)
        compare(sent[0].length, 128)
        compare(sent[0].slice(0, 8), data.name === "Macro_0" ? [0, 2, 5, 5, 0x81, 5, 0, 0]
                                                             : [0, 1, 1, 4, 0x81, 4, 0, 0])
        compare(recorder.callsTo("ui_View.setData"), [["mouseMacroKey/3", data.name]])
    }

    // A stored macro name the list does not hold (an imported profile, a
    // deleted file): no change sends nothing, and a missing file never goes
    // to the mouse as a block of zeros.
    function test_macroNotInTheList_data() {
        return [
            { tag: "closed unchanged", mode: -1, codes: [4, 0, 3, 0], isSave: false },
            { tag: "repeat mode changed", mode: 1, codes: [4, 1, 3, 0], isSave: true }
        ]
    }

    function test_macroNotInTheList(data) {
        begin({ 3: [4, 0, 3, 0] }, {}, { 3: "Gone" }, ["Macro_0"])
        openSlot(3)
        compare(child("macroList", dialog).currentSelect, -1)
        if (data.mode >= 0)
            clickInDialog("macroMode" + data.mode)
        closeDialog()
        compare(codesOf(3), data.codes)
        compare(matrix.isSave, data.isSave)
        compare(recorder.callsTo("ui_View.mouseSendMacroData"), [])
        compare(recorder.profile()["mouseMacroKey/3"], "Gone")
        editor.sendMacro(3, "Gone")
        compare(recorder.callsTo("ui_View.mouseSendMacroData"), [])
    }

    function test_deletedMacroRestoresItsButtons() {
        begin(twoMacroSlots, { 2: [0, 0, 0xf2, 0], 5: [5, 0, 1, 0], 6: [5, 0, 2, 0] }, twoMacroNames,
              ["Macro_0", "Macro_1"])
        selectMacroByName("Macro_0")
        recorder.clearLog()
        editor.removeMacro()
        var calls = recorder.names().filter(function (n) { return n !== "ui_View.getData" })
        compare(calls, ["ui_View.deleteMacroIni", "ui_View.mouseSetKeyMatrix", "ui_View.mouseSetKeyMatrix",
                        "ui_View.deleteMacroUpdateProfile", "ui_View.updataNameList"])
        compare(codesOf(2), [0, 0, 0xf2, 0])
        compare(codesOf(5), [5, 0, 1, 0])
        compare(codesOf(6), [4, 0, 6, 0], "the other macro stays")
        compare(matrix.modKeys.get(5).keyText, "DPI+")
        var layouts = recorder.callsTo("ui_View.mouseSetKeyMatrix")
        compare(layouts[0][0].slice(20, 24), [4, 1, 5, 0], "the first send has restored one slot")
        compare(layouts[1][0].slice(8, 12), [0, 0, 0xf2, 0])
        compare(layouts[1][0].slice(20, 24), [5, 0, 1, 0])
        compare(layouts[1][1], true)
        compare(recorder.callsTo("ui_View.deleteMacroUpdateProfile"), [["Macro_0"]])
        compare(child("macroList", dialog).mdItems.count, 1)
    }

    function test_renamedMacroFollows() {
        begin(twoMacroSlots, {}, twoMacroNames, ["Macro_0", "Macro_1"])
        editor.startNameEdit(0)
        editor.finishNameEdit("Boss")
        compare(recorder.callsTo("ui_View.setData"), [["mouseMacroKey/2", "Boss"], ["mouseMacroKey/5", "Boss"]])
        compare(recorder.callsTo("ui_View.modifyMacroNameUpdateProfile"), [["Macro_0", "Boss"]])
        compare(recorder.callsTo("ui_View.updataNameList"), [[0, ["Boss", "Macro_1"]]])
        compare(matrix.modKeys.get(2).keyText, "Boss")
        compare(matrix.modKeys.get(5).keyText, "Boss")
        compare(matrix.modKeys.get(6).keyText, "Macro_1")
        compare(child("macroList", dialog).mdItems.get(0).textValue, "Boss")
        compare(recorder.names("ui_View.mouse"), [], "nothing goes to the mouse")
    }

    // The editor opened from the dialog renames or deletes the macro the
    // dialog shows; closing the dialog then keeps the editor's word.
    function test_dialogFollowsTheEditor_data() {
        return [
            { tag: "renamed", rename: true, codes: [4, 0, 2, 0], text: "Boss" },
            { tag: "deleted", rename: false, codes: [0, 0, 0xf2, 0], text: "Middle Key" }
        ]
    }

    function test_dialogFollowsTheEditor(data) {
        begin(twoMacroSlots, { 2: [0, 0, 0xf2, 0] }, twoMacroNames, ["Macro_0", "Macro_1"])
        openSlot(2)
        compare(child("macroList", dialog).textValue, "Macro_0")
        clickInDialog("macroEditorButton")
        if (data.rename) {
            editor.startNameEdit(0)
            editor.finishNameEdit("Boss")
        } else {
            editor.selectMacro(0)
            editor.removeMacro()
        }
        mouseClick(child("dialogClose", editor))
        recorder.clearLog()
        closeDialog()
        compare(codesOf(2), data.codes)
        compare(matrix.modKeys.get(2).keyText, data.text)
        compare(recorder.callsTo("ui_View.setData"), [], "the profile keeps what the editor wrote")
        compare(recorder.callsTo("ui_View.loadMacroIni").map(function (args) { return args[0] }), [])
    }

    function test_editedMacroIsResentToItsButtons() {
        begin(twoMacroSlots, {}, twoMacroNames, ["Macro_0", "Macro_1"])
        selectMacroByName("Macro_0")
        recorder.clearLog()
        var times = child("macroTimes", editor)
        times.txtInput.forceActiveFocus()
        times.textValue = "3"
        times.closeFocus()
        compare(recorder.callsTo("ui_View.saveMacroIni"), [["Macro_0", ["1,A", "2,A"], 3]])
        var sent = recorder.callsTo("ui_View.mouseSendMacroData")
        compare(sent.map(function (args) { return args[1] }), [2, 5])
        compare(sent[0][0].slice(0, 2), [0, 3])
    }

    function test_resetButtonRestoresTheFactoryLayout() {
        begin({ 1: [3, 0, 0xb5, 0] }, { 3: [4, 2, 3, 0] }, { 3: "Macro_0" }, ["Macro_0"])
        compare(matrix.modKeys_tmp.get(3).keyText, "Macro_0")
        mouseClick(child("keyMatrixReset"))
        compare(codesOf(1), [0, 0, 0xf1, 0])
        compare(codesOf(3), [4, 2, 3, 0])
        compare(matrix.modKeys.get(3).keyText, "Macro_0")
        verify(matrix.isSave)
        compare(recorder.names().filter(function (n) { return n !== "ui_View.getData" }),
                ["ui_View.loadMacroIni", "ui_View.mouseSendMacroData", "ui_View.setData"])
        compare(recorder.callsTo("ui_View.mouseSendMacroData")[0][1], 3)
        compare(recorder.callsTo("ui_View.setData"), [["mouseMacroKey/3", "Macro_0"]])
    }

    function test_restoreMark() {
        begin({ 1: [3, 0, 0xb5, 0] })
        openSlot(1)
        compare(dialog.keyString, "Next")
        mouseClick(child("keyRestore"))
        compare(dialogCodes(), [0, 0, 0xf1, 0])
        compare(dialog.keyString, "Right Key")
        compare(codesOf(1), [0, 0, 0xf1, 0])
        compare(matrix.modKeys.get(1).keyText, "Right Key")
        verify(matrix.isSave)
        matrix.isSave = false
        mouseClick(child("keyRestore"))
        verify(!matrix.isSave, "already the factory definition")
        compare(sends(), [])
    }

    function test_capturedKeysReachOnlyAWaitingPage() {
        begin({}, {}, {}, ["Macro_0"])
        openSlot(1)
        scene.detectKeyboard(true, 0x04)
        compare(dialogCodes(), [0, 0, 0xf1, 0], "the dialog waits for nothing")
        clickInDialog("fireField")
        closeDialog()
        verify(!dialog.isFireInput, "closing ends the wait")
        scene.detectKeyboard(true, 0x04)
        compare(dialog.fireText, "")
        // The editor records only with a macro selected.
        editor.toggleRecord()
        scene.detectKeyboard(true, 0x04)
        compare(editor.actionModel.count, 0)
        editor.toggleRecord()
        compare(recorder.names("ui_View.saveMacroIni"), [])
    }

    function test_saveSendsTheLayoutFirst() {
        // Gun modes 1, 2, 3 served by guns 3, 0 and 5 of the gun page.
        var gun = child("gunControlMain")
        gun.selectGun1 = 3
        gun.selectGun2 = 0
        gun.selectGun3 = 5
        gun.gunNumberModel.setProperty(3, "gunPeriod", "23")
        gun.gunNumberModel.setProperty(0, "gunPeriod", "20")
        gun.gunNumberModel.setProperty(5, "gunPeriod", "10")
        matrix.isSave = true
        child("dpiSettingMain").isSave = true
        compare(child("saveButton").baseColor, scene.colorUnsaved)
        mouseClick(child("saveButton"))
        var names = recorder.names()
        verify(names.indexOf("ui_View.mouseSetKeyMatrix") < names.indexOf("ui_View.mouseSetDpi"))
        var call = recorder.callsTo("ui_View.mouseSetKeyMatrix")
        compare(call.length, 1)
        compare(call[0][0], [0, 0, 0xf0, 0, 0, 0, 0xf1, 0, 0, 0, 0xf2, 0, 0, 0, 0xf4, 0, 0, 0, 0xf3, 0,
                             5, 0, 1, 0, 5, 0, 2, 0, 0, 0xf0, 0x1e, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0, 1, 0, 0xff, 0, 2, 0])
        compare(call[0][1], true)
        compare(call[0][2], [23, 20, 10], "the periods of the gun modes' guns")
        verify(!matrix.isSave)
    }

    function test_gunCategoryOnlyWithGuns() {
        openSlot(1)
        verify(child("gunSection", dialog).visible)
        scene.isGun = false
        verify(!child("gunSection", dialog).visible)
    }

    function test_dialogScrollsAndStaysInTheScene() {
        openSlot(1)
        compare([dialog.width, dialog.height], [416, 404])
        var view = dialog.contentView
        compare([view.height, view.contentHeight], [360, 830])
        verify(child("assignmentScrollBar", dialog).visible)
        mouseWheel(view, 100, 100, 0, -120)
        compare(view.contentY, 48)
        dialog.scrollTo(5000)
        compare(view.contentY, 830 - 360)
        dialog.moveBy(-3000, 3000)
        compare([dialog.x, dialog.y], [0, 640 - 404])
    }

    function test_languages() {
        // Every text of these pages, in both delivered languages.
        var sections = { keyMatrix: matrix.keyMatrixLang, keyAssigment: dialog.keyAssigmentLang,
                         macroEditor: editor.macroEditorLang }
        for (var language in { English: 0, ChineseSimplified: 0 }) {
            for (var section in sections) {
                var texts = recorder.languages[language][section]
                compare(texts.length, sections[section].length, language + " " + section)
                for (var i = 0; i < texts.length; ++i)
                    compare(texts[i] !== "", sections[section][i] !== "", language + " " + section + " " + i)
            }
        }
        // The scene loaded the English texts.
        compare(dialog.keyAssigmentLang[18], "Macro runs one-time after pressing the button")
        compare(child("keyRow0").keyText, "Left Key")
    }
}
