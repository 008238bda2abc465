// Rules of the key assignment dialog.
.pragma library

.import "clamp.js" as C
.import "slider.js" as S

// The fire function's interval slider runs from 4 to 80 ms.
var fireMin = 4
var fireMax = 80

// The interval shown for the handle at x on a track of trackWidth.
function fireIntervalAt(x, trackWidth, handleWidth) {
    var ratio = (x - S.minX(handleWidth)) / S.usableWidth(trackWidth, handleWidth)
    return C.clamp(fireMin + Math.round(ratio * (fireMax - fireMin)), fireMin, fireMax)
}

// Where the handle sits for an interval.
function fireRatioOf(interval) {
    return (C.clamp(interval, fireMin, fireMax) - fireMin) / (fireMax - fireMin)
}

// The combination field: modifier bits, at most two keys and the text built
// so far. A captured key press adds to it; a key it already holds (a held
// key repeats) adds nothing.
function emptyCombination() {
    return { bits: 0, keys: [], text: "" }
}

function addToCombination(combination, code, name) {
    var out = { bits: combination.bits, keys: combination.keys.slice(), text: combination.text }
    if (code >= 0xe0 && code <= 0xe7) {
        var bit = 1 << (code - 0xe0)
        if (out.bits & bit)
            return out
        out.bits |= bit
    } else {
        if (out.keys.length >= 2 || out.keys.indexOf(code) >= 0)
            return out
        out.keys.push(code)
    }
    out.text = out.text === "" ? name : out.text + " + " + name
    return out
}

// The key definition a confirmed combination gives.
function combinationCodes(combination) {
    var keys = combination.keys
    return [0x02, combination.bits, keys.length > 0 ? keys[0] : 0, keys.length > 1 ? keys[1] : 0]
}

// Closing the dialog changes the slot when a byte differs, or when the slot
// runs a macro and another one is chosen in the macro list. A stored name
// the list does not hold (an imported profile, a deleted file) shows no
// choice, which is no change.
function slotChanged(slotCodes, editedCodes, storedMacroName, chosenMacroName) {
    for (var i = 0; i < 4; ++i) {
        if (slotCodes[i] !== editedCodes[i])
            return true
    }
    return storedMacroName !== null && chosenMacroName !== "" && storedMacroName !== chosenMacroName
}

// The index of the fixed choice whose bytes equal the definition, or -1.
function choiceIndex(list, codes, split) {
    for (var i = 0; i < list.length; ++i) {
        var bytes = split(list[i][1])
        if (bytes[0] === codes[0] && bytes[1] === codes[1] && bytes[2] === codes[2] && bytes[3] === codes[3])
            return i
    }
    return -1
}
