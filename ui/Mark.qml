import QtQuick

// The product mark: a bird on its orbit.
Canvas {
    id: mark
    property color accent: "#d52925"
    onAccentChanged: requestPaint()
    onPaint: {
        var ctx = getContext("2d")
        var w = width, h = height
        ctx.reset()
        ctx.lineWidth = Math.max(1.5, w / 24)
        ctx.strokeStyle = Qt.rgba(accent.r, accent.g, accent.b, 0.55)
        ctx.beginPath()
        ctx.ellipse(w * 0.06, h * 0.30, w * 0.88, h * 0.40)
        ctx.stroke()
        ctx.fillStyle = accent
        ctx.beginPath()
        ctx.moveTo(w * 0.18, h * 0.62)
        ctx.quadraticCurveTo(w * 0.45, h * 0.50, w * 0.52, h * 0.16)
        ctx.quadraticCurveTo(w * 0.60, h * 0.46, w * 0.86, h * 0.40)
        ctx.quadraticCurveTo(w * 0.60, h * 0.58, w * 0.50, h * 0.86)
        ctx.quadraticCurveTo(w * 0.42, h * 0.62, w * 0.18, h * 0.62)
        ctx.fill()
    }
}
