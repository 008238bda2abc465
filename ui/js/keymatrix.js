// The button layout of the key matrix list: 16 key definitions of four
// bytes in their stored form.
.pragma library

var slots = 16
var leftButton = 0xf0
var macroCategory = 4

// The layout before anything is read from a profile.
var initialLayout = [
    [0x00, 0x00, 0xf0, 0x00], [0x00, 0x00, 0xf1, 0x00], [0x00, 0x00, 0xf2, 0x00], [0x00, 0x00, 0xf4, 0x00],
    [0x00, 0x00, 0xf3, 0x00], [0x05, 0x00, 0x01, 0x00], [0x05, 0x00, 0x02, 0x00], [0x00, 0xf0, 0x1e, 0x02],
    [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0],
    [0xff, 0x00, 0x01, 0x00], [0xff, 0x00, 0x02, 0x00]
]

// The panel's height for the number of buttons shown.
function panelHeight(keyCount) {
    return 40 + 24 * keyCount + 2 * (keyCount - 1) + 8
}

// Four bytes from what the profile store gives back (numbers, or texts after
// a restart); null when the entry is missing or short, so the slot keeps
// what it has.
function bytesOf(list) {
    if (!list || list.length < 4)
        return null
    var out = []
    for (var i = 0; i < 4; ++i) {
        var n = parseInt(list[i])
        if (isNaN(n))
            return null
        out.push(n)
    }
    return out
}

function isLeftButton(codes) {
    return codes[0] === 0 && codes[2] === leftButton
}

// The one slot that still clicks the left button may not be given away.
function isLastLeftButton(layout, selected) {
    var holders = []
    for (var i = 0; i < layout.length; ++i) {
        if (isLeftButton(layout[i]))
            holders.push(i)
    }
    return holders.length === 1 && holders[0] === selected
}

// The 64 values mouseSetKeyMatrix takes.
function flatten(layout) {
    var out = []
    for (var i = 0; i < layout.length; ++i)
        out = out.concat(layout[i])
    return out
}
