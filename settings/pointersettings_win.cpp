#include "pointersettings.h"

#include <windows.h>

#include <cstdint>

namespace {

// Store the setting in the user's profile and tell running programs.
constexpr UINT kUpdateFlags = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;   // 3

class WindowsPointerSettings : public PointerSettings
{
public:
    bool setMouseSpeed(unsigned speed) override
    {
        // SPI_SETMOUSESPEED (113) takes the speed itself in the pointer
        // parameter, not the address of a variable holding it.
        return SystemParametersInfoW(SPI_SETMOUSESPEED, 0,
                                     reinterpret_cast<PVOID>(static_cast<std::uintptr_t>(speed)),
                                     kUpdateFlags) != FALSE;
    }

    bool setWheelScrollLines(unsigned lines) override
    {
        // SPI_SETWHEELSCROLLLINES (105); 1000 is WHEEL_PAGESCROLL, one screen per notch.
        return SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, kUpdateFlags) != FALSE;
    }

    bool setDoubleClickTime(unsigned ms) override
    {
        // SPI_SETDOUBLECLICKTIME (32)
        return SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, ms, nullptr, kUpdateFlags) != FALSE;
    }
};

static_assert(SPI_SETMOUSESPEED == 113 && SPI_SETWHEELSCROLLLINES == 105 && SPI_SETDOUBLECLICKTIME == 32,
              "the actions the pointer settings rely on");
static_assert(kUpdateFlags == 3, "store and broadcast");

} // namespace

PointerSettings& PointerSettings::platform()
{
    static WindowsPointerSettings settings;
    return settings;
}
