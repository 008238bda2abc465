import QtQuick
import "../js/keycodes.js" as K

// The key-name table that every page reaches through the shell. The codes
// are fixed; the names come from the language file.
QtObject {
    id: table

    readonly property var codes: K.codes
    property var names: K.defaultNames.slice()
    // Reads the macro name kept for a slot; set by the shell.
    property var macroName: function (slot) { return "" }

    function keycodeTostr(code) {
        return K.keycodeTostr(names, code)
    }

    function strTokeycode(name) {
        return K.strTokeycode(names, name)
    }

    // The display text of a stored key definition; `texts` is the assignment
    // dialog's string list.
    function keyCodeToString(code0, code1, code2, code3, texts) {
        return K.keyCodeToString(code0, code1, code2, code3, texts, names, macroName)
    }
}
