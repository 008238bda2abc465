#include "scramble.h"
#include "virtual_mouse.h"

#include <bit>

namespace vmouse::detail {
namespace {

// Byte b of a block sits at bit offset 56 - 8 * b of the 64-bit view.
constexpr std::uint64_t byteAt(int index, std::uint8_t value)
{
    return std::uint64_t{value} << (56 - 8 * index);
}

// Each byte of "VeQdaHub" with its nibbles exchanged, as one word.
constexpr std::uint64_t tableWord()
{
    constexpr char letters[] = "VeQdaHub";
    std::uint64_t word = 0;
    for (int i = 0; i < 8; ++i) {
        const auto c = static_cast<std::uint8_t>(letters[i]);
        word |= byteAt(i, static_cast<std::uint8_t>((c << 4) | (c >> 4)));
    }
    return word;
}
constexpr std::uint64_t kTable = tableWord();

// The code keys bytes 1..6 only. A code that is not six characters long
// keys nothing, like a program whose code was never loaded.
std::uint64_t keyWord(const std::string& code)
{
    if (code.size() != 6)
        return 0;
    std::uint64_t word = 0;
    for (int i = 0; i < 6; ++i)
        word |= byteAt(i + 1, static_cast<std::uint8_t>(code[static_cast<std::size_t>(i)]));
    return word;
}

// The pair exchanges 0<->5, 1<->4, 2<->7, 3<->6 are one fixed byte
// permutation, which is its own inverse.
std::uint64_t exchangePairs(std::uint64_t word)
{
    constexpr int partner[8] = {5, 4, 7, 6, 1, 0, 3, 2};
    std::uint64_t out = 0;
    for (int i = 0; i < 8; ++i) {
        const auto value = static_cast<std::uint8_t>(word >> (56 - 8 * partner[i]));
        out |= byteAt(i, value);
    }
    return out;
}

// Bytewise addition and subtraction modulo 256 in all eight lanes at once:
// the low seven bits of each lane are added without a carry into the next
// lane, and the top bit is fixed up with XOR.
constexpr std::uint64_t kHigh = 0x8080808080808080ULL;

std::uint64_t addLanes(std::uint64_t x, std::uint64_t y)
{
    return ((x & ~kHigh) + (y & ~kHigh)) ^ ((x ^ y) & kHigh);
}

std::uint64_t subtractLanes(std::uint64_t x, std::uint64_t y)
{
    return ((x | kHigh) - (y & ~kHigh)) ^ ((x ^ ~y) & kHigh);
}

} // namespace

std::uint64_t loadBlock(const std::uint8_t block[8])
{
    std::uint64_t word = 0;
    for (int i = 0; i < 8; ++i)
        word |= byteAt(i, block[i]);
    return word;
}

void storeBlock(std::uint64_t word, std::uint8_t block[8])
{
    for (int i = 0; i < 8; ++i)
        block[i] = static_cast<std::uint8_t>(word >> (56 - 8 * i));
}

std::uint64_t rotateBlockLeft3(std::uint64_t word) { return std::rotl(word, 3); }
std::uint64_t rotateBlockRight3(std::uint64_t word) { return std::rotr(word, 3); }

} // namespace vmouse::detail

namespace vmouse {

void encipherBlock(std::uint8_t block[8], const std::string& code)
{
    using namespace detail;
    std::uint64_t word = exchangePairs(loadBlock(block)) ^ keyWord(code);
    word = addLanes(rotateBlockLeft3(word), kTable);
    storeBlock(word, block);
}

void decipherBlock(std::uint8_t block[8], const std::string& code)
{
    using namespace detail;
    std::uint64_t word = rotateBlockRight3(subtractLanes(loadBlock(block), kTable));
    storeBlock(exchangePairs(word ^ keyWord(code)), block);
}

} // namespace vmouse
