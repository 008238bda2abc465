#include "nativemessage_win32.h"

#include <windows.h>

NativeMessage classifyWin32Message(const void* msg)
{
    const MSG* message = static_cast<const MSG*>(msg);
    if (!message)
        return NativeMessage::Other;
    if (message->message == WM_SYSCOMMAND && message->wParam == SC_RESTORE)
        return NativeMessage::Restore;
    if (message->message == WM_DEVICECHANGE)
        return NativeMessage::DeviceChange;
    return NativeMessage::Other;
}

void postWin32RestoreRequest(void* windowHandle)
{
    // The system's own handling of SC_RESTORE brings a minimised window back;
    // the window's handler makes a hidden one visible.
    PostMessageW(static_cast<HWND>(windowHandle), WM_SYSCOMMAND, SC_RESTORE, 0);
}
