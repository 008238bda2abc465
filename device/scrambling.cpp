#include "scrambling.h"

#include <QString>

#include <utility>

namespace scrambling {

namespace {

constexpr char kTable[9] = "VeQdaHub";

constexpr uchar swapNibbles(uchar x)
{
    return uchar((x << 4) | (x >> 4));
}

// Byte pairs (0,5), (1,4), (2,7), (3,6); the exchange is its own inverse.
void exchangePairs(uchar* b)
{
    std::swap(b[0], b[5]);
    std::swap(b[1], b[4]);
    std::swap(b[2], b[7]);
    std::swap(b[3], b[6]);
}

void xorWithCode(uchar* b, const uchar* code)
{
    for (int i = 1; i <= 6; ++i)
        b[i] ^= code[i];
}

} // namespace

uchar checksum(const uchar* block)
{
    uchar sum = 0;
    for (int i = 0; i < 7; ++i)
        sum = uchar(sum + block[i]);
    return uchar(~sum);
}

void encrypt(uchar* b, const uchar* code)
{
    exchangePairs(b);
    xorWithCode(b, code);
    // Rotate the block left by 3 bits, b0 being the most significant byte.
    const uchar first = b[0];
    for (int i = 0; i < 7; ++i)
        b[i] = uchar((b[i] << 3) | (b[i + 1] >> 5));
    b[7] = uchar((b[7] << 3) | (first >> 5));
    for (int i = 0; i < 8; ++i)
        b[i] = uchar(b[i] + swapNibbles(uchar(kTable[i])));
}

void decipher(uchar* b, const uchar* code)
{
    for (int i = 0; i < 8; ++i)
        b[i] = uchar(b[i] - swapNibbles(uchar(kTable[i])));
    const uchar last = b[7];
    for (int i = 7; i > 0; --i)
        b[i] = uchar((b[i] >> 3) | (b[i - 1] << 5));
    b[0] = uchar((b[0] >> 3) | (last << 5));
    xorWithCode(b, code);
    exchangePairs(b);
}

bool loadSecrecyCode(const QString& text, SecrecyCode& code)
{
    if (text.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        code[i + 1] = uchar(text.at(i).toLatin1());
    return true;
}

} // namespace scrambling
