#pragma once

#include <QVariant>
#include <QVariantList>

class Hid_Thread;
struct DeviceFlags;

namespace macrotransfer {

constexpr int kBlockSize = 128;
constexpr int kMacroSlots = 12;   // the mouse keeps macros 1..12

// Sends the macro block of slot `macroIndex` (0..11, its low byte) as macro
// number slot + 1. A longer block is cut at 128 values; a slot of 12 or more
// sends nothing. Always true: the UI only learns that the call was made.
bool sendMacroData(Hid_Thread& hid, const DeviceFlags& flags, const QVariantList& macroData,
                   const QVariant& macroIndex);

} // namespace macrotransfer
