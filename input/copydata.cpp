#include "copydata.h"

#include <cstring>

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// Decoding anything else would replace bytes, and the decoded text would no
// longer have the length the sender gave.
bool isValidUtf8(const unsigned char* s, std::size_t n)
{
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra = 0;
        unsigned char lo = 0x80, hi = 0xBF;   // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        if (s[i + 1] < lo || s[i + 1] > hi)
            return false;
        for (std::size_t k = 2; k <= extra; ++k)
            if (s[i + k] < 0x80 || s[i + k] > 0xBF)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

std::optional<std::string> copyDataWarningText(const CopyDataRecord* record)
{
    if (!record || record->identifier != kWarningIdentifier)
        return std::nullopt;
    const std::size_t count = record->byteCount;
    if (count == 0)
        return std::string();
    if (!record->data)
        return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(record->data);
    // A NUL within the count ends the text early, so it is shorter than the
    // sender said (typically a count that includes the terminator).
    if (std::memchr(bytes, 0, count))
        return std::nullopt;
    if (!isValidUtf8(bytes, count))
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes), count);
}
