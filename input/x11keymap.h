#pragma once

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
