// The report-rate box: list index to the value the mouse takes
// (125 Hz, 250 Hz, 500 Hz, 1000 Hz).
.pragma library

var entries = ["125Hz", "250Hz", "500Hz", "1000Hz"]
var values = [8, 4, 2, 1]

function valueOf(index) {
    return values[index]
}
