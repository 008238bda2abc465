#include "nativemessage.h"

#include "nativemessage_win32.h"

#include <QWidget>

NativeMessage classifyNativeMessage(const QByteArray& eventType, void* message)
{
    if (eventType != "windows_generic_MSG")
        return NativeMessage::Other;
    return classifyWin32Message(message);
}

void postRestoreRequest(QWidget* window)
{
    postWin32RestoreRequest(reinterpret_cast<void*>(window->winId()));
}
