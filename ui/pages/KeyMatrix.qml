pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../basic"
import "../common"
import "../js/keyaction.js" as KA
import "../js/keymatrix.js" as KM

// The key matrix list: one row per button with the button's function. The
// layout being edited is `modKeys`; `modKeys_tmp` holds the profile's
// factory layout for restoring. Edits wait for the shell's Save.
Rectangle {
    id: page

    property var shell
    readonly property var bridge: shell.bridge
    // The assignment dialog names the functions; the macro editor sends macros.
    property var assignment
    property var macroEditor

    property int keyCount: 8
    // The slot being pointed at or edited (the mouse picture's selection).
    property int selectKey: -1
    property bool isSave: false
    property var keyMatrixLang: ["Key ", "Key Function", "", "", ""]
    property alias modKeys: keys
    property alias modKeys_tmp: factoryKeys

    signal enterBtn(int index)
    signal leaveBtn(int index)
    signal clickBtn(int index)

    width: 232
    height: KM.panelHeight(Math.min(keyCount, 8))
    color: shell.colorBlack

    component KeyModel: ListModel {
        Component.onCompleted: {
            for (var i = 0; i < KM.slots; ++i) {
                var codes = KM.initialLayout[i]
                append({ keyCode0: codes[0], keyCode1: codes[1], keyCode2: codes[2], keyCode3: codes[3],
                         keyText: "" })
            }
        }
    }

    KeyModel {
        id: keys

        function saveData() {
            page.bridge.mouseSetKeyMatrix(KM.flatten(page.layoutOf(keys)), true, page.gunPeriods())
        }

        function checkOneLeftKey() {
            return KM.isLastLeftButton(page.layoutOf(keys), page.selectKey)
        }
    }

    KeyModel {
        id: factoryKeys
    }

    function codesAt(model, slot) {
        var e = model.get(slot)
        return [e.keyCode0, e.keyCode1, e.keyCode2, e.keyCode3]
    }

    function layoutOf(model) {
        var out = []
        for (var i = 0; i < model.count; ++i)
            out.push(codesAt(model, i))
        return out
    }

    function setCodes(model, slot, codes, text) {
        model.set(slot, { keyCode0: codes[0], keyCode1: codes[1], keyCode2: codes[2], keyCode3: codes[3],
                          keyText: text })
    }

    function textOf(codes) {
        return assignment.keyCodeToString(codes[0], codes[1], codes[2], codes[3])
    }

    // The periods of the three gun modes, which ride along with every layout
    // sent. They are read from the stored gun data, which the gun page keeps
    // up to date with every change it makes.
    function gunPeriods() {
        return shell.gunPeriods()
    }

    function init(isSendData, isRecovery) {
        for (var slot = 0; slot < KM.slots; ++slot) {
            var wanted = KM.bytesOf(bridge.mouseGetKeydefine(slot, isRecovery))
            var factory = KM.bytesOf(bridge.mouseGetKeydefine(slot, true))
            if (wanted !== null)
                setCodes(keys, slot, wanted, "")
            if (factory !== null)
                setCodes(factoryKeys, slot, factory, "")
        }
        for (slot = 0; slot < KM.slots; ++slot) {
            keys.setProperty(slot, "keyText", textOf(codesAt(keys, slot)))
            factoryKeys.setProperty(slot, "keyText", textOf(codesAt(factoryKeys, slot)))
        }
        if (isSendData)
            keys.saveData()
    }

    // A slot's macro name as the current profile keeps it.
    function macroNameOf(slot) {
        var e = keys.get(slot)
        if (e.keyCode0 !== KM.macroCategory)
            return null
        var name = bridge.getData("mouseMacroKey/" + e.keyCode2, false)
        return name === undefined || name === null ? "" : String(name)
    }

    function restoreSlot(slot) {
        var e = factoryKeys.get(slot)
        setCodes(keys, slot, codesAt(factoryKeys, slot), e.keyText)
    }

    // The reset button: the whole factory layout, with its macros sent again.
    function resetLayout() {
        for (var slot = 0; slot < KM.slots; ++slot) {
            restoreSlot(slot)
            var e = factoryKeys.get(slot)
            if (e.keyCode0 === KM.macroCategory) {
                macroEditor.sendMacro(e.keyCode2, e.keyText)
                bridge.setData("mouseMacroKey/" + e.keyCode2, e.keyText)
            }
        }
        isSave = true
    }

    // The macro editor deleted a macro: its buttons get their factory
    // function back, and the mouse gets the layout at once.
    function macroDeleted(name) {
        for (var slot = 0; slot < KM.slots; ++slot) {
            if (macroNameOf(slot) === String(name)) {
                restoreSlot(slot)
                keys.saveData()
            }
        }
        bridge.deleteMacroUpdateProfile(name)
    }

    function macroRenamed(oldName, newName) {
        for (var slot = 0; slot < KM.slots; ++slot) {
            if (macroNameOf(slot) === String(oldName)) {
                bridge.setData("mouseMacroKey/" + keys.get(slot).keyCode2, newName)
                keys.setProperty(slot, "keyText", String(newName))
            }
        }
        bridge.modifyMacroNameUpdateProfile(oldName, newName)
    }

    // A macro's actions changed: the buttons that run it get the new block.
    // The block goes to the macro number the button runs (its byte 2).
    function macroEdited(name) {
        for (var slot = 0; slot < KM.slots; ++slot) {
            if (macroNameOf(slot) === String(name))
                macroEditor.sendMacro(keys.get(slot).keyCode2, String(name))
        }
    }

    Text {
        x: 8
        y: 8
        text: page.keyMatrixLang[1]
        color: page.shell.fontColor
        font.family: page.shell.fontFamily
        font.pixelSize: page.shell.fontMiddleSize
        font.bold: true
    }

    ImageButton {
        objectName: "keyMatrixReset"
        theme: page.shell
        name: page.shell.actionName("reset")
        anchors.right: parent.right
        anchors.rightMargin: 8
        y: 12
        normalSource: page.shell.sourceResetBtn
        hoverSource: page.shell.sourceResetBtnH
        onClicked: page.resetLayout()
    }

    Column {
        x: 8
        y: 40
        spacing: 2
        Repeater {
            model: keys
            delegate: Rectangle {
                id: row
                required property int index
                required property string keyText
                objectName: "keyRow" + index
                visible: index < page.keyCount && index < 8
                width: 216
                height: 24
                color: index === page.selectKey || rowArea.containsMouse ? page.shell.colorOrange
                                                                        : page.shell.colorGray0
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: String(page.keyMatrixLang[0]).trim() + " " + (row.index + 1) + ": " + row.keyText
                Accessible.focusable: true
                Accessible.onPressAction: page.clickBtn(row.index)
                Keys.onPressed: function (event) {
                    if (KA.activates(event)) {
                        event.accepted = true
                        page.clickBtn(row.index)
                    }
                }
                Text {
                    x: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: String(page.keyMatrixLang[0]).trim() + " " + (row.index + 1)
                    color: page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                }
                Text {
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: 132
                    horizontalAlignment: Text.AlignRight
                    elide: Text.ElideRight
                    text: row.keyText
                    color: page.shell.fontColor
                    font.family: page.shell.fontFamily
                    font.pixelSize: page.shell.fontNormalSize
                }
                MouseArea {
                    id: rowArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: page.enterBtn(row.index)
                    onExited: page.leaveBtn(row.index)
                    onClicked: page.clickBtn(row.index)
                }
                FocusRing { theme: page.shell }
            }
        }
    }
}
