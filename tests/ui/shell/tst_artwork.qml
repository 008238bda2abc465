import QtQuick
import QtTest
import "../support"

// Every picture the documents name exists, and the colour bar picture runs
// through the hues as worked out by hand.
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

    // Column x of the picture is bar position x - 1: seg = floor(183 / 6) = 30,
    // k = floor(p / 30), s = floor((p - 30 k) 255 / 30); half-way along a
    // segment s is floor(15 * 8.5) = 127.
    function test_colorBar_data() {
        return [
            { tag: "left edge", x: 0, rgb: [255, 0, 0] },
            { tag: "start", x: 1, rgb: [255, 0, 0] },
            { tag: "half way to yellow", x: 16, rgb: [255, 127, 0] },
            { tag: "yellow", x: 31, rgb: [255, 255, 0] },
            { tag: "half way to green", x: 46, rgb: [128, 255, 0] },
            { tag: "half way to cyan", x: 76, rgb: [0, 255, 127] },
            { tag: "half way to blue", x: 106, rgb: [0, 128, 255] },
            { tag: "half way to magenta", x: 136, rgb: [127, 0, 255] },
            { tag: "half way back to red", x: 166, rgb: [255, 0, 128] },
            { tag: "last of magenta", x: 180, rgb: [255, 0, 9] },
            { tag: "past the segments", x: 184, rgb: [255, 0, 0] }
        ]
    }

    function test_colorBar(data) {
        var image = load(scene.sourceColorBar)
        compare(image.implicitWidth, 185)
        compare(image.implicitHeight, 24)
        waitForRendering(image)
        var shot = grabImage(image)
        var rgb = data.rgb
        compare(shot.pixel(data.x, 12), Qt.rgba(rgb[0] / 255, rgb[1] / 255, rgb[2] / 255, 1))
    }
}
