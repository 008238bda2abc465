// Arithmetic of the drop-down controls: rows of 24 pixels, at most ten shown.
.pragma library

var rowHeight = 24
var visibleRows = 10

// Opening and closing take less time the more entries there are; from 18
// entries on (a long macro list) the list simply appears.
function animationMs(count) {
    return Math.max(0, 180 - 10 * count)
}

function listHeight(count) {
    return rowHeight * Math.min(count, visibleRows)
}

function hasScrollBar(count) {
    return count > visibleRows
}

// The scroll bar is as long as the window is a share of the whole list.
function scrollBarLength(count) {
    var window = listHeight(count)
    return Math.max(rowHeight, Math.round(window * window / (rowHeight * count)))
}

// The list offset for a bar dragged to barPos: the bar's travel spans the
// whole list, so every entry can be reached.
function contentOffsetForBar(barPos, count) {
    var s = scrolling(count)
    return s === null ? 0 : Math.round(Math.max(0, Math.min(barPos, s.travel)) * s.range / s.travel)
}

function barForContentOffset(offset, count) {
    var s = scrolling(count)
    return s === null ? 0 : Math.round(Math.max(0, Math.min(offset, s.range)) * s.travel / s.range)
}

// How far the bar travels and how far the list scrolls; null when nothing scrolls.
function scrolling(count) {
    var window = listHeight(count)
    var travel = window - scrollBarLength(count)
    var range = rowHeight * count - window
    return travel > 0 && range > 0 ? { travel: travel, range: range } : null
}
