import QtQuick
import QtTest
import "../support"

// The main scene with a button layout and a macro library of the test's
// choosing. The library lives in `library` (name -> stored action strings
// followed by the repeat count), the way the real one answers.
SceneTestCase {
    id: sceneCase

    property var matrix: null
    property var dialog: null
    property var mouseView: null
    property var editor: null
    property var library: ({})
    property var storedNames: []

    // profile: { slot: [four bytes] }, factory: likewise, macroKeys: { slot: name }.
    function begin(profile, factory, macroKeys, names) {
        recorder.reset()
        copyInto(recorder.global, globals)
        for (var i = 0; i < 10; ++i)
            copyInto(recorder.profiles[i], profileValues)
        copyInto(recorder.defaults, defaultValues)
        recorder.answers["ui_View.mouseGetCurrentDPI"] = 1
        for (var slot in profile || {})
            recorder.profile()["mouseKeyMatrix/" + slot] = profile[slot]
        for (slot in factory || {})
            recorder.defaults["mouseKeyMatrix/" + slot] = factory[slot]
        for (slot in macroKeys || {})
            recorder.profile()["mouseMacroKey/" + slot] = macroKeys[slot]
        storedNames = names || []
        library = {}
        for (i = 0; i < storedNames.length; ++i)
            library[storedNames[i]] = ["1,A", "2,A", "1"]
        recorder.answers["ui_View.mouseGetKeydefine"] = function (index, isRecovery) {
            var value = (isRecovery ? recorder.defaults : recorder.profile())["mouseKeyMatrix/" + index]
            return value === undefined ? [] : value
        }
        recorder.answers["ui_View.getNameList"] = function () { return storedNames.slice() }
        recorder.answers["ui_View.loadMacroIni"] = function (name) {
            return library[name] === undefined ? [] : library[name].slice()
        }
        recorder.answers["ui_View.saveMacroIni"] = function (name, actions, repeat) {
            if (library[name] === undefined)
                return false
            library[name] = actions.concat([String(repeat)])
            return true
        }
        recorder.answers["ui_View.createMacroIni"] = function (name) {
            library[name] = ["1"]
            return true
        }
        loadScene()
        scene.initUI()
        endProtection()
        recorder.clearLog()
        matrix = child("keyMatrixMain")
        dialog = child("keyAssigmentMain")
        mouseView = child("mouseMain")
        editor = child("macroEditorMain")
        // Lets the panels lay their rows out before anything is clicked.
        waitForRendering(scene)
        return scene
    }

    function codesOf(slot) {
        var e = matrix.modKeys.get(slot)
        return [e.keyCode0, e.keyCode1, e.keyCode2, e.keyCode3]
    }

    function dialogCodes() {
        return [dialog.keyCode0, dialog.keyCode1, dialog.keyCode2, dialog.keyCode3]
    }

    // The bridge calls that reach the mouse or change a store.
    function sends() {
        return recorder.names("ui_View").filter(function (name) {
            return /ui_View\.(mouseSet|mouseSend|setData|saveMacroIni|updataNameList)/.test(name)
        })
    }

    function openSlot(slot) {
        mouseClick(child("keyRow" + slot))
        verify(dialog.visible, "the dialog opens for slot " + slot)
    }

    function closeDialog() {
        mouseClick(child("dialogClose", dialog))
        verify(!dialog.visible)
    }

    // Scrolls the dialog's column until the control shows, then clicks it.
    function clickInDialog(name) {
        var item = child(name, dialog)
        dialog.reveal(item, 0)
        waitForRendering(dialog)
        mouseClick(item)
    }

    // Opens a drop-down grid of the dialog and clicks one of its cells.
    function chooseInGrid(name, cell) {
        var grid = child(name, dialog)
        dialog.reveal(grid, 0)
        waitForRendering(dialog)
        clickAndSettle(grid)
        mouseClick(grid, (cell % 3) * grid.width + grid.width / 2, 24 + Math.floor(cell / 3) * 24 + 12)
        finishSlide(grid)
    }

    function selectMacroByName(name) {
        for (var i = 0; i < editor.nameModel.count; ++i) {
            if (editor.nameModel.get(i).textValue === name) {
                editor.selectMacro(i)
                return i
            }
        }
        fail("no macro " + name)
    }

    function actionTexts() {
        var out = []
        for (var i = 0; i < editor.actionModel.count; ++i)
            out.push(editor.actionModel.get(i).type + "," + editor.actionModel.get(i).info)
        return out
    }

    // The action strings of a macro as the library holds them, repeat count dropped.
    function storedActions(name) {
        return library[name].slice(0, library[name].length - 1)
    }
}
