#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

// A digest of what the X display `display` shows in `area` of its root
// window, read straight from the server (Xlib stays out of the tests'
// headers). Empty when the display cannot be reached.
QByteArray screenPicture(const QString& display, const QRect& area);
