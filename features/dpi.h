#pragma once

#include <QString>
#include <QVariantList>

#include <array>

class Hid_Thread;
class ProfileBlocks;
struct DeviceFlags;

namespace dpi {

constexpr int kStages = 8;

// The active DPI stage, counted from 1, on either controller family.
void setCurrentStage(Hid_Thread& hid, bool family560, int stage);
// The stage the device reports; 0 when the exchange fails.
int currentStage(Hid_Thread& hid, bool family560);

// The stage code a sensor stores for a resolution in DPI. "3360", "3050" and
// "3389" have encodings of their own; any other text takes the "4090" one.
uchar stageCode(const QString& sensorType, int value);
// Only the "3389" sensor needs a ninth bit: resolutions above 12799.
bool stageHighBit(const QString& sensorType, int value);

struct StageTable
{
    std::array<uchar, kStages> codes{};
    uchar highBits = 0;   // bit i: stage i + 1 above 12799 ("3389" only)
};
// Encodes the first eight values of `dpiValueArray`; missing stages are 0.
StageTable encodeStages(const QString& sensorType, const QVariantList& dpiValueArray);

// Bits 0..dpiCount-1 set; dpiCount is taken within 0..8.
uchar activeStageMask(int dpiCount);
// The 553 stage table: stages after dpiCount are 0x80.
std::array<uchar, kStages> stageTable553(const StageTable& table, int dpiCount);
// Writes the DPI area (offsets 82..100) of one 560 profile block.
void writeDpiArea(uchar* block128, const StageTable& table, int dpiCount, bool highBitSensor);

// Sends the stage table: inside profile blocks 1 (and 2..4 on gun mice) on
// the 560 family, with the stage-table command on the 553 family.
void setDpi(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, int dpiCount,
            const QString& sensorType, const QVariantList& dpiValueArray);

} // namespace dpi
