#pragma once

// Plain C++ only: the Win32 calls behind nativemessage_win.cpp, kept free of
// Qt so the Linux build can check them with a Windows cross compiler.

#include "nativemessagekind.h"

// msg is a Windows MSG.
NativeMessage classifyWin32Message(const void* msg);

// Posts WM_SYSCOMMAND SC_RESTORE to the window with this native handle.
void postWin32RestoreRequest(void* windowHandle);
