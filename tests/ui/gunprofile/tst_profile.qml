import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/profiles.js" as P

// The profile page and the title bar's list of the same rows: the stored
// form, new and imported rows, deleting, renaming, and which profile file
// a row selects once rows have been deleted.
SceneTestCase {
    id: testCase
    name: "ProfilePage"

    property var page: null
    // The name lists as the stand-in keeps them, by type.
    property var nameLists: ({})

    function initTestCase() {
        answers["ui_View.getNameList"] = function (type) { return (testCase.nameLists[String(type)] || []).slice() }
        answers["ui_View.updataNameList"] = function (type, list) {
            testCase.nameLists[String(type)] = list.slice()
            return true
        }
    }

    function start(stored, profileNo) {
        nameLists = { "2": stored }
        globals["mouse/profileNo"] = String(profileNo === undefined ? 0 : profileNo)
        startScene()
        page = child("profileMain")
    }

    function init() {
        start(["Standard0", "loaderzephyr"])
    }

    function rows() {
        return page.rowList().map(P.entryOf)
    }

    function titleList() {
        return child("titleProfileList")
    }

    function openPage() {
        mouseClick(child("configButton"))
        verify(page.visible)
        recorder.clearLog()
    }

    function rename(row, name) {
        waitForRendering(page)
        mouseDoubleClickSequence(child("profileRow" + row, page))
        verify(page.nameEditor.activeFocus)
        compare(page.nameEditor.selectedText, page.rowList()[row].textValue)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_Delete)
        page.nameEditor.insert(0, name)
        keyClick(Qt.Key_Return)
    }

    function menuCommand(row, item) {
        waitForRendering(page)
        mouseClick(child("profileRow" + row, page), 30, 10, Qt.RightButton)
        verify(page.contextMenu.visible)
        mouseClick(child("profileMenuItem" + item, page))
        verify(!page.contextMenu.visible)
    }

    function chooseInTitleBar(row) {
        var list = titleList()
        clickAndSettle(list)
        mouseClick(list, list.width / 2, 24 + row * 24 + 12)
        finishSlide(list)
    }

    function test_storedList_data() {
        return [
            { tag: "one entry and the sentinel", stored: ["Standard0", "loaderzephyr"], rows: ["Standard0"],
              written: ["Standard0"] },
            { tag: "two entries", stored: ["Mine0", "loaderzephyr3"], rows: ["Standard0", "loaderzephyr3"],
              written: ["Standard0", "loaderzephyr3"] },
            { tag: "after a deletion", stored: ["a0", "b2", "c5"], rows: ["Standard0", "b2", "c5"],
              written: ["Standard0", "b2", "c5"] },
            { tag: "nothing stored", stored: [], rows: ["Standard0"], written: ["Standard0"] },
            { tag: "an entry without a number", stored: ["a0", "broken", "c1"], rows: ["Standard0", "c1"],
              written: ["Standard0", "c1"] }
        ]
    }

    // The first row is named by language entry 5 at every start and the list stored again.
    function test_storedList(data) {
        start(data.stored)
        compare(rows(), data.rows)
        compare(nameLists["2"], data.written)
        compare(titleList().count, data.rows.length)
        compare(titleList().textValue, "Standard")
    }

    function test_firstRowRenamedAtStartInChinese() {
        globals["common/language"] = "ChineseSimplified"
        start(["Mine0", "Other1"])
        globals["common/language"] = "English"
        compare(rows(), ["标准0", "Other1"])
        compare(page.title, "配置")
        compare(page.profileLang.length, 6)
    }

    function test_newAfterProfile0AndProfile1() {
        start(["Standard0", "profile_11"])
        openPage()
        rename(0, "profile_0")
        compare(rows(), ["profile_00", "profile_11"])
        recorder.clearLog()
        mouseClick(child("profileNew", page))
        compare(rows(), ["profile_00", "profile_11", "profile_22"])
        compare(recorder.names(), ["ui_View.updataNameList", "ui_View.resetProfile"])
        compare(recorder.callsTo("ui_View.resetProfile"), [[2]])
        compare(nameLists["2"], ["profile_00", "profile_11", "profile_22"])
        compare(page.currentRow, 2)
        compare(titleList().count, 3)
    }

    function test_newWithSixRowsResetsAnUnshownFile() {
        start(["Standard0", "a1", "b2", "c3", "d4", "e5"])
        openPage()
        mouseClick(child("profileNew", page))
        compare(recorder.names(), ["ui_View.resetProfile"])
        compare(recorder.callsTo("ui_View.resetProfile"), [[6]])
        compare(rows().length, 6)
    }

    function test_newNameAndNumberRules_data() {
        var twelve = []
        for (var i = 0; i < 12; ++i)
            twelve.push({ textValue: "profile_" + i, profileNo: i % 6 })
        return [
            { tag: "gaps are filled first", rows: [{ textValue: "profile_1", profileNo: 0 }, { textValue: "x", profileNo: 2 }],
              name: "profile_0", number: 1 },
            { tag: "every name used", rows: twelve, name: "profile_12", number: 6 }
        ]
    }

    function test_newNameAndNumberRules(data) {
        compare(P.newName(data.rows), data.name)
        compare(P.newNumber(data.rows), data.number)
    }

    function test_import_data() {
        return [
            { tag: "file chosen", stored: ["Standard0", "profile_11"], chosen: true,
              loaded: [[2]], rows: ["Standard0", "profile_11", "profile_02"] },
            { tag: "cancelled", stored: ["Standard0", "profile_11"], chosen: false,
              loaded: [[2]], rows: ["Standard0", "profile_11"] },
            { tag: "no room", stored: ["Standard0", "a1", "b2", "c3", "d4", "e5"], chosen: true,
              loaded: [], rows: ["Standard0", "a1", "b2", "c3", "d4", "e5"] }
        ]
    }

    function test_import(data) {
        start(data.stored)
        openPage()
        recorder.answers["ui_View.loadProfile"] = data.chosen
        mouseClick(child("profileImport", page))
        compare(recorder.callsTo("ui_View.loadProfile"), data.loaded)
        compare(rows(), data.rows)
        compare(recorder.callsTo("ui_View.updataNameList").length, data.chosen && data.loaded.length ? 1 : 0)
        compare(recorder.names("ui_View.setCurrentProfile"), [], "importing switches nothing")
    }

    function test_delete_data() {
        return [
            { tag: "the first row", row: 0, rows: ["Standard0", "a1", "b2"] },
            { tag: "the active row", row: 2, rows: ["Standard0", "a1", "b2"] },
            { tag: "another row", row: 1, rows: ["Standard0", "b2"] }
        ]
    }

    function test_delete(data) {
        start(["x0", "a1", "b2"], 2)
        compare(titleList().currentSelect, 2)
        openPage()
        menuCommand(data.row, 0)
        compare(rows(), data.rows)
        var changed = data.rows.length !== 3
        compare(recorder.names(), changed ? ["ui_View.updataNameList"] : [], "no profile file is touched")
        // The title bar still shows the active profile's row.
        compare(titleList().textValue, "b")
    }

    function test_rename_data() {
        return [
            { tag: "a free name", row: 2, name: "Sniper", rows: ["Standard0", "a1", "Sniper2"], stored: 1 },
            { tag: "another row's name", row: 2, name: "a", rows: ["Standard0", "a1", "b2"], stored: 0 },
            { tag: "its own name", row: 1, name: "a", rows: ["Standard0", "a1", "b2"], stored: 0 },
            { tag: "nothing", row: 1, name: "", rows: ["Standard0", "a1", "b2"], stored: 0 }
        ]
    }

    function test_rename(data) {
        start(["x0", "a1", "b2"])
        openPage()
        rename(data.row, data.name)
        verify(!page.nameEditor.visible)
        compare(rows(), data.rows)
        compare(recorder.callsTo("ui_View.updataNameList").length, data.stored)
        compare(titleList().count, 3)
    }

    // A stored name longer than the field takes survives an edit nobody typed into.
    function test_longNameSurvivesAnUntypedEdit_data() {
        return [
            { tag: "Return", key: Qt.Key_Return },
            { tag: "Escape", key: Qt.Key_Escape },
            { tag: "a click elsewhere", key: 0 }
        ]
    }

    function test_longNameSurvivesAnUntypedEdit(data) {
        var name = "Forty characters make this profile name."
        start(["x0", name + "1"])
        openPage()
        waitForRendering(page)
        mouseDoubleClickSequence(child("profileRow1", page))
        verify(page.nameEditor.activeFocus)
        if (data.key !== 0)
            keyClick(data.key)
        else
            mouseClick(page, 300, 250)
        compare(page.editingRow, -1)
        compare(rows(), ["Standard0", name + "1"])
        compare(recorder.callsTo("ui_View.updataNameList"), [])
    }

    function test_renameEndsWithAClickElsewhere() {
        start(["x0", "a1"])
        openPage()
        mouseDoubleClickSequence(child("profileRow1", page))
        page.nameEditor.text = "Rapid"
        mouseClick(page, 300, 250)
        compare(rows(), ["Standard0", "Rapid1"])
        mouseDoubleClickSequence(child("profileRow1", page))
        page.nameEditor.text = "Slow"
        mouseClick(scene, 5, 5)   // on the mask
        compare(rows(), ["Standard0", "Slow1"])
        verify(page.visible)
    }

    // While no row has been deleted, a row's place is its profile number.
    function test_switchWithoutDeletion() {
        start(["x0", "a1", "b2"])
        chooseInTitleBar(2)
        compare(recorder.callsTo("ui_View.setCurrentProfile"), [[2]])
        compare(recorder.callsTo("ui_View.setGlobalData"), [["mouse/profileNo", 2]])
        compare(scene.profileNo, 2)
        compare(page.profileNo, 2)
        openPage()
        menuCommand(1, 1)
        compare(recorder.callsTo("ui_View.saveProfile"), [[2]], "export writes the active profile")
        recorder.answers["ui_View.loadProfile"] = true
        mouseClick(child("profileImport", page))
        compare(recorder.callsTo("ui_View.loadProfile"), [[3]])
    }

    // Once a row is deleted, the row's own number selects the profile file:
    // switching, importing and exporting never reach another profile's file.
    function test_rowNumberAfterADeletion() {
        start(["x0", "a1", "b2", "c3"])
        openPage()
        menuCommand(1, 0)
        compare(rows(), ["Standard0", "b2", "c3"])
        mouseClick(child("dialogClose", page))
        recorder.clearLog()

        chooseInTitleBar(1)
        compare(recorder.callsTo("ui_View.setCurrentProfile"), [[2]])
        compare(recorder.callsTo("ui_View.setGlobalData"), [["mouse/profileNo", 2]])
        compare(titleList().textValue, "b")

        openPage()
        menuCommand(2, 1)
        compare(recorder.callsTo("ui_View.saveProfile"), [[2]])
        recorder.answers["ui_View.loadProfile"] = true
        mouseClick(child("profileImport", page))
        compare(recorder.callsTo("ui_View.loadProfile"), [[1]], "the free number, not the row's place 3")
        compare(rows(), ["Standard0", "b2", "c3", "profile_01"])
        mouseClick(child("profileNew", page))
        compare(recorder.callsTo("ui_View.resetProfile"), [[4]])

        // After a restart the title bar shows the active profile's row.
        start(nameLists["2"], 2)
        compare(titleList().currentSelect, 1)
        compare(titleList().textValue, "b")
    }

    function test_openAndClose() {
        openPage()
        verify(child("mainMask").visible)
        compare([page.x, page.y], [305, 176])
        compare([page.width, page.height], [415, 288])
        page.moveBy(-2000, 2000)
        compare([page.x, page.y], [0, 352])
        titleList().open()
        finishSlide(titleList())
        mouseClick(child("dialogClose", page))
        finishSlide(titleList())
        verify(!page.visible)
        verify(!child("mainMask").visible)
        verify(!titleList().isDrop)
    }
}
