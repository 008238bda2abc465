import QtQuick
import QtTest
import "../support"

// The main document's sequences, read off the calls it makes to the backend.
SceneTestCase {
    id: testCase
    name: "Shell"

    Component { id: spyComponent; SignalSpy {} }

    function init() {
        startScene()
    }

    // Whether a call reads (settings, texts, the device) rather than changes something.
    function isRead(name) {
        return /^ui_View\.(get|mouseGet|mouseRead)/.test(name)
    }

    // The calls that change something, in order.
    function changes() {
        return recorder.names().filter(function (name) { return !isRead(name) })
    }

    // The calls that reach the mouse or the system, in order (storing gun data does not).
    function sends() {
        return recorder.names().filter(function (name) { return /^(ui_View\.mouse(Set|Send|Reset|Switch)|hid\.)/.test(name) })
    }

    // What every page sends when a profile's settings are sent again: the
    // layout, the report rate, the DPI table, the lighting, the pointer.
    readonly property var profileSends: ["ui_View.mouseSetKeyMatrix", "ui_View.mouseSetReportRate",
        "ui_View.mouseSetDpi", "ui_View.mouseSetRGBEffect", "ui_View.mouseSetRGBColor",
        "ui_View.mouseSetCursorSpeed", "ui_View.mouseSetDoubleClickSpeed", "ui_View.mouseSetVerticalScrollLines"]

    function test_firstConnection() {
        recorder.reset()
        copyInto(recorder.global, globals)
        recorder.global["mouse/profileNo"] = "3"
        recorder.profiles[0]["mouse/reportRate"] = "2"
        recorder.profiles[3]["mouse/reportRate"] = "0"
        recorder.answers["ui_View.mouseGetCurrentDPI"] = 2
        loadScene()
        verify(!scene.visible)
        scene.initUI()
        // A first connection only reads, then makes the stored profile current;
        // the active stage is read last.
        compare(changes(), ["ui_View.setEnabled", "ui_View.updataNameList", "ui_View.setCurrentProfile"])
        compare(recorder.names().slice(-1), ["ui_View.mouseGetCurrentDPI"])
        compare(child("reportRateList").textValue, "125Hz", "the active profile's rate, not profile 0's")
        compare(recorder.callsTo("ui_View.mouseSetReportRate"), [])
        compare(recorder.callsTo("ui_View.getLangStrings").map(function (args) { return args.join(":") }),
                ["main:English", "keyMatrix:English", "keyAssigment:English", "dpiSetting:English",
                 "lightControl:English", "macroEditor:English", "systemSetting:English", "gunControl:English",
                 "profile:English", "keyCode:English", "notice:English", "other:English"])
        compare(recorder.callsTo("ui_View.setCurrentProfile"), [[3]])
        verify(scene.visible)
        verify(scene.isPownOn)
        verify(scene.isGun)
        verify(!scene.isColorful)
        compare(child("dpiSettingMain").currentDPI, 1)

        // The power-on logo shows under "LOADING ......" until the period ends.
        verify(child("powerOnLogo").visible)
        verify(child("protectUIItem").visible)
        verify(!child("envItem").visible)
        verify(!child("panelRight").visible)
        recorder.clearLog()
        endProtection()
        compare(recorder.callsTo("ui_View.setEnabled"), [[true]])
        verify(!child("powerOnLogo").visible)
        verify(!child("protectUIItem").visible)
        var shown = ["envItem", "panelleft", "bottomBar", "panelRight", "upItem"]
        for (var i = 0; i < shown.length; ++i)
            verify(child(shown[i]).visible, shown[i])
    }

    function test_reconnectionReinitialisesNothing() {
        child("dpiSettingMain").isSave = true
        recorder.answers["ui_View.mouseGetCurrentDPI"] = 4
        scene.initUI()
        compare(recorder.names(), ["ui_View.setEnabled", "ui_View.mouseGetCurrentDPI"])
        compare(child("dpiSettingMain").currentDPI, 3)
        verify(child("dpiSettingMain").isSave, "the page keeps its edits")
        endProtection()
        verify(child("envItem").visible)
    }

    function test_560SwitchesToProfileOne_data() {
        return [
            { tag: "device on profile 3", current: 3, switched: [[1]] },
            { tag: "device on profile 1", current: 1, switched: [] }
        ]
    }

    function test_560SwitchesToProfileOne(data) {
        recorder.reset()
        copyInto(recorder.global, globals)
        recorder.global["mouse/icType"] = "560"
        recorder.answers["ui_View.mouseReadCurrentProfile"] = data.current
        loadScene()
        scene.initUI()
        compare(recorder.callsTo("hid.hid560_02H_SetCurrentProfile"), data.switched)
        compare(sends(), data.switched.length ? ["hid.hid560_02H_SetCurrentProfile"] : [])
        // The slot is read before the pages initialise, and switched at once.
        var names = recorder.names()
        verify(names.indexOf("ui_View.mouseReadCurrentProfile") < names.indexOf("ui_View.getLangStrings"))
        if (data.switched.length)
            compare(names.indexOf("hid.hid560_02H_SetCurrentProfile"), names.indexOf("ui_View.mouseReadCurrentProfile") + 1)
    }

    function test_setCurrentDPI() {
        var dpi = child("dpiSettingMain")
        scene.setCurrentDPI(3)
        compare(dpi.currentDPI, 2)
        scene.setCurrentDPI(0)
        compare(dpi.currentDPI, 2)
    }

    function test_reportRate500Hz() {
        var list = child("reportRateList")
        clickAndSettle(list)
        mouseClick(list, 60, 24 + 2 * 24 + 12)
        finishSlide(list)
        compare(recorder.names(), ["ui_View.setData", "ui_View.mouseSetReportRate"])
        compare(recorder.callsTo("ui_View.setData"), [["mouse/reportRate", 2]])
        compare(recorder.callsTo("ui_View.mouseSetReportRate"), [[2]])
        compare(list.textValue, "500Hz")
    }

    function test_reportRateInitSends_data() {
        return [
            { tag: "125Hz", index: 0, value: 8 }, { tag: "250Hz", index: 1, value: 4 },
            { tag: "500Hz", index: 2, value: 2 }, { tag: "1000Hz", index: 3, value: 1 }
        ]
    }

    function test_reportRateInitSends(data) {
        recorder.profile()["mouse/reportRate"] = String(data.index)
        child("reportRateMain").init(true)
        compare(recorder.callsTo("ui_View.mouseSetReportRate"), [[data.value]])
        child("reportRateMain").init(false)
        compare(recorder.callsTo("ui_View.mouseSetReportRate").length, 1)
        compare(child("reportRateList").currentSelect, data.index)
    }

    // Any other stored index (or none, as in an imported profile) is 1000 Hz,
    // whatever the box showed before.
    function test_reportRateOutsideTheListIs1000Hz_data() {
        return [
            { tag: "7", stored: "7" }, { tag: "-1", stored: "-1" },
            { tag: "missing", stored: undefined }, { tag: "not a number", stored: "fast" }
        ]
    }

    function test_reportRateOutsideTheListIs1000Hz(data) {
        recorder.profile()["mouse/reportRate"] = "0"
        child("reportRateMain").init(false)
        compare(child("reportRateList").textValue, "125Hz")
        if (data.stored === undefined)
            delete recorder.profile()["mouse/reportRate"]
        else
            recorder.profile()["mouse/reportRate"] = data.stored
        child("reportRateMain").init(true)
        compare(recorder.callsTo("ui_View.mouseSetReportRate"), [[1]])
        compare(child("reportRateList").textValue, "1000Hz")
    }

    function test_mainFocusClosesTheLists() {
        var lists = [child("reportRateList"), child("dpiSegment"), child("titleProfileList"), child("lightModel")]
        for (var i = 0; i < lists.length; ++i) {
            lists[i].open()
            finishSlide(lists[i])
        }
        scene.mainFocus()
        for (i = 0; i < lists.length; ++i) {
            finishSlide(lists[i])
            verify(!lists[i].isDrop, lists[i].objectName)
        }
    }

    function test_titleBarButtons() {
        mouseClick(child("titleButton0"))
        mouseClick(child("titleButton1"))
        compare(recorder.names(), ["ui_Ctl.onMinimize", "ui_Ctl.onClose"])
        mouseClick(child("titleButton2"))
        verify(child("versionWnd").visible)
        verify(!child("mainMask").visible, "the version window opens without the mask")
    }

    function test_windowDragHandsOffsetsToTheController() {
        mouseDrag(scene, 500, 320, 30, 10)
        var names = recorder.names()
        verify(names.length >= 2)
        for (var i = 0; i < names.length; ++i)
            compare(names[i], i % 2 === 0 ? "ui_Ctl.onXChanged" : "ui_Ctl.onYChanged")
        compare(recorder.callsTo("ui_Ctl.onXChanged").pop(), [30])
        compare(recorder.callsTo("ui_Ctl.onYChanged").pop(), [10])
    }

    function test_dialogDragsStayInsideTheScene_data() {
        return [
            { tag: "version window, far up-left", name: "versionWnd", dx: -2000, dy: -2000, x: 0, y: 0 },
            { tag: "version window, far down-right", name: "versionWnd", dx: 2000, dy: 2000, x: 624, y: 400 },
            { tag: "version window, a little", name: "versionWnd", dx: 20, dy: -10, x: 332, y: 190 },
            { tag: "reset confirmation, far right", name: "factorysure", dx: 2000, dy: 0, x: 597, y: 269 }
        ]
    }

    function test_dialogDragsStayInsideTheScene(data) {
        var dialog = child(data.name)
        scene.openDialog(dialog, false)
        dialog.moveBy(data.dx, data.dy)
        compare(dialog.x, data.x)
        compare(dialog.y, data.y)
        compare(recorder.names("ui_Ctl"), [], "the window itself stays put")
    }

    // The version window stays above a macro editor opened after it, and
    // below the reset question.
    function test_versionWindowOverTheMacroEditor() {
        mouseClick(child("titleButton2"))
        var version = child("versionWnd")
        verify(version.visible)
        mouseClick(child("resetButton"))
        mouseClick(child("factoryCancel"))
        verify(!child("factorysure").visible, "the question's buttons lie over the version window")
        mouseClick(child("macroEditorRow"))
        verify(child("macroEditorMain").visible)
        // Its close mark lies over the editor; the click reaches it only from above.
        mouseClick(child("dialogClose", version))
        verify(!version.visible)
        verify(child("macroEditorMain").visible)
    }

    function test_versionWindowShowsTheBuildVersion() {
        var texts = []
        var column = child("versionWnd")
        function collect(item) {
            for (var i = 0; i < item.children.length; ++i) {
                if (item.children[i].text !== undefined)
                    texts.push(item.children[i].text)
                collect(item.children[i])
            }
        }
        collect(column)
        verify(texts.indexOf("Driver Version\uff1a" + Qt.application.version) >= 0, texts.join("|"))
        verify(Qt.application.version !== "")
    }

    function test_saveWithNothingUnsavedDoesNotBlock() {
        mouseClick(child("saveButton"))
        compare(recorder.names(), [])
        verify(!child("protectUIItem").visible)
    }

    function test_saveSendsTheUnsavedPage() {
        var dpi = child("dpiSettingMain")
        dpi.isSave = true
        compare(child("saveButton").baseColor, scene.colorUnsaved)
        mouseClick(child("saveButton"))
        compare(recorder.names(), ["ui_View.getGlobalData", "ui_View.setEnabled", "ui_View.setDataList", "ui_View.setData",
                                   "ui_View.mouseSetDpi", "ui_View.setEnabled"])
        compare(recorder.callsTo("ui_View.setEnabled"), [[false], [true]])
        verify(!dpi.isSave)
        compare(child("saveButton").baseColor, scene.colorBlue)
    }

    function test_factoryReset() {
        var dpi = child("dpiSettingMain")
        dpi.isSave = true
        child("keyMatrixMain").isSave = true
        mouseClick(child("resetButton"))
        verify(child("factorysure").visible)
        verify(child("mainMask").visible)
        recorder.clearLog()
        mouseClick(child("factoryOk"))
        // The view is held while the profile is reset and then sent whole.
        compare(changes().slice(0, 2), ["ui_View.setEnabled", "ui_View.resetProfile"])
        compare(changes().slice(-1), ["ui_View.setEnabled"])
        compare(sends(), profileSends.concat(["ui_View.mouseSwitchKeyMatrix", "ui_View.mouseResetKeyMatrix",
                                              "ui_View.mouseSetCurrentDPI", "ui_View.mouseSendGundata",
                                              "ui_View.mouseSendGundata", "ui_View.mouseSendGundata",
                                              // again, with the reset gun periods
                                              "ui_View.mouseSetKeyMatrix"]))
        compare(recorder.callsTo("ui_View.setEnabled"), [[false], [true]])
        compare(recorder.callsTo("ui_View.resetProfile"), [[0]])
        compare(recorder.callsTo("ui_View.mouseSwitchKeyMatrix"), [[1]])
        compare(recorder.callsTo("ui_View.mouseSetCurrentDPI"), [[2]])
        compare(recorder.callsTo("ui_View.mouseSendGundata").map(function (args) { return args[0] }), [1, 2, 3])
        compare(recorder.callsTo("ui_View.mouseSetKeyMatrix").pop()[2], [9, 9, 9],
                "the last key matrix carries the reset guns' periods")
        compare(dpi.currentDPI, 1)
        verify(!dpi.isSave)
        verify(!child("keyMatrixMain").isSave)
        verify(!child("factorysure").visible)
        verify(!child("mainMask").visible)
    }

    function test_factoryResetCancel() {
        mouseClick(child("resetButton"))
        mouseClick(child("factoryCancel"))
        verify(!child("factorysure").visible)
        verify(!child("mainMask").visible)
        compare(recorder.names(), [])
    }

    function test_profileSwitch_data() {
        return [
            { tag: "with guns", isGun: true, gunCalls: ["ui_View.mouseSwitchKeyMatrix", "ui_View.mouseResetKeyMatrix"] },
            { tag: "without guns", isGun: false, gunCalls: [] }
        ]
    }

    function test_profileSwitch(data) {
        scene.isGun = data.isGun
        scene.switchProfile(0)
        compare(recorder.names(), [], "the current profile changes nothing")
        scene.switchProfile(2)
        compare(changes().slice(0, 3), ["ui_View.setEnabled", "ui_View.setGlobalData", "ui_View.setCurrentProfile"])
        compare(changes().slice(-1), ["ui_View.setEnabled"])
        compare(sends(), profileSends.concat(data.gunCalls))
        compare(recorder.callsTo("ui_View.setGlobalData"), [["mouse/profileNo", 2]])
        compare(recorder.callsTo("ui_View.setCurrentProfile"), [[2]])
        compare(scene.profileNo, 2)
    }

    // The bridge counts the exchanges into exchangesSent; here the report
    // rate's send stands for two of them. The indicator shows them against
    // what the same sequence took last time, in the page's language, and
    // the count of a complete run is kept for the next one.
    function test_sequenceProgress_data() {
        return [
            { tag: "English, known total", language: "English", known: "21", failed: false,
              shown: "SENDING 2 / 21", learnt: [["progress/switch-553-gun", 2]] },
            { tag: "Chinese, known total", language: "ChineseSimplified", known: "21", failed: false,
              shown: "正在发送 2 / 21", learnt: [["progress/switch-553-gun", 2]] },
            { tag: "first time", language: "English", known: undefined, failed: false,
              shown: "LOADING ......", learnt: [["progress/switch-553-gun", 2]] },
            { tag: "stopped by a failed report", language: "English", known: "21", failed: true,
              shown: "SENDING 2 / 21", learnt: [] }
        ]
    }

    function test_sequenceProgress(data) {
        var language = globals["common/language"]
        globals["common/language"] = data.language
        startScene()
        globals["common/language"] = language
        recorder.global["progress/switch-553-gun"] = data.known
        var during = null
        recorder.answers["ui_View.mouseSetReportRate"] = function () {
            scene.exchangesSent += 2
            scene.sequenceFailed = data.failed
            during = { visible: child("protectUIItem").visible, text: child("protectUIItem").shownText }
        }
        scene.switchProfile(2)
        compare(during, { visible: true, text: data.shown })
        compare(recorder.callsTo("ui_View.setGlobalData").filter(function (args) {
            return String(args[0]).indexOf("progress/") === 0
        }), data.learnt)
        verify(!child("protectUIItem").visible)
        compare(child("protectUIItem").shownText, "LOADING ......")
    }

    function test_capturedInputOnlyBecomesSignals() {
        var keys = createTemporaryObject(spyComponent, testCase, { target: scene, signalName: "msg_KB" })
        var buttons = createTemporaryObject(spyComponent, testCase, { target: scene, signalName: "msg_MS" })
        scene.detectKeyboard(true, 0x04)
        scene.detectMouse(false, 0xf0, 4294967286, 20)
        var key = keys.signalArguments[0]
        compare([key[0], key[1]], [true, 0x04])
        // Coordinates arrive unsigned; left of the primary screen they are negative.
        var button = buttons.signalArguments[0]
        compare([button[0], button[1], button[2], button[3]], [false, 0xf0, -10, 20])
        compare(recorder.names(), [])
    }
}
