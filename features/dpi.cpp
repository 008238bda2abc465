#include "dpi.h"

#include "hid_thread.h"

namespace dpi {

void setCurrentStage(Hid_Thread& hid, bool family560, int stage)
{
    if (family560)
        hid.hid560_04H_SetCurrentDPI(uchar(stage));
    else
        hid.hid553_0BH_SetCurrentDPI(uchar(stage));
}

int currentStage(Hid_Thread& hid, bool family560)
{
    if (family560) {
        uchar byte1 = 1, byte2 = 0;
        hid.hid560_84H_GetCurrentDPI(byte1, byte2);
        return byte2;
    }
    uchar byte1 = 0;
    hid.hid553_8BH_GetCurrentDPI(byte1);
    return byte1;
}

} // namespace dpi
