#include "capturesource.h"

#include <QGuiApplication>

#ifndef Q_OS_WIN
#include "windowinputsource.h"
#endif

bool windowEventsNeeded(const QString& platformName)
{
    return platformName != QLatin1String("xcb") && platformName != QLatin1String("windows");
}

std::unique_ptr<InputEventSource> createCaptureSource(QWidget* window)
{
#ifndef Q_OS_WIN
    if (windowEventsNeeded(QGuiApplication::platformName()))
        return std::make_unique<WindowInputSource>(window, createPlatformInputSource());
#else
    Q_UNUSED(window);
#endif
    return createPlatformInputSource();
}
