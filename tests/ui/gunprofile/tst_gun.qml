import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/gun.js" as G
import "qrc:/modules/qml/js/slider.js" as S

// The gun page: the dot and rate arithmetic, which gun serves which mode,
// storing each edit at once and sending on closing.
SceneTestCase {
    id: testCase
    name: "GunPage"

    property var gun: null
    // The gun file as the stand-in serves it: name, key, period, X, Y, times.
    property var records: [
        ["M416", "L-Click", "9", "0", "5", "0"], ["AKM", "L-Click", "9", "0", "7", "0"],
        ["M16A4", "L-Click", "9", "0", "8", "0"], ["SCAR-L", "L-Click", "12", "0", "20", "3"],
        ["UNP9", "L-Click", "40", "2", "33", "0"], ["Thomson", "L-Click", "90", "0", "64", "255"]
    ]

    function initTestCase() {
        globals["mouse/selectGun"] = ["0", "1", "2"]
        answers["ui_View.getGunData"] = function (i) { return testCase.records[Number(i)].slice() }
    }

    function init() {
        startScene()
        gun = child("gunControlMain")
    }

    function openPage() {
        mouseClick(child("gunEditorRow"))
        verify(gun.visible)
        waitForRendering(gun)
        recorder.clearLog()
    }

    function closePage() {
        mouseClick(child("dialogClose", gun))
        verify(!gun.visible)
        verify(!child("mainMask").visible)
    }

    function chooseMode(mode) {
        var list = gun.modeList
        clickAndSettle(list)
        mouseClick(list, list.width / 2, 24 + mode * 24 + 12)
        finishSlide(list)
    }

    function slider() {
        return gun.rateSlider.sliderControl
    }

    function test_dotArithmetic_data() {
        return [
            { tag: "top", dot: 89, y: 0 },
            { tag: "bottom", dot: 183, y: 64 },
            { tag: "middle", dot: 136, y: 32 },
            { tag: "just below the top", dot: 90, y: 0 },
            { tag: "just above the bottom", dot: 182, y: 63 }
        ]
    }

    function test_dotArithmetic(data) {
        compare(G.yForDot(data.dot), data.y)
        // Back from the field, the dot sits at or just above where it was.
        verify(G.dotForY(data.y) <= data.dot && data.dot - G.dotForY(data.y) < 94 / 64)
    }

    function test_periodText_data() {
        return [
            { tag: "9 MS", text: "9MS", period: "9" },
            { tag: "90 MS", text: "90MS", period: "90" },
            { tag: "built-in text", text: "10ms", period: "10" },
            { tag: "4 MS", text: "4MS", period: "4" }
        ]
    }

    function test_periodText(data) {
        compare(G.periodOfText(data.text), data.period)
    }

    // Every period shows as itself once the slider is placed for it, and
    // the ends of the track are 4 and 90.
    function test_everyPeriodRoundTrips() {
        var s = slider()
        var shown = []
        var wrong = []
        for (var p = 4; p <= 90; ++p) {
            gun.rateSlider.setValue(G.ratioForPeriod(p))
            if (gun.rateSlider.textValue !== p + "MS")
                wrong.push(p + " shows " + gun.rateSlider.textValue)
        }
        compare(wrong, [])
        compare(G.periodForX(S.minX(s.handleWidth), s.width, s.handleWidth), 4)
        compare(G.periodForX(S.maxX(s.width, s.handleWidth), s.width, s.handleWidth), 90)
        compare(recorder.names(), [], "placing the slider stores nothing")
    }

    function test_initLoadsGunsAndSelections() {
        recorder.global["mouse/selectGun"] = ["4", "5", "9"]
        gun.init()
        compare(gun.gunNumberModel.get(5).gunPeriod, "90")
        compare(gun.gunNumberModel.get(3).gunTimes, "3")
        compare([gun.selectGun1, gun.selectGun2, gun.selectGun3], [4, 5, 2], "9 is no gun: mode 3 keeps its gun")
        compare(gun.shownGun, 4)
        compare(gun.modeList.textValue, "Gun1")
        compare(gun.yBox.input.textValue, "33")
        compare(gun.redDot.y, 94 * 33 / 64 + 89)
        compare(gun.rateSlider.textValue, "40MS")
        compare(gun.endnessBox.isSelect, true)
        compare(child("gunXField").input.textValue, "2")
        compare(recorder.names("ui_View.mouseSend"), [])
    }

    function test_sameGunInTwoModes() {
        openPage()
        chooseMode(1)
        compare(gun.modeList.textValue, "Gun2")
        compare(gun.shownGun, 1)
        mouseClick(child("gunRow5", gun))
        chooseMode(2)
        mouseClick(child("gunRow5", gun))
        compare([gun.selectGun1, gun.selectGun2, gun.selectGun3], [0, 5, 5])
        compare(recorder.callsTo("ui_View.setGlobalData"),
                [["mouse/selectGun", [0, 5, 2]], ["mouse/selectGun", [0, 5, 5]]])
        recorder.clearLog()
        closePage()
        compare(recorder.names(), ["ui_View.mouseSendGundata", "ui_View.mouseSendGundata",
                                   "ui_View.mouseSendGundata", "ui_View.mouseSetKeyMatrix"])
        compare(recorder.callsTo("ui_View.mouseSendGundata"), [[1, [0, 0, 5]], [2, [255, 0, 64]], [3, [255, 0, 64]]])
        compare(recorder.callsTo("ui_View.mouseSetKeyMatrix").map(function (args) { return args[2] }), [[9, 90, 90]])
    }

    function test_openAndCloseWithoutAChangeSendsNothing() {
        openPage()
        chooseMode(2)
        // Into the fields and out again, and a click on the dot.
        mouseClick(child("gunYField"))
        mouseClick(child("gunTimesField"))
        mouseClick(gun, 20, 420)
        mouseClick(gun.redDot)
        closePage()
        compare(recorder.names(), [])
    }

    function test_dragThePeriod_data() {
        return [
            { tag: "to 9", period: 9 },
            { tag: "to 90", period: 90 },
            { tag: "to 4", period: 4 }
        ]
    }

    // The knob dragged to the place of a period and let go stores that period.
    function test_dragThePeriod(data) {
        openPage()
        mouseClick(child("gunRow3", gun))
        recorder.clearLog()
        clickAndSettle(gun.rateSlider)
        var s = slider()
        var target = Math.min(S.ratioX(G.ratioForPeriod(data.period), s.width, s.handleWidth),
                              S.maxX(s.width, s.handleWidth))
        // The handle follows the pointer's travel from the press.
        var from = s.handleX + s.handleWidth / 2
        var to = target + s.handleWidth / 2
        mousePress(s, from, 3)
        for (var i = 0; i <= 6; ++i)
            mouseMove(s, from + (to - from) * i / 6, 3)
        compare(s.handleX, target)
        mouseRelease(s, to, 3)
        compare(gun.rateSlider.textValue, data.period + "MS")
        compare(recorder.callsTo("ui_View.mouseSaveGundata"),
                [[3, ["SCAR-L", "L-Click", String(data.period), "0", "20", "3"]]])
        verify(gun.isSave)
    }

    function test_clickOnTheTrackStoresTheShownPeriod() {
        openPage()
        clickAndSettle(gun.rateSlider)
        var s = slider()
        mouseClick(s, s.width - 2, 3)
        child("sliderGlide", s).complete()
        compare(gun.rateSlider.textValue, "90MS")
        compare(recorder.callsTo("ui_View.mouseSaveGundata"), [[0, ["M416", "L-Click", "90", "0", "5", "0"]]])
    }

    // Y from the dragged dot, and the dot from a typed Y.
    function test_yFromTheDotAndTheField() {
        openPage()
        var dot = gun.redDot
        mousePress(dot, 4, 4)
        for (var i = 1; i <= 10; ++i)
            mouseMove(dot, 4, 4 + 20 * i)
        compare(dot.y, 183)
        compare(gun.yBox.input.textValue, "64")
        mouseRelease(dot, 4, 4)
        compare(recorder.callsTo("ui_View.mouseSaveGundata"), [[0, ["M416", "L-Click", "9", "0", "64", "0"]]])
        mouseClick(child("gunYField"))
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_3)
        keyClick(Qt.Key_2)
        keyClick(Qt.Key_Return)
        compare(dot.y, 136)
        compare(recorder.callsTo("ui_View.mouseSaveGundata").pop(), [0, ["M416", "L-Click", "9", "0", "32", "0"]])
    }

    // Endness follows the shown gun's count both ways, and checking it stores 0.
    function test_timesAndEndness() {
        openPage()
        verify(gun.endnessBox.isSelect)
        mouseClick(child("gunRow3", gun))
        compare(gun.timesBox.input.textValue, "3")
        verify(!gun.endnessBox.isSelect, "a gun with three shots is not endless")
        recorder.clearLog()
        mouseClick(gun.endnessBox)
        verify(gun.endnessBox.isSelect)
        compare(gun.timesBox.input.textValue, "0")
        compare(recorder.callsTo("ui_View.mouseSaveGundata"), [[3, ["SCAR-L", "L-Click", "12", "0", "20", "0"]]])
        mouseClick(child("gunTimesField"))
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_7)
        keyClick(Qt.Key_Return)
        verify(!gun.endnessBox.isSelect)
        compare(recorder.callsTo("ui_View.mouseSaveGundata").pop(), [3, ["SCAR-L", "L-Click", "12", "0", "20", "7"]])
    }

    // Closing straight from a field stores its value and sends it.
    function test_closingFromAFieldSendsTheEdit() {
        openPage()
        mouseClick(child("gunYField"))
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_1)
        keyClick(Qt.Key_2)
        closePage()
        compare(recorder.names(), ["ui_View.mouseSaveGundata", "ui_View.mouseSendGundata", "ui_View.mouseSendGundata",
                                   "ui_View.mouseSendGundata", "ui_View.mouseSetKeyMatrix"])
        compare(recorder.callsTo("ui_View.mouseSendGundata")[0], [1, [0, 0, 12]])
    }

    // A value still being typed is stored on the gun it was typed for before
    // the page shows another gun.
    function test_typedValueSurvivesAnotherChoice_data() {
        return [
            { tag: "Y, then another gun", field: "gunYField", act: "gun", saved: ["M416", "L-Click", "9", "0", "42", "0"] },
            { tag: "Y, then another mode", field: "gunYField", act: "mode", saved: ["M416", "L-Click", "9", "0", "42", "0"] },
            { tag: "Times, then another gun", field: "gunTimesField", act: "gun",
              saved: ["M416", "L-Click", "9", "0", "5", "42"] },
            { tag: "Times, then another mode", field: "gunTimesField", act: "mode",
              saved: ["M416", "L-Click", "9", "0", "5", "42"] }
        ]
    }

    function test_typedValueSurvivesAnotherChoice(data) {
        openPage()
        mouseClick(child(data.field))
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_4)
        keyClick(Qt.Key_2)
        if (data.act === "gun")
            mouseClick(child("gunRow4", gun))
        else
            chooseMode(2)
        compare(recorder.callsTo("ui_View.mouseSaveGundata")[0], [0, data.saved])
        compare(gun.gunNumberModel.get(0)[data.field === "gunYField" ? "gunY" : "gunTimes"], "42")
        var shown = data.act === "gun" ? 4 : 2
        compare(gun.shownGun, shown)
        compare(child(data.field).input.textValue, data.field === "gunYField" ? records[shown][4] : records[shown][5])
    }

    function test_resetData() {
        gun.selectGun1 = 5
        gun.selectGun2 = 4
        gun.gunNumberModel.setProperty(1, "gunPeriod", "30")
        gun.resetData()
        compare(recorder.names(), ["ui_View.setGlobalData",
                                   "ui_View.mouseSaveGundata", "ui_View.mouseSendGundata",
                                   "ui_View.mouseSaveGundata", "ui_View.mouseSendGundata",
                                   "ui_View.mouseSaveGundata", "ui_View.mouseSendGundata"])
        compare(recorder.callsTo("ui_View.setGlobalData"), [["mouse/selectGun", [0, 1, 2]]])
        compare(recorder.callsTo("ui_View.mouseSaveGundata"), [
                    [0, ["M416", "L-Click", "9", "0", "5", "0"]], [1, ["AKM", "L-Click", "9", "0", "7", "0"]],
                    [2, ["M16A4", "L-Click", "9", "0", "8", "0"]]])
        compare(recorder.callsTo("ui_View.mouseSendGundata"), [[1, [0, 0, 5]], [2, [0, 0, 7]], [3, [0, 0, 8]]])
        compare(gun.shownGun, 0)
        compare(gun.modeList.currentSelect, 0)
        verify(!gun.isSave)
    }

    function test_maskPressEndsEditsAndClosesLists() {
        openPage()
        clickAndSettle(gun.modeList)
        mouseClick(child("gunYField"))
        verify(gun.yBox.input.txtInput.activeFocus)
        mouseClick(scene, 5, 5)
        finishSlide(gun.modeList)
        verify(!gun.modeList.isDrop)
        verify(!gun.yBox.input.txtInput.activeFocus)
        verify(gun.visible)
    }

    function test_openedOnlyWithGuns() {
        scene.isGun = false
        verify(!child("gunEditorRow").visible)
        scene.isGun = true
        openPage()
        verify(child("mainMask").visible)
        compare([gun.x, gun.y], [192, 96])
        gun.moveBy(2000, -2000)
        compare([gun.x, gun.y], [384, 0])
    }

    function test_languages_data() {
        return [
            { tag: "English", language: "English", title: "Gun editor", mode: "Gun1", last: "Endness" },
            { tag: "Simplified Chinese", language: "ChineseSimplified", title: "枪械编辑器", mode: "枪械1", last: "无限" }
        ]
    }

    function test_languages(data) {
        recorder.reset()
        copyInto(recorder.global, globals)
        recorder.global["common/language"] = data.language
        loadScene()
        scene.initUI()
        gun = child("gunControlMain")
        compare(gun.gunControlLang.length, 10)
        compare(gun.title, data.title)
        compare(gun.modeList.textValue, data.mode)
        compare(gun.gunControlLang[9], data.last)
    }
}
