#include "screenpicture.h"

#include <QCryptographicHash>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

QByteArray screenPicture(const QString& display, const QRect& area)
{
    Display* connection = XOpenDisplay(display.toLatin1().constData());
    if (!connection)
        return {};
    QByteArray digest;
    if (XImage* image = XGetImage(connection, DefaultRootWindow(connection), area.x(), area.y(),
                                  unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap)) {
        digest = QCryptographicHash::hash(QByteArrayView(image->data, qsizetype(image->bytes_per_line) * image->height),
                                          QCryptographicHash::Sha1);
        XDestroyImage(image);
    }
    XCloseDisplay(connection);
    return digest;
}
