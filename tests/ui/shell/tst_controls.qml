import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/basic"
import "qrc:/modules/qml/common"
import "qrc:/modules/qml/js/dropdown.js" as D
import "qrc:/modules/qml/js/slider.js" as S

// The common controls, each on its own, themed by a real main document.
SceneTestCase {
    id: testCase
    name: "Controls"

    Component {
        id: listComponent
        DropDownList {
            width: 120
            mdItems: ListModel {}
        }
    }
    Component { id: gridComponent; DropDownGrid { width: 100 } }
    Component { id: dropSliderComponent; DropDownSlider { width: 120 } }
    Component { id: sliderComponent; SliderButton {} }
    Component { id: inputComponent; RectInput {} }
    Component { id: checkComponent; CheckBox {} }
    Component { id: radioComponent; RadioButton {} }
    Component { id: frameComponent; Frame {} }
    Component { id: busyComponent; BusyIndicator {} }
    Component { id: spyComponent; SignalSpy {} }

    function init() {
        loadScene()
    }

    function make(component, properties) {
        var props = properties || {}
        props.theme = scene
        props.x = 100
        props.y = 40
        var item = createTemporaryObject(component, testCase, props)
        verify(item !== null)
        return item
    }

    function spy(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function listOf(count) {
        var list = make(listComponent)
        for (var i = 0; i < count; ++i)
            list.mdItems.append({ textValue: "entry " + i })
        return list
    }

    function test_dropDownList_size_data() {
        return [
            { tag: "4 entries", count: 4, height: 96, bar: false, ms: 140 },
            { tag: "10 entries", count: 10, height: 240, bar: false, ms: 80 },
            { tag: "12 entries", count: 12, height: 240, bar: true, ms: 60 },
            // From 18 entries on the list appears at once rather than with a negative duration.
            { tag: "100 entries", count: 100, height: 240, bar: true, ms: 0 }
        ]
    }

    function test_dropDownList_size(data) {
        var list = listOf(data.count)
        compare(list.count, data.count)
        clickAndSettle(list)
        verify(list.isDrop)
        compare(list.panelHeight, data.height)
        compare(child("dropAnimation", list).duration, data.ms)
        compare(child("scrollBar", list).visible, data.bar)
    }

    function test_dropDownList_secondClickIgnoredWhileSliding() {
        var list = listOf(4)
        var clicks = spy(list, "btnClick")
        mouseClick(list)
        verify(list.animating)
        mouseClick(list)
        compare(clicks.count, 2)
        verify(list.isDrop)
        finishSlide(list)
        verify(list.isDrop)
        verify(!list.animating)
    }

    function test_dropDownList_choiceReportedAfterClosing() {
        var list = listOf(4)
        var changes = spy(list, "valueChange")
        clickAndSettle(list)
        // Entry 1 sits one row below the box.
        mouseClick(list, 60, 24 + 24 + 12)
        compare(list.currentSelect, 1)
        compare(list.textValue, "entry 1")
        verify(!list.isDrop)
        compare(changes.count, 0)
        finishSlide(list)
        compare(changes.count, 1)
        compare(changes.signalArguments[0][0], 1)
    }

    function test_dropDownList_pageSelectionIsSilent() {
        var list = listOf(4)
        var changes = spy(list, "valueChange")
        list.currentSelect = 3
        compare(list.textValue, "entry 3")
        list.currentSelect = -1
        compare(list.textValue, "")
        compare(changes.count, 0)
    }

    function test_dropDownList_closeMenuOnlyWhenFullyOpen() {
        var list = listOf(4)
        list.closeMenu()
        verify(!list.isDrop)
        mouseClick(list)
        list.closeMenu()
        verify(list.isDrop, "a list still opening stays open")
        finishSlide(list)
        list.closeMenu()
        verify(!list.isDrop)
    }

    function test_dropDownList_scrollBarReachesTheLastEntry() {
        var list = listOf(30)
        var drags = spy(list, "dragSignal")
        clickAndSettle(list)
        var bar = child("scrollBar", list)
        compare(bar.height, D.scrollBarLength(30))
        mouseDrag(bar, 6, 6, 0, 400)
        compare(drags.count, 2)
        compare(bar.y, 240 - bar.height)
        compare(D.contentOffsetForBar(bar.y, 30), 30 * 24 - 240)
        compare(D.contentOffsetForBar(0, 30), 0)
        compare(D.contentOffsetForBar(-50, 30), 0)
    }

    function test_dropDownGrid() {
        var grid = make(gridComponent)
        grid.mdItems.append({ textValue: "a" })
        grid.mdItems.append({ textValue: "b" })
        grid.mdItems.append({ textValue: "" })
        grid.mdItems.append({ textValue: "d" })
        var clicks = spy(grid, "btnClick")
        var changes = spy(grid, "valueChange")
        clickAndSettle(grid)
        compare(clicks.count, 0, "the box itself does not report clicks")
        compare(grid.panelWidth, 300)
        compare(grid.panelHeight, 48)
        // The empty third cell closes the grid without choosing it.
        mouseClick(grid, 250, 36)
        compare(clicks.count, 1)
        finishSlide(grid)
        compare(grid.currentSelect, 0)
        compare(changes.count, 0)
        // The cell below the box is entry 3.
        clickAndSettle(grid)
        mouseClick(grid, 50, 60)
        finishSlide(grid)
        compare(grid.currentSelect, 3)
        compare(grid.textValue, "d")
        compare(changes.signalArguments[0][0], 3)
    }

    function test_dropDownSlider() {
        var drop = make(dropSliderComponent)
        var moves = spy(drop, "valueChange")
        clickAndSettle(drop)
        compare(child("dropAnimation", drop).duration, 180)
        compare(drop.sliderControl.width, 104)
        drop.setValue(0.5)
        compare(moves.count, 1)
        compare(drop.sliderControl.handleX, S.ratioX(0.5, 104, 12))
    }

    function test_slider_clickSnapsToSteps_data() {
        // Segment 4 on a 100-wide track with a 12-wide handle: steps of 20.5
        // starting at x 3; the handle centre sits 6 right of its x.
        return [
            { tag: "on step 2", x: 3 + 41 + 6, index: 2 },
            { tag: "slightly right of step 2", x: 3 + 41 + 6 + 2, index: 3 },
            { tag: "beyond the last step", x: 99, index: 4 },
            { tag: "left of the track's start", x: 0, index: 0 }
        ]
    }

    function test_slider_clickSnapsToSteps(data) {
        var slider = make(sliderComponent, { segment: 4, isScale: true })
        // The handle starts away from the press, so the press lands on the track.
        slider.setIndexValue(data.index === 0 ? 4 : 0, false)
        var moves = spy(slider, "valueChange")
        var rests = spy(slider, "valueChangeDelay")
        mousePress(slider, data.x, 3)
        child("sliderGlide", slider).complete()
        compare(slider.segmentValue, data.index)
        compare(slider.handleX, S.indexX(data.index, 100, 12, 4))
        compare(moves.count, 1)
        compare(rests.count, 1)
        mouseRelease(slider, data.x, 3)
    }

    function test_slider_dragSnapsOnReleaseWithinOnePixel() {
        var slider = make(sliderComponent, { segment: 4, isScale: true })
        var moves = spy(slider, "valueChange")
        var drags = spy(slider, "dragSignal")
        // One pixel past step 1 still counts as step 1 after a drag.
        slider.setValue(S.indexX(1, 100, 12, 4) + 1)
        slider.releaseHandle()
        compare(slider.segmentValue, 1)
        compare(slider.handleX, S.indexX(1, 100, 12, 4))
        compare(drags.signalArguments[0][0], false)
        // A real drag moves silently until the release.
        mouseDrag(slider, slider.handleX + 6, 3, 40, 0)
        compare(slider.segmentValue, 3)
        compare(moves.count, 2)
    }

    function test_slider_freeDragReportsEveryMove() {
        var slider = make(sliderComponent, { segment: 10, isScale: false, width: 176 })
        var moves = spy(slider, "valueChange")
        var rests = spy(slider, "valueChangeDelay")
        mouseDrag(slider, slider.handleX + 6, 3, 60, 0)
        verify(moves.count > 1)
        compare(slider.handleX, S.minX(12) + 60)
        compare(moves.signalArguments[moves.count - 1][0], Math.floor(slider.handleX))
        compare(rests.count, 1)
        mouseDrag(slider, slider.handleX + 6, 3, 500, 0)
        compare(slider.handleX, 161, "the handle stops at the track's end")
    }

    function test_slider_setters() {
        var slider = make(sliderComponent, { segment: 4, isScale: true })
        var moves = spy(slider, "valueChange")
        slider.setRatioValue(0.5)
        compare(slider.handleX, Math.floor(82 * 0.5) + 3 + 1)
        compare(moves.count, 1)
        slider.setIndexValue(2, false)
        compare(slider.segmentValue, 2)
        compare(moves.count, 1)
        slider.setIndexValue(4, true)
        compare(moves.count, 2)
        compare(moves.signalArguments[1][0], 85)
    }

    function test_rectInput() {
        var input = make(inputComponent)
        var ends = spy(input, "endInputSignal")
        var starts = spy(input, "inputSignal")
        input.txtInput.forceActiveFocus()
        compare(starts.count, 1)
        input.txtInput.selectAll()
        keyClick(Qt.Key_3)
        keyClick(Qt.Key_0)
        keyClick(Qt.Key_0)
        compare(input.textValue, "30", "300 is beyond 255")
        keyClick(Qt.Key_A)
        compare(input.textValue, "30")
        keyClick(Qt.Key_Backspace)
        keyClick(Qt.Key_Backspace)
        compare(input.textValue, "")
        keyClick(Qt.Key_Return)
        verify(!input.txtInput.activeFocus)
        compare(input.textValue, "0")
        compare(ends.count, 1)
    }

    function test_checkBoxReportsThenToggles() {
        var check = make(checkComponent, { index: 7 })
        var clicks = spy(check, "btnClick")
        var seen = []
        check.btnClick.connect(function (index) { seen.push([index, check.isSelect]) })
        mouseClick(check)
        compare(seen, [[7, false]])
        verify(check.isSelect)
        mouseClick(check)
        verify(!check.isSelect)
        compare(clicks.count, 2)
    }

    function test_radioButtonOnlySelects() {
        var radio = make(radioComponent, { index: 2 })
        var clicks = spy(radio, "btnClick")
        mouseClick(radio)
        mouseClick(radio)
        verify(radio.isSelect)
        compare(clicks.count, 2)
        compare(clicks.signalArguments[0][0], 2)
    }

    function test_frameSignalsInOrder() {
        var frame = make(frameComponent)
        var order = []
        frame.openCloseMenu.connect(function () { order.push("open") })
        frame.clickFrame.connect(function () { order.push("click") })
        mouseClick(frame)
        compare(order, ["open", "click"])
        compare(frame.width, 242)
        compare(frame.height, 18)
    }

    function test_busyIndicatorRunsOnlyWhileBusy() {
        var busy = make(busyComponent)
        verify(!busy.visible)
        verify(!busy.pulsing)
        busy.setBusy(true)
        verify(busy.visible)
        verify(busy.pulsing)
        busy.setBusy(false)
        verify(!busy.visible)
        verify(!busy.pulsing)
    }
}
