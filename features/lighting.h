#pragma once

#include <QVariantList>

#include <array>

class Hid_Thread;
class ProfileBlocks;
struct DeviceFlags;

// Lighting: the page's effect, speed and brightness positions become the
// device's effect triple; its 24 colour values become colour bytes.
namespace lighting {

// The device's effect triple: mode and its two parameters.
struct Effect
{
    uchar mode = 0;
    uchar p1 = 0;
    uchar p2 = 0;
    bool operator==(const Effect&) const = default;
};

// Colourful mice: brightness 1..4 -> 0x40..0xFF, anything else 0.
uchar colourfulBrightness(uchar brightness);
// The four speed tables of the colourful effects, indexed by speed 0..4;
// any other speed gives 0.
enum class SpeedTable { S1, S2, S3, S4 };
uchar colourfulSpeed(SpeedTable table, uchar speed);
// Effects 0..10 of a colourful mouse.
Effect colourfulEffect(uchar effect, uchar speed, uchar brightness);

// Basic mice: the static brightness (L) and the neon speed (N) tables.
uchar basicBrightness(uchar brightness);
uchar basicNeonSpeed(uchar speed);
// Mode and p1 of a basic mouse's effect, with q, the third byte an "55328"
// mouse is sent (the others get 2).
struct BasicEffect
{
    uchar mode = 0;
    uchar p1 = 0;
    uchar q = 0;
    bool operator==(const BasicEffect&) const = default;
};
BasicEffect basicEffect(uchar effect, uchar speed, uchar brightness);

// The 24 colour bytes: low byte of each value, missing ones 0, extra ones ignored.
std::array<uchar, 24> colourBytes(const QVariantList& src24);

void setEffect(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, uchar effect,
               uchar speed, uchar brightness);
void setColor(Hid_Thread& hid, const DeviceFlags& flags, ProfileBlocks& blocks, uchar type,
              const QVariantList& src24);

} // namespace lighting
