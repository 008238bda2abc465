import QtQuick
import QtTest
import "qrc:/modules/qml/js/keycodes.js" as K
import "qrc:/modules/qml/js/macroblock.js" as MB

// The macro block encoder, called directly: action lists in, bytes out.
TestCase {
    name: "MacroBlock"

    function codeOf(name) {
        return K.strTokeycode(K.defaultNames, name)
    }

    // "1,A" entries as the library keeps them.
    function actions(texts) {
        return texts.map(MB.parseAction)
    }

    function hex(bytes) {
        return bytes.map(function (b) { return (b < 16 ? "0" : "") + b.toString(16) }).join(" ")
    }

    // A press of A, a pause of `ms`, a release of A.
    function pausedA(ms) {
        return actions(["1,A", "0," + ms, "2,A"])
    }

    function test_encode_data() {
        return [
            { tag: "press and release, no delays", list: actions(["1,A", "2,A"]), repeat: 1,
              bytes: "00 01 01 04 81 04 00 00" },
            { tag: "delays between events", list: actions(["1,A", "0,50", "2,A", "0,30", "1,B", "2,B"]), repeat: 1,
              bytes: "00 01 05 04 83 04 01 05 81 05 00 00" },
            { tag: "2000 ms in 20 ms units", list: pausedA(2000), repeat: 1,
              bytes: "00 01 00 04 00 01 00 64 81 04 00 00" },
            { tag: "repeat count 300", list: actions(["1,A", "2,A"]), repeat: 300,
              bytes: "01 2c 01 04 81 04 00 00" },
            { tag: "a single press: the repeat count only", list: actions(["1,A"]), repeat: 1, bytes: "00 01" },
            { tag: "no action at all", list: actions(["0,50"]), repeat: 2, bytes: "00 02" },
            { tag: "leading delays are skipped", list: actions(["0,500", "0,70", "1,A", "2,A"]), repeat: 1,
              bytes: "00 01 01 04 81 04 00 00" },
            { tag: "trailing delays are dropped", list: actions(["1,A", "2,A", "0,3000"]), repeat: 1,
              bytes: "00 01 01 04 81 04 00 00" },
            { tag: "a zero delay is the shortest pause", list: actions(["1,A", "0,0", "2,A"]), repeat: 1,
              bytes: "00 01 01 04 81 04 00 00" },
            { tag: "mouse buttons by name", list: actions(["3,MS-L", "0,100", "4,MS-L", "3,MS-M", "4,MS-R"]),
              repeat: 1, bytes: "00 01 0a f0 81 f0 01 f2 81 f1 00 00" },
            { tag: "unknown names are code 0", list: actions(["1,Hyper", "2,"]), repeat: 1,
              bytes: "00 01 01 00 81 00 00 00" },
            { tag: "delays add up", list: actions(["1,A", "0,600", "0,660", "2,A"]), repeat: 1,
              bytes: "00 01 7e 04 81 04 00 00" },
            { tag: "T 127 is the first long pause", list: pausedA(1270), repeat: 1,
              bytes: "00 01 00 04 00 01 00 3f 81 04 00 00" },
            { tag: "T 126.4 rounds to 126", list: pausedA(1264), repeat: 1,
              bytes: "00 01 7e 04 81 04 00 00" },
            { tag: "T 126.5 rounds to 127: a long pause", list: pausedA(1265), repeat: 1,
              bytes: "00 01 00 04 00 01 00 3f 81 04 00 00" },
            { tag: "T 126.9 rounds to 127: a long pause", list: pausedA(1269), repeat: 1,
              bytes: "00 01 00 04 00 01 00 3f 81 04 00 00" },
            { tag: "T 126.9 after a release truncates to 126", list: actions(["2,A", "0,1269", "1,B"]), repeat: 1,
              bytes: "00 01 fe 04 01 05 00 00" },
            { tag: "a long pause after a release keeps bit 7", list: actions(["2,A", "0,5000", "1,B"]), repeat: 1,
              bytes: "00 01 80 04 00 01 00 fa 01 05 00 00" },
            { tag: "T 99999: 20 ms units", list: pausedA(999990), repeat: 1,
              bytes: "00 01 00 04 00 01 c3 4f 81 04 00 00" },
            { tag: "T 100000: 50 ms units", list: pausedA(1000000), repeat: 1,
              bytes: "00 01 00 04 00 02 4e 20 81 04 00 00" },
            { tag: "T 299999: 50 ms units", list: pausedA(2999990), repeat: 1,
              bytes: "00 01 00 04 00 02 ea 5f 81 04 00 00" },
            { tag: "T 300000: 100 ms units", list: pausedA(3000000), repeat: 1,
              bytes: "00 01 00 04 00 03 75 30 81 04 00 00" },
            { tag: "T 599999: 100 ms units", list: pausedA(5999990), repeat: 1,
              bytes: "00 01 00 04 00 03 ea 5f 81 04 00 00" },
            { tag: "T 600000: no unit pair, the count wraps", list: pausedA(6000000), repeat: 1,
              bytes: "00 01 00 04 27 c0 81 04 00 00" },
            { tag: "fractional T after a press is rounded", list: actions(["1,A", "0,55", "1,B", "0,54", "2,B"]),
              repeat: 1, bytes: "00 01 06 04 05 05 81 05 00 00" },
            { tag: "fractional T after a release is truncated", list: actions(["2,A", "0,59", "2,B"]), repeat: 1,
              bytes: "00 01 85 04 81 05 00 00" },
            { tag: "a pause rounding to 0 is the shortest pause", list: actions(["1,A", "0,4", "2,A"]), repeat: 1,
              bytes: "00 01 01 04 81 04 00 00" },
            { tag: "a release pause truncating to 0 is the shortest", list: actions(["2,A", "0,9", "1,B", "2,B"]),
              repeat: 1, bytes: "00 01 81 04 01 05 81 05 00 00" },
            { tag: "fractional long pause", list: pausedA(2555), repeat: 1,
              bytes: "00 01 00 04 00 01 00 7f 81 04 00 00" }
        ]
    }

    function test_encode(data) {
        compare(hex(MB.encode(data.list, data.repeat, codeOf)), data.bytes)
    }

    function test_parseLoaded() {
        var loaded = MB.parseLoaded(["1,A", "0,50", "2,,", "3"])
        compare(loaded.repeat, 3)
        compare(loaded.actions.length, 3)
        compare([loaded.actions[1].type, loaded.actions[1].info], [0, "50"])
        compare(loaded.actions[2].info, ",", "the info is everything after the first comma")
        compare(MB.parseLoaded([]).repeat, 0, "a missing macro")
        compare(MB.actionText({ type: 2, info: "B" }), "2,B")
    }

    // n presses and releases of A: 2 + 2n + 2 bytes.
    function keystrokes(n) {
        var out = []
        for (var i = 0; i < n; ++i)
            out.push("1,A", "2,A")
        return actions(out)
    }

    function test_blockIsAlways128Bytes_data() {
        return [
            { tag: "short macro, zero padded", list: keystrokes(1), used: 8, cutAfter: -1 },
            { tag: "exactly 128", list: keystrokes(31), used: 128, cutAfter: -1 },
            { tag: "one event over: it goes", list: keystrokes(31).concat(actions(["1,A"])), used: 128, cutAfter: 61 },
            { tag: "far over", list: keystrokes(200), used: 128, cutAfter: 61 },
            { tag: "a long pause at the edge goes with its event",
              list: keystrokes(30).concat(actions(["1,A", "0,5000", "2,A"])), used: 126, cutAfter: 60 }
        ]
    }

    function test_blockIsAlways128Bytes(data) {
        var block = MB.block(data.list, 1, codeOf)
        compare(block.length, 128)
        var expected = data.cutAfter < 0 ? MB.encode(data.list, 1, codeOf)
                                         : MB.encode(data.list.slice(0, data.cutAfter + 1), 1, codeOf)
        compare(expected.length, data.used)
        compare(hex(block.slice(0, data.used)), hex(expected))
        compare(hex(block.slice(data.used - 2, data.used)), "00 00", "the terminator survives")
        verify(block.slice(data.used).every(function (b) { return b === 0 }))
        compare(MB.fits(data.list, 1, codeOf), data.cutAfter < 0)
    }
}
