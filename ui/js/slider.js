// Arithmetic of the segmented slider. The handle, w pixels wide, moves
// between w/4 and trackWidth - w - w/4; the usable width between the two is
// split into `segment` steps.
.pragma library

function minX(w) {
    return w / 4
}

function maxX(trackWidth, w) {
    return trackWidth - w - w / 4
}

function usableWidth(trackWidth, w) {
    return trackWidth - w - w / 2
}

function stepWidth(trackWidth, w, segment) {
    return usableWidth(trackWidth, w) / segment
}

// Where the handle goes for a press at x on the track (its centre under the pointer).
function clampTarget(x, trackWidth, w) {
    return Math.max(minX(w), Math.min(x - w / 2, maxX(trackWidth, w)))
}

// The step a target snaps to: the first step at or beyond it, allowing
// `tolerance` pixels (1 after a drag, 0 after a click).
function snapIndex(target, trackWidth, w, segment, tolerance) {
    var step = stepWidth(trackWidth, w, segment)
    for (var i = 0; i < segment; ++i) {
        if (target <= minX(w) + step * i + tolerance)
            return i
    }
    return segment
}

function indexX(index, trackWidth, w, segment) {
    return stepWidth(trackWidth, w, segment) * index + minX(w)
}

// The product is truncated toward zero, as a C int() would.
function ratioX(ratio, trackWidth, w) {
    return Math.trunc(usableWidth(trackWidth, w) * ratio) + minX(w) + 1
}
