import QtQuick
import QtTest

// A test case that loads the real main document against the recording
// stand-in. Timers and animations are finished by hand, never waited for.
TestCase {
    id: testCase

    property var scene: null
    // What the stand-in's global file holds at the first connection.
    property var globals: ({
        "mouse/isColorful": "false", "mouse/icType": "553", "mouse/is55328": "false",
        "mouse/isGun": "true", "mouse/keyCount": "8", "common/language": "English",
        "common/url": "https://example.org/", "mouse/profileNo": "0",
        "mouse/minDPI": "200", "mouse/maxDPI": "6000", "mouse/sensorType": "3360", "mouse/dpiBase": "50"
    })
    // What the current profile and the factory default profile hold.
    property var profileValues: ({
        "mouse/dpiCount": "8", "mouse/currentDpiCount": "4", "mouse/reportRate": "3",
        "mouse/dpiValueArray": ["400", "800", "1600", "3200", "4000", "5000", "5500", "6000"]
    })
    property var defaultValues: ({
        "mouse/dpiCount": "8", "mouse/currentDpiCount": "4", "mouse/reportRate": "3",
        "mouse/dpiValueArray": ["500", "1000", "1500", "2000", "3000", "4000", "5000", "6000"]
    })

    // What the stand-in answers for other slots from the first connection on.
    property var answers: ({})

    width: 1024
    height: 640
    // A test case is hidden by default, and hidden items take no clicks.
    visible: true
    when: windowShown

    function copyInto(target, values) {
        for (var key in values)
            target[key] = values[key]
    }

    function loadScene() {
        var component = Qt.createComponent("qrc:/modules/qml/main")
        compare(component.status, Component.Ready, component.errorString())
        scene = createTemporaryObject(component, testCase)
        verify(scene !== null)
        return scene
    }

    // A scene after its first connection: initialised, its protection period
    // over, and the call log emptied.
    function startScene() {
        recorder.reset()
        copyInto(recorder.global, globals)
        for (var i = 0; i < 10; ++i)
            copyInto(recorder.profiles[i], profileValues)
        copyInto(recorder.defaults, defaultValues)
        copyInto(recorder.answers, answers)
        recorder.answers["ui_View.mouseGetCurrentDPI"] = 1
        loadScene()
        scene.initUI()
        endProtection()
        recorder.clearLog()
        return scene
    }

    function child(name, root) {
        var found = findChild(root === undefined ? scene : root, name)
        verify(found !== null, "no item named " + name)
        return found
    }

    // Ends the running protection period as if its timer had fired.
    function endProtection() {
        var timer = child("tmrProtectUI")
        verify(timer.running)
        timer.stop()
        timer.triggered()
    }

    // Jumps a drop-down's slide to its end.
    function finishSlide(dropDown) {
        child("dropAnimation", dropDown).complete()
    }

    // Opens or shuts a drop-down by its box and lets its entries settle into place.
    function clickAndSettle(dropDown) {
        mouseClick(dropDown, dropDown.width / 2, dropDown.height / 2)
        finishSlide(dropDown)
        waitForRendering(dropDown)
    }
}
