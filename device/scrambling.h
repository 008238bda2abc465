#pragma once

#include <QtGlobal>

#include <array>

class QString;

// The 8-byte command block and its keyed, reversible scrambling.
namespace scrambling {

using Block = std::array<uchar, 8>;
using SecrecyCode = std::array<uchar, 8>; // only bytes 1..6 key the transform

// Bitwise NOT of the 8-bit sum of bytes 0..6.
uchar checksum(const uchar* block);

void encrypt(uchar* block, const uchar* code);
void decipher(uchar* block, const uchar* code);

// Loads a six-character secrecy code into bytes 1..6 of `code`.
// Any other length leaves `code` as it was and returns false.
bool loadSecrecyCode(const QString& text, SecrecyCode& code);

} // namespace scrambling
