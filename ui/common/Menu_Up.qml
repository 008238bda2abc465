pragma ComponentBehavior: Bound
import QtQuick
import QtQml.Models

// The title bar: the profile list, then ask, minimise and close. The icons
// report their index: 0 minimise, 1 close, 2 ask.
Item {
    id: menu

    property var theme
    property alias profileList: profiles
    property ListModel profileModel: ListModel {}

    signal clickBtn(int index)

    width: icons.width
    height: 16

    DropDownList {
        id: profiles
        objectName: "titleProfileList"
        theme: menu.theme
        x: -16 - width
        anchors.verticalCenter: icons.verticalCenter
        width: 144
        currentSelect: 0
        mdItems: menu.profileModel
        name: menu.theme.profileListName
    }

    Row {
        id: icons
        spacing: 16
        Repeater {
            model: [
                { index: 2, normal: "sourceAskBtn", hover: "sourceAskBtnH", name: "about" },
                { index: 0, normal: "sourceMinBtn", hover: "sourceMinBtnH", name: "minimise" },
                { index: 1, normal: "sourceCloseBtn", hover: "sourceCloseBtnH", name: "close" }
            ]
            delegate: ImageButton {
                required property var modelData
                objectName: "titleButton" + modelData.index
                width: 16
                height: 16
                theme: menu.theme
                name: menu.theme.actionName(modelData.name)
                normalSource: menu.theme[modelData.normal]
                hoverSource: menu.theme[modelData.hover]
                onClicked: menu.clickBtn(modelData.index)
            }
        }
    }
}
