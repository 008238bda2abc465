#pragma once

#include <QVariantList>

class Hid_Thread;
class ProfileBlocks;
struct DeviceFlags;

namespace guntransfer {

// Sends the recoil data of gun mode `mode` (1..3): data = times, X, Y.
// Nothing happens without the gun feature or for a mode outside 1..3.
void sendGunData(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, int mode,
                 const QVariantList& data);

// The Y byte the 553 family is sent: negated (mod 256) when the third
// keyboard-option byte is set.
uchar signedY(uchar y, uchar keyboardOption3);

} // namespace guntransfer
