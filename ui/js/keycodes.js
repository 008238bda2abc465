// Key names and the display text of a button's key definition.
//
// The key-name table pairs 133 HID usage codes with display names. The names
// are replaced by the language file; a replacement list that is shorter or
// longer than the code list never reaches past either end: a code without a
// name reads as the empty text.
.pragma library

function range(first, last) {
    var out = []
    for (var c = first; c <= last; ++c)
        out.push(c)
    return out
}

function letters() {
    var out = []
    for (var i = 0; i < 26; ++i)
        out.push(String.fromCharCode(65 + i))
    return out
}

function numbered(prefix, first, last) {
    var out = []
    for (var i = first; i <= last; ++i)
        out.push(prefix + i)
    return out
}

var codes = [].concat(
    range(0x04, 0x1d), range(0x1e, 0x27), range(0x28, 0x2c), range(0x2d, 0x38), [0x39],
    range(0x3a, 0x45), range(0x46, 0x53), range(0x54, 0x58), range(0x59, 0x63), range(0x64, 0x67),
    range(0x68, 0x73), [0x85], range(0x87, 0x8b), range(0x90, 0x91), range(0xe0, 0xe7), range(0xf0, 0xf4))

var defaultNames = [].concat(
    letters(), ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0"],
    ["Enter", "Esc", "Back", "Tab", "Space"],
    ["-", "=", "[", "]", "\\", "\\", ";", "'", "`", ",", ".", "/"], ["Caps"],
    numbered("F", 1, 12),
    ["Prt", "Scr", "Pau", "Ins", "Hom", "Pgu", "Del", "End", "PgD", "\u25ba", "\u25c4", "\u25bc", "\u25b2", "Num"],
    ["KP/", "KP*", "KP-", "KP+", "KPEnter"],
    numbered("KP", 1, 9), ["KP0", "KP."], ["Eur2", "App", "Power", "KP="],
    numbered("F", 13, 24), ["Keypad"], numbered("Intl", 1, 5), ["Lang1", "Lang2"],
    ["LCtrl", "LShift", "LAlt", "LWin", "RCtrl", "RShift", "RAlt", "RWin"],
    ["MS-L", "MS-R", "MS-M", "MS-B4", "MS-B5"])

// The name of a code: the first equal code wins; unknown codes have no name.
function keycodeTostr(names, code) {
    var i = codes.indexOf(Number(code))
    return (i >= 0 && i < names.length) ? String(names[i]) : ""
}

// The code of a name (exact, case-sensitive); unknown names give 0.
function strTokeycode(names, name) {
    var n = Math.min(names.length, codes.length)
    for (var i = 0; i < n; ++i) {
        if (names[i] === name)
            return codes[i]
    }
    return 0
}

// The fixed choices of the assignment dialog: the index of the choice's text
// in the dialog's string list and its key definition as eight hex digits.
var choices = {
    mouse: [[2, "0000F000"], [3, "0000F200"], [4, "0000F100"], [5, "0000F400"], [6, "0000F300"], [7, "00f01e02"]],
    media: [[27, "03008301"], [28, "0300b500"], [29, "0300b600"], [30, "0300b700"], [31, "0300e200"],
            [32, "0300cd00"], [33, "0300e900"], [34, "0300ea00"]],
    dpi: [[22, "05000100"], [23, "05000200"], [24, "05000300"], [56, "05000400"]],
    windows: [[35, "06009401"], [36, "06002302"], [37, "06002102"], [38, "06042c1b"], [39, "06042c11"],
              [40, "0600e307"], [41, "0600e315"]],
    shortcut: [[42, "0700e011"], [43, "0700e01b"], [44, "0700e006"], [45, "0700e019"], [46, "0700e016"],
               [47, "0700e013"], [48, "0700e009"], [49, "0700e01c"], [50, "0700e01d"], [51, "0700e004"]],
    gun: [[53, "08000100"], [54, "08000200"], [55, "08000300"]]
}

// "0000F000" -> [0x00, 0x00, 0xF0, 0x00]
function splitKeyCode(keyCode) {
    var out = []
    for (var i = 0; i < 4; ++i)
        out.push(parseInt(keyCode.substr(2 * i, 2), 16))
    return out
}

function choiceText(list, texts, code2, code3) {
    for (var i = 0; i < list.length; ++i) {
        var bytes = splitKeyCode(list[i][1])
        if (bytes[2] === code2 && bytes[3] === code3)
            return texts[list[i][0]] || ""
    }
    return ""
}

var mouseButtonText = { 0xf0: 2, 0xf2: 3, 0xf1: 4, 0xf4: 5, 0xf3: 6 }

// The display text of a key definition in its stored form. `texts` is the
// assignment dialog's string list, `names` the key names, and macroName(slot)
// the macro name kept for a slot.
function keyCodeToString(code0, code1, code2, code3, texts, names, macroName) {
    code0 = Number(code0); code1 = Number(code1); code2 = Number(code2); code3 = Number(code3)
    switch (code0) {
    case 0x00: {
        var t = mouseButtonText[code2]
        return texts[t === undefined ? 7 : t] || ""
    }
    case 0x01:
        return keycodeTostr(names, code1)
    case 0x02: {
        var parts = []
        for (var bit = 0; bit < 8; ++bit) {
            if (code1 & (1 << bit))
                parts.push(keycodeTostr(names, 0xe0 + bit))
        }
        if (code2 !== 0)
            parts.push(keycodeTostr(names, code2))
        if (code3 !== 0)
            parts.push(keycodeTostr(names, code3))
        return parts.join("+")
    }
    case 0x03:
        return choiceText(choices.media, texts, code2, code3)
    case 0x04: {
        var name = macroName(code2)
        return name === undefined || name === null ? "" : String(name)
    }
    case 0x05:
        return (code2 >= 1 && code2 <= 4) ? (texts[choices.dpi[code2 - 1][0]] || "") : ""
    case 0x06:
        return choiceText(choices.windows, texts, code2, code3)
    case 0x07:
        return choiceText(choices.shortcut, texts, code2, code3)
    case 0x08:
        return (code2 >= 1 && code2 <= 3) ? (texts[choices.gun[code2 - 1][0]] || "") : ""
    default:
        return ""
    }
}
