import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/systemsetting.js" as SS

// The system settings page: slider positions to pointer-setting steps, the
// scroll-lines choice, what each change stores and applies, and the reset.
SceneTestCase {
    id: testCase
    name: "SystemSettingPage"

    property var page: null
    readonly property var pointerValues: ({ "mouse/mouseRate": "170", "mouse/doubleRate": "40", "mouse/scrollRate": "7" })
    readonly property var factoryPointer: ({ "mouse/mouseRate": "104", "mouse/doubleRate": "305", "mouse/scrollRate": "3" })

    function init() {
        var profile = {}
        copyInto(profile, profileValues)
        copyInto(profile, pointerValues)
        profileValues = profile
        var factory = {}
        copyInto(factory, defaultValues)
        copyInto(factory, factoryPointer)
        defaultValues = factory
        startScene()
        page = child("systemSettingMain")
    }

    function open() {
        mouseClick(child("systemSettingButton"))
        verify(page.visible)
        recorder.clearLog()
    }

    function slider(row) {
        return child(row, page).slider
    }

    function setCalls() {
        return recorder.callsTo("ui_View.setData").map(function (args) { return args[0] + "=" + args[1] })
    }

    function test_steps_data() {
        return [
            { tag: "left end", position: 3, step: 0 },
            { tag: "first threshold", position: 4, step: 1 },
            { tag: "below the second", position: 36, step: 1 },
            { tag: "second threshold", position: 37, step: 2 },
            { tag: "middle", position: 170, step: 5 },
            { tag: "right end", position: 337, step: 10 },
            { tag: "past every threshold", position: 338, step: 0 }
        ]
    }

    function test_steps(data) {
        compare(SS.stepOf(data.position), data.step)
        // The same through the page: the cursor slider released at that position.
        open()
        slider("cursorSpeedRow").setValue(data.position)
        slider("cursorSpeedRow").valueChangeDelay(data.position)
        compare(recorder.callsTo("ui_View.mouseSetCursorSpeed"), [[data.step]])
        compare(recorder.names("ui_View.mouseSet"), ["ui_View.mouseSetCursorSpeed"])
        verify(setCalls().indexOf("mouse/mouseRate=" + data.position) >= 0, setCalls().join())
    }

    function test_loading() {
        compare(page.cursorPosition, 170)
        compare(page.doubleClickPosition, 40)
        verify(child("scrollLinesRadio", page).isSelect)
        verify(!child("scrollPageRadio", page).isSelect)
        compare(child("scrollLinesInput", page).textValue, "7")
        compare(recorder.names(), [], "the first load applies nothing")
    }

    function test_scrollRateOfOneScreen() {
        recorder.profile()["mouse/scrollRate"] = "1000"
        page.init(false, false)
        verify(child("scrollPageRadio", page).isSelect)
        verify(!child("scrollLinesRadio", page).isSelect)
        compare(child("scrollLinesInput", page).textValue, "7", "the field keeps its text")
        page.saveData(true, 3)
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[1000]])
    }

    function test_initWithSendingAppliesAll() {
        page.init(true, false)
        compare(recorder.names(), ["ui_View.getData", "ui_View.getData", "ui_View.getData",
                                   "ui_View.setData", "ui_View.setData", "ui_View.setData",
                                   "ui_View.mouseSetCursorSpeed", "ui_View.mouseSetDoubleClickSpeed",
                                   "ui_View.mouseSetVerticalScrollLines"])
        compare(setCalls(), ["mouse/mouseRate=170", "mouse/doubleRate=40", "mouse/scrollRate=7"])
        compare(recorder.callsTo("ui_View.mouseSetCursorSpeed"), [[5]])
        compare(recorder.callsTo("ui_View.mouseSetDoubleClickSpeed"), [[2]])
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[7]])
    }

    function test_clickingASliderAppliesIt_data() {
        return [
            { tag: "cursor", row: "cursorSpeedRow", key: "mouse/mouseRate", send: "ui_View.mouseSetCursorSpeed" },
            { tag: "double click", row: "doubleClickRow", key: "mouse/doubleRate",
              send: "ui_View.mouseSetDoubleClickSpeed" }
        ]
    }

    function test_clickingASliderAppliesIt(data) {
        open()
        var control = slider(data.row)
        mouseClick(control, 349, 3)
        child("sliderGlide", control).complete()
        compare(Math.round(control.handleX), 337)
        compare(recorder.names("ui_View.mouseSet"), [data.send])
        compare(recorder.callsTo(data.send), [[10]])
        verify(setCalls().indexOf(data.key + "=337") >= 0, setCalls().join())
        compare(recorder.profile()[data.key], 337)
    }

    function test_emptyFieldBecomesOneLine() {
        open()
        var input = child("scrollLinesInput", page)
        mouseClick(input)
        verify(input.txtInput.activeFocus)
        verify(scene.isScrollRateFocus)
        input.txtInput.selectAll()
        keyClick(Qt.Key_Backspace)
        compare(input.textValue, "")
        // A press on a free spot of the page ends the edit.
        mouseClick(page, 200, 300)
        verify(!input.txtInput.activeFocus)
        verify(!scene.isScrollRateFocus)
        compare(input.textValue, "1")
        compare(recorder.profile()["mouse/scrollRate"], 1)
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[1]])
    }

    function test_typedLinesApplyOnEnter() {
        open()
        var input = child("scrollLinesInput", page)
        mouseClick(input)
        input.txtInput.selectAll()
        keyClick("4")
        keyClick("2")
        keyClick("0")
        compare(input.textValue, "42", "three digits at most, 100 at most")
        keyClick(Qt.Key_Return)
        verify(!input.txtInput.activeFocus)
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[42]])
    }

    function test_radioButtons() {
        open()
        mouseClick(child("scrollPageRadio", page))
        verify(!child("scrollLinesRadio", page).isSelect)
        mouseClick(child("scrollLinesRadio", page))
        verify(!child("scrollPageRadio", page).isSelect)
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[1000], [7]])
        compare(recorder.names("ui_View.mouseSet"), ["ui_View.mouseSetVerticalScrollLines",
                                                     "ui_View.mouseSetVerticalScrollLines"])
    }

    // A radio click keeps the field's focus; an empty field then still means one line.
    function test_radioWhileTheFieldIsEmpty() {
        open()
        var input = child("scrollLinesInput", page)
        mouseClick(input)
        input.txtInput.selectAll()
        keyClick(Qt.Key_Backspace)
        mouseClick(child("scrollLinesRadio", page))
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[1]])
        compare(recorder.profile()["mouse/scrollRate"], 1)
    }

    function test_unreadableStoredValuesKeepThePage() {
        recorder.profile()["mouse/mouseRate"] = undefined
        recorder.profile()["mouse/scrollRate"] = "many"
        page.init(true, false)
        compare(setCalls(), ["mouse/mouseRate=170", "mouse/doubleRate=40", "mouse/scrollRate=7"])
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[7]])
    }

    function test_resetStoresTheFactoryValues() {
        open()
        mouseClick(child("systemReset", page))
        compare(recorder.callsTo("ui_View.getData").map(function (args) { return args[1] }), [true, true, true])
        compare(setCalls(), ["mouse/mouseRate=104", "mouse/doubleRate=305", "mouse/scrollRate=3"])
        compare([recorder.profile()["mouse/mouseRate"], recorder.profile()["mouse/doubleRate"],
                 recorder.profile()["mouse/scrollRate"]], [104, 305, 3])
        // On the thresholds themselves: 104 is step 4, 305 step 10.
        compare(recorder.callsTo("ui_View.mouseSetCursorSpeed"), [[4]])
        compare(recorder.callsTo("ui_View.mouseSetDoubleClickSpeed"), [[10]])
        compare(recorder.callsTo("ui_View.mouseSetVerticalScrollLines"), [[3]])
        verify(page.visible)
    }

    function test_openMoveAndClose() {
        var list = child("reportRateList")
        open()
        list.open()
        finishSlide(list)
        compare([page.x, page.y], [304, 164])
        verify(child("mainMask").visible)
        page.moveBy(2000, 2000)
        compare([page.x, page.y], [608, 328])
        page.moveBy(-2000, -2000)
        compare([page.x, page.y], [0, 0])
        // The field's focus closes the main screen's lists.
        mouseClick(child("scrollLinesInput", page))
        finishSlide(list)
        verify(!list.isDrop)
        mouseClick(child("dialogClose", page))
        verify(!page.visible)
        verify(!child("mainMask").visible)
    }

    function test_texts_data() {
        return [
            { tag: "English", language: "English", title: "System Setting", lines: "Number of Rows" },
            { tag: "Chinese", language: "ChineseSimplified", title: "系统设置", lines: "滚动行数" }
        ]
    }

    function test_texts(data) {
        var global = {}
        copyInto(global, globals)
        global["common/language"] = data.language
        globals = global
        startScene()
        page = child("systemSettingMain")
        compare(page.title, data.title)
        compare(child("scrollLinesRadio", page).textValue, data.lines)
        compare(page.systemSettingLang.length, 8)
        global = {}
        copyInto(global, globals)
        global["common/language"] = "English"
        globals = global
    }
}
