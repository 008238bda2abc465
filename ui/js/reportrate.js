// The report-rate box: list index to the value the mouse takes
// (125 Hz, 250 Hz, 500 Hz, 1000 Hz).
.pragma library

var entries = ["125Hz", "250Hz", "500Hz", "1000Hz"]
var values = [8, 4, 2, 1]

// The entry a stored index selects: anything outside the list, or nothing
// stored, is the last one, 1000 Hz.
function indexOf(stored) {
    var index = parseInt(stored)
    return isNaN(index) || index < 0 || index >= values.length ? values.length - 1 : index
}

function valueOf(index) {
    return index >= 0 && index < values.length ? values[index] : 1
}
