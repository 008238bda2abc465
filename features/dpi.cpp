#include "dpi.h"

#include "deviceflags.h"
#include "hid_thread.h"
#include "profileblocks.h"

#include <algorithm>

namespace dpi {

namespace {

const QString k3360 = QStringLiteral("3360");
const QString k3050 = QStringLiteral("3050");
const QString k3389 = QStringLiteral("3389");

constexpr int kHighBitLimit = 12799;
constexpr uchar kUnusedStage = 0x80;

// The DPI area of a 560 profile block.
constexpr int kHighBitsOffset = 82;       // and 83, a second copy
constexpr int kCodesOffset = 84;          // stages 1..8
constexpr int kCodesCopyOffset = 92;      // stages 1..8 again
constexpr int kMaskOffset = 100;

uchar code3050(int value)
{
    static const std::pair<int, uchar> thresholds[] = {
        {250, 1}, {500, 2}, {750, 3}, {1000, 4}, {1250, 5}, {1500, 6},
        {1750, 7}, {2000, 8}, {2500, 69}, {3000, 70}, {3500, 71}, {4000, 72},
    };
    for (const auto& [limit, code] : thresholds)
        if (value <= limit)
            return code;
    return 0;
}

int clampedCount(int dpiCount)
{
    return std::clamp(dpiCount, 0, kStages);
}

} // namespace

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

uchar stageCode(const QString& sensorType, int value)
{
    if (sensorType == k3360)
        return uchar(value / 100 - 1);
    if (sensorType == k3050)
        return code3050(value);
    if (sensorType == k3389)
        return uchar(value / 50);
    if (value <= 5000)
        return uchar(value / 100 - 1);
    return uchar((value / 200) | 0x40);
}

bool stageHighBit(const QString& sensorType, int value)
{
    return sensorType == k3389 && value > kHighBitLimit;
}

StageTable encodeStages(const QString& sensorType, const QVariantList& dpiValueArray)
{
    StageTable table;
    const int stages = int(std::min<qsizetype>(dpiValueArray.size(), kStages));
    for (int i = 0; i < stages; ++i) {
        const int value = dpiValueArray.at(i).toInt();
        table.codes[i] = stageCode(sensorType, value);
        if (stageHighBit(sensorType, value))
            table.highBits = uchar(table.highBits | (1u << i));
    }
    return table;
}

uchar activeStageMask(int dpiCount)
{
    return uchar((1u << clampedCount(dpiCount)) - 1u);
}

std::array<uchar, kStages> stageTable553(const StageTable& table, int dpiCount)
{
    std::array<uchar, kStages> out = table.codes;
    for (int i = clampedCount(dpiCount); i < kStages; ++i)
        out[i] = kUnusedStage;
    return out;
}

void writeDpiArea(uchar* block128, const StageTable& table, int dpiCount, bool highBitSensor)
{
    if (highBitSensor) {
        block128[kHighBitsOffset] = table.highBits;
        block128[kHighBitsOffset + 1] = table.highBits;
    }
    std::copy(table.codes.begin(), table.codes.end(), block128 + kCodesOffset);
    std::copy(table.codes.begin(), table.codes.end(), block128 + kCodesCopyOffset);
    block128[kMaskOffset] = activeStageMask(dpiCount);
}

void setDpi(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, int dpiCount,
            const QString& sensorType, const QVariantList& dpiValueArray)
{
    const StageTable table = encodeStages(sensorType, dpiValueArray);
    if (flags.family560) {
        for (uint profile = 1; profile <= 4; ++profile)
            writeDpiArea(blocks.block(profile), table, dpiCount, sensorType == k3389);
        blocks.write(hid, 1);
        if (flags.isGun)
            for (uint profile = 2; profile <= 4; ++profile)
                blocks.write(hid, profile);
        return;
    }
    std::array<uchar, kStages> codes = stageTable553(table, dpiCount);
    hid.hid553_11H_SetDPISet(uchar(dpiCount), codes.data());
}

} // namespace dpi
