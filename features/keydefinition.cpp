#include "keydefinition.h"

namespace keydef {

namespace {

// "Search", "Index" and "My PC" sit in the Windows-function group of the page
// but are consumer-page usages, so the mouse must send them as media keys.
bool isConsumerWindowsEntry(const Definition& d)
{
    if (d[0] != WindowsFunction)
        return false;
    return ((d[2] == 0x21 || d[2] == 0x23) && d[3] == 0x02) || (d[2] == 0x94 && d[3] == 0x01);
}

} // namespace

Definition toDeviceForm(const Definition& stored, bool family560)
{
    Definition d = stored;
    switch (stored[0]) {
    case MouseButton:
        // The double click is a repeated left button: the fire type.
        d[0] = (stored[2] == 0x1E && stored[3] == 0x02) ? 0x0A : 0x01;
        break;
    case Fire:
        d[0] = 0x0A;
        break;
    case Combination:
    case WindowsFunction:
    case Shortcut:
        d[0] = 0x00;
        break;
    case Media:
        d[0] = 0x03;
        break;
    case Macro:
        // Macro numbers count from 1 on the device.
        d[0] = 0x09;
        d[2] = uchar(stored[2] + 1);
        break;
    case DpiFunction:
        d[0] = 0x07;
        if (stored[2] == 0x04)
            d = family560 ? Definition{0x0B, 0x00, 0x01, 0x01} : Definition{0x07, 0x00, 0x04, 0x01};
        break;
    case GunSwitch:
        d[0] = kDeviceGunSwitch;
        break;
    case Reserved:
        d[0] = 0x04;
        break;
    default:
        break;
    }
    if (isConsumerWindowsEntry(stored))
        d[0] = 0x03;
    return d;
}

void matrixToDeviceForm(uchar* matrix64, bool family560)
{
    for (int slot = 0; slot < kSlots; ++slot) {
        uchar* at = matrix64 + slot * kDefinitionSize;
        const Definition device = toDeviceForm({at[0], at[1], at[2], at[3]}, family560);
        for (int i = 0; i < kDefinitionSize; ++i)
            at[i] = device[i];
    }
}

} // namespace keydef
