#pragma once

#include <QtGlobal>

#include <array>

class Hid_Thread;

// The bridge's copies of the 560 family's five profile blocks. Feature
// operations change bytes in them and send whole blocks; every byte they do
// not own goes back to the device exactly as it was read.
class ProfileBlocks
{
public:
    static constexpr uint kCount = 5;
    static constexpr int kSize = 128;

    // Block `profileNo`, or null outside 0..4.
    uchar* block(uint profileNo);

    // Reads block `profileNo` from the device; a failed read leaves it as it was.
    void read(Hid_Thread& hid, uint profileNo);
    // Sends block `profileNo` to the device.
    void write(Hid_Thread& hid, uint profileNo);

private:
    std::array<std::array<uchar, kSize>, kCount> blocks{};
};

namespace deviceslot {

// The device's active profile slot (560 family); 0 when the exchange fails.
int readCurrentProfile(Hid_Thread& hid);

// Makes key matrix / profile slot `indexNo` (counted from 1) the active one.
void switchKeyMatrix(Hid_Thread& hid, bool family560, int indexNo);

} // namespace deviceslot
