// The low-level keyboard and mouse hooks. Plain Win32: no Qt here, so the
// Linux build can check this file with a Windows cross compiler.
#include "inputsource.h"

#include <windows.h>

namespace {

// Hook procedures take no context, so the sinks are process-wide, like the
// hooks themselves.
InputEventSink* keyboardSink = nullptr;
InputEventSink* mouseSink = nullptr;
HHOOK keyboardHook = nullptr;
HHOOK mouseHook = nullptr;

LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    // A negative code carries no event; it goes straight on.
    if (code >= 0 && keyboardSink) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        keyboardSink->handleKeyEvent(code, static_cast<std::uint32_t>(wParam), info->scanCode, info->flags);
    }
    // Never swallowed: every program still gets its input.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && mouseSink) {
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        mouseSink->handleMouseEvent(static_cast<std::uint32_t>(wParam), info->pt.x, info->pt.y);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class WindowsInputSource final : public InputEventSource
{
public:
    ~WindowsInputSource() override
    {
        removeKeyboard();
        removeMouse();
    }

    bool installKeyboard(InputEventSink& sink) override
    {
        removeKeyboard();
        keyboardSink = &sink;
        keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, &keyboardProc, GetModuleHandleW(nullptr), 0);
        if (!keyboardHook)
            keyboardSink = nullptr;
        return keyboardHook != nullptr;
    }

    bool installMouse(InputEventSink& sink) override
    {
        removeMouse();
        mouseSink = &sink;
        mouseHook = SetWindowsHookExW(WH_MOUSE_LL, &mouseProc, GetModuleHandleW(nullptr), 0);
        if (!mouseHook)
            mouseSink = nullptr;
        return mouseHook != nullptr;
    }

    void removeKeyboard() override
    {
        if (keyboardHook)
            UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
        keyboardSink = nullptr;
    }

    void removeMouse() override
    {
        if (mouseHook)
            UnhookWindowsHookEx(mouseHook);
        mouseHook = nullptr;
        mouseSink = nullptr;
    }
};

} // namespace

std::unique_ptr<InputEventSource> createPlatformInputSource()
{
    return std::make_unique<WindowsInputSource>();
}
