#pragma once

// The operating system's pointer settings for the logged-on user: cursor
// speed, double-click time and wheel scroll lines. The system settings page
// only ever writes them; nothing here reads them back for the page.
//
// Plain C++ types only: the Windows adapter includes this header without Qt.

// The page's sliders send step indices 0..10. The platform takes a cursor
// speed of 1..20 and a double-click time in milliseconds, so the steps are
// converted first: a step used directly would be a 0..10 ms double click.
// Steps above 10 count as 10.
unsigned cursorSpeedForStep(unsigned step);     // 1, 2, 4, 6, ... 20
unsigned doubleClickMsForStep(unsigned step);   // 900, 830, ... 200 ms

// What a platform has to provide. Each call returns false when the platform
// refuses the value or has no such setting; the setting then stays as it was.
class PointerSettings
{
public:
    virtual ~PointerSettings() = default;

    virtual bool setMouseSpeed(unsigned speed) = 0;        // 1 (slowest) .. 20 (fastest), 10 neutral
    virtual bool setWheelScrollLines(unsigned lines) = 0;  // 1000 means one screen per notch
    virtual bool setDoubleClickTime(unsigned ms) = 0;

    // The adapter in force: the platform's unless a test installed another.
    static PointerSettings& current();
    static void install(PointerSettings* settings);   // nullptr restores the platform's
    // The platform's own adapter, defined by the one platform file built.
    static PointerSettings& platform();
};

// What the bridge's three slots do: convert, apply through the adapter in
// force and, when it refuses, write the failure line on the debug channel.
// GUI thread only.
void setCursorSpeed(unsigned step);
void setVerticalScrollLines(unsigned lines);
void setDoubleClickSpeed(unsigned step);
