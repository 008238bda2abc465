#include "x11keymap.h"

namespace {

// Linux key codes 1..88 were taken from set 1 and equal its scan codes,
// except for the keys listed here. Extended codes follow the Linux XT
// keyboard translation (0xE0-prefixed codes); right Shift, Num Lock, Print
// Screen and Pause are given the form the Windows hook reports, which
// differs from the bytes a PS/2 keyboard sends.
struct Row
{
    unsigned evdev;
    PcScanCode scan;
};

constexpr Row kRows[] = {
    {54, {0x36, true}},    // KEY_RIGHTSHIFT: Windows reports it extended
    {69, {0x45, true}},    // KEY_NUMLOCK: extended, unlike Pause below
    {86, {0x56, false}},   // KEY_102ND
    {87, {0x57, false}},   // KEY_F11
    {88, {0x58, false}},   // KEY_F12
    {89, {0x73, false}},   // KEY_RO
    {92, {0x79, false}},   // KEY_HENKAN
    {93, {0x70, false}},   // KEY_KATAKANAHIRAGANA
    {94, {0x7B, false}},   // KEY_MUHENKAN
    {95, {0x5C, false}},   // KEY_KPJPCOMMA
    {96, {0x1C, true}},    // KEY_KPENTER
    {97, {0x1D, true}},    // KEY_RIGHTCTRL
    {98, {0x35, true}},    // KEY_KPSLASH
    {99, {0x37, true}},    // KEY_SYSRQ (Print Screen)
    {100, {0x38, true}},   // KEY_RIGHTALT
    {102, {0x47, true}},   // KEY_HOME
    {103, {0x48, true}},   // KEY_UP
    {104, {0x49, true}},   // KEY_PAGEUP
    {105, {0x4B, true}},   // KEY_LEFT
    {106, {0x4D, true}},   // KEY_RIGHT
    {107, {0x4F, true}},   // KEY_END
    {108, {0x50, true}},   // KEY_DOWN
    {109, {0x51, true}},   // KEY_PAGEDOWN
    {110, {0x52, true}},   // KEY_INSERT
    {111, {0x53, true}},   // KEY_DELETE
    {113, {0x20, true}},   // KEY_MUTE
    {114, {0x2E, true}},   // KEY_VOLUMEDOWN
    {115, {0x30, true}},   // KEY_VOLUMEUP
    {116, {0x5E, true}},   // KEY_POWER
    {117, {0x59, false}},  // KEY_KPEQUAL
    {119, {0x45, false}},  // KEY_PAUSE
    {121, {0x7E, false}},  // KEY_KPCOMMA
    {124, {0x7D, false}},  // KEY_YEN
    {125, {0x5B, true}},   // KEY_LEFTMETA
    {126, {0x5C, true}},   // KEY_RIGHTMETA
    {127, {0x5D, true}},   // KEY_COMPOSE (Menu)
    {128, {0x68, true}},   // KEY_STOP (browser)
    {140, {0x21, true}},   // KEY_CALC
    {142, {0x5F, true}},   // KEY_SLEEP
    {143, {0x63, true}},   // KEY_WAKEUP
    {155, {0x6C, true}},   // KEY_MAIL
    {156, {0x66, true}},   // KEY_BOOKMARKS
    {157, {0x6B, true}},   // KEY_COMPUTER
    {158, {0x6A, true}},   // KEY_BACK
    {159, {0x69, true}},   // KEY_FORWARD
    {163, {0x19, true}},   // KEY_NEXTSONG
    {164, {0x22, true}},   // KEY_PLAYPAUSE
    {165, {0x10, true}},   // KEY_PREVIOUSSONG
    {166, {0x24, true}},   // KEY_STOPCD
    {172, {0x32, true}},   // KEY_HOMEPAGE
    {173, {0x67, true}},   // KEY_REFRESH
    // F13..F24 as Windows numbers them (F23 is the 0x6E of the scan-code map).
    {183, {0x64, false}}, {184, {0x65, false}}, {185, {0x66, false}}, {186, {0x67, false}},
    {187, {0x68, false}}, {188, {0x69, false}}, {189, {0x6A, false}}, {190, {0x6B, false}},
    {191, {0x6C, false}}, {192, {0x6D, false}}, {193, {0x6E, false}}, {194, {0x76, false}},
    {217, {0x65, true}},   // KEY_SEARCH
    {226, {0x6D, true}},   // KEY_MEDIA
};

constexpr unsigned kSysRq = 99;
constexpr unsigned kPause = 119;
constexpr unsigned kX11Offset = 8;

constexpr std::uint32_t kKeyDown = 0x100, kKeyUp = 0x101;         // WM_KEYDOWN, WM_KEYUP
constexpr std::uint32_t kSysKeyDown = 0x104, kSysKeyUp = 0x105;   // WM_SYSKEYDOWN, WM_SYSKEYUP
constexpr std::uint32_t kFlagExtended = 0x01, kFlagAltDown = 0x20, kFlagUp = 0x80;

constexpr unsigned kLeftCtrl = 29 + kX11Offset, kRightCtrl = 97 + kX11Offset;
constexpr unsigned kLeftAlt = 56 + kX11Offset, kRightAlt = 100 + kX11Offset;

} // namespace

PcScanCode scanCodeForEvdev(unsigned evdevCode)
{
    for (const Row& row : kRows)
        if (row.evdev == evdevCode)
            return row.scan;
    // 84 and 85 were never set-1 keys.
    if (evdevCode >= 1 && evdevCode <= 83)
        return {std::uint16_t(evdevCode), false};
    return {};
}

PcScanCode scanCodeForX11Key(unsigned keycode, bool altHeld, bool ctrlHeld)
{
    if (keycode < kX11Offset)
        return {};
    const unsigned evdev = keycode - kX11Offset;
    if (evdev == kSysRq && altHeld)
        return {0x54, false};
    if (evdev == kPause && ctrlHeld)
        return {0x46, true};
    return scanCodeForEvdev(evdev);
}

void X11KeyForwarder::key(unsigned keycode, bool press, InputEventSink* sink)
{
    switch (keycode) {
    case kLeftAlt: leftAlt = press; break;
    case kRightAlt: rightAlt = press; break;
    case kLeftCtrl: leftCtrl = press; break;
    case kRightCtrl: rightCtrl = press; break;
    default: break;
    }
    if (!sink)
        return;
    const bool alt = leftAlt || rightAlt;
    const bool ctrl = leftCtrl || rightCtrl;
    const PcScanCode scan = scanCodeForX11Key(keycode, alt, ctrl);
    if (scan.code == 0)
        return;
    std::uint32_t flags = scan.extended ? kFlagExtended : 0;
    if (alt)
        flags |= kFlagAltDown;
    if (!press)
        flags |= kFlagUp;
    // Windows sends the system-key messages while Alt alone is held.
    const bool system = alt && !ctrl;
    const std::uint32_t message = press ? (system ? kSysKeyDown : kKeyDown) : (system ? kSysKeyUp : kKeyUp);
    sink->handleKeyEvent(0, message, scan.code, flags);
}

void X11KeyForwarder::reset()
{
    leftAlt = rightAlt = leftCtrl = rightCtrl = false;
}

std::uint32_t mouseMessageForX11Button(unsigned button, bool press)
{
    switch (button) {
    case 1: return press ? 0x201 : 0x202;   // left
    case 2: return press ? 0x207 : 0x208;   // middle
    case 3: return press ? 0x204 : 0x205;   // right
    case 4:
    case 5: return press ? 0x20A : 0;       // vertical wheel
    case 6:
    case 7: return press ? 0x20E : 0;       // horizontal wheel
    case 8:
    case 9: return press ? 0x20B : 0x20C;   // side buttons
    default: return 0;
    }
}
