import QtQuick
import "../js/rectinput.js" as R

// A small numeric input box. Typing that would leave the range is refused;
// leaving the box empty, or below 1, settles it at "0".
Item {
    id: box

    property var theme
    property int maxValue: 255
    property int minValue: 0
    property alias textValue: input.text
    property alias txtInput: input
    property color textColor: theme.fontColor
    // What the box holds, for assistive technology: its label on the page.
    property string name

    signal inputSignal()
    signal endInputSignal()

    width: 48
    height: 20

    function closeFocus() {
        input.deselect()
        input.focus = false
    }

    TextInput {
        id: input
        property string lastGood: "0"
        anchors.fill: parent
        text: "0"
        maximumLength: 4
        activeFocusOnTab: true
        Accessible.role: Accessible.EditableText
        Accessible.name: box.name
        horizontalAlignment: TextInput.AlignHCenter
        verticalAlignment: TextInput.AlignVCenter
        color: box.textColor
        selectionColor: box.theme.colorOrange
        selectByMouse: true
        clip: true
        font.family: box.theme.fontFamily
        font.pixelSize: box.theme.fontNormalSize
        validator: IntValidator { bottom: Math.min(0, box.minValue); top: box.maxValue }
        onTextChanged: {
            if (R.acceptsTyping(text, box.minValue, box.maxValue))
                lastGood = text
        }
        onTextEdited: {
            if (!R.acceptsTyping(text, box.minValue, box.maxValue))
                text = lastGood
        }
        Keys.onReturnPressed: box.closeFocus()
        Keys.onEnterPressed: box.closeFocus()
        onActiveFocusChanged: {
            if (activeFocus) {
                box.inputSignal()
            } else {
                text = R.settledText(text)
                box.endInputSignal()
            }
        }
    }
}
