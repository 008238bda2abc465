import QtQuick
import "../basic"

// A drop-down whose opened row holds a slider; the box shows what the page
// makes of the slider's position.
DropDownBase {
    id: dropSlider

    property color sliderBgColor: theme.colorGray0
    property color sliderbarBg: theme.colorGray1
    property alias sliderControl: slider

    signal valueChange(int tmpValue)
    signal dragSignal(bool isDrag)

    panelHeight: 24
    onKeyStepped: function (direction) { slider.stepBy(direction) }
    durationMs: 180

    function setValue(ratio) {
        slider.setRatioValue(ratio)
    }

    Rectangle {
        anchors.fill: parent
        color: dropSlider.sliderBgColor
        border.color: dropSlider.borderColor
        SliderButton {
            id: slider
            theme: dropSlider.theme
            anchors.centerIn: parent
            width: parent.width - 16
            name: dropSlider.name
            trackColor: dropSlider.sliderbarBg
            onValueChange: function (tmpValue) { dropSlider.valueChange(tmpValue) }
            onDragSignal: function (isDrag) { dropSlider.dragSignal(isDrag) }
        }
    }
}
