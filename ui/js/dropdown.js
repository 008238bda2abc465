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
    var window = listHeight(count)
    var travel = window - scrollBarLength(count)
    var range = rowHeight * count - window
    if (travel <= 0 || range <= 0)
        return 0
    var bar = Math.max(0, Math.min(barPos, travel))
    return Math.round(bar * range / travel)
}

function barForContentOffset(offset, count) {
    var window = listHeight(count)
    var travel = window - scrollBarLength(count)
    var range = rowHeight * count - window
    if (travel <= 0 || range <= 0)
        return 0
    return Math.round(Math.max(0, Math.min(offset, range)) * travel / range)
}
