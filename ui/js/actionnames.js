.pragma library

// What the image-only buttons do, for assistive technology, by language. A
// language without its own names reads the English ones.
var names = {
    "English": {
        close: "Close", minimise: "Minimise", about: "About", reset: "Restore defaults",
        undo: "Undo changes", restore: "Restore factory function", ok: "OK", cancel: "Cancel",
        scroll: "Scroll", website: "Web site", colour: "Colour", target: "Cursor adjust",
        stages: "DPI stages", main: "Mouse settings"
    },
    "ChineseSimplified": {
        close: "关闭", minimise: "最小化", about: "关于", reset: "恢复默认",
        undo: "撤销更改", restore: "恢复出厂功能", ok: "确定", cancel: "取消",
        scroll: "滚动", website: "网站", colour: "颜色", target: "准星调整",
        stages: "DPI 档位", main: "鼠标设置"
    }
}

function name(language, key) {
    var table = names[language] || names["English"]
    return table[key] !== undefined ? table[key] : names["English"][key]
}
