import QtQuick
import QtTest
import "../support"

// Both delivered languages carry every text the shell, the DPI page, the
// key-name table and the failure notice show.
SceneTestCase {
    id: testCase
    name: "Languages"

    function test_sections_data() {
        var rows = []
        var languages = ["English", "ChineseSimplified"]
        var sections = [
            { section: "main", count: 15, filled: 11 },
            { section: "dpiSetting", count: 5, filled: 1 },
            { section: "keyCode", count: 133, filled: 133 },
            { section: "notice", count: 8, filled: 8 },
            { section: "other", count: 8, filled: 8 }
        ]
        for (var l = 0; l < languages.length; ++l) {
            for (var s = 0; s < sections.length; ++s) {
                var row = Object.assign({ language: languages[l] }, sections[s])
                row.tag = languages[l] + " " + sections[s].section
                rows.push(row)
            }
        }
        return rows
    }

    function test_sections(data) {
        var texts = recorder.languages[data.language][data.section]
        verify(texts !== undefined, "no section")
        compare(texts.length, data.count)
        for (var i = 0; i < data.filled; ++i)
            verify(texts[i] !== "", "text " + i + " is empty")
    }

    function test_keyNamesAreDistinctWhereCodesDiffer() {
        // Names pick codes: apart from the two backslashes, no name may hide another key.
        var languages = ["English", "ChineseSimplified"]
        for (var l = 0; l < languages.length; ++l) {
            var names = recorder.languages[languages[l]].keyCode
            var seen = {}
            for (var i = 0; i < names.length; ++i) {
                if (names[i] === "\\" && i === 45)
                    continue
                verify(seen[names[i]] === undefined, languages[l] + ": " + names[i] + " twice")
                seen[names[i]] = i
            }
        }
    }
}
