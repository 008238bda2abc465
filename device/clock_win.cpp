#include <windows.h>

// The firmware's pacing was measured against the Win32 Sleep call.
void platformSleepMs(int ms)
{
    Sleep(DWORD(ms));
}
