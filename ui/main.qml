pragma ComponentBehavior: Bound
import QtQuick
import "basic"
import "common"
import "pages"
import "js/actionnames.js" as AN
import "js/keyaction.js" as KA

// The main document: the whole content of the window. It lays out the
// permanent panels, hosts every page, opens the dialog pages over the mask,
// and is where the backend calls in: initUI, run, setProtectUI,
// setCurrentDPI, detectKeyboard and detectMouse.
Item {
    id: mainIten

    width: 1024
    height: 640
    visible: false
    // Keys nobody else took land here: Tab into the screen, Escape on a dialog.
    focus: true
    Accessible.role: Accessible.Pane
    Accessible.name: actionName("main")
    Keys.onPressed: function (event) { event.accepted = rootKey(event) }
    // Looked at once the move is over: the focus may pass through other
    // items on its way, and cannot be moved again while it moves.
    Window.onActiveFocusItemChanged: focusSettle.restart()

    // The backend publishes the bridge (ui_View), the device commands (hid)
    // and the window controller (ui_Ctl) as context properties of the view;
    // every document reaches them through these three.
    // qmllint disable unqualified
    readonly property var bridge: ui_View
    readonly property var device: hid
    readonly property var controller: ui_Ctl
    // qmllint enable unqualified

    property var mainLang: ["Editor", "Macro Editor", "Gun Editor", "Report Rate", "Config", "Reset",
        "Reset factory setting", "Cancel", "OK", "System setting", "Save", "SENDING %1 / %2", "", "", ""]
    // What the notice says when a change did not reach the mouse, by the
    // positions of failedChangeTargets(); the last one for anything else.
    property var noticeLang: ["The button change did not reach the mouse.",
        "The DPI change did not reach the mouse.", "The lighting change did not reach the mouse.",
        "The report rate change did not reach the mouse.", "The macro did not reach the mouse.",
        "The gun data did not reach the mouse.", "The profile did not reach the mouse.",
        "A change did not reach the mouse."]
    property bool isColorful: false
    property bool isGun: true
    property string icType: "553"
    property bool is55328: false
    property string language: "ChineseSimplified"
    property string url: "https://kestrel-orbit.example.org/"
    property bool isPownOn: false
    property bool isScrollRateFocus: false
    property int profileNo: 0
    property int keyCount: 8

    // Theme: fonts and colours of every page.
    property string fontFamily: "微软雅黑"
    property int fontNormalSize: 12
    property int fontMiddleSize: 14
    property int fontMaxSize: 16
    property int fontMinSize: 10
    property color fontColor: "#f0f0f0"
    property color colorGray0: "#1a1a1a"
    property color colorGray1: "#3c3c3c"
    property color colorGray2: "#969696"
    property color colorGray3: "#d1d1d1"
    property color colorBlue: "#a7a9ab"
    property color colorOrange: "#d52925"
    property color colorBlack: "#000000"
    property color colorUnsaved: "#009cde"
    property int skin_No: 1

    function imagePath(group, file) {
        return "qrc:/" + group + "/modules/img/skin" + skin_No + "/" + group + "/" + file + ".png"
    }

    // Images, by the group they belong to.
    readonly property url sourceBackground: "qrc:/modules/img/background.png"
    readonly property url sourceTitleBar: "qrc:/modules/img/titleBar.png"
    readonly property url sourceTitleLogo: "qrc:/modules/img/titleLogo.png"
    readonly property url sourcePowerOn: imagePath("index", "powerOn")
    readonly property url sourceAskBtn: imagePath("index", "ask")
    readonly property url sourceAskBtnH: imagePath("index", "askH")
    readonly property url sourceMinBtn: imagePath("index", "min")
    readonly property url sourceMinBtnH: imagePath("index", "minH")
    readonly property url sourceCloseBtn: imagePath("index", "close")
    readonly property url sourceCloseBtnH: imagePath("index", "closeH")
    readonly property url sourceDropBtn: imagePath("index", "dropBtn")
    readonly property url sourceDropBtnU: imagePath("index", "dropBtnU")
    readonly property url sourceSlide: imagePath("index", "slide")
    readonly property url sourceCheckBtn: imagePath("index", "checkBtn")
    readonly property url sourceDlgClose: imagePath("index", "dlgClose")
    readonly property url sourceDlgCloseH: imagePath("index", "dlgCloseH")
    readonly property url sourceRestoreBtn: imagePath("index", "restore")
    readonly property url sourceRestoreBtnH: imagePath("index", "restoreH")
    readonly property url sourceResetBtn: imagePath("index", "reset")
    readonly property url sourceResetBtnH: imagePath("index", "resetH")
    readonly property url sourceOkBtn: imagePath("index", "ok")
    readonly property url sourceOkBtnH: imagePath("index", "okH")
    readonly property url sourceCancelBtn: imagePath("index", "cancel")
    readonly property url sourceCancelBtnH: imagePath("index", "cancelH")
    readonly property url sourceDpiScale: imagePath("dpiSetting", "scale")
    readonly property url sourceMouse: imagePath("mouse", "mouse")
    readonly property url sourceBackBtn: imagePath("lightControl", "back")
    readonly property url sourceBackBtnH: imagePath("lightControl", "backH")
    readonly property url sourceBackBtnP: imagePath("lightControl", "backP")
    readonly property url sourceSpeedScale: imagePath("lightControl", "speedScale")
    readonly property url sourceColorBar: imagePath("lightControl", "colorBar")
    readonly property url sourceMacroDelay: imagePath("macros", "delay")
    readonly property url sourceMacroKeyDown: imagePath("macros", "keyDown")
    readonly property url sourceMacroKeyUp: imagePath("macros", "keyUp")
    readonly property url sourceMacroMouseDown: imagePath("macros", "mouseDown")
    readonly property url sourceMacroMouseUp: imagePath("macros", "mouseUp")
    readonly property url sourceGunTarget: "qrc:/gun/modules/img/skin1/gun/target.png"

    function gunImage(number) {
        return "qrc:/gun/modules/img/skin1/gun/gun" + number + ".png"
    }

    // Set by the bridge when the whole view is disabled or enabled again.
    property bool viewEnabled: true
    // Disabled with no protection period running: the device went away.
    readonly property bool deviceGone: !viewEnabled && !protectUIItem.isBusy
    readonly property alias keyCodeTable: _KeyCodeString
    // A dialog page is open over the mask; right clicks are then its own.
    readonly property bool isDialogOpen: mainMask.visible
    // Set by the bridge: exchanges with the mouse since the view was last
    // disabled, and whether one of them failed (the rest were then refused).
    property int exchangesSent: 0
    property bool sequenceFailed: false
    readonly property bool isAnyUnsaved: keyMatrixMain.isSave || dpiSettingMain.isSave
                                         || lightControlMain.isSave

    onDeviceGoneChanged: console.log(deviceGone ? "view disabled: device gone" : "view enabled")

    // Keyboard and assistive technology. What an image-only button does, in
    // the current language; the title bar's profile list goes by "Config".
    function actionName(key) {
        return AN.name(language, key)
    }
    readonly property string profileListName: mainLang[4]
    function keyRowName(index) {
        return String(keyMatrixMain.keyMatrixLang[0]).trim() + " " + (index + 1)
    }

    // The dialog the focus must stay in: the macro editor lies over the
    // assignment dialog, and only one of the others opens at a time.
    function topDialog() {
        var dialogs = [macroEditorMain, keyAssigmentMain, gunControlMain, profileMain, systemSettingMain,
                       factorysure, versionWnd]
        for (var i = 0; i < dialogs.length; ++i) {
            if (dialogs[i].visible)
                return dialogs[i]
        }
        return null
    }

    // Where Tab stays: the open dialog, or the insert-key box over the editor.
    function focusDialog() {
        var dialog = topDialog()
        return dialog === macroEditorMain && macroEditorMain.isInsertting ? macroEditorMain.insertBox : dialog
    }

    function holds(ancestor, item) {
        for (var at = item; at !== null; at = at.parent) {
            if (at === ancestor)
                return true
        }
        return false
    }

    // The first item Tab reaches inside `scope` (null: none).
    function firstFocusable(scope) {
        var next = scope.nextItemInFocusChain(true)
        return next !== null && next !== scope && holds(scope, next) ? next : null
    }

    // Whether the keyboard is in use: a control (not a text field, which a
    // click also focuses) has the focus.
    function keyboardFocused() {
        var item = Window.activeFocusItem
        return item !== null && item !== mainIten && item !== captureSink && !("cursorPosition" in item)
    }

    property Item lastFocus: null

    // Where Tab goes, group by group: the open dialog alone, or the main
    // screen in reading order (the document declares them in another order;
    // the lighting page's effect list, declared last, is read first).
    function focusGroups() {
        var dialog = focusDialog()
        return dialog !== null ? [dialog]
                               : [upItem, panelleft, dpiSettingMain, lightControlMain.lightModel, lightControlMain,
                                  bottomBar]
    }

    // The Tab stops of group g, in Tab order; an item of two groups is the
    // first one's.
    function groupStops(groups, g) {
        var scope = groups[g]
        var stops = []
        var first = scope.activeFocusOnTab && scope.visible && scope.enabled ? scope : scope.nextItemInFocusChain(true)
        var at = first
        // The chain goes round; the guard ends a group that holds all of it.
        for (var guard = 0; at !== null && guard < 1000 && holds(scope, at); ++guard) {
            if (groupOf(groups, at) === g)
                stops[stops.length] = at
            at = at.nextItemInFocusChain(true)
            if (at === first)
                break
        }
        return stops
    }

    function groupOf(groups, item) {
        for (var i = 0; item !== null && i < groups.length; ++i) {
            if (holds(groups[i], item))
                return i
        }
        return -1
    }

    // The first (forward) or last control of the next group that has one.
    function enterGroup(groups, from, forward) {
        for (var k = 1; k <= groups.length; ++k) {
            var stops = groupStops(groups, (from + (forward ? k : groups.length * 2 - k)) % groups.length)
            if (stops.length > 0)
                return forward ? stops[0] : stops[stops.length - 1]
        }
        return null
    }

    // A Tab step that leaves its group goes on in the next group; focus
    // that lands outside an open dialog goes back into it.
    function focusMoved() {
        var item = Window.activeFocusItem
        if (item === null || !item.activeFocusOnTab)
            return
        var groups = focusGroups()
        var from = groupOf(groups, lastFocus)
        var to = groupOf(groups, item)
        if (to < 0 || to !== from) {
            var forward = lastFocus !== null && lastFocus.nextItemInFocusChain(true) === item
            var backward = lastFocus !== null && lastFocus.nextItemInFocusChain(false) === item
            var target = null
            if (from >= 0 && (forward || backward))
                target = enterGroup(groups, from, forward)
            else if (to < 0 && focusDialog() !== null)
                target = firstFocusable(focusDialog())
            if (target !== null && target !== item) {
                target.forceActiveFocus()
                return
            }
        }
        lastFocus = item
        if (holds(keyAssigmentMain.contentView, item))
            keyAssigmentMain.reveal(item, 0)
    }

    // Tab with nothing focused enters the screen (or the open dialog);
    // Escape with nothing focused inside a dialog closes it as its close mark.
    function rootKey(event) {
        var dialog = topDialog()
        if (event.key === Qt.Key_Escape && dialog !== null) {
            dialog.closeClicked()
            return true
        }
        if (event.key !== Qt.Key_Tab && event.key !== Qt.Key_Backtab)
            return false
        var groups = focusGroups()
        var forward = event.key === Qt.Key_Tab && !(event.modifiers & Qt.ShiftModifier)
        var target = enterGroup(groups, forward ? groups.length - 1 : 0, forward)
        if (target !== null)
            target.forceActiveFocus()
        return true
    }

    // While a field or the macro editor records, keys belong to the
    // recording: the focus waits here, where they do nothing, and goes back
    // once the recording ends and the last key is up.
    readonly property bool capturing: keyAssigmentMain.isFireInput || keyAssigmentMain.isComboInput
        || (macroEditorMain.currentIndex >= 0 && (macroEditorMain.isInputting || macroEditorMain.insertListening))
    property Item captureReturn: null
    // Started from the keyboard, the recording would hear the starting key
    // come up; a release before the first press is that key's.
    property bool skipStartingRelease: false
    // The keys a keyboard-started recording has seen go down and not yet up.
    property var heldKeys: []
    onCapturingChanged: {
        if (capturing) {
            captureReturn = keyboardFocused() ? Window.activeFocusItem : null
            skipStartingRelease = captureReturn !== null
            heldKeys = []
            captureSink.forceActiveFocus()
        } else {
            skipStartingRelease = false
            // Started with the pointer: nothing to wait for.
            if (captureReturn === null && captureSink.activeFocus)
                mainIten.forceActiveFocus()
        }
    }

    // A field's recording started from the keyboard ends by itself once it
    // holds a key and every key pressed in it is up, since its OK cannot be
    // reached while keys are recorded; the focus goes back to the field.
    // Live macro recording takes every key and is not ended here.
    function keyboardCaptureKey(isDown, usbCode) {
        var wasHeld = heldKeys.indexOf(usbCode) >= 0
        heldKeys = KA.heldAfter(heldKeys, isDown, usbCode)
        if (isDown || !wasHeld || heldKeys.length > 0)
            return
        var back = captureReturn
        if (keyAssigmentMain.isComboInput) {
            if (keyAssigmentMain.combination.text === "")
                return
            keyAssigmentMain.endComboInput()
        } else if (macroEditorMain.insertListening) {
            if (macroEditorMain.insertName === "")
                return
            macroEditorMain.endInsertListening()
            back = macroEditorMain.insertField
        } else if (capturing) {
            return
        }
        captureReturn = null
        back.forceActiveFocus()
    }

    Timer {
        id: focusSettle
        interval: 0
        onTriggered: mainIten.focusMoved()
    }

    Item {
        id: captureSink
        objectName: "captureSink"
        Keys.onPressed: function (event) { event.accepted = true }
        Keys.onReleased: function (event) {
            event.accepted = true
            if (!mainIten.capturing && mainIten.captureReturn !== null) {
                var back = mainIten.captureReturn
                mainIten.captureReturn = null
                back.forceActiveFocus()
            }
        }
    }

    signal msg_KB(bool isDown, int usbCode)
    signal msg_MS(bool isDown, int tovoCode, int x, int y)
    signal emptyAreaPressed()

    function toBool(value) {
        return value === true || value === "true" || value === 1 || value === "1"
    }

    // A language section replaces a page's texts position by position; a
    // position the file does not fill reads as the empty text.
    function fitTexts(texts, builtIn) {
        var out = []
        for (var i = 0; i < Math.max(texts.length, builtIn.length); ++i)
            out.push(i < texts.length && texts[i] !== undefined ? String(texts[i]) : "")
        return out
    }

    // The language sections in the order they are read at the first
    // connection, with where each one's texts go.
    function languageTargets() {
        return [
            ["main", function (texts) { mainLang = fitTexts(texts, mainLang) }],
            ["keyMatrix", function (texts) { keyMatrixMain.keyMatrixLang = fitTexts(texts, keyMatrixMain.keyMatrixLang) }],
            ["keyAssigment", function (texts) { keyAssigmentMain.keyAssigmentLang = fitTexts(texts, keyAssigmentMain.keyAssigmentLang) }],
            ["dpiSetting", function (texts) { dpiSettingMain.dpiSettingLang = fitTexts(texts, dpiSettingMain.dpiSettingLang) }],
            ["lightControl", function (texts) { lightControlMain.lightControlLang = fitTexts(texts, lightControlMain.lightControlLang) }],
            ["macroEditor", function (texts) { macroEditorMain.macroEditorLang = fitTexts(texts, macroEditorMain.macroEditorLang) }],
            ["systemSetting", function (texts) { systemSettingMain.systemSettingLang = fitTexts(texts, systemSettingMain.systemSettingLang) }],
            ["gunControl", function (texts) { gunControlMain.gunControlLang = fitTexts(texts, gunControlMain.gunControlLang) }],
            ["profile", function (texts) { profileMain.profileLang = fitTexts(texts, profileMain.profileLang) }],
            ["keyCode", function (texts) { _KeyCodeString.names = texts }],
            // A language file from before the notice keeps the built-in texts.
            ["notice", function (texts) {
                noticeLang = fitTexts(texts, noticeLang).map(function (text, i) { return text !== "" ? text : noticeLang[i] })
            }],
            // Read for its side effect: it replaces the tray's DPI texts.
            ["other", null]
        ]
    }

    function initUI() {
        setProtectUI(1000)
        mainIten.visible = true
        if (!isPownOn) {
            isColorful = toBool(bridge.getGlobalData("mouse/isColorful"))
            icType = String(bridge.getGlobalData("mouse/icType"))
            is55328 = toBool(bridge.getGlobalData("mouse/is55328"))
            isGun = toBool(bridge.getGlobalData("mouse/isGun"))
            var keys = parseInt(bridge.getGlobalData("mouse/keyCount"))
            keyCount = isNaN(keys) ? keyCount : keys
            language = String(bridge.getGlobalData("common/language"))
            url = String(bridge.getGlobalData("common/url"))
            if (icType === "560" && Number(bridge.mouseReadCurrentProfile()) !== 1)
                device.hid560_02H_SetCurrentProfile(1)
            var targets = languageTargets()
            for (var i = 0; i < targets.length; ++i) {
                var texts = bridge.getLangStrings(targets[i][0], language)
                if (targets[i][1] !== null)
                    targets[i][1](texts)
            }
            profileMain.init()
            var number = parseInt(bridge.getGlobalData("mouse/profileNo"))
            profileNo = isNaN(number) ? 0 : number
            profileMain.profileNo = profileNo
            showActiveProfile()
            upItem.profileList.closeMenu()
            console.log("profileNo", profileNo)
            bridge.setCurrentProfile(profileNo)
            // The active profile's rate, so after the profile is chosen.
            reportRateMain.init(false)
            macroEditorMain.init()
            gunControlMain.init()
            keyAssigmentMain.init()
            keyMatrixMain.init(false, false)
            dpiSettingMain.init(false, false)
            lightControlMain.init(false, false)
            systemSettingMain.init(false, false)
            isPownOn = true
        }
        var stage = parseInt(bridge.mouseGetCurrentDPI())
        if (!isNaN(stage))
            setCurrentStage(stage - 1)
    }

    function run() {
    }

    function setProtectUI(interval) {
        protectUIItem.setBusy(true)
        bridge.setEnabled(false)
        tmrProtectUI.interval = interval
        tmrProtectUI.restart()
    }

    function endProtectUI() {
        bridge.setEnabled(true)
        protectUIItem.setBusy(false)
        if (powerOnLogo.visible) {
            powerOnLogo.visible = false
            envItem.visible = true
            console.log("main screen shown")
        }
    }

    function setCurrentDPI(dpiValue) {
        if (dpiValue !== 0)
            setCurrentStage(dpiValue - 1)
    }

    function setCurrentStage(stage) {
        dpiSettingMain.currentDPI = stage
        console.log("DPI stage", stage + 1)
    }

    // What a failed change names (the bridge's word for it): the position of
    // its notice text, and the page left unsaved so that Save, or closing the
    // gun page, sends it again.
    function failedChangeTargets() {
        return {
            "buttons": { text: 0, page: keyMatrixMain },
            "dpi": { text: 1, page: dpiSettingMain },
            "lighting": { text: 2, page: lightControlMain },
            "reportRate": { text: 3, page: null },
            "macro": { text: 4, page: null },
            "gun": { text: 5, page: gunControlMain },
            "profile": { text: 6, page: null }
        }
    }

    // The bridge: a change did not reach the mouse. The stores keep it.
    function changeFailed(what) {
        var targets = failedChangeTargets()
        var target = targets.hasOwnProperty(String(what)) ? targets[String(what)] : { text: 7, page: null }
        if (target.page !== null)
            target.page.isSave = true
        failureNotice.add(noticeLang[target.text])
    }

    // Captured input goes to whoever records; nothing here keeps or logs it.
    function detectKeyboard(isDown, usbCode) {
        msg_KB(isDown, usbCode)
    }

    function detectMouse(isDown, tovoCode, x, y) {
        // The coordinates come unsigned; screens left of or above the
        // primary one have negative ones.
        msg_MS(isDown, tovoCode, x | 0, y | 0)
    }

    // Closes every open drop-down of the main screen.
    function mainFocus() {
        reportRateMain.reportList.closeMenu()
        dpiSettingMain.dpiSegment.closeMenu()
        upItem.profileList.closeMenu()
        // Also ends a colour value being typed, so Save takes it.
        lightControlMain.lightControlFocus()
    }

    function controlUIEnable(isEnable) {
        // The indicator goes on before the view is disabled and off after it
        // is enabled again, so a protected view never reads as a lost device.
        if (isEnable) {
            bridge.setEnabled(true)
            protectUIItem.setBusy(false)
        } else {
            protectUIItem.setBusy(true)
            bridge.setEnabled(false)
        }
    }

    // Runs a user-started sequence with the view disabled and the busy
    // indicator counting its exchanges. The total is what the same sequence
    // took last time on this kind of mouse (kept in the global settings); a
    // run cut short by a failed report teaches nothing.
    function runSequence(kind, body) {
        var key = "progress/" + kind + "-" + icType + (isGun ? "-gun" : "")
        var known = parseInt(bridge.getGlobalData(key))
        protectUIItem.total = isNaN(known) ? 0 : known
        controlUIEnable(false)
        try {
            body()
            if (!sequenceFailed && exchangesSent > 0 && exchangesSent !== protectUIItem.total)
                bridge.setGlobalData(key, exchangesSent)
        } finally {
            // Whatever went wrong, the view and the link are not left held.
            controlUIEnable(true)
            protectUIItem.total = 0
        }
    }

    // After a profile switch or a factory reset: every page reloads from the
    // profile and sends it to the mouse.
    function reinitWithSending() {
        keyMatrixMain.init(true, false)
        reportRateMain.init(true)
        dpiSettingMain.init(true, false)
        lightControlMain.init(true, false)
        systemSettingMain.init(true, false)
    }

    function restoreGunMatrix() {
        if (isGun) {
            bridge.mouseSwitchKeyMatrix(1)
            bridge.mouseResetKeyMatrix()
        }
    }

    function switchProfile(number) {
        if (number === profileNo || number < 0)
            return
        runSequence("switch", function () {
            profileNo = number
            profileMain.profileNo = number
            showActiveProfile()
            bridge.setGlobalData("mouse/profileNo", number)
            bridge.setCurrentProfile(number)
            reinitWithSending()
            restoreGunMatrix()
        })
    }

    // The pages with unsaved edits, in the order Save stores and sends them.
    function savablePages() {
        return [
            { page: keyMatrixMain, save: function () { keyMatrixMain.modKeys.saveData() } },
            { page: dpiSettingMain, save: function () { dpiSettingMain.saveData(true) } },
            { page: lightControlMain, save: function () { lightControlMain.saveData(true, 0) } }
        ]
    }

    function saveAll() {
        mainFocus()
        var pending = savablePages().filter(function (entry) { return entry.page.isSave })
        if (pending.length === 0)
            return
        var kind = "save"
        for (var p = 0; p < pending.length; ++p)
            kind += "-" + pending[p].page.objectName
        runSequence(kind, function () {
            for (var i = 0; i < pending.length; ++i) {
                pending[i].page.isSave = false
                pending[i].save()
            }
        })
    }

    function factoryReset() {
        runSequence("reset", function () {
            factorysure.visible = false
            mainMask.visible = false
            var pages = savablePages()
            for (var i = 0; i < pages.length; ++i)
                pages[i].page.isSave = false
            bridge.resetProfile(profileNo)
            reinitWithSending()
            restoreGunMatrix()
            bridge.mouseSetCurrentDPI(2)
            setCurrentStage(1)
            gunControlMain.resetData()
            // The key matrix above went out with the old periods.
            if (isGun)
                sendKeyMatrix()
        })
    }

    // The command-line companion's view of the screen, and its requests
    // carried out as their clicks would be (a profile switch is the title
    // bar's switchProfile; a DPI stage arrives as the DPI button's does).
    function companionState() {
        return { profileNo: profileNo, rows: profileMain.rowList(), dpiStage: dpiSettingMain.currentDPI + 1,
                 rateIndex: reportRateMain.reportList.currentSelect, busy: protectUIItem.isBusy }
    }

    function chooseReportRate(index) {
        reportRateMain.reportList.currentSelect = index
        reportRateMain.reportList.valueChange(index)
    }

    // The profile page's Import (the bridge's file choice already made);
    // the new row's number, or -1 when nothing was imported.
    function importProfileAs(name) {
        var rows = profileMain.profileDataModel0
        var count = rows.count
        profileMain.importProfile()
        if (rows.count === count)
            return -1
        if (name !== "") {
            rows.setProperty(count, "textValue", name)
            profileMain.storeList()
        }
        return rows.get(count).profileNo
    }

    // The title bar shows the row of the active profile, wherever it sits.
    function showActiveProfile() {
        upItem.profileList.currentSelect = profileMain.activeRow()
    }

    // The key matrix, with the gun page's three periods.
    function sendKeyMatrix() {
        keyMatrixMain.modKeys.saveData()
    }

    // The firing periods of the guns serving as gun modes 1, 2 and 3.
    function gunPeriods() {
        return gunControlMain.periods()
    }

    function openDialog(dialog, withMask) {
        // A keyboard user goes into the dialog and back where they were.
        var from = keyboardFocused() ? Window.activeFocusItem : null
        dialog.centre()
        dialog.visible = true
        if (withMask)
            mainMask.visible = true
        if (from !== null) {
            dialog.returnFocus = from
            var first = firstFocusable(dialog)
            if (first !== null)
                first.forceActiveFocus()
        }
    }

    function closeDialog(dialog) {
        dialog.visible = false
        // The macro editor opens over the assignment dialog; that one keeps the mask.
        mainMask.visible = keyAssigmentMain.visible
    }

    // The button matrix and the mouse picture share the selected button.
    function enterButton(index) {
        mouseMain.selectKey = index
    }

    function leaveButton(index) {
        if (!keyAssigmentMain.visible)
            mouseMain.selectKey = -1
    }

    // Opens the assignment dialog for a button, unless it is the last left button.
    function clickButton(index) {
        mouseMain.selectKey = index
        if (keyMatrixMain.modKeys.checkOneLeftKey())
            return false
        keyAssigmentMain.show(index)
        return true
    }

    // Captured keys go only to a page that waits for them.
    onMsg_KB: function (isDown, usbCode) {
        if (skipStartingRelease) {
            if (!isDown)
                return
            skipStartingRelease = false
        }
        if (keyAssigmentMain.isFireInput)
            keyAssigmentMain.detectKeyboard(isDown, usbCode, 0)
        else if (keyAssigmentMain.isComboInput)
            keyAssigmentMain.detectKeyboard(isDown, usbCode, 1)
        if (macroEditorMain.currentIndex >= 0) {
            if (macroEditorMain.isInputting)
                macroEditorMain.detectKeyboard(isDown, usbCode)
            else if (macroEditorMain.isInsertting)
                macroEditorMain.detectInput(isDown, usbCode)
        }
        if (captureReturn !== null)
            keyboardCaptureKey(isDown, usbCode)
    }

    // A press on the mask ends edits and closes lists on the open pages.
    function maskPressed() {
        if (macroEditorMain.visible)
            macroEditorMain.macroEditorFocus()
        if (profileMain.visible)
            profileMain.profileFocus()
        if (gunControlMain.visible)
            gunControlMain.gunControlFocus()
        lightControlMain.lightControlFocus()
        if (systemSettingMain.visible)
            systemSettingMain.systemSettingFocus()
    }

    // The scroll-lines field took the focus: the lists of the main screen close.
    onIsScrollRateFocusChanged: {
        if (isScrollRateFocus)
            mainFocus()
    }

    // Window drag: every move hands the offset from the press to the window.
    component WindowDragArea: MouseArea {
        property point pressAt
        onPressed: function (mouse) {
            pressAt = Qt.point(mouse.x, mouse.y)
        }
        onPositionChanged: function (mouse) {
            if (!pressed)
                return
            mainIten.controller.onXChanged(mouse.x - pressAt.x)
            mainIten.controller.onYChanged(mouse.y - pressAt.y)
        }
    }

    WindowDragArea {
        id: dragArea
        anchors.fill: parent
        Accessible.ignored: true
        onPressed: {
            mainIten.emptyAreaPressed()
            mainIten.mainFocus()
        }
    }

    Image {
        id: powerOnLogo
        objectName: "powerOnLogo"
        Accessible.ignored: true
        anchors.centerIn: parent
        source: mainIten.sourcePowerOn
    }

    BusyIndicator {
        id: protectUIItem
        objectName: "protectUIItem"
        theme: mainIten
        done: mainIten.exchangesSent
        progressFormat: mainIten.mainLang[11]
        anchors.centerIn: parent
        z: 99
    }

    Timer {
        id: tmrProtectUI
        objectName: "tmrProtectUI"
        interval: 1000
        onTriggered: mainIten.endProtectUI()
    }

    Image {
        id: envItem
        objectName: "envItem"
        visible: false
        width: 1024
        height: 640
        source: mainIten.sourceBackground
        // The brand mark on the background opens the web site.
        MouseArea {
            x: 75
            width: 90
            height: 90
            cursorShape: Qt.PointingHandCursor
            onClicked: Qt.openUrlExternally(mainIten.url)
            Accessible.role: Accessible.Link
            Accessible.name: mainIten.actionName("website")
            Accessible.onPressAction: Qt.openUrlExternally(mainIten.url)
        }
        Image {
            source: mainIten.sourceTitleBar
        }
    }

    Column {
        id: panelleft
        objectName: "panelleft"
        x: 24
        y: 88
        spacing: 8
        visible: envItem.visible

        KeyMatrix {
            id: keyMatrixMain
            objectName: "keyMatrixMain"
            shell: mainIten
            assignment: keyAssigmentMain
            macroEditor: macroEditorMain
            keyCount: mainIten.keyCount
            selectKey: mouseMain.selectKey
            onEnterBtn: function (index) { mainIten.enterButton(index) }
            onLeaveBtn: function (index) { mainIten.leaveButton(index) }
            onClickBtn: function (index) {
                mainIten.clickButton(index)
                mainIten.mainFocus()
            }
        }

        // The macro and gun editors.
        Rectangle {
            id: editorBox
            width: 232
            height: mainIten.isGun ? 100 : 76
            color: mainIten.colorBlack
            Text {
                x: 8
                y: 8
                text: mainIten.mainLang[0]
                color: mainIten.fontColor
                font.family: mainIten.fontFamily
                font.pixelSize: mainIten.fontMiddleSize
                font.bold: true
            }
            Column {
                x: 8
                y: 40
                spacing: 0
                PanelRow {
                    theme: mainIten
                    objectName: "macroEditorRow"
                    text: mainIten.mainLang[1]
                    onClicked: {
                        mainIten.openDialog(macroEditorMain, true)
                        mainIten.mainFocus()
                    }
                }
                Rectangle {
                    visible: mainIten.isGun
                    width: 216
                    height: 1
                    color: mainIten.colorGray1
                }
                PanelRow {
                    theme: mainIten
                    objectName: "gunEditorRow"
                    visible: mainIten.isGun
                    text: mainIten.mainLang[2]
                    onClicked: {
                        if (mainIten.isGun)
                            mainIten.openDialog(gunControlMain, true)
                        mainIten.mainFocus()
                    }
                }
            }
        }

        ReportRate {
            id: reportRateMain
            objectName: "reportRateMain"
            shell: mainIten
            z: 1
        }

        PanelRow {
            objectName: "systemSettingButton"
            theme: mainIten
            width: 232
            bold: true
            color: hovered ? mainIten.colorOrange : mainIten.colorBlack
            centred: true
            text: mainIten.mainLang[9]
            onClicked: mainIten.openDialog(systemSettingMain, true)
        }
    }

    Row {
        id: bottomBar
        objectName: "bottomBar"
        anchors.right: parent.right
        anchors.rightMargin: 24
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 8
        spacing: 16
        visible: envItem.visible
        BarButton {
            objectName: "configButton"
            theme: mainIten
            text: mainIten.mainLang[4]
            onClicked: {
                mainIten.mainFocus()
                mainIten.openDialog(profileMain, true)
            }
        }
        BarButton {
            objectName: "resetButton"
            theme: mainIten
            text: mainIten.mainLang[5]
            onClicked: {
                mainIten.mainFocus()
                mainIten.openDialog(factorysure, true)
            }
        }
        BarButton {
            objectName: "saveButton"
            theme: mainIten
            text: mainIten.mainLang[10]
            bold: mainIten.isAnyUnsaved
            baseColor: mainIten.isAnyUnsaved ? mainIten.colorUnsaved : mainIten.colorBlue
            onClicked: mainIten.saveAll()
        }
    }

    Column {
        id: panelRight
        objectName: "panelRight"
        x: 768
        y: 56
        spacing: 8
        visible: envItem.visible
        DpiSetting {
            id: dpiSettingMain
            objectName: "dpiSettingMain"
            shell: mainIten
            z: 1
        }
        LightControl {
            id: lightControlMain
            objectName: "lightControlMain"
            shell: mainIten
        }
    }

    Menu_Up {
        id: upItem
        objectName: "upItem"
        theme: mainIten
        x: 920
        y: 16
        visible: envItem.visible
        profileModel: profileMain.profileDataModel0
        Connections {
            target: upItem.profileList
            function onValueChange(index) { profileMain.changeProfile(index) }
        }
        onClickBtn: function (index) {
            if (index === 0)
                mainIten.controller.onMinimize()
            else if (index === 1)
                mainIten.controller.onClose()
            else
                mainIten.openDialog(versionWnd, false)
        }
    }

    MousePicture {
        id: mouseMain
        objectName: "mouseMain"
        shell: mainIten
        anchors.fill: parent
        visible: envItem.visible
        keyCount: mainIten.keyCount
        onEnterKey: function (index) { mainIten.enterButton(index) }
        onLeaveKey: function (index) { mainIten.leaveButton(index) }
        onClickKey: function (index) {
            if (!mainIten.clickButton(index))
                mouseMain.selectKey = -1
        }
    }

    // Dims and blocks the scene behind an open dialog page; it still drags
    // the window.
    WindowDragArea {
        id: mainMask
        objectName: "mainMask"
        anchors.fill: parent
        Accessible.ignored: true
        visible: false
        hoverEnabled: true
        onPressed: mainIten.maskPressed()
        Rectangle {
            anchors.fill: parent
            color: "#90000000"
        }
    }

    SystemSetting {
        id: systemSettingMain
        objectName: "systemSettingMain"
        shell: mainIten
    }

    GunControl {
        id: gunControlMain
        objectName: "gunControlMain"
        shell: mainIten
    }

    Profile {
        id: profileMain
        objectName: "profileMain"
        shell: mainIten
        // The row's own number selects the profile.
        onChangeProfile: function (tmpProfileNo) { mainIten.switchProfile(profileMain.numberOfRow(tmpProfileNo)) }
    }

    // A gone device leaves the view disabled; the scene dims so it does not
    // merely look frozen.
    Rectangle {
        anchors.fill: parent
        visible: mainIten.deviceGone && envItem.visible
        color: "#60000000"
    }

    MacroEditor {
        id: macroEditorMain
        objectName: "macroEditorMain"
        shell: mainIten
        assignment: keyAssigmentMain
        // Opened from the assignment dialog, it lies over it.
        z: 1
        onDeleteMacro: function (macroName) {
            keyMatrixMain.macroDeleted(macroName)
            keyAssigmentMain.macroDeleted(macroName)
        }
        onModifyMacroName: function (oldMacroName, newMacroName) {
            keyMatrixMain.macroRenamed(oldMacroName, newMacroName)
            keyAssigmentMain.macroRenamed(oldMacroName, newMacroName)
        }
        onModifyMacroData: function (macroName) { keyMatrixMain.macroEdited(macroName) }
    }

    KeyAssigment {
        id: keyAssigmentMain
        objectName: "keyAssigmentMain"
        shell: mainIten
        matrix: keyMatrixMain
        macroEditor: macroEditorMain
        mouseView: mouseMain
    }

    // Over everything, yet only where it is: the rest of the window stays usable.
    Notice {
        id: failureNotice
        objectName: "failureNotice"
        theme: mainIten
        z: 100
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 48
    }

    MovableDialog {
        id: versionWnd
        objectName: "versionWnd"
        theme: mainIten
        // Above the dialog pages, the macro editor's z included.
        z: 1
        width: 400
        height: 240
        titleHeight: 30
        title: "Version"
        onCloseClicked: versionWnd.visible = false
        Column {
            x: 10
            y: 15
            spacing: 5
            Image {
                width: 80
                height: 80
                source: mainIten.sourceTitleLogo
            }
            Repeater {
                model: [
                    "Driver Version\uff1a" + Qt.application.version,
                    "Product Name\uff1aMERLO",
                    "Hardware Code: 1.3.2(3327572)",
                    ""
                ]
                delegate: Text {
                    required property string modelData
                    text: modelData
                    color: "#c0c0c0"
                    font.family: mainIten.fontFamily
                    font.pixelSize: mainIten.fontNormalSize
                }
            }
            Text {
                width: 380
                wrapMode: Text.WordWrap
                text: "Settings are kept on this computer and in the mouse's own memory."
                color: "#c0c0c0"
                font.family: mainIten.fontFamily
                font.pixelSize: mainIten.fontMinSize
            }
        }
    }

    MovableDialog {
        id: factorysure
        objectName: "factorysure"
        theme: mainIten
        // Above the version window as well.
        z: 1
        width: 427
        height: 102
        titleHeight: 30
        title: mainIten.mainLang[5]
        onCloseClicked: mainIten.closeDialog(factorysure)
        Text {
            x: 16
            y: 10
            text: mainIten.mainLang[6]
            color: mainIten.fontColor
            font.family: mainIten.fontFamily
            font.pixelSize: mainIten.fontNormalSize
        }
        BarButton {
            id: factoryOk
            objectName: "factoryOk"
            theme: mainIten
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            width: 88
            height: 25
            text: mainIten.mainLang[8]
            onClicked: mainIten.factoryReset()
        }
        BarButton {
            objectName: "factoryCancel"
            theme: mainIten
            anchors.right: factoryOk.left
            anchors.rightMargin: 7
            anchors.bottom: factoryOk.bottom
            width: 88
            height: 25
            baseColor: mainIten.colorGray1
            textColor: mainIten.fontColor
            text: mainIten.mainLang[7]
            onClicked: mainIten.closeDialog(factorysure)
        }
    }

    KeyCodeString {
        id: _KeyCodeString
        macroName: function (slot) { return mainIten.bridge.getData("mouseMacroKey/" + slot, false) }
    }
}
