import QtQuick
import QtTest
import "../support"

// A change that did not reach the mouse: the bridge calls the root's
// changeFailed from inside the failing slot, as it does after a failed
// report. The window names what failed in a notice that blocks nothing,
// the stores keep what the user set, and the page stays unsaved so that
// Save sends it again.
SceneTestCase {
    id: testCase
    name: "Failures"

    function notice() {
        return child("failureNotice")
    }

    // The slot fails once, the way the bridge reports it.
    function failOnce(slot, what) {
        recorder.answers[slot] = function () {
            delete recorder.answers[slot]
            scene.changeFailed(what)
        }
    }

    function test_sequences_data() {
        return [
            { tag: "Save", slot: "ui_View.mouseSetDpi", what: "dpi", page: "dpiSettingMain",
              text: "The DPI change did not reach the mouse.",
              run: function () { child("dpiSettingMain").isSave = true; mouseClick(child("saveButton")) } },
            { tag: "profile switch", slot: "ui_View.mouseSetRGBEffect", what: "lighting", page: "lightControlMain",
              text: "The lighting change did not reach the mouse.",
              run: function () { scene.switchProfile(2) } },
            { tag: "factory reset", slot: "ui_View.mouseSetKeyMatrix", what: "buttons", page: "keyMatrixMain",
              text: "The button change did not reach the mouse.",
              run: function () { mouseClick(child("resetButton")); mouseClick(child("factoryOk")) } },
            { tag: "gun page closed", slot: "ui_View.mouseSendGundata", what: "gun", page: "gunControlMain",
              text: "The gun data did not reach the mouse.",
              run: function () { child("gunControlMain").isSave = true; child("gunControlMain").closePage() } },
            { tag: "macro sent", slot: "ui_View.mouseSendMacroData", what: "macro", page: "",
              text: "The macro did not reach the mouse.",
              run: function () {
                  recorder.answers["ui_View.loadMacroIni"] = function () { return ["1,A", "2,A", "1"] }
                  child("macroEditorMain").sendMacro(3, "m")
              } },
            { tag: "report rate", slot: "ui_View.mouseSetReportRate", what: "reportRate", page: "",
              text: "The report rate change did not reach the mouse.",
              run: function () { child("reportRateMain").send(2) } },
            { tag: "a change the shell has no word for", slot: "ui_View.mouseSetRGBColor", what: "colour", page: "",
              text: "A change did not reach the mouse.",
              run: function () { scene.switchProfile(1) } }
        ]
    }

    function test_sequences(data) {
        startScene()
        failOnce(data.slot, data.what)
        verify(!notice().visible)
        data.run()
        verify(recorder.callsTo(data.slot).length > 0, "the slot was called")
        verify(notice().visible)
        compare(notice().lines, [data.text])
        compare(notice().Accessible.name, data.text)
        verify(!child("mainMask").visible, "nothing blocks the window")
        if (data.page !== "") {
            verify(child(data.page).isSave, "the page stays unsaved")
            compare(child("saveButton").baseColor, data.page === "gunControlMain" ? scene.colorBlue : scene.colorUnsaved)
        }
    }

    // Save stores the value, the mouse does not take it, the store keeps it
    // and the next Save sends it again; once it arrives the page is saved.
    function test_saveRetries() {
        startScene()
        var dpi = child("dpiSettingMain")
        dpi.isSave = true
        dpi.dpiValues = ["1000", "800", "1600", "3200", "4000", "5000", "5500", "6000"]
        failOnce("ui_View.mouseSetDpi", "dpi")
        mouseClick(child("saveButton"))
        compare(recorder.profile()["mouse/dpiValueArray"], [1000, 800, 1600, 3200, 4000, 5000, 5500, 6000])
        verify(dpi.isSave)
        recorder.clearLog()
        mouseClick(child("saveButton"))
        compare(recorder.callsTo("ui_View.mouseSetDpi"), [[4, "3360", [1000, 800, 1600, 3200, 4000, 5000, 5500, 6000]]])
        verify(!dpi.isSave)
        compare(child("saveButton").baseColor, scene.colorBlue)
    }

    // Everything a sequence failed to send, each once, in the order it failed.
    function test_oneNoticeForASequence() {
        startScene()
        child("dpiSettingMain").isSave = true
        child("lightControlMain").isSave = true
        recorder.answers["ui_View.mouseSetDpi"] = function () { scene.changeFailed("dpi") }
        recorder.answers["ui_View.mouseSetRGBEffect"] = function () { scene.changeFailed("lighting") }
        recorder.answers["ui_View.mouseSetRGBColor"] = function () { scene.changeFailed("lighting") }
        mouseClick(child("saveButton"))
        compare(notice().lines, ["The DPI change did not reach the mouse.", "The lighting change did not reach the mouse."])
        verify(child("dpiSettingMain").isSave)
        verify(child("lightControlMain").isSave)
        verify(!child("keyMatrixMain").isSave)
    }

    // The notice goes by itself or on a click; the window behind it stays usable.
    function test_noticeGoes() {
        startScene()
        scene.changeFailed("dpi")
        var timer = child("noticeTimer")
        verify(timer.running)
        compare(timer.interval, 8000)
        timer.stop()
        timer.triggered()
        verify(!notice().visible)

        scene.changeFailed("gun")
        child("lightControlMain").isSave = true
        recorder.clearLog()
        mouseClick(child("saveButton"))
        compare(recorder.callsTo("ui_View.mouseSetRGBEffect").length, 1)
        verify(notice().visible, "a click elsewhere leaves it")
        mouseClick(notice())
        verify(!notice().visible)
        verify(!timer.running)
    }

    function test_languages_data() {
        return [
            { tag: "English", language: "English", section: true, text: "The lighting change did not reach the mouse." },
            { tag: "Chinese", language: "ChineseSimplified", section: true, text: "灯光设置未能写入鼠标。" },
            { tag: "a language file from before the notice", language: "ChineseSimplified", section: false,
              text: "The lighting change did not reach the mouse." }
        ]
    }

    property var savedGlobals: null
    property var savedSection: null
    property string savedLanguage: ""

    function cleanup() {
        if (savedGlobals !== null)
            globals = savedGlobals
        if (savedSection !== null)
            recorder.languages[savedLanguage].notice = savedSection
        savedGlobals = savedSection = null
    }

    function test_languages(data) {
        savedGlobals = globals
        globals = Object.assign({}, globals, { "common/language": data.language })
        savedLanguage = data.language
        savedSection = recorder.languages[data.language].notice
        if (!data.section)
            delete recorder.languages[data.language].notice
        startScene()
        scene.changeFailed("lighting")
        compare(notice().lines, [data.text])
    }
}
