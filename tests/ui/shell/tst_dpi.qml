import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/dpi.js" as D
import "qrc:/modules/qml/js/slider.js" as S

// The DPI page: slider arithmetic, the stage count, loading and saving.
SceneTestCase {
    id: testCase
    name: "DpiPage"

    property var dpi: null

    function init() {
        startScene()
        dpi = child("dpiSettingMain")
    }

    function texts() {
        var out = []
        for (var i = 0; i < 8; ++i)
            out.push(dpi.stageValues()[i])
        return out
    }

    function visibleStages() {
        return dpi.stageSliders.filter(function (slider) { return slider.visible }).length
    }

    function test_arithmetic_data() {
        return [
            { tag: "bottom", position: 3, min: 200, max: 6000, base: 50, value: 200 },
            { tag: "top", position: 161, min: 200, max: 6000, base: 50, value: 6000 },
            { tag: "middle", position: 82, min: 200, max: 6000, base: 50, value: 3100 },
            { tag: "base 100", position: 82, min: 100, max: 16000, base: 100, value: 8000 },
            { tag: "empty range", position: 82, min: 800, max: 800, base: 50, value: null },
            { tag: "no step", position: 82, min: 200, max: 6000, base: 0, value: null },
            { tag: "negative step", position: 82, min: 200, max: 6000, base: -50, value: null },
            { tag: "unreadable table", position: 82, min: NaN, max: 6000, base: 50, value: null }
        ]
    }

    function test_arithmetic(data) {
        compare(D.valueAt(data.position, data.min, data.max, data.base), data.value)
    }

    function test_dpiValueProcMarksOnlyAtRest() {
        dpi.dpiValueProc(0, 82, false)
        compare(dpi.stageValues()[0], 3100)
        verify(!dpi.isSave)
        dpi.dpiValueProc(0, 161, true)
        compare(dpi.stageValues()[0], 6000)
        verify(dpi.isSave)
        compare(recorder.names(), [], "nothing is sent before Save")
    }

    function test_loadingRecomputesOnTheGrid() {
        // 1234 sits between grid points; the slider position it gets reads back as 1250.
        recorder.profile()["mouse/dpiValueArray"] = ["1234", "200", "6000", "3100", "500", "1000", "1500", "2000"]
        dpi.init(false, false)
        compare(texts(), [1250, 200, 6000, 3100, 500, 1000, 1500, 2000])
        dpi.saveData(true)
        compare(recorder.callsTo("ui_View.setDataList").pop(), ["mouse/dpiValueArray", texts()])
        compare(recorder.callsTo("ui_View.mouseSetDpi").pop(), [4, "3360", texts()])
    }

    function test_sixOffersFourActive() {
        recorder.profile()["mouse/dpiCount"] = "6"
        recorder.profile()["mouse/currentDpiCount"] = "4"
        dpi.init(false, false)
        compare(dpi.dpiSegment.count, 6)
        compare(dpi.dpiSegment.textValue, "4")
        compare(visibleStages(), 4)
        dpi.saveData(true)
        var sent = recorder.callsTo("ui_View.mouseSetDpi").pop()
        compare(sent[0], 4)
        compare(sent[2].length, 8, "all eight values are sent")
        compare(recorder.callsTo("ui_View.setData").pop(), ["mouse/currentDpiCount", 4])
    }

    // Each profile's own stage count: the list grows back as well as shrinking.
    function test_countListFollowsTheProfile() {
        var counts = [6, 8, 3]
        for (var i = 0; i < counts.length; ++i) {
            recorder.profile()["mouse/dpiCount"] = String(counts[i])
            recorder.profile()["mouse/currentDpiCount"] = "2"
            dpi.init(true, false)
            compare(dpi.dpiSegment.count, counts[i])
            var shown = []
            for (var k = 0; k < dpi.dpiSegment.count; ++k)
                shown.push(dpi.dpiSegment.mdItems.get(k).textValue)
            compare(shown, ["1", "2", "3", "4", "5", "6", "7", "8"].slice(0, counts[i]))
            compare(dpi.dpiSegment.textValue, "2")
        }
    }

    // A stored value outside the sensor's range shows, stores and sends the
    // nearest end of it, as the slider can only stand inside its travel.
    function test_storedValueOutsideTheRange() {
        recorder.profile()["mouse/dpiValueArray"] = ["150", "100", "0", "-400", "199", "7000", "6000", "200"]
        dpi.init(false, false)
        compare(texts(), [200, 200, 200, 200, 200, 6000, 6000, 200])
        dpi.saveData(true)
        compare(recorder.callsTo("ui_View.mouseSetDpi").pop(), [4, "3360", [200, 200, 200, 200, 200, 6000, 6000, 200]])
    }

    // The handle's place for a share of the travel: usable width 158, the
    // product truncated toward zero, then w/4 + 1 (= 4) added.
    function test_ratioPlacesTheHandle_data() {
        return [
            { tag: "0", ratio: 0, x: 4 },
            { tag: "1", ratio: 1, x: 162 },
            { tag: "half", ratio: 0.5, x: 83 },
            { tag: "1.5 steps below", ratio: -1.5 / 158, x: 3 },
            { tag: "0.5 steps below", ratio: -0.5 / 158, x: 4 }
        ]
    }

    function test_ratioPlacesTheHandle(data) {
        compare(S.ratioX(data.ratio, 176, 12), data.x)
    }

    function test_nineOrMoreLeavesTheSliders() {
        var before = texts()
        recorder.profile()["mouse/dpiCount"] = "9"
        recorder.profile()["mouse/currentDpiCount"] = "2"
        recorder.profile()["mouse/dpiValueArray"] = ["100", "100", "100", "100", "100", "100", "100", "100"]
        dpi.init(true, false)
        compare(dpi.dpiValueArray.length, 8, "the values are still read")
        compare(texts(), before)
        compare(dpi.dpiSegment.count, 8)
        compare(visibleStages(), 4)
        compare(recorder.callsTo("ui_View.mouseSetDpi"), [])
    }

    function test_countControlLayout_data() {
        return [
            { tag: "1", entry: 0, y: 128, spacing: 22, textSpacing: 4 },
            { tag: "2", entry: 1, y: 109, spacing: 33, textSpacing: 10 },
            { tag: "3", entry: 2, y: 90, spacing: 33, textSpacing: 12 },
            { tag: "4", entry: 3, y: 69, spacing: 33, textSpacing: 14 },
            { tag: "5", entry: 4, y: 50, spacing: 33, textSpacing: 14 },
            { tag: "6", entry: 5, y: 46, spacing: 27, textSpacing: 10 },
            { tag: "7", entry: 6, y: 38, spacing: 24, textSpacing: 8 },
            { tag: "8", entry: 7, y: 30, spacing: 22, textSpacing: 4 }
        ]
    }

    function test_countControlLayout(data) {
        // Start from the eight-stage layout, which one stage keeps.
        dpi.countControl(7)
        var list = dpi.dpiSegment
        clickAndSettle(list)
        mouseClick(list, 20, 24 + data.entry * 24 + 12)
        finishSlide(list)
        compare(dpi.currentDpiCount, data.entry + 1)
        compare(visibleStages(), data.entry + 1)
        compare(dpi.columnY, data.y)
        compare(child("dpiColumn").y, data.y)
        compare(dpi.columnSpacing, data.spacing)
        compare(dpi.textSpacing, data.textSpacing)
        verify(dpi.isSave)
        compare(recorder.names(), [])
    }

    function test_unusableTableKeepsTheStoredValues_data() {
        return [
            { tag: "max equals min", min: "800", max: "800", base: "50" },
            { tag: "base 0", min: "200", max: "6000", base: "0" },
            { tag: "base negative", min: "200", max: "6000", base: "-50" }
        ]
    }

    function test_unusableTableKeepsTheStoredValues(data) {
        recorder.global["mouse/minDPI"] = data.min
        recorder.global["mouse/maxDPI"] = data.max
        recorder.global["mouse/dpiBase"] = data.base
        dpi.init(false, false)
        var stored = [400, 800, 1600, 3200, 4000, 5000, 5500, 6000]
        compare(texts(), stored)
        dpi.dpiValueProc(1, 100, true)
        compare(texts(), stored)
        dpi.saveData(true)
        compare(recorder.callsTo("ui_View.mouseSetDpi").pop(), [4, "3360", stored])
    }

    function test_resetLoadsTheFactoryValues() {
        recorder.profile()["mouse/currentDpiCount"] = "3"
        dpi.init(false, false)
        recorder.clearLog()
        mouseClick(child("dpiReset"))
        compare(recorder.names(), ["ui_View.getDataList"])
        compare(recorder.callsTo("ui_View.getDataList"), [["mouse/dpiValueArray", true]])
        compare(texts(), [500, 1000, 1500, 2000, 3000, 4000, 5000, 6000])
        compare(dpi.currentDpiCount, 3, "the count stays")
        verify(dpi.isSave)
    }

    function test_currentStageIsHighlighted() {
        scene.setCurrentDPI(3)
        var stages = dpi.stageSliders
        compare(stages.length, 8)
        for (var i = 0; i < 8; ++i)
            compare(stages[i].colorS, i === 2 ? scene.colorOrange : scene.colorBlue, "stage " + i)
    }

    function test_draggingAStageMarksThePage() {
        var stage = dpi.stageSliders[0]
        // Upright: the slider's own x runs up the screen.
        mouseDrag(stage, stage.handleX + 6, 3, 40, 0)
        verify(dpi.isSave)
        compare(dpi.stageValues()[0], D.valueAt(stage.handleX, 200, 6000, 50))
    }
}
