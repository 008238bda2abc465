import QtQuick
import QtTest
import "../support"
import "qrc:/modules/qml/js/colorbar.js" as Bar

// Every picture the documents name exists, and the colour bar shows at each
// x the colour the lighting page computes there.
SceneTestCase {
    id: testCase
    name: "Artwork"

    Component {
        id: imageComponent
        Image {}
    }

    function init() {
        loadScene()
    }

    function load(url) {
        var image = createTemporaryObject(imageComponent, testCase, { source: url })
        compare(image.status, Image.Ready, String(url))
        return image
    }

    function test_everyNamedPictureExists() {
        var urls = []
        for (var name in scene) {
            if (name.indexOf("source") === 0 && String(scene[name]).indexOf("qrc:/") === 0)
                urls.push(scene[name])
        }
        for (var gun = 1; gun <= 6; ++gun)
            urls.push(scene.gunImage(gun))
        verify(urls.length > 40, "found " + urls.length)
        for (var i = 0; i < urls.length; ++i)
            load(urls[i])
    }

    function test_pathsFollowTheSkin() {
        compare(String(scene.sourceCloseBtn), "qrc:/index/modules/img/skin1/index/close.png")
        compare(String(scene.sourceBackground), "qrc:/modules/img/background.png")
        compare(scene.gunImage(3), "qrc:/gun/modules/img/skin1/gun/gun3.png")
    }

    function test_colorBarFollowsTheArithmetic() {
        var image = load(scene.sourceColorBar)
        compare(image.implicitWidth, 185)
        compare(image.implicitHeight, 24)
        waitForRendering(image)
        var shot = grabImage(image)
        for (var x = 0; x < 185; ++x) {
            var rgb = Bar.colorAt(x - 1, 185)
            var expected = Qt.rgba(rgb[0] / 255, rgb[1] / 255, rgb[2] / 255, 1)
            compare(shot.pixel(x, 12), expected, "column " + x)
        }
    }

    function test_colorBarSegments_data() {
        return [
            { tag: "start", p: 0, rgb: [255, 0, 0] },
            { tag: "half way to yellow", p: 15, rgb: [255, 127, 0] },
            { tag: "yellow", p: 30, rgb: [255, 255, 0] },
            { tag: "green", p: 60, rgb: [0, 255, 0] },
            { tag: "cyan", p: 90, rgb: [0, 255, 255] },
            { tag: "blue", p: 120, rgb: [0, 0, 255] },
            { tag: "magenta", p: 150, rgb: [255, 0, 255] },
            { tag: "last of magenta", p: 179, rgb: [255, 0, 9] },
            { tag: "past the segments", p: 180, rgb: [255, 0, 0] },
            { tag: "left of the bar", p: -1, rgb: [255, 0, 0] }
        ]
    }

    function test_colorBarSegments(data) {
        compare(Bar.colorAt(data.p, 185), data.rgb)
    }
}
