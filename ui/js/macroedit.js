// Rules of the macro editor's name list and action list.
.pragma library

.import "macroblock.js" as B

var maxMacros = 100
// Stored after a one-name list so that it still reads back as a list.
var sentinel = "loaderzephyr"

// The rows of a list model as plain objects.
function rows(model) {
    var out = []
    for (var i = 0; i < model.count; ++i)
        out.push(model.get(i))
    return out
}

// The action menu: "Delete", then the five insert commands.
function actionMenuTexts(texts) {
    return [texts[10]].concat(texts.slice(13, 18))
}

function namesFromStore(list) {
    var out = (list || []).map(String)
    if (out.length === 2 && out[1] === sentinel)
        out.pop()
    return out
}

// "Macro_" with the smallest number from 0 to 99 that no macro has.
function freeName(names) {
    for (var n = 0; n < maxMacros; ++n) {
        if (names.indexOf("Macro_" + n) < 0)
            return "Macro_" + n
    }
    return null
}

// A macro's name is its file's name: it may not be empty, taken, or hold a
// character that a file name cannot (a separator would reach outside the
// macro folder).
function acceptsName(name, names) {
    name = String(name)
    return name.trim() !== "" && !/[\\/:*?"<>|]/.test(name) && names.indexOf(name) < 0
}

// A delay typed by the user: whole milliseconds up to 65535, else null.
function parseDelay(text) {
    text = String(text).trim()
    if (!/^[0-9]+$/.test(text))
        return null
    var value = parseInt(text, 10)
    return value <= 65535 ? value : null
}

function isAtEnd(count, current) {
    return count === 0 || current < 0 || current >= count - 1
}

// A key's press and release go to the end after the last action, otherwise
// before the current one; a mouse button's go after the current one.
function keyInsertAt(count, current) {
    return isAtEnd(count, current) ? count : current
}

function buttonInsertAt(count, current) {
    return isAtEnd(count, current) ? count : current + 1
}

function pressAndRelease(name, isMouseButton) {
    return isMouseButton ? [{ type: B.mouseDown, info: name }, { type: B.mouseUp, info: name }]
                         : [{ type: B.keyDown, info: name }, { type: B.keyUp, info: name }]
}

// What one captured key adds while recording: the pause since the previous
// event when delays are recorded (never before the first), then the event.
function recorded(listIsEmpty, withDelay, ticks, isDown, code, name) {
    var out = []
    if (!listIsEmpty && withDelay)
        out.push({ type: B.delay, info: String(ticks * 10) })
    if (code < 0xf0)
        out.push({ type: isDown ? B.keyDown : B.keyUp, info: name })
    else
        out.push({ type: isDown ? B.mouseDown : B.mouseUp, info: name })
    return out
}

function inserted(actions, at, entries) {
    return actions.slice(0, at).concat(entries).concat(actions.slice(at))
}
