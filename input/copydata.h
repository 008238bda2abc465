#pragma once

// Plain C++ only: the Windows message part includes this without Qt.

#include <cstdint>
#include <optional>
#include <string>

// The copy-data record another program sends with WM_COPYDATA, in a form
// that does not depend on the Windows headers.
struct CopyDataRecord
{
    std::uintptr_t identifier = 0;
    std::uint32_t byteCount = 0;
    const void* data = nullptr;
};

constexpr std::uint32_t kCopyDataMessage = 74;        // WM_COPYDATA
constexpr std::uintptr_t kWarningIdentifier = 9487;   // "show this text in a warning box"

// The text a copy-data request asks to show, or nothing. The request must
// carry the warning identifier and exactly byteCount bytes of valid UTF-8
// with no NUL among them. Nothing past byteCount is read: the data belongs
// to another process and the count is all that bounds it.
std::optional<std::string> copyDataWarningText(const CopyDataRecord* record);
