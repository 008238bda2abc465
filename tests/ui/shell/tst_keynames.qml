import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/keycodes.js" as K

// The key-name table and the display texts of key definitions.
SceneTestCase {
    id: testCase
    name: "KeyNames"

    property var table: null
    // The assignment dialog's built-in texts by position.
    property var texts: ["Key ", "Mouse Function", "Left Key", "Middle Key", "Right Key", "Forward Key", "Back Key",
        "Double Fire", "Fire Function", "Key Value", "Click Input", "Rate", "Times", "Endness", "Group Function",
        "Media Function", "Macro Function", "Macro Editor", "", "", "", "DPI Function", "DPI+", "DPI-", "DPI LOOP",
        "Windows Function", "Shortcut Function", "Player", "Next", "Privous", "Stop", "Mute", "Play/Pause",
        "Volumn+", "Volumn-", "My PC", "Index", "Search", "Max", "Min", "Desktop", "Run", "New", "Cut", "Copy",
        "Paste", "Save", "Print", "Find", "Redo", "Undo", "Select All", "Gun Function", "One Gun", "Two Gun",
        "Three Gun", "Sniper Key", "", "", ""]

    function init() {
        startScene()
        table = scene.keyCodeTable
        table.names = K.defaultNames.slice()
    }

    function test_tableShape() {
        compare(K.codes.length, 133)
        compare(K.defaultNames.length, 133)
        compare(table.keycodeTostr(0x4f), "\u25ba")
        compare(table.keycodeTostr(0x52), "\u25b2")
        compare(table.keycodeTostr(0x58), "KPEnter")
        compare(table.keycodeTostr(0x73), "F24")
        compare(table.keycodeTostr(0xe7), "RWin")
        compare(table.keycodeTostr(0xf4), "MS-B5")
    }

    function test_lookups_data() {
        return [
            { tag: "letter", code: 0x04, name: "A", back: 0x04 },
            { tag: "digit zero", code: 0x27, name: "0", back: 0x27 },
            { tag: "second backslash names the first", code: 0x32, name: "\\", back: 0x31 },
            { tag: "unknown code", code: 0x03, name: "", back: 0 },
            { tag: "gap in the table", code: 0x86, name: "", back: 0 }
        ]
    }

    function test_lookups(data) {
        compare(table.keycodeTostr(data.code), data.name)
        compare(table.strTokeycode(data.name), data.back)
    }

    function test_unknownNames() {
        compare(table.strTokeycode("Hyper"), 0)
        compare(table.strTokeycode(""), 0)
        compare(table.strTokeycode("a"), 0, "names are case-sensitive")
    }

    function test_languageReplacesNames_data() {
        return [
            { tag: "full list", names: K.defaultNames.map(function (n) { return "x" + n }), code: 0xf4, name: "xMS-B5" },
            { tag: "short list", names: ["Eh", "Bee"], code: 0x05, name: "Bee" },
            { tag: "short list, missing name", names: ["Eh", "Bee"], code: 0x06, name: "" },
            { tag: "long list", names: K.defaultNames.concat(["extra", "more"]), code: 0xf4, name: "MS-B5" },
            { tag: "empty section", names: [], code: 0x04, name: "" }
        ]
    }

    function test_languageReplacesNames(data) {
        recorder.reset()
        copyInto(recorder.global, globals)
        recorder.answers["ui_View.getLangStrings"] = function (section) {
            return section === "keyCode" ? data.names : []
        }
        loadScene()
        scene.initUI()
        compare(scene.keyCodeTable.keycodeTostr(data.code), data.name)
        compare(scene.keyCodeTable.strTokeycode("extra"), 0, "a name past the codes has no code")
    }

    function test_displayTexts_data() {
        return [
            { tag: "double fire", codes: [0x00, 0xf0, 0x1e, 0x02], text: "Double Fire" },
            { tag: "right key", codes: [0x00, 0x00, 0xf1, 0x00], text: "Right Key" },
            { tag: "back key", codes: [0x00, 0x00, 0xf3, 0x00], text: "Back Key" },
            { tag: "unknown button reads as double fire", codes: [0x00, 0x00, 0x05, 0x00], text: "Double Fire" },
            { tag: "fire key", codes: [0x01, 0x16, 0x21, 0x02], text: "S" },
            { tag: "combination", codes: [0x02, 0x05, 0x04, 0x00], text: "LCtrl+LAlt+A" },
            { tag: "combination, every modifier", codes: [0x02, 0xff, 0x00, 0x05], text: "LCtrl+LShift+LAlt+LWin+RCtrl+RShift+RAlt+RWin+B" },
            { tag: "media", codes: [0x03, 0x00, 0xe9, 0x00], text: "Volumn+" },
            { tag: "media, player", codes: [0x03, 0x00, 0x83, 0x01], text: "Player" },
            { tag: "media, unknown", codes: [0x03, 0x00, 0x01, 0x00], text: "" },
            { tag: "macro", codes: [0x04, 0x01, 0x03, 0x00], text: "Macro_7" },
            { tag: "dpi cycle", codes: [0x05, 0x00, 0x03, 0x00], text: "DPI LOOP" },
            { tag: "sniper", codes: [0x05, 0x00, 0x04, 0x00], text: "Sniper Key" },
            { tag: "dpi, unknown", codes: [0x05, 0x00, 0x05, 0x00], text: "" },
            { tag: "windows, byte 1 ignored", codes: [0x06, 0x07, 0x2c, 0x1b], text: "Max" },
            { tag: "windows, search", codes: [0x06, 0x00, 0x21, 0x02], text: "Search" },
            { tag: "shortcut", codes: [0x07, 0x00, 0xe0, 0x04], text: "Select All" },
            { tag: "gun", codes: [0x08, 0x00, 0x02, 0x00], text: "Two Gun" },
            { tag: "factory category", codes: [0xff, 0x00, 0x01, 0x00], text: "" }
        ]
    }

    function test_displayTexts(data) {
        recorder.profile()["mouseMacroKey/3"] = "Macro_7"
        var c = data.codes
        compare(table.keyCodeToString(c[0], c[1], c[2], c[3], texts), data.text)
    }

    function test_choicesCoverEveryFixedEntry() {
        var lists = [K.choices.mouse, K.choices.media, K.choices.dpi, K.choices.windows, K.choices.shortcut, K.choices.gun]
        var total = 0
        for (var i = 0; i < lists.length; ++i)
            total += lists[i].length
        compare(total, 38)
        compare(K.splitKeyCode("00f01e02"), [0x00, 0xf0, 0x1e, 0x02])
    }
}
