// Arithmetic of the DPI page. A stage slider's raw position runs from 3 to
// 161 (158 steps) and maps linearly onto minDPI..maxDPI, rounded down onto
// the dpiBase grid.
.pragma library

var firstPosition = 3
var positionSteps = 158

// A device table with an empty range or no step would give NaN or Infinity,
// which Save would store and send; such a table leaves the values alone.
function isUsable(minDPI, maxDPI, dpiBase) {
    return isFinite(minDPI) && isFinite(maxDPI) && isFinite(dpiBase) && maxDPI !== minDPI && dpiBase > 0
}

// The DPI value of a slider position, or null where the arithmetic is undefined.
function valueAt(position, minDPI, maxDPI, dpiBase) {
    if (!isUsable(minDPI, maxDPI, dpiBase))
        return null
    var raw = (position - firstPosition) * (maxDPI - minDPI) / positionSteps + minDPI
    return Math.trunc(raw / dpiBase) * dpiBase
}

// Where a stored value puts its slider, as a share of the slider's travel.
// The handle cannot stand outside the travel, so a value outside the
// sensor's range shows (and is saved) as the nearest end of it.
function ratioOf(value, minDPI, maxDPI) {
    return Math.min(Math.max((value - minDPI) / (maxDPI - minDPI), 0), 1)
}

// Column placement of the upright sliders for 1..8 visible stages: column y,
// column spacing, text-row spacing; null keeps what was there.
var layouts = [
    null,
    { y: 128, spacing: null, textSpacing: null },
    { y: 109, spacing: 33, textSpacing: 10 },
    { y: 90, spacing: 33, textSpacing: 12 },
    { y: 69, spacing: 33, textSpacing: 14 },
    { y: 50, spacing: 33, textSpacing: 14 },
    { y: 46, spacing: 27, textSpacing: 10 },
    { y: 38, spacing: 24, textSpacing: 8 },
    { y: 30, spacing: 22, textSpacing: 4 }
]

function layoutFor(visible) {
    return layouts[visible] || null
}
