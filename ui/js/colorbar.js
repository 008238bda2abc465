// The lighting page's colour bar: six segments running red, yellow, green,
// cyan, blue, magenta and back to red. The build draws the bar picture from
// colorAt, so the picture and the page's arithmetic can never disagree.

// The colour at bar position p (pixels from the bar's left edge + 1).
function colorAt(p, barWidth) {
    var seg = Math.floor((barWidth - 2) / 6)
    var k = Math.floor(p / seg)
    var s = Math.floor((p - k * seg) * 255 / seg)
    switch (k) {
    case 0: return [255, s, 0]
    case 1: return [255 - s, 255, 0]
    case 2: return [0, 255, s]
    case 3: return [0, 255 - s, 255]
    case 4: return [s, 0, 255]
    case 5: return [255, 0, 255 - s]
    default: return [255, 0, 0]
    }
}
