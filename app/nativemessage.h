#pragma once

#include <QByteArray>

class QWidget;

// The window messages the main window reacts to. Only Windows delivers
// them natively; elsewhere every message is Other and restore requests are
// carried out through Qt.
enum class NativeMessage { Other, Restore, DeviceChange };

NativeMessage classifyNativeMessage(const QByteArray& eventType, void* message);

// Asks for the window to come back: shown and out of the minimised state.
// Posted, never carried out inside the caller.
void postRestoreRequest(QWidget* window);
