// Rules of the lighting page: which effects a mouse offers, which controls
// each effect uses, the colour handle on the bar and the stored colour list.
.pragma library
.import "colorbar.js" as Bar

// Texts (positions in the page's language list) of the effects after the
// basic four, in list order.
var colourfulTexts = [8, 9, 11, 10, 12, 13, 14]
var breathLoopText = 15
var breathLoop55328 = 4

var percentTexts = ["0%", "25%", "50%", "75%", "100%"]

var defaultColours = ["#ff0000", "#00ff00", "#0000ff", "#ff00ff", "#00ffff", "#ff7f00", "#6000ff", "#ffffff"]

// The colour handle is 18 wide; its centre marks the chosen place on the bar.
var handleWidth = 18
var handleHalf = 9

function percentText(position) {
    return percentTexts[position] !== undefined ? percentTexts[position] : ""
}

// Which of the two sliders an effect uses.
function panels(effect, is55328) {
    switch (effect) {
    case 0: case 7: return { speed: false, brightness: true }
    case 1: case 2: return { speed: true, brightness: false }
    case 4: return { speed: is55328, brightness: !is55328 }
    case 5: case 8: case 9: case 10: return { speed: true, brightness: true }
    default: return { speed: false, brightness: false }
    }
}

// Where choosing an effect puts the sliders; null leaves a slider alone.
function resetPositions(effect, is55328) {
    switch (effect) {
    case 0: case 7: return { speed: null, brightness: 4 }
    case 1: case 2: return { speed: 0, brightness: null }
    case 3: return { speed: null, brightness: 0 }
    case 4: return is55328 ? { speed: 0, brightness: null } : { speed: null, brightness: 4 }
    case 5: case 6: case 8: case 9: case 10: return { speed: 0, brightness: 4 }
    default: return { speed: null, brightness: null }
    }
}

function pageHeight(speedShown, brightnessShown) {
    var shown = (speedShown ? 1 : 0) + (brightnessShown ? 1 : 0)
    return [176, 224, 264][shown]
}

// The colour area is covered for every effect that ignores the colour.
function maskShown(effect) {
    return [0, 1, 4, 9, 10].indexOf(effect) < 0
}

function hex2(value) {
    var text = value.toString(16)
    return text.length < 2 ? "0" + text : text
}

function hexOf(red, green, blue) {
    return "#" + hex2(red) + hex2(green) + hex2(blue)
}

function componentsOf(colour) {
    var text = String(colour)
    return [parseInt(text.substr(1, 2), 16), parseInt(text.substr(3, 2), 16), parseInt(text.substr(5, 2), 16)]
}

// The colour under the handle whose left edge is at `left`, the bar starting
// at barX.
function colourAtHandle(left, barX, barWidth) {
    var rgb = Bar.colorAt(left + handleHalf - (barX + 1), barWidth)
    return hexOf(rgb[0], rgb[1], rgb[2])
}

function handleRange(barX, barWidth) {
    return { min: barX - 8, max: barX + barWidth - 10 }
}

// How far along the bar a colour lies; 0 for colours the bar does not hold.
function barPosition(colour, barWidth) {
    var c = componentsOf(colour)
    var red = c[0], green = c[1], blue = c[2]
    var d = (barWidth - 2) / 6
    var v = d / 256
    if (red === 0xff && blue === 0x00)
        return v * green
    if (red === 0x00 && blue === 0xff)
        return 3 * d + v * (255 - green)
    if (green === 0xff && blue === 0x00)
        return d + v * (255 - red)
    if (green === 0x00 && blue === 0xff)
        return 4 * d + v * red
    if (red === 0x00 && green === 0xff)
        return 2 * d + v * blue
    if (red === 0xff && green === 0x00)
        return 5 * d + v * (255 - blue)
    return 0
}

// The handle's left edge for a colour; white goes to the bar's right end.
function handleLeft(colour, barX, barWidth) {
    if (String(colour).toLowerCase() === "#ffffff")
        return barX + barWidth - 1 - handleHalf
    return Math.floor(barPosition(colour, barWidth) + barX + 1 - handleHalf)
}

// A stored component: missing or unreadable ones keep the page's value, and
// the rest are held to a byte so every colour stays a six-digit colour.
function component(value, fallback) {
    var n = parseInt(value)
    if (isNaN(n))
        return fallback
    return Math.max(0, Math.min(255, n))
}

// The eight colours of a stored list of 24 values; `current` fills the gaps.
function coloursOf(values, current) {
    var out = []
    for (var n = 0; n < 8; ++n) {
        var was = componentsOf(current[n])
        out.push(hexOf(component(values[3 * n], was[0]), component(values[3 * n + 1], was[1]),
                       component(values[3 * n + 2], was[2])))
    }
    return out
}

// The 24 values Save stores and sends. A 55328 mouse shows one fixed colour
// for every effect but its breath loop: colour 8 black tells it so.
function colourValues(colours, effect, is55328) {
    var out = []
    for (var n = 0; n < 8; ++n)
        out = out.concat(componentsOf(colours[n]))
    if (is55328 && effect !== breathLoop55328) {
        out[21] = 0
        out[22] = 0
        out[23] = 0
    }
    return out
}

function colourType(isColorful) {
    return isColorful ? 0 : 1
}

// A stored setting of the three: missing or unreadable values keep the page's.
function position(value, fallback) {
    var n = parseInt(value)
    return isNaN(n) ? fallback : n
}

// Dark text on light colours, light text on dark ones.
function isLight(colour) {
    var c = componentsOf(colour)
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2] > 150
}
