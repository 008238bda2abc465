#include "platformchoice.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstring>

#ifndef Q_OS_WIN
#include <X11/Xlib.h>
#endif

namespace {

bool hasPlatformArgument(int argc, char** argv)
{
    // Qt takes the option with one dash or two.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}

bool xDisplayReachable()
{
#ifdef Q_OS_WIN
    return false;
#else
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
#endif
}

} // namespace

void choosePlatform(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || hasPlatformArgument(argc, argv))
        return;
    if (xDisplayReachable())
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}
