// Rules of the numeric input box.
.pragma library

// Typing may leave the box empty, but never holds a non-number or a number
// beyond the range.
function acceptsTyping(text, minValue, maxValue) {
    if (text === "")
        return true
    if (!/^[0-9]+$/.test(text))
        return minValue < 0 && /^-[0-9]*$/.test(text) && (text === "-" || Number(text) >= minValue)
    return Number(text) <= maxValue
}

// What the box shows once it loses the focus.
function settledText(text) {
    return (text === "" || Number(text) < 1) ? "0" : text
}
