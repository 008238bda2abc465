#include "macrotransfer.h"

#include "deviceflags.h"
#include "hid_thread.h"
#include "variantbytes.h"

#include <array>

namespace macrotransfer {

bool sendMacroData(Hid_Thread& hid, const DeviceFlags& flags, const QVariantList& macroData,
                   const QVariant& macroIndex)
{
    const uchar slot = variantbytes::lowByte(macroIndex);
    if (slot >= kMacroSlots)
        return true;
    std::array<uchar, kBlockSize> block{};
    for (int i = 0; i < kBlockSize; ++i)
        block[i] = variantbytes::byteAt(macroData, i);
    if (flags.family560)
        hid.hid560_0FH_SetMacroKey(uchar(slot + 1), block.data());
    else
        hid.hid553_13H_SetMacroKey(uchar(slot + 1), block.data());
    return true;
}

} // namespace macrotransfer
