import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/colorbar.js" as CB
import "qrc:/modules/qml/js/lighting.js" as L

// The lighting page: the effects a mouse offers, the controls each effect
// uses, the colour bar and inputs, and what Save stores and sends.
SceneTestCase {
    id: testCase
    name: "LightingPage"

    property var light: null
    property var baseGlobals: null
    readonly property var basicFlags: ({ "mouse/isColorful": "false", "mouse/is55328": "false" })
    readonly property var storedLight: ({
        "mouse/lightValue": ["1", "3", "1"],
        "mouse/colorValue": ["0", "255", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",
                             "13", "14", "15", "16", "17", "18", "200", "201", "202"]
    })
    readonly property var factoryLight: ({
        "mouse/lightValue": ["0", "0", "4"],
        "mouse/colorValue": ["255", "0", "0", "0", "255", "0", "0", "0", "255", "255", "0", "255", "0", "255",
                             "255", "255", "127", "0", "96", "0", "255", "255", "255", "255"]
    })

    // A scene of a mouse with the given flags, its profiles holding the light values above.
    function startWith(flags) {
        if (baseGlobals === null)
            baseGlobals = globals
        var global = {}
        copyInto(global, baseGlobals)
        copyInto(global, flags)
        globals = global
        var profile = {}
        copyInto(profile, profileValues)
        copyInto(profile, storedLight)
        profileValues = profile
        var factory = {}
        copyInto(factory, defaultValues)
        copyInto(factory, factoryLight)
        defaultValues = factory
        startScene()
        light = child("lightControlMain")
        return light
    }

    function init() {
        startWith(basicFlags)
    }

    function entries() {
        var out = []
        for (var i = 0; i < light.lightModel.mdItems.count; ++i)
            out.push(light.lightModel.mdItems.get(i).textValue)
        return out
    }

    function panel(name) {
        return child(name, light)
    }

    function percent(name) {
        return child("lightPercent", panel(name)).text
    }

    function choose(index) {
        light.lightModel.choose(index)
        finishSlide(light.lightModel)
    }

    function setSliders(speed, brightness) {
        panel("lightSpeed").slider.setIndexValue(speed, false)
        panel("lightBrightness").slider.setIndexValue(brightness, false)
    }

    function typeInto(input, text) {
        mouseClick(input)
        verify(input.txtInput.activeFocus)
        input.txtInput.selectAll()
        keyClick(Qt.Key_Backspace)
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
        keyClick(Qt.Key_Return)
        verify(!input.txtInput.activeFocus)
    }

    function test_effectList_data() {
        var basic = ["Static", "Breath", "Neon", "OFF"]
        var colourful = ["Twinkling", "Wave", "Finger Moving", "Gliding", "Vertical Flipping", "YO-YO", "Spotlight"]
        return [
            { tag: "basic", colourful: "false", is55328: "false", texts: basic },
            { tag: "colourful", colourful: "true", is55328: "false", texts: basic.concat(colourful) },
            { tag: "55328", colourful: "false", is55328: "true", texts: basic.concat(["Breath Loop"]) },
            { tag: "colourful 55328", colourful: "true", is55328: "true",
              texts: basic.concat(colourful).concat(["Breath Loop"]) }
        ]
    }

    function test_effectList(data) {
        startWith({ "mouse/isColorful": data.colourful, "mouse/is55328": data.is55328 })
        compare(entries(), data.texts)
        compare(light.lightModel.count, data.texts.length)
        // Later loads (a profile switch, the back button) add nothing.
        light.init(true, false)
        light.init(false, true)
        compare(entries(), data.texts)
    }

    function test_placeholdersBeforeTheFirstConnection() {
        recorder.reset()
        loadScene()
        light = child("lightControlMain")
        compare(entries(), ["常亮模式", "呼吸模式", "霓虹模式", "关闭灯光"])
        compare(light.lightModel.currentSelect, 1)
    }

    function test_chineseTexts() {
        var flags = { "common/language": "ChineseSimplified", "mouse/isColorful": "true" }
        startWith(flags)
        compare(entries().slice(0, 5), ["常亮模式", "呼吸模式", "霓虹模式", "关闭灯光", "闪烁模式"])
        compare(child("lightSpeed", light).label, "速度")
        compare(child("lightBrightness", light).label, "亮度")
    }

    function test_choosingAnEffect_data() {
        return [
            { tag: "Static", effect: 0, is55328: false, speed: false, brightness: true, height: 224,
              positions: [2, 4], texts: ["50%", "100%"], mask: false },
            { tag: "Breath", effect: 1, is55328: false, speed: true, brightness: false, height: 224,
              positions: [0, 2], texts: ["0%", "50%"], mask: false },
            { tag: "Neon", effect: 2, is55328: false, speed: true, brightness: false, height: 224,
              positions: [0, 2], texts: ["0%", "50%"], mask: true },
            { tag: "OFF", effect: 3, is55328: false, speed: false, brightness: false, height: 176,
              positions: [2, 0], texts: ["50%", "0%"], mask: true },
            { tag: "Twinkling", effect: 4, is55328: false, speed: false, brightness: true, height: 224,
              positions: [2, 4], texts: ["50%", "100%"], mask: false },
            { tag: "Breath Loop on a 55328", effect: 4, is55328: true, speed: true, brightness: false, height: 224,
              positions: [0, 2], texts: ["0%", "50%"], mask: false },
            { tag: "Wave", effect: 5, is55328: false, speed: true, brightness: true, height: 264,
              positions: [0, 4], texts: ["0%", "100%"], mask: true },
            { tag: "Finger Moving", effect: 6, is55328: false, speed: false, brightness: false, height: 176,
              positions: [0, 4], texts: ["0%", "100%"], mask: true },
            { tag: "Gliding", effect: 7, is55328: false, speed: false, brightness: true, height: 224,
              positions: [2, 4], texts: ["50%", "100%"], mask: true },
            { tag: "Vertical Flipping", effect: 8, is55328: false, speed: true, brightness: true, height: 264,
              positions: [0, 4], texts: ["0%", "100%"], mask: true },
            { tag: "YO-YO", effect: 9, is55328: false, speed: true, brightness: true, height: 264,
              positions: [0, 4], texts: ["0%", "100%"], mask: false },
            { tag: "Spotlight", effect: 10, is55328: false, speed: true, brightness: true, height: 264,
              positions: [0, 4], texts: ["0%", "100%"], mask: false }
        ]
    }

    function test_choosingAnEffect(data) {
        // A 55328 mouse that is not colourful has the breath loop as its fifth effect.
        startWith({ "mouse/isColorful": data.is55328 ? "false" : "true", "mouse/is55328": data.is55328 ? "true" : "false" })
        setSliders(2, 2)
        choose(data.effect)
        compare(panel("lightSpeed").visible, data.speed, "speed panel")
        compare(panel("lightBrightness").visible, data.brightness, "brightness panel")
        compare(light.height, data.height)
        compare([panel("lightSpeed").slider.segmentValue, panel("lightBrightness").slider.segmentValue],
                data.positions)
        compare([percent("lightSpeed"), percent("lightBrightness")], data.texts)
        compare(child("lightColourMask", light).visible, data.mask)
        verify(light.isSave)
        compare(recorder.names(), [], "nothing is sent before Save")
    }

    function test_loadingShowsTheStoredEffect_data() {
        return [
            { tag: "Neon", stored: ["2", "3", "1"], speed: true, brightness: false, texts: ["75%", "25%"] },
            { tag: "Static", stored: ["0", "1", "4"], speed: false, brightness: true, texts: ["25%", "100%"] },
            { tag: "OFF", stored: ["3", "0", "0"], speed: false, brightness: false, texts: ["0%", "0%"] }
        ]
    }

    function test_loadingShowsTheStoredEffect(data) {
        recorder.profile()["mouse/lightValue"] = data.stored
        light.init(false, false)
        compare(light.lightModel.currentSelect, Number(data.stored[0]))
        compare(panel("lightSpeed").visible, data.speed)
        compare(panel("lightBrightness").visible, data.brightness)
        compare([percent("lightSpeed"), percent("lightBrightness")], data.texts)
        verify(!light.isSave)
        compare(recorder.names(), ["ui_View.getDataList", "ui_View.getDataList"])
    }

    // What the mask lets through: the inputs take the focus only where the
    // effect uses the colour.
    function test_maskCoversTheColourArea_data() {
        return [
            { tag: "Spotlight", effect: 10, usable: true },
            { tag: "Wave", effect: 5, usable: false }
        ]
    }

    function test_maskCoversTheColourArea(data) {
        startWith({ "mouse/isColorful": "true", "mouse/is55328": "false" })
        choose(data.effect)
        scene.saveAll()
        compare(recorder.callsTo("ui_View.mouseSetRGBEffect")[0][0], data.effect)
        var input = child("lightRed", light)
        mouseClick(input)
        compare(input.txtInput.activeFocus, data.usable)
        light.lightControlFocus()
        var handle = child("lightColourHandle", light)
        var before = handle.x
        mouseDrag(handle, 9, 20, 40, 0)
        compare(handle.x === before, !data.usable)
    }

    function test_saveStoresAndSends_data() {
        var stored = [0, 255, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 200, 201, 202]
        var black8 = stored.slice(0, 21).concat([0, 0, 0])
        return [
            { tag: "basic", flags: basicFlags, effect: 2, type: 1, colours: stored },
            { tag: "colourful", flags: { "mouse/isColorful": "true", "mouse/is55328": "false" },
              effect: 2, type: 0, colours: stored },
            { tag: "55328 Neon", flags: { "mouse/isColorful": "false", "mouse/is55328": "true" },
              effect: 2, type: 1, colours: black8 },
            { tag: "55328 Static", flags: { "mouse/isColorful": "false", "mouse/is55328": "true" },
              effect: 0, type: 1, colours: black8 },
            { tag: "55328 Breath Loop", flags: { "mouse/isColorful": "false", "mouse/is55328": "true" },
              effect: 4, type: 1, colours: stored }
        ]
    }

    function test_saveStoresAndSends(data) {
        startWith(data.flags)
        choose(data.effect)
        var speed = panel("lightSpeed").slider.segmentValue
        var brightness = panel("lightBrightness").slider.segmentValue
        recorder.clearLog()
        mouseClick(child("saveButton"))
        // The first read is the total the busy indicator shows.
        compare(recorder.names(), ["ui_View.getGlobalData", "ui_View.setEnabled", "ui_View.setDataList",
                                   "ui_View.setDataList", "ui_View.mouseSetRGBEffect", "ui_View.mouseSetRGBColor",
                                   "ui_View.setEnabled"])
        compare(recorder.callsTo("ui_View.setDataList"),
                [["mouse/lightValue", [data.effect, speed, brightness]], ["mouse/colorValue", data.colours]])
        compare(recorder.callsTo("ui_View.mouseSetRGBEffect"), [[data.effect, speed, brightness]])
        compare(recorder.callsTo("ui_View.mouseSetRGBColor"), [[data.type, data.colours]])
        verify(!light.isSave)
        // The page keeps colour 8 as loaded; only what is stored and sent is black.
        compare(light.colours[7], "#c8c9ca")
    }

    function test_saveSteps_data() {
        return [
            { tag: "effect and colours", step: 0, calls: ["ui_View.setDataList", "ui_View.setDataList",
                "ui_View.mouseSetRGBEffect", "ui_View.mouseSetRGBColor"], keys: ["mouse/lightValue", "mouse/colorValue"] },
            { tag: "effect only", step: 1, calls: ["ui_View.setDataList", "ui_View.mouseSetRGBEffect"],
              keys: ["mouse/lightValue"] },
            { tag: "colours only", step: 2, calls: ["ui_View.setDataList", "ui_View.mouseSetRGBColor"],
              keys: ["mouse/colorValue"] }
        ]
    }

    function test_saveSteps(data) {
        light.saveData(true, data.step)
        compare(recorder.names(), data.calls)
        compare(recorder.callsTo("ui_View.setDataList").map(function (args) { return args[0] }), data.keys)
        recorder.clearLog()
        light.saveData(false, data.step)
        compare(recorder.names(), data.calls.filter(function (name) { return name === "ui_View.setDataList" }))
    }

    function test_colourBarArithmetic_data() {
        return [
            { tag: "left end", p: 0, rgb: [255, 0, 0] },
            { tag: "end of red to yellow", p: 29, rgb: [255, 246, 0] },
            { tag: "yellow", p: 30, rgb: [255, 255, 0] },
            { tag: "end of yellow to green", p: 59, rgb: [9, 255, 0] },
            { tag: "green", p: 60, rgb: [0, 255, 0] },
            { tag: "cyan", p: 90, rgb: [0, 255, 255] },
            { tag: "blue", p: 120, rgb: [0, 0, 255] },
            { tag: "magenta", p: 150, rgb: [255, 0, 255] },
            { tag: "end of magenta to red", p: 179, rgb: [255, 0, 9] },
            { tag: "past the sixth segment", p: 180, rgb: [255, 0, 0] },
            { tag: "right end", p: 183, rgb: [255, 0, 0] }
        ]
    }

    function test_colourBarArithmetic(data) {
        compare(CB.colorAt(data.p, 185), data.rgb)
    }

    function test_handlePlacement_data() {
        // Bar at x 24, 185 wide: d = 30.5, v = d / 256.
        return [
            { tag: "red", colour: "#ff0000", left: 16 },
            { tag: "orange", colour: "#ff8000", left: 31 },
            { tag: "yellow", colour: "#ffff00", left: 46 },
            { tag: "green", colour: "#00ff00", left: 76 },
            { tag: "cyan", colour: "#00ffff", left: 107 },
            { tag: "blue", colour: "#0000ff", left: 137 },
            { tag: "magenta", colour: "#ff00ff", left: 168 },
            { tag: "pink", colour: "#ff0080", left: 183 },
            { tag: "white at the right end", colour: "#ffffff", left: 199 },
            { tag: "grey, not on the bar", colour: "#808080", left: 16 }
        ]
    }

    function test_handlePlacement(data) {
        compare(L.handleLeft(data.colour, 24, 185), data.left)
        var range = L.handleRange(24, 185)
        verify(data.left >= range.min && data.left <= range.max, "inside the drag range")
    }

    function test_enteringRGB() {
        typeInto(child("lightRed", light), "255")
        typeInto(child("lightGreen", light), "128")
        typeInto(child("lightBlue", light), "0")
        compare(light.colours[0], "#ff8000")
        var handle = child("lightColourHandle", light)
        // The handle's centre, from the bar's left edge + 1: in the first
        // sixth (30.5 pixels), about half-way along it.
        var along = handle.x + 9 - (light.barX + 1)
        verify(along >= 13 && along <= 17, String(along))
        verify(light.isSave)
        compare(recorder.names(), [])
        light.saveData(true, 2)
        compare(recorder.callsTo("ui_View.setDataList")[0][1].slice(0, 6), [255, 128, 0, 1, 2, 3])
    }

    function test_dragAlongTheBar() {
        var handle = child("lightColourHandle", light)
        var along = function () { return handle.x + 9 - (light.barX + 1) }
        mouseDrag(handle, 9, 20, 100, 0)
        var rgb = CB.colorAt(along(), 185)
        compare(light.colours[0], L.hexOf(rgb[0], rgb[1], rgb[2]))
        compare([child("lightRed", light).textValue, child("lightGreen", light).textValue,
                 child("lightBlue", light).textValue], rgb.map(String))
        verify(light.isSave)
        // Far past either end the handle stops at its limits.
        mouseDrag(handle, 9, 20, 400, 0)
        compare(handle.x, 199)
        compare(light.colours[0], "#ff0000")
        mouseDrag(handle, 9, 20, -400, 0)
        compare(handle.x, 16)
        compare(light.colours[0], "#ff0000")
        compare(recorder.names(), [])
    }

    function test_loadingColours() {
        compare(light.colours, ["#00ff00", "#010203", "#040506", "#070809", "#0a0b0c", "#0d0e0f",
                                "#101112", "#c8c9ca"])
        compare(child("lightColourHandle", light).x, 76)
        compare([child("lightRed", light).textValue, child("lightGreen", light).textValue,
                 child("lightBlue", light).textValue], ["0", "255", "0"])
    }

    function test_unreadableStoredValuesKeepThePage() {
        recorder.profile()["mouse/lightValue"] = ["1"]
        recorder.profile()["mouse/colorValue"] = ["12", "x"]
        var before = light.colours.slice()
        light.init(true, false)
        compare(light.lightModel.currentSelect, 1)
        var colours = recorder.callsTo("ui_View.mouseSetRGBColor")[0][1]
        compare(colours.length, 24)
        verify(colours.every(function (value) { return value >= 0 && value <= 255 }), colours.join())
        compare(light.colours[0], "#0cff00")
        compare(light.colours.slice(1), before.slice(1))
        var effect = recorder.callsTo("ui_View.mouseSetRGBEffect")[0]
        compare(effect, [1, 3, 1])
    }

    function test_backButtonRestoresTheFactoryLightingSilently() {
        choose(3)
        mouseClick(child("lightBack", light))
        compare(recorder.callsTo("ui_View.getDataList"), [["mouse/lightValue", true], ["mouse/colorValue", true]])
        compare(recorder.names(), ["ui_View.getDataList", "ui_View.getDataList"])
        compare(light.lightModel.currentSelect, 0)
        compare(percent("lightBrightness"), "100%")
        compare(light.colours[0], "#ff0000")
        compare(light.colours[7], "#ffffff")
        compare(child("lightColourHandle", light).x, 16)
        verify(light.isSave)
        verify(scene.isAnyUnsaved)
    }

    function test_movingASliderMarksThePage() {
        choose(1)
        light.isSave = false
        var slider = panel("lightSpeed").slider
        mouseClick(slider, 90, 3)
        child("sliderGlide", slider).complete()
        compare(slider.segmentValue, 4)
        compare(percent("lightSpeed"), "100%")
        verify(light.isSave)
        compare(recorder.names(), [])
    }

    function test_focusAndTheShell() {
        var list = light.lightModel
        clickAndSettle(list)
        verify(list.isDrop)
        scene.mainFocus()
        finishSlide(list)
        verify(!list.isDrop)

        // The mask ends the page's edits: lists shut, inputs lose the focus.
        clickAndSettle(list)
        var input = child("lightBlue", light)
        input.txtInput.forceActiveFocus()
        scene.openDialog(child("systemSettingMain"), true)
        mousePress(child("mainMask"), 5, 5)
        mouseRelease(child("mainMask"), 5, 5)
        finishSlide(list)
        verify(!list.isDrop)
        verify(!input.txtInput.activeFocus)
    }

    // Save first ends a colour value still being typed, as leaving the field would.
    function test_saveTakesTheTypedColour() {
        var red = child("lightRed", light)
        mouseClick(red)
        red.txtInput.selectAll()
        keyClick(Qt.Key_Backspace)
        keyClick(Qt.Key_1)
        keyClick(Qt.Key_7)
        verify(red.txtInput.activeFocus)
        mouseClick(child("saveButton"))
        verify(!red.txtInput.activeFocus)
        compare(recorder.callsTo("ui_View.setDataList")[1][1].slice(0, 3), [17, 255, 0])
        compare(recorder.callsTo("ui_View.mouseSetRGBColor")[0][1].slice(0, 3), [17, 255, 0])
        verify(!light.isSave)
    }

    function test_saveOrderWithTheDpiPage() {
        child("dpiSettingMain").isSave = true
        light.isSave = true
        mouseClick(child("saveButton"))
        compare(recorder.names("ui_View.mouseSet"), ["ui_View.mouseSetDpi", "ui_View.mouseSetRGBEffect",
                                                     "ui_View.mouseSetRGBColor"])
        verify(!scene.isAnyUnsaved)
    }
}
