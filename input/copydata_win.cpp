// WM_COPYDATA from another program. Plain Win32: no Qt here, so the Linux
// build can check this file with a Windows cross compiler.
#include "copydata_win.h"

#include "inputhooks.h"

#include <windows.h>

bool dispatchCopyDataMessage(InputHooks& hooks, const void* msg, std::intptr_t* result)
{
    const MSG* message = static_cast<const MSG*>(msg);
    if (!message || message->message != WM_COPYDATA)
        return false;
    // The system copied the sender's record and data into this process; the
    // byte count is the only bound of the data.
    const auto* sent = reinterpret_cast<const COPYDATASTRUCT*>(message->lParam);
    CopyDataRecord record;
    if (sent) {
        record.identifier = static_cast<std::uintptr_t>(sent->dwData);
        record.byteCount = static_cast<std::uint32_t>(sent->cbData);
        record.data = sent->lpData;
    }
    return hooks.handleNativeMessage(WM_COPYDATA, sent ? &record : nullptr, result);
}
