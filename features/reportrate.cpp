#include "reportrate.h"

#include "deviceflags.h"
#include "hid_thread.h"

namespace reportrate {

void setReportRate(Hid_Thread& hid, const DeviceFlags& flags, uchar rate)
{
    if (flags.family560)
        hid.hid560_03H_SetReportRate(rate);
    else
        hid.hid553_01H_SetReportRate(rate);
}

void setKeyboardOption(Hid_Thread& hid, uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    hid.hid553_03H_SetKeyboardoption(byte1, byte2, byte3, byte4);
}

QVariantList getKeyboardOption(Hid_Thread& hid)
{
    uchar byte1 = 0, byte2 = 0, byte3 = 0, byte4 = 0;
    hid.hid553_83H_GetKeyboardoption(byte1, byte2, byte3, byte4);
    return {int(byte1), int(byte2), int(byte3), int(byte4)};
}

} // namespace reportrate
