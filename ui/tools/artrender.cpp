// Build-time renderer of the UI's pictures.
//   artrender svg <in.svg> <out.png>
//       draws an SVG at the size it declares;
//   artrender colorbar <colorbar.js> <width> <height> <out.png>
//       draws the lighting colour bar, column by column, with the colorAt()
//       of the page's own script, so the picture and the page agree exactly.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJSEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

int fail(const QString& message)
{
    QTextStream(stderr) << "artrender: " << message << '\n';
    return 1;
}

bool save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

int renderSvg(const QString& in, const QString& out)
{
    QSvgRenderer renderer(in);
    if (!renderer.isValid())
        return fail(QStringLiteral("cannot read %1").arg(in));
    const QSize size = renderer.defaultSize();
    if (size.isEmpty())
        return fail(QStringLiteral("%1 declares no size").arg(in));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return save(image, out) ? 0 : fail(QStringLiteral("cannot write %1").arg(out));
}

int renderColorBar(const QString& script, int width, int height, const QString& out)
{
    QFile file(script);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(script));
    QJSEngine engine;
    const QJSValue result = engine.evaluate(QString::fromUtf8(file.readAll()), script);
    if (result.isError())
        return fail(result.toString());
    QJSValue colorAt = engine.globalObject().property(QStringLiteral("colorAt"));
    if (!colorAt.isCallable())
        return fail(QStringLiteral("%1 has no colorAt()").arg(script));
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        // Column x sits at bar position x - 1: positions count from the bar's left edge + 1.
        const QJSValue rgb = colorAt.call({QJSValue(x - 1), QJSValue(width)});
        if (rgb.isError())
            return fail(rgb.toString());
        const QRgb color = qRgb(rgb.property(0).toInt(), rgb.property(1).toInt(), rgb.property(2).toInt());
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, color);
    }
    return save(image, out) ? 0 : fail(QStringLiteral("cannot write %1").arg(out));
}

} // namespace

int main(int argc, char* argv[])
{
    // No display is needed to draw into an image.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("svg"))
        return renderSvg(args[2], args[3]);
    if (args.size() == 6 && args[1] == QLatin1String("colorbar"))
        return renderColorBar(args[2], args[3].toInt(), args[4].toInt(), args[5]);
    return fail(QStringLiteral("usage: artrender svg IN OUT | artrender colorbar SCRIPT WIDTH HEIGHT OUT"));
}
