// Arithmetic of the gun page: the red dot on the target against the Y
// correction, and the rate slider against the firing period.
.pragma library

.import "clamp.js" as C

// The dot's top runs from 89 to 183 inside the target picture, so that its
// centre covers the scale from the aim point (93) down to its end (187).
var dotTop = 89
var dotTravel = 94
var yMax = 64

var periodMin = 4
var periodMax = 90

// The Y field while the dot is dragged: 0 at the top, 64 at the bottom.
function yForDot(position) {
    return Math.floor((position - dotTop) / dotTravel * yMax)
}

function dotForY(y) {
    return dotTravel * C.clamp(Number(y), 0, yMax) / yMax + dotTop
}

// The slider's handle (w wide) runs from w/4 to trackWidth - w - w/4; the
// period is the nearest of 4..90 along that travel. Half a pixel is taken
// off because a handle placed for a period sits up to one pixel right of it.
function periodForX(x, trackWidth, w) {
    var usable = trackWidth - w - w / 2
    var raw = periodMin + Math.round((x - w / 4 - 0.5) / usable * (periodMax - periodMin))
    return C.clamp(raw, periodMin, periodMax)
}

// Where the slider goes for a period, as a share of its travel.
function ratioForPeriod(period) {
    return (C.clamp(Number(period), periodMin, periodMax) - periodMin) / (periodMax - periodMin)
}

function rateText(period) {
    return String(period) + "MS"
}

// The period the shown text stands for: its first two characters when the
// text is longer than three, else its first.
function periodOfText(text) {
    return text.length > 3 ? text.substring(0, 2) : text.substring(0, 1)
}

function toInt(value) {
    var n = parseInt(value)
    return isNaN(n) ? 0 : n
}

// What the mouse gets for a gun mode: times, X, Y.
function sendValues(gun) {
    return [toInt(gun.gunTimes), toInt(gun.gunX), toInt(gun.gunY)]
}

// The stored record of a gun: name, key, period, X, Y, times.
function record(gun) {
    return [gun.gunName, gun.gunKey, gun.gunPeriod, gun.gunX, gun.gunY, gun.gunTimes]
}

// "mouse/selectGun" as three list positions 0..5; anything unreadable keeps
// the position it replaces.
function selections(stored, fallback) {
    var list = Array.isArray(stored) ? stored : []
    var out = []
    for (var i = 0; i < 3; ++i) {
        var n = parseInt(list[i])
        out.push(!isNaN(n) && n >= 0 && n <= 5 ? n : fallback[i])
    }
    return out
}

// The periods of the guns on modes 1, 2 and 3, as integers.
function periods(model, selected) {
    return selected.map(function (index) { return toInt(model.get(index).gunPeriod) })
}
