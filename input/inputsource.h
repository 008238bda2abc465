#pragma once

// Plain C++ only: the Windows source includes this without Qt.

#include <cstdint>
#include <memory>

// Receives raw input in the form the Windows low-level hooks deliver it, so
// that every platform feeds the same maps and edge detection.
class InputEventSink
{
public:
    // hookCode 0 is an action; message is WM_KEYDOWN (0x100), WM_KEYUP (0x101),
    // WM_SYSKEYDOWN (0x104) or WM_SYSKEYUP (0x105); scanCode is PC set 1;
    // flags bit 0 is the extended flag, bit 0x20 Alt held, bit 0x80 release.
    virtual void handleKeyEvent(int hookCode, std::uint32_t message, std::uint32_t scanCode,
                                std::uint32_t flags) = 0;
    // message is the Windows mouse message (0x200..0x20E); x and y are
    // screen coordinates of the cursor.
    virtual void handleMouseEvent(std::uint32_t message, int x, int y) = 0;

protected:
    ~InputEventSink() = default;
};

// A system-wide source of key and button events. The keyboard and the mouse
// side are installed and removed separately, like the two hooks on Windows.
class InputEventSource
{
public:
    virtual ~InputEventSource() = default;

    // Starts delivering events to sink; false when the system refuses.
    virtual bool installKeyboard(InputEventSink& sink) = 0;
    virtual bool installMouse(InputEventSink& sink) = 0;
    virtual void removeKeyboard() = 0;
    virtual void removeMouse() = 0;
};

// The source of the platform this build targets: XInput2 on X11, the
// low-level hooks on Windows.
std::unique_ptr<InputEventSource> createPlatformInputSource();
