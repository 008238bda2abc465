#include "guntransfer.h"

#include "deviceflags.h"
#include "hid_thread.h"
#include "profileblocks.h"
#include "variantbytes.h"

namespace guntransfer {

namespace {

// Where a gun mode's data sit in its 560 profile block (profile mode + 1).
constexpr int kFlagsByte = 65;
constexpr uchar kGunDisableBit = 0x04;
constexpr int kButtonByte = 78;
constexpr uchar kLeftButton = 0xF0;
constexpr int kTimesByte = 79;
constexpr int kXByte = 80;
constexpr int kYByte = 81;

} // namespace

uchar signedY(uchar y, uchar keyboardOption3)
{
    return keyboardOption3 != 0 ? uchar(-y) : y;
}

void sendGunData(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, int mode,
                 const QVariantList& data)
{
    if (!flags.isGun || mode < 1 || mode > 3)
        return;
    const uchar times = variantbytes::byteAt(data, 0);
    const uchar x = variantbytes::byteAt(data, 1);
    const uchar y = variantbytes::byteAt(data, 2);

    if (flags.family560) {
        const uint profile = uint(mode + 1);
        uchar* block = blocks.block(profile);
        block[kButtonByte] = kLeftButton;
        block[kTimesByte] = times;
        block[kXByte] = x;
        block[kYByte] = y;
        block[kFlagsByte] = uchar(block[kFlagsByte] & ~kGunDisableBit);
        blocks.write(hid, profile);
        return;
    }

    // A failed read hands back the zero pre-fill: Y then goes unchanged.
    uchar option1 = 0, option2 = 0, option3 = 0, option4 = 0;
    hid.hid553_83H_GetKeyboardoption(option1, option2, option3, option4);
    hid.hid553_04H_SetGunData(times, x, signedY(y, option3), uchar(mode - 1));
}

} // namespace guntransfer
