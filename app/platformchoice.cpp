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

} // namespace

PlatformChoice::PlatformChoice(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || hasPlatformArgument(argc, argv))
        return;
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    probe = XOpenDisplay(nullptr);
    if (probe)
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
#endif
}

PlatformChoice::~PlatformChoice()
{
#ifndef Q_OS_WIN
    if (probe)
        XCloseDisplay(static_cast<Display*>(probe));
#endif
}
