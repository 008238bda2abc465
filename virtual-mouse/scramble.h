// The firmware's own block cipher: the keyed, reversible transform that
// scrambled devices apply to command and reply blocks. Written against the
// 64-bit view of a block on purpose, so that it does not share its shape (or
// its mistakes) with the program's byte-by-byte version.
#pragma once

#include <cstdint>
#include <string>

namespace vmouse::detail {

// A block as one big-endian 64-bit number: byte 0 is the most significant.
std::uint64_t loadBlock(const std::uint8_t block[8]);
void storeBlock(std::uint64_t word, std::uint8_t block[8]);

// The rotation step alone (exposed for tests of the known vector).
std::uint64_t rotateBlockLeft3(std::uint64_t word);
std::uint64_t rotateBlockRight3(std::uint64_t word);

} // namespace vmouse::detail
