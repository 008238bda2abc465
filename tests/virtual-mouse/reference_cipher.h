// An independent, byte-by-byte statement of the block transform, written
// straight from the protocol description. The library's word-based version
// is checked against it, and the wire tests use it to talk to scrambled
// devices, so a fault in the library cannot cancel itself out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace reference {

using Block = std::array<std::uint8_t, 8>;

inline std::uint8_t swapNibbles(std::uint8_t x)
{
    return static_cast<std::uint8_t>((x << 4) | (x >> 4));
}

inline std::array<std::uint8_t, 8> secrecy(const std::string& code)
{
    std::array<std::uint8_t, 8> s{};
    if (code.size() == 6)
        for (int i = 0; i < 6; ++i)
            s[i + 1] = static_cast<std::uint8_t>(code[i]);
    return s;
}

inline void exchangePairs(Block& b)
{
    std::swap(b[0], b[5]);
    std::swap(b[1], b[4]);
    std::swap(b[2], b[7]);
    std::swap(b[3], b[6]);
}

inline Block encipher(Block b, const std::string& code)
{
    static const char table[] = "VeQdaHub";
    const auto s = secrecy(code);
    exchangePairs(b);
    for (int i = 1; i <= 6; ++i)
        b[i] ^= s[i];
    const Block old = b;
    for (int i = 0; i < 7; ++i)
        b[i] = static_cast<std::uint8_t>((old[i] << 3) | (old[i + 1] >> 5));
    b[7] = static_cast<std::uint8_t>((old[7] << 3) | (old[0] >> 5));
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(b[i] + swapNibbles(static_cast<std::uint8_t>(table[i])));
    return b;
}

inline Block decipher(Block b, const std::string& code)
{
    static const char table[] = "VeQdaHub";
    const auto s = secrecy(code);
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(b[i] - swapNibbles(static_cast<std::uint8_t>(table[i])));
    const Block old = b;
    for (int i = 1; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>((old[i] >> 3) | (old[i - 1] << 5));
    b[0] = static_cast<std::uint8_t>((old[0] >> 3) | (old[7] << 5));
    for (int i = 1; i <= 6; ++i)
        b[i] ^= s[i];
    exchangePairs(b);
    return b;
}

inline std::uint8_t checksum(const Block& b)
{
    unsigned sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += b[i];
    return static_cast<std::uint8_t>(~sum);
}

// A command block with its checksum filled in.
inline Block command(std::uint8_t code, std::initializer_list<std::uint8_t> params = {})
{
    Block b{};
    b[0] = code;
    int i = 1;
    for (std::uint8_t p : params)
        b[i++] = p;
    b[7] = checksum(b);
    return b;
}

} // namespace reference
