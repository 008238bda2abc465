#pragma once

#include "inputsource.h"

#include <QString>

#include <memory>

class QWidget;

// Whether the session's desktop-wide source misses the keys typed into the
// program's own window. On X11 and Windows it hears them with all others;
// a Wayland client's window (or one on a console) is heard by nothing but
// the window itself.
bool windowEventsNeeded(const QString& platformName);

// The capture for the platform the application runs on: the desktop-wide
// source alone where it hears the window, otherwise the window's own events
// first and the desktop-wide source for what the session lets it see of
// the other windows.
std::unique_ptr<InputEventSource> createCaptureSource(QWidget* window);
