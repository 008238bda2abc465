#pragma once

#include <QVariantList>

class Hid_Thread;
struct DeviceFlags;

namespace reportrate {

// The polling interval code (8, 4, 2, 1 ms): every profile slot on the 560
// family (slot 1 only on gun mice), one command on the 553 family.
void setReportRate(Hid_Thread& hid, const DeviceFlags& flags, uchar rate);

// The four keyboard-option bytes go through the 553 commands on every mouse.
void setKeyboardOption(Hid_Thread& hid, uchar byte1, uchar byte2, uchar byte3, uchar byte4);
// [byte1, byte2, byte3, byte4]; four zeros when the read cannot be made.
QVariantList getKeyboardOption(Hid_Thread& hid);

} // namespace reportrate
