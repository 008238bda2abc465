#include "lighting.h"

#include "deviceflags.h"
#include "hid_thread.h"
#include "profileblocks.h"
#include "variantbytes.h"

#include <algorithm>

namespace lighting {

namespace {

template <size_t N>
uchar lookup(const uchar (&table)[N], uchar index)
{
    return index < N ? table[index] : uchar(0);
}

// Where the lighting lives in the 560 profile blocks.
constexpr int kEffectOffset = 71;               // mode, p1, p2 in blocks 1..4
constexpr int kColourfulColoursOffset = 24;     // block 0
constexpr int kBasicColoursOffset = 104;        // block 1
constexpr uchar kBasicP2 = 2;
constexpr uchar kBasicSingleProfileP2 = 3;

} // namespace

uchar colourfulBrightness(uchar brightness)
{
    static const uchar table[] = {0x00, 0x40, 0x80, 0xC0, 0xFF};
    return lookup(table, brightness);
}

uchar colourfulSpeed(SpeedTable table, uchar speed)
{
    static const uchar s1[] = {10, 7, 5, 3, 1};
    static const uchar s2[] = {20, 17, 15, 13, 11};
    static const uchar s3[] = {15, 13, 10, 7, 5};
    static const uchar s4[] = {30, 27, 24, 22, 20};
    switch (table) {
    case SpeedTable::S1: return lookup(s1, speed);
    case SpeedTable::S2: return lookup(s2, speed);
    case SpeedTable::S3: return lookup(s3, speed);
    case SpeedTable::S4: return lookup(s4, speed);
    }
    return 0;
}

Effect colourfulEffect(uchar effect, uchar speed, uchar brightness)
{
    const uchar b = colourfulBrightness(brightness);
    switch (effect) {
    case 0: return {1, b, 0};                                            // Static
    case 1: return {3, 0, colourfulSpeed(SpeedTable::S1, speed)};        // Breath
    case 2: return {4, 0, colourfulSpeed(SpeedTable::S1, speed)};        // Neon
    case 4: return {2, b, 0};                                            // Twinkling
    case 5: return {5, b, colourfulSpeed(SpeedTable::S1, speed)};        // Wave
    case 6: return {6, 0, 0};                                            // Finger Moving
    case 7: return {7, b, 0};                                            // Gliding
    case 8: return {8, b, colourfulSpeed(SpeedTable::S2, speed)};        // Vertical Flipping
    case 9: return {9, b, colourfulSpeed(SpeedTable::S3, speed)};        // YO-YO
    case 10: return {10, b, colourfulSpeed(SpeedTable::S4, speed)};      // Spotlight
    default: return {0, 0, 0};                                           // OFF and unknown
    }
}

uchar basicBrightness(uchar brightness)
{
    static const uchar table[] = {1, 3, 5, 7, 10};
    return lookup(table, brightness);
}

uchar basicNeonSpeed(uchar speed)
{
    static const uchar table[] = {30, 24, 18, 12, 6};
    return lookup(table, speed);
}

BasicEffect basicEffect(uchar effect, uchar speed, uchar brightness)
{
    switch (effect) {
    case 0: return {1, basicBrightness(brightness), 1};         // Static
    case 1: return {2, uchar(speed + 1), 1};                    // Breath
    case 2: return {3, basicNeonSpeed(speed), 1};               // Neon
    case 4: return {2, uchar(speed + 1), 3};                    // Breath Loop
    default: return {0, 0, 0};                                  // OFF and unknown
    }
}

std::array<uchar, 24> colourBytes(const QVariantList& src24)
{
    std::array<uchar, 24> out{};
    for (int i = 0; i < 24; ++i)
        out[i] = variantbytes::byteAt(src24, i);
    return out;
}

void setEffect(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, uchar effect,
               uchar speed, uchar brightness)
{
    Effect triple;
    if (flags.isColorful) {
        triple = colourfulEffect(effect, speed, brightness);
    } else {
        const BasicEffect basic = basicEffect(effect, speed, brightness);
        const uchar p2 = (!flags.family560 && flags.is55328) ? basic.q : kBasicP2;
        triple = {basic.mode, basic.p1, p2};
    }

    if (!flags.family560) {
        hid.hid553_0DH_SetRGBLedEffect(triple.mode, triple.p1, triple.p2);
        return;
    }

    for (uint profile = 1; profile <= 4; ++profile) {
        uchar* block = blocks.block(profile);
        block[kEffectOffset] = triple.mode;
        block[kEffectOffset + 1] = triple.p1;
        block[kEffectOffset + 2] = triple.p2;
    }
    if (!flags.isColorful && !flags.isGun) {
        // A basic mouse without gun modes keeps 3 in the last effect byte of block 1.
        blocks.block(1)[kEffectOffset + 2] = kBasicSingleProfileP2;
        blocks.write(hid, 1);
        return;
    }
    blocks.write(hid, 1);
    if (flags.isGun)
        for (uint profile = 2; profile <= 4; ++profile)
            blocks.write(hid, profile);
}

void setColor(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, uchar type,
              const QVariantList& src24)
{
    std::array<uchar, 24> colours = colourBytes(src24);
    if (flags.family560) {
        const uint profile = flags.isColorful ? 0 : 1;
        const int offset = flags.isColorful ? kColourfulColoursOffset : kBasicColoursOffset;
        std::copy(colours.begin(), colours.end(), blocks.block(profile) + offset);
        blocks.write(hid, profile);
        return;
    }
    if (flags.is55328) {
        // One fixed colour unless the eighth colour is set.
        if (colours[21] == 0 && colours[22] == 0 && colours[23] == 0)
            hid.hid553_0CH_SetFixLEDColor(colours.data());
        else
            hid.hid553_10H_SetLED8StageColor(0, colours.data());
        return;
    }
    hid.hid553_10H_SetLED8StageColor(type, colours.data());
    hid.hid553_10H_SetLED8StageColor(type, colours.data());
}

} // namespace lighting
