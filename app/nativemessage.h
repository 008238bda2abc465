#pragma once

#include "nativemessagekind.h"

#include <QByteArray>

class QWidget;

NativeMessage classifyNativeMessage(const QByteArray& eventType, void* message);

// Asks for the window to come back: shown and out of the minimised state.
// Posted, never carried out inside the caller.
void postRestoreRequest(QWidget* window);
