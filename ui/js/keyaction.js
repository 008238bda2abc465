.pragma library

// What a key does to the focused control. Controls and pages share these so
// every control answers the same keys.

// Space, Return and Enter activate, as a click would; with Ctrl or Alt they
// stay shortcuts of someone else's.
function activates(event) {
    if (event.modifiers & (Qt.ControlModifier | Qt.AltModifier))
        return false
    return event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter
}

// Steps, or 0: the arrows step a value down or up (Left and Down lower it),
// Page Down and Page Up ten steps.
function step(event) {
    if (event.modifiers & (Qt.ControlModifier | Qt.AltModifier))
        return 0
    if (event.key === Qt.Key_PageDown)
        return -10
    if (event.key === Qt.Key_PageUp)
        return 10
    if (event.key === Qt.Key_Left || event.key === Qt.Key_Down)
        return -1
    if (event.key === Qt.Key_Right || event.key === Qt.Key_Up)
        return 1
    return 0
}

// -1, +1 or 0: Up and Down walk an opened list.
function listStep(event) {
    if (event.key === Qt.Key_Up)
        return -1
    if (event.key === Qt.Key_Down)
        return 1
    return 0
}

// What a key asks of a list row: "activate" (as a left click), "rename" (as
// a double click), "menu" (as a right click) or "".
function rowCommand(event) {
    if (activates(event))
        return "activate"
    if (event.key === Qt.Key_F2)
        return "rename"
    if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))
        return "menu"
    return ""
}

// The keys held down after a captured key went down or up; a key comes up
// once whatever repeats the capture sees.
function heldAfter(held, isDown, code) {
    var out = held.filter(function (c) { return c !== code })
    if (isDown)
        out.push(code)
    return out
}
