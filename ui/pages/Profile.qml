pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models
import "../common"
import "../basic"
import "../js/profiles.js" as P
import "../js/keyaction.js" as KA

// The profile list: create, import, export, delete and rename profiles.
// Its rows are also the title bar's profile list. A row carries its own
// profile number, and that number, never the row's place, selects the
// profile file: once a row is deleted the two differ.
MovableDialog {
    id: page

    property var shell
    readonly property var bridge: shell.bridge

    // The active profile's number; the shell sets it.
    property int profileNo: -1
    property var profileLang: ["config", "New", "Import", "Delete", "Export", "Standard"]
    property alias profileDataModel0: rows
    // The row the context menu and the list's highlight refer to.
    property int currentRow: 0
    // The row whose name is being edited, or -1, and the text the editor got:
    // a longer stored name is cut to the field's 32 characters.
    property int editingRow: -1
    property string editorShown: ""
    readonly property alias contextMenu: menu
    readonly property alias nameEditor: editor

    // A row chosen in the title bar's list, by its place.
    signal changeProfile(int tmpProfileNo)

    theme: shell
    width: 415
    height: 288
    title: profileLang[0]

    onBackgroundPressed: profileFocus()
    onCloseClicked: {
        profileFocus()
        shell.closeDialog(page)
        shell.mainFocus()
    }

    ListModel {
        id: rows
    }

    function rowList() {
        return P.rowsOf(rows)
    }

    function storeList() {
        bridge.updataNameList(2, rowList().map(P.entryOf))
    }

    // The place of the active profile's row, or -1.
    function activeRow() {
        return P.rowOfNumber(rowList(), profileNo)
    }

    function numberOfRow(row) {
        return row >= 0 && row < rows.count ? rows.get(row).profileNo : -1
    }

    function init() {
        editingRow = -1
        rows.clear()
        var entries = P.withoutSentinel(bridge.getNameList(2))
        for (var i = 0; i < entries.length; ++i) {
            var row = P.parseEntry(entries[i])
            if (row !== null)
                rows.append(row)
        }
        // The first row is the standard profile, number 0; a missing list
        // still gets it, so nothing new is ever given number 0.
        if (rows.count === 0)
            rows.append({ textValue: "", profileNo: 0 })
        currentRow = Math.max(0, activeRow())
        rows.setProperty(0, "textValue", profileLang[5])
        storeList()
    }

    // Appends a row when there is room; it becomes the current row.
    function createRow(name, number) {
        if (rows.count >= P.maxRows)
            return false
        rows.append({ textValue: name, profileNo: number })
        currentRow = rows.count - 1
        storeList()
        return true
    }

    // A new profile starts as a copy of the factory default profile.
    function newProfile() {
        var list = rowList()
        var number = P.newNumber(list)
        createRow(P.newName(list), number)
        bridge.resetProfile(number)
    }

    // The chosen file becomes the profile of a new row; without room for a
    // row, or when the user cancels, nothing changes.
    function importProfile() {
        if (rows.count >= P.maxRows)
            return
        var list = rowList()
        var number = P.newNumber(list)
        if (bridge.loadProfile(number) === true)
            createRow(P.newName(list), number)
    }

    // The first row and the active one stay; the profile file is kept.
    function deleteRow() {
        if (currentRow <= 0 || currentRow >= rows.count || currentRow === activeRow())
            return
        rows.remove(currentRow)
        currentRow = Math.max(0, activeRow())
        storeList()
        shell.showActiveProfile()
    }

    function profileMenuCmd(cmd) {
        menu.visible = false
        if (cmd === 0)
            deleteRow()
        else if (cmd === 1)
            bridge.saveProfile(profileNo)
        else if (cmd === 2)
            importProfile()
    }

    function openMenu(row, x, y) {
        endRename()
        currentRow = row
        // Kept inside the panel's body.
        menu.x = Math.min(x, menu.parent.width - menu.width)
        menu.y = Math.min(y, menu.parent.height - menu.height)
        menu.visible = true
    }

    function startRename(row) {
        menu.visible = false
        currentRow = row
        editingRow = row
        editor.text = rows.get(row).textValue
        editorShown = editor.text
        editor.selectAll()
        editor.forceActiveFocus()
    }

    // Takes the edited name unless another row already has it; an edit that
    // left the text as it was shown keeps the stored name, whatever its length.
    function endRename() {
        if (editingRow < 0)
            return
        var row = editingRow
        editingRow = -1
        editor.focus = false
        if (editor.text !== editorShown && P.acceptsName(rowList(), editor.text)) {
            rows.setProperty(row, "textValue", editor.text)
            storeList()
        }
    }

    function profileFocus() {
        endRename()
        menu.visible = false
    }

    Rectangle {
        width: page.width
        height: 1
        color: page.shell.colorGray1
    }

    Rectangle {
        id: listArea
        objectName: "profileListArea"
        x: 16
        y: 17
        width: 384
        height: Math.min(180, list.rowHeight * rows.count)
        color: page.shell.colorBlack

        Column {
            id: list
            readonly property int rowHeight: 27
            anchors.fill: parent
            clip: true
            Repeater {
                model: rows
                delegate: Rectangle {
                    id: row
                    required property int index
                    required property string textValue
                    required property int profileNo
                    objectName: "profileRow" + index
                    width: list.width
                    height: list.rowHeight
                    color: index === page.currentRow || rowArea.containsMouse ? page.shell.colorOrange : "transparent"
                    // Enter selects, F2 renames, the menu key opens the menu.
                    activeFocusOnTab: page.editingRow !== index
                    Accessible.role: Accessible.ListItem
                    Accessible.name: textValue
                    Accessible.selectable: true
                    Accessible.selected: index === page.currentRow
                    Accessible.focusable: true
                    Keys.onPressed: function (event) {
                        var command = KA.rowCommand(event)
                        if (command === "activate") {
                            page.endRename()
                            menu.visible = false
                            page.currentRow = row.index
                        } else if (command === "rename") {
                            page.startRename(row.index)
                        } else if (command === "menu") {
                            var at = row.mapToItem(menu.parent, 8, row.height)
                            page.openMenu(row.index, at.x, at.y)
                            menu.opener = row
                            menuItems.itemAt(0).forceActiveFocus()
                        } else {
                            event.accepted = false
                            return
                        }
                        event.accepted = true
                    }
                    Text {
                        x: 12
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width - 24
                        elide: Text.ElideRight
                        visible: page.editingRow !== row.index
                        text: row.textValue
                        color: page.shell.fontColor
                        font.family: page.shell.fontFamily
                        font.pixelSize: page.shell.fontNormalSize
                        // The active profile.
                        font.bold: row.profileNo === page.profileNo
                    }
                    MouseArea {
                        id: rowArea
                        anchors.fill: parent
                        hoverEnabled: true
                        acceptedButtons: Qt.LeftButton | Qt.RightButton
                        onPressed: function (mouse) {
                            if (page.editingRow !== row.index)
                                page.endRename()
                            if (mouse.button === Qt.LeftButton) {
                                menu.visible = false
                                page.currentRow = row.index
                            }
                        }
                        onClicked: function (mouse) {
                            if (mouse.button === Qt.RightButton) {
                                var at = rowArea.mapToItem(menu.parent, mouse.x, mouse.y)
                                page.openMenu(row.index, at.x, at.y)
                            }
                        }
                        onDoubleClicked: function (mouse) {
                            if (mouse.button === Qt.LeftButton)
                                page.startRename(row.index)
                        }
                    }
                    FocusRing { theme: page.shell }
                }
            }
        }

        // The in-place name editor over the row being renamed.
        Rectangle {
            visible: page.editingRow >= 0
            y: page.editingRow * list.rowHeight + 2
            x: 6
            width: parent.width - 12
            height: list.rowHeight - 4
            color: page.shell.colorGray0
            border.color: page.shell.colorGray2
            TextInput {
                id: editor
                objectName: "profileNameEditor"
                Accessible.role: Accessible.EditableText
                Accessible.name: page.profileLang[0]
                x: 6
                width: parent.width - 12
                anchors.verticalCenter: parent.verticalCenter
                clip: true
                maximumLength: 32
                selectByMouse: true
                color: page.shell.fontColor
                selectionColor: page.shell.colorOrange
                font.family: page.shell.fontFamily
                font.pixelSize: page.shell.fontNormalSize
                Keys.onReturnPressed: page.endRename()
                Keys.onEnterPressed: page.endRename()
                Keys.onEscapePressed: {
                    editor.text = page.editingRow >= 0 ? rows.get(page.editingRow).textValue : editor.text
                    page.endRename()
                }
            }
        }
    }

    Row {
        x: 16
        y: listArea.y + listArea.height + 12
        spacing: 8
        Repeater {
            model: [
                { name: "profileNew", text: 1, act: function () { page.newProfile() } },
                { name: "profileImport", text: 2, act: function () { page.profileMenuCmd(2) } }
            ]
            delegate: BarButton {
                id: button
                required property var modelData
                objectName: modelData.name
                theme: page.shell
                baseColor: page.shell.colorGray1
                textColor: page.shell.fontColor
                border.color: hovered ? page.shell.colorOrange : page.shell.colorGray2
                text: page.profileLang[modelData.text]
                onClicked: {
                    page.profileFocus()
                    button.modelData.act()
                }
            }
        }
    }

    Rectangle {
        id: menu
        objectName: "profileMenu"
        // The row that opened it from the keyboard gets the focus back.
        property Item opener: null
        visible: false
        Accessible.role: Accessible.PopupMenu
        onVisibleChanged: {
            if (!visible && opener !== null) {
                var back = opener
                opener = null
                back.forceActiveFocus()
            }
        }
        width: 100
        height: 48
        z: 10
        color: page.shell.colorGray0
        border.color: page.shell.colorGray2
        Column {
            Repeater {
                id: menuItems
                model: [3, 4]
                delegate: Rectangle {
                    id: item
                    required property int index
                    required property int modelData
                    objectName: "profileMenuItem" + index
                    width: 100
                    height: 24
                    color: itemArea.containsMouse ? page.shell.colorOrange : "transparent"
                    activeFocusOnTab: menu.visible
                    Accessible.role: Accessible.MenuItem
                    Accessible.name: page.profileLang[modelData]
                    Accessible.focusable: true
                    Accessible.onPressAction: page.profileMenuCmd(item.index)
                    Keys.onPressed: function (event) {
                        var step = KA.listStep(event)
                        event.accepted = true
                        if (KA.activates(event))
                            page.profileMenuCmd(item.index)
                        else if (event.key === Qt.Key_Escape)
                            menu.visible = false
                        else if (step !== 0)
                            menuItems.itemAt(Math.max(0, Math.min(1, item.index + step))).forceActiveFocus()
                        else
                            event.accepted = false
                    }
                    Text {
                        x: 12
                        anchors.verticalCenter: parent.verticalCenter
                        text: page.profileLang[item.modelData]
                        color: page.shell.fontColor
                        font.family: page.shell.fontFamily
                        font.pixelSize: page.shell.fontNormalSize
                    }
                    MouseArea {
                        id: itemArea
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: page.profileMenuCmd(item.index)
                    }
                    FocusRing {
                        theme: page.shell
                        anchors.margins: 0
                    }
                }
            }
        }
    }
}
