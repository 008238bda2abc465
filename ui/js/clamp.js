// Keeping a value, or a dragged window, inside its bounds.
.pragma library

function clamp(value, low, high) {
    return Math.max(low, Math.min(value, high))
}

// The new position of an item of `size` moved from `start` by `delta`
// inside a scene of `sceneSize`.
function moveInside(start, delta, size, sceneSize) {
    return clamp(start + delta, 0, Math.max(0, sceneSize - size))
}
