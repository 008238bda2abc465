#include "nativemessage.h"

#include <QWidget>

#include <windows.h>

NativeMessage classifyNativeMessage(const QByteArray& eventType, void* message)
{
    if (eventType != "windows_generic_MSG")
        return NativeMessage::Other;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && msg->wParam == SC_RESTORE)
        return NativeMessage::Restore;
    if (msg->message == WM_DEVICECHANGE)
        return NativeMessage::DeviceChange;
    return NativeMessage::Other;
}

void postRestoreRequest(QWidget* window)
{
    // The system's own handling of SC_RESTORE brings a minimised window back;
    // the window's handler makes a hidden one visible.
    PostMessageW(reinterpret_cast<HWND>(window->winId()), WM_SYSCOMMAND, SC_RESTORE, 0);
}
