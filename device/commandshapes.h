#pragma once

#include <QtGlobal>

// The command families as data: every command of both controller families
// is one row, and one generic set-exchange and one generic read-exchange of
// Hid_Thread run them. A row says where the parameters go in the 8-byte
// block, which constants the block carries, how much bulk data follows and
// how the exchange is paced.
namespace commands {

enum class Pacing {
    None,     // reads
    Settle,   // 128 ms after the block, and again after bulk data
    Then8ms,  // no settle; 8 ms after the exchange
};

enum class Prefill {
    Zero,     // a failed read hands back zeros
    Inputs,   // a failed read hands back the caller's own values
};

struct Shape {
    uchar code;
    const char* failure;   // debug line when the gate cannot be taken
    Pacing pacing;
    int paramAt;           // block byte of the first parameter
    int bulkLength;        // bulk bytes after the block; -1: chosen by the call
    bool namesLength;      // byte 2 names the bulk length
    uchar byte3;           // constant in byte 3, or 0
    bool perSlot;          // 560: repeated for profile slots 1..4 (slot 1 only on gun devices)
    Prefill prefill;       // read: what the reply holds before the exchange
};

constexpr Shape set(uchar code, const char* failure, Pacing pacing, int paramAt = 1)
{
    return {code, failure, pacing, paramAt, 0, false, 0, false, Prefill::Zero};
}

constexpr Shape bulkSet(uchar code, const char* failure, int bulkLength, uchar byte3 = 0)
{
    return {code, failure, Pacing::Settle, 1, bulkLength, true, byte3, false, Prefill::Zero};
}

// The slot goes in byte 1, the value in byte 2.
constexpr Shape slotSet(uchar code, const char* failure)
{
    return {code, failure, Pacing::Settle, 1, 0, false, 0, true, Prefill::Zero};
}

constexpr Shape read(uchar code, const char* failure, Prefill prefill)
{
    return {code, failure, Pacing::None, 1, 0, false, 0, false, prefill};
}

namespace f553 {
inline constexpr Shape GetSecrecyCode = read(0x00, "cmd Failed 00", Prefill::Zero);
inline constexpr Shape SetReportRate = set(0x01, "cmd Failed 01", Pacing::Settle);
inline constexpr Shape SetCurrentKeyMatrix = set(0x02, "cmd Failed 02", Pacing::Settle);
inline constexpr Shape SetKeyboardoption = set(0x03, "cmd Failed 03", Pacing::Then8ms);
inline constexpr Shape SetGunData = set(0x04, "cmd Failed 04", Pacing::Then8ms, 2);
inline constexpr Shape SetCurrentDPI = set(0x0B, "cmd Failed 0B", Pacing::Settle);
inline constexpr Shape SetFixLEDColor = set(0x0C, "cmd Failed 0C", Pacing::Settle);
inline constexpr Shape SetRGBLedEffect = set(0x0D, "cmd Failed 0D", Pacing::Settle);
inline constexpr Shape SetLED8StageColor = bulkSet(0x10, "cmd Failed 10", -1);
inline constexpr Shape SetDPISet = bulkSet(0x11, "cmd Failed 11", 8);
inline constexpr Shape SetKeyMatrix = bulkSet(0x12, "cmd Failed 12", 64, 0x08);
inline constexpr Shape SetMacroKey = bulkSet(0x13, "cmd Failed 13", 128);
inline constexpr Shape GetKeyboardoption = read(0x83, "cmd Failed 83", Prefill::Inputs);
inline constexpr Shape GetCurrentDPI = read(0x8B, "cmd Failed 8BH", Prefill::Inputs);
// Every command of the family, in code order.
inline constexpr Shape all[] = {GetSecrecyCode, SetReportRate, SetCurrentKeyMatrix, SetKeyboardoption,
                                SetGunData, SetCurrentDPI, SetFixLEDColor, SetRGBLedEffect,
                                SetLED8StageColor, SetDPISet, SetKeyMatrix, SetMacroKey,
                                GetKeyboardoption, GetCurrentDPI};
} // namespace f553

namespace f560 {
inline constexpr Shape SetKeyboardoption = set(0x01, "cmd Failed 01", Pacing::Then8ms);
inline constexpr Shape SetCurrentProfile = set(0x02, "cmd Failed 02", Pacing::Then8ms);
inline constexpr Shape SetReportRate = slotSet(0x03, "cmd Failed 03");
inline constexpr Shape SetCurrentDPI = slotSet(0x04, "cmd Failed 04");
inline constexpr Shape SetProfile = bulkSet(0x0C, "cmd Failed 0C", 128);
inline constexpr Shape SetKeyMatrix = bulkSet(0x0D, "cmd Failed 0D", 128);
inline constexpr Shape SetMacroKey = bulkSet(0x0F, "cmd Failed 0F", 128);
inline constexpr Shape GetKeyboardoption = read(0x81, "cmd Failed 81", Prefill::Inputs);
inline constexpr Shape GetCurrentProfile = read(0x82, "cmd Failed 82", Prefill::Inputs);
inline constexpr Shape GetCurrentDPI = read(0x84, "cmd Failed 84", Prefill::Inputs);
// The profile read names no length in its block, yet moves 128 bytes;
// it hands back the caller's buffer, not a reply.
inline constexpr Shape ReadProfile = read(0x8C, "cmd Failed 8c", Prefill::Zero);
// Every command of the family, in code order.
inline constexpr Shape all[] = {SetKeyboardoption, SetCurrentProfile, SetReportRate, SetCurrentDPI,
                                SetProfile, SetKeyMatrix, SetMacroKey, GetKeyboardoption,
                                GetCurrentProfile, GetCurrentDPI, ReadProfile};
} // namespace f560

} // namespace commands
