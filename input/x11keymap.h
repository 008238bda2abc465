#pragma once

#include "inputsource.h"

#include <cstdint>

// A key as the Windows low-level keyboard hook reports it: PC scan code set 1
// and the extended flag. code 0 means the key has no scan code.
struct PcScanCode
{
    std::uint16_t code = 0;
    bool extended = false;

    friend bool operator==(const PcScanCode&, const PcScanCode&) = default;
};

// Linux input event code (KEY_*) to scan code. X key codes are these plus 8.
PcScanCode scanCodeForEvdev(unsigned evdevCode);

// An X key code to scan code, with the two keys whose code Windows changes
// while a modifier is held: Print Screen with Alt comes as 0x54 (SysRq,
// plain), Pause with Ctrl as 0x46 extended (Break).
PcScanCode scanCodeForX11Key(unsigned keycode, bool altHeld = false, bool ctrlHeld = false);

// The Windows mouse message for an X button press or release (1 left,
// 2 middle, 3 right, 4..7 wheel, 8 and 9 side buttons); 0 for a release that
// Windows has no message for (the wheel reports its turns once) and for any
// other button.
std::uint32_t mouseMessageForX11Button(unsigned button, bool press);

// Hands X key presses and releases (X key codes) to a sink as the Windows
// hook reports them: scan code and extended flag, the Alt flag, and the
// system-key messages while Alt alone is held. It follows both Alt and both
// Ctrl keys itself, so each source of X key codes needs one of its own.
class X11KeyForwarder
{
public:
    void key(unsigned keycode, bool press, InputEventSink* sink);
    // Forgets the modifiers, e.g. when the source loses its connection.
    void reset();

private:
    bool leftAlt = false, rightAlt = false;
    bool leftCtrl = false, rightCtrl = false;
};
