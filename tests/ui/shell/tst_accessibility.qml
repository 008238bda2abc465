import QtQuick
import QtTest
import "../support"

// What assistive technology sees: every interactive item of every page and
// dialog is a named control, in English and in Simplified Chinese, read off
// the running scene's QAccessible interfaces.
SceneTestCase {
    id: testCase
    name: "Accessibility"

    Component {
        id: bareArea
        MouseArea { width: 20; height: 20 }
    }
    Component {
        id: roleOnly
        Rectangle {
            width: 20
            height: 20
            Accessible.role: Accessible.Button
            MouseArea { anchors.fill: parent }
        }
    }
    Component {
        id: picture
        Image { width: 20; height: 20; Accessible.role: Accessible.Graphic }
    }

    function startIn(language) {
        var values = {}
        copyInto(values, globals)
        values["common/language"] = language
        globals = values
        startScene()
    }

    function openList(name) {
        var list = child(name)
        list.open()
        finishSlide(list)
    }

    // Each state of the scene a user can reach, one row a state and language.
    function test_everyControlIsNamed_data() {
        var states = [
            { tag: "main screen", open: function () {} },
            { tag: "report rate open", open: function () { openList("reportRateList") } },
            { tag: "title profiles open", open: function () { openList("titleProfileList") } },
            { tag: "lighting effects open", open: function () { openList("lightModel") } },
            { tag: "assignment", open: function () { scene.clickButton(3) } },
            { tag: "assignment media grid open",
              open: function () { scene.clickButton(3); openList("mediaGrid") } },
            { tag: "assignment fire rate open",
              open: function () { scene.clickButton(3); openList("fireRate") } },
            { tag: "macro editor", open: function () { scene.openDialog(child("macroEditorMain"), true) } },
            { tag: "macro editor name menu",
              open: function () {
                  scene.openDialog(child("macroEditorMain"), true)
                  child("nameMenu").popup(20, 40)
              } },
            { tag: "gun editor", open: function () { scene.openDialog(child("gunControlMain"), true) } },
            { tag: "profiles", open: function () { scene.openDialog(child("profileMain"), true) } },
            { tag: "profile menu",
              open: function () {
                  scene.openDialog(child("profileMain"), true)
                  child("profileMain").openMenu(0, 30, 30)
              } },
            { tag: "system setting", open: function () { scene.openDialog(child("systemSettingMain"), true) } },
            { tag: "factory reset", open: function () { scene.openDialog(child("factorysure"), true) } },
            { tag: "version", open: function () { scene.openDialog(child("versionWnd"), false) } }
        ]
        var rows = []
        var languages = ["English", "ChineseSimplified"]
        for (var l = 0; l < languages.length; ++l) {
            for (var s = 0; s < states.length; ++s)
                rows.push({ tag: languages[l] + ": " + states[s].tag, language: languages[l], open: states[s].open })
        }
        return rows
    }

    function test_everyControlIsNamed(data) {
        startIn(data.language)
        data.open()
        compare(accessibility.problems(scene), [])
    }

    // The check itself: a bare mouse area, a button without a name, a
    // control whose text went empty and an unnamed picture are each caught.
    function test_checkFindsFaults_data() {
        return [
            { tag: "bare mouse area", make: function () { createTemporaryObject(bareArea, scene, { objectName: "bare" }) },
              found: "interactive item under a non-control role 16: QQuickMouseArea in bare" },
            { tag: "button without a name", make: function () { createTemporaryObject(roleOnly, scene, { objectName: "nameless" }) },
              found: "control without a name: role 43, QQuickRectangle in nameless" },
            { tag: "emptied text", make: function () { child("reportRateList").name = "" },
              found: "control without a name: role 46, DropDownList_QMLTYPE" },
            { tag: "unnamed picture", make: function () { createTemporaryObject(picture, scene, { objectName: "pic" }) },
              found: "picture exposed without a name: QQuickImage in pic" }
        ]
    }

    function test_checkFindsFaults(data) {
        startIn("English")
        data.make()
        var found = accessibility.problems(scene)
        compare(found.length, 1, found.join("\n"))
        verify(found[0].indexOf(data.found) === 0, found[0])
    }

    // Names come from the visible text in the current language; image-only
    // buttons say what they do. Roles: 43 button, 45 radio button, 46 combo
    // box, 51 slider, 42 editable text, 18 dialog.
    function test_namesFollowTheLanguage_data() {
        return [
            { tag: "report rate", item: "reportRateList", role: 46, en: "Report Rate", zh: "回报率" },
            { tag: "system setting", item: "systemSettingButton", role: 43, en: "System setting", zh: "系统设置" },
            { tag: "close", item: "titleButton1", role: 43, en: "Close", zh: "关闭" },
            { tag: "minimise", item: "titleButton0", role: 43, en: "Minimise", zh: "最小化" },
            { tag: "key matrix reset", item: "keyMatrixReset", role: 43, en: "Restore defaults", zh: "恢复默认" },
            { tag: "save", item: "saveButton", role: 43, en: "Save", zh: "保存" },
            { tag: "factory dialog", item: "factorysure", role: 18, en: "Reset", zh: "重置" },
            { tag: "lines radio", item: "scrollLinesRadio", role: 45, en: "Number of Rows", zh: null }
        ]
    }

    function test_namesFollowTheLanguage(data) {
        startIn("English")
        var seen = accessibility.describe(child(data.item))
        compare(seen.role, data.role)
        compare(seen.name, data.en)
        startIn("ChineseSimplified")
        seen = accessibility.describe(child(data.item))
        compare(seen.role, data.role)
        if (data.zh !== null)
            compare(seen.name, data.zh)
        verify(seen.name !== "")
    }

    // Check boxes and radio buttons report their state, sliders their value
    // and range, all as the page holds them.
    function test_statesAndValues() {
        startIn("English")
        scene.openDialog(child("systemSettingMain"), true)
        var lines = accessibility.describe(child("scrollLinesRadio"))
        verify(lines.checkable)
        verify(lines.checked)
        var page = accessibility.describe(child("scrollPageRadio"))
        verify(page.checkable)
        verify(!page.checked)
        mouseClick(child("scrollPageRadio"))
        verify(accessibility.describe(child("scrollPageRadio")).checked)
        verify(!accessibility.describe(child("scrollLinesRadio")).checked)

        // The lighting speed: a 5-position slider, its step the value.
        var speed = child("lightSpeed")
        speed.slider.setIndexValue(3, false)
        var seen = accessibility.describe(speed.slider)
        compare(seen.role, 51)
        compare(seen.name, "Speed")
        compare(seen.value, 3)
        compare(seen.minimum, 0)
        compare(seen.maximum, 4)

        // A DPI stage reads as its DPI within the sensor's range.
        var stage = child("dpiSettingMain").stageSliders[0]
        seen = accessibility.describe(stage)
        compare(seen.name, "DPI Setting 1")
        compare(seen.value, 400)
        compare(seen.minimum, 200)
        compare(seen.maximum, 6000)

        scene.clickButton(5)
        var endless = accessibility.describe(child("fireEndless"))
        verify(endless.checkable)
        compare(endless.checked, child("fireEndless").isSelect)
    }
}
