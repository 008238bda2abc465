// Rules of the profile list: its stored form, and the name and number a
// new row gets.
.pragma library

var sentinel = "loaderzephyr"
var maxRows = 6

// The stored entries without the sentinel a one-entry list carries.
function withoutSentinel(list) {
    var out = Array.isArray(list) ? list.map(function (entry) { return String(entry) }) : []
    if (out.length === 2 && out[1] === sentinel)
        out.pop()
    return out
}

// An entry is the display name followed by the profile number's digit;
// anything else cannot select a profile file and yields null.
function parseEntry(entry) {
    var text = String(entry)
    if (!/[0-9]$/.test(text))
        return null
    return { textValue: text.slice(0, -1), profileNo: Number(text.slice(-1)) }
}

// The rows of a list model as plain objects.
function rowsOf(model) {
    var out = []
    for (var i = 0; i < model.count; ++i)
        out.push({ textValue: model.get(i).textValue, profileNo: model.get(i).profileNo })
    return out
}

function entryOf(row) {
    return String(row.textValue) + String(row.profileNo)
}

// The first of profile_0 .. profile_11 that no row uses; profile_12 when all are used.
function newName(rows) {
    var names = rows.map(function (row) { return String(row.textValue) })
    for (var i = 0; i < 12; ++i) {
        if (names.indexOf("profile_" + i) < 0)
            return "profile_" + i
    }
    return "profile_12"
}

// The first profile number 0..5 that no row uses; 6 when all are used.
function newNumber(rows) {
    var numbers = rows.map(function (row) { return Number(row.profileNo) })
    for (var k = 0; k < maxRows; ++k) {
        if (numbers.indexOf(k) < 0)
            return k
    }
    return maxRows
}

// The row showing profile `number`, or -1.
function rowOfNumber(rows, number) {
    for (var i = 0; i < rows.length; ++i) {
        if (Number(rows[i].profileNo) === Number(number))
            return i
    }
    return -1
}

// A new name is taken only when it is not empty and no row has exactly it.
function acceptsName(rows, name) {
    if (String(name) === "")
        return false
    return !rows.some(function (row) { return String(row.textValue) === String(name) })
}
