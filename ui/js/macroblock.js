// A macro as the mouse keeps it: the 128-byte block built from the action
// list of the macro library.
//
// Bytes 0-1 hold the repeat count; then one pair per event: a timing byte
// (bits 0-6 the pause after the event in 10 ms units, bit 7 set for a
// release) and the key's code. A pause too long for bits 0-6 is written as 0
// followed by a unit pair (00 u) and a count pair. Two zero bytes end the
// block.
.pragma library

var blockSize = 128

// Action types of the macro library.
var delay = 0
var keyDown = 1
var keyUp = 2
var mouseDown = 3
var mouseUp = 4

function isRelease(type) {
    return type === keyUp || type === mouseUp
}

// One library entry, "1,A", as { type, info }.
function parseAction(text) {
    text = String(text)
    return { type: parseInt(text.charAt(0)), info: text.substring(2) }
}

function actionText(action) {
    return String(action.type) + "," + action.info
}

// What the library returns for a macro: the actions, then the repeat count.
function parseLoaded(list) {
    var actions = []
    for (var i = 0; i + 1 < list.length; ++i)
        actions.push(parseAction(list[i]))
    var repeat = list.length > 0 ? parseInt(list[list.length - 1]) : 0
    return { actions: actions, repeat: isNaN(repeat) ? 0 : repeat }
}

// The whole units a timing byte would hold for a pause of t units: a
// fractional t is rounded, or truncated for a release.
function shortUnits(t, release) {
    return release ? Math.floor(t) : Math.round(t)
}

// The timing byte of a pause of t units (shortUnits below 127) after an
// event. A pause that comes out as 0 would announce a long-pause extension
// that never follows, so the shortest pause, 1, is written instead.
function shortTiming(t, release) {
    var units = shortUnits(t, release)
    return (units === 0 ? 1 : units) | (release ? 0x80 : 0)
}

// The bytes that close an event whose pause is t units: its timing byte,
// then, for a long pause, the extension that follows the event's pair: the
// unit pair and the count pair.
function closing(t, release) {
    // The byte holds 1..126; a pause that comes out as 127 takes the long form.
    if (shortUnits(t, release) < 127)
        return [shortTiming(t, release)]
    var out = [release ? 0x80 : 0x00]
    var count
    if (t < 100000) {
        out.push(0x00, 0x01)            // 20 ms units
        count = Math.floor(t / 2)
    } else if (t < 300000) {
        out.push(0x00, 0x02)            // 50 ms units
        count = Math.floor(t / 5)
    } else if (t < 600000) {
        out.push(0x00, 0x03)            // 100 ms units
        count = Math.floor(t / 10)
    } else {
        count = Math.floor(t) % 65536   // no unit pair; the count wraps
    }
    out.push(Math.floor(count / 256), count % 256)
    return out
}

// Every byte the actions encode to, repeat count and terminator included,
// with no bound. `codeOf(name)` is the key-name lookup (0 for unknown names).
function encode(actions, repeat, codeOf) {
    repeat = Number(repeat) & 0xffff
    var bytes = [repeat >> 8, repeat & 0xff]
    var first = 0
    while (first < actions.length && actions[first].type === delay)
        ++first
    if (first >= actions.length - 1)
        return bytes
    // Event pairs as [timing, code] plus any extension bytes after them.
    var code = codeOf(actions[first].info)
    var previous = actions[first].type
    var t = 0
    for (var i = first + 1; i < actions.length; ++i) {
        var action = actions[i]
        if (action.type === delay) {
            t += Number(action.info) / 10
            continue
        }
        var tail = closing(t, isRelease(previous))
        bytes.push(tail[0], code)
        for (var k = 1; k < tail.length; ++k)
            bytes.push(tail[k])
        t = 0
        previous = action.type
        code = codeOf(action.info)
    }
    bytes.push(shortTiming(1, isRelease(previous)), code, 0x00, 0x00)
    return bytes
}

function encodedLength(actions, repeat, codeOf) {
    return encode(actions, repeat, codeOf).length
}

function fits(actions, repeat, codeOf) {
    return encodedLength(actions, repeat, codeOf) <= blockSize
}

// The block sent to the mouse: the longest leading part of the actions that
// fits (a longer part never encodes shorter), so a block never loses its
// terminator; padded with zeros to 128.
function block(actions, repeat, codeOf) {
    var bytes = encode(actions, repeat, codeOf)
    if (bytes.length > blockSize) {
        var low = 0
        var high = actions.length - 1
        while (low < high) {
            var middle = Math.ceil((low + high) / 2)
            if (fits(actions.slice(0, middle), repeat, codeOf))
                low = middle
            else
                high = middle - 1
        }
        bytes = encode(actions.slice(0, low), repeat, codeOf)
    }
    while (bytes.length < blockSize)
        bytes.push(0)
    return bytes
}
