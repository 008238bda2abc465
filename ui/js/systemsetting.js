// Rules of the system settings page: slider positions to the steps the
// pointer settings take, and the scroll-lines field.
.pragma library

// A slider position p (3..337) is step i of the first threshold p lies below.
var compareValue = [4, 37, 70, 104, 138, 172, 205, 239, 272, 305, 338]

var onePage = 1000
var maxLines = 100

function stepOf(position) {
    for (var i = 0; i < compareValue.length; ++i) {
        if (position < compareValue[i])
            return i
    }
    return 0
}

// What the field shows once the user leaves it: at least one line.
function settledLines(text) {
    var n = parseInt(text)
    return (text === "" || isNaN(n) || n < 1) ? "1" : String(text)
}

// The lines a wheel notch scrolls: the field's number, or one screen.
function scrollValue(linesChosen, text) {
    return linesChosen ? parseInt(settledLines(text)) : onePage
}

// A stored position; an unreadable one keeps the slider where it is.
function position(value, fallback) {
    var n = parseInt(value)
    return isNaN(n) ? fallback : n
}

// How a stored scroll value shows: one screen above 100 lines, else the
// lines in the field. Null for a value that is not a number, which leaves
// the page as it is.
function scrollShown(stored) {
    var n = parseInt(stored)
    if (isNaN(n))
        return null
    if (n > maxLines)
        return { onePage: true, text: null }
    return { onePage: false, text: settledLines(String(n)) }
}
