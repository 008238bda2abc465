#pragma once

#include <array>

// Shared by the feature wire tests: the exchanges an operation must make, in
// order and back to back on the virtual clock, and the device's profile blocks.
#include "exchangecheck.h"
#include "profileblocks.h"

#include <QTest>

#include <vector>

namespace featurewire {

// One exchange as the protocol fixes it.
struct Step
{
    enum Kind { Settle, Then8ms, Read };
    Kind kind = Settle;
    QByteArray block;      // plain block with checksum
    QByteArray bulkOut;    // bulk payload before zero fill
};

inline Step settle(std::initializer_list<uchar> first7, const QByteArray& bulk = {})
{
    return {Step::Settle, block(first7), bulk};
}

inline Step then8ms(std::initializer_list<uchar> first7)
{
    return {Step::Then8ms, block(first7), {}};
}

inline Step read(std::initializer_list<uchar> first7)
{
    return {Step::Read, block(first7), {}};
}

// Checks that everything recorded since the record was cleared is exactly
// these exchanges, the first starting at `startMs`, each beginning when the
// previous one ended. Returns false after a failed check.
inline bool checkSequence(const WireRig& rig, const std::vector<Step>& steps, qint64 startMs)
{
    const auto calls = rig.calls();
    int at = 0;
    qint64 t = startMs;
    for (size_t s = 0; s < steps.size(); ++s) {
        const Step& step = steps[s];
        ExpectedExchange e;
        e.plainBlock = step.block;
        e.encoded = rig.config.encoded;
        e.code = rig.config.secrecyCode;
        e.reportLength = rig.config.reportLength;
        e.bulkOut = step.bulkOut;
        e.read = step.kind == Step::Read;
        e.settle = step.kind == Step::Settle;
        e.startMs = t;
        at = checkExchange(calls, at, e);
        if (at < 0) {
            qWarning("exchange %d of %d (block %s) did not match", int(s) + 1, int(steps.size()),
                     step.block.toHex(' ').constData());
            return false;
        }
        const int packets = (step.bulkOut.size() + e.reportLength - 1) / e.reportLength;
        if (step.kind == Step::Settle)
            t += 128 + (packets > 0 ? packets * 120 + 128 : 0);
        else if (step.kind == Step::Then8ms)
            t += 8;
    }
    if (at != int(calls.size())) {
        qWarning("%d calls after the expected exchanges", int(calls.size()) - at);
        return false;
    }
    if (rig.clock.nowMs() != t) {
        qWarning("clock at %lld ms, expected %lld ms", rig.clock.nowMs(), t);
        return false;
    }
    return rig.hid.linkIdle;
}

inline QByteArray deviceProfile(const WireRig& rig, int profile)
{
    const auto state = vmouse::state(rig.device);
    const auto it = state.profiles560.find(profile);
    return it == state.profiles560.end() ? QByteArray() : bytes(it->second);
}

inline QByteArray memoryBlock(ProfileBlocks& blocks, uint profile)
{
    return QByteArray(reinterpret_cast<const char*>(blocks.block(profile)), ProfileBlocks::kSize);
}

// Reads all five blocks from the device as the connection does, then starts
// a fresh record. Every block holds the firmware's own non-zero pattern, so
// a byte the operation does not own must come back exactly as read.
// Reads the five blocks into the bridge's copies as a connection does, and
// returns them as the device holds them: the bytes an operation must send
// back untouched.
inline std::array<QByteArray, 5> readAllBlocks(WireRig& rig, ProfileBlocks& blocks)
{
    std::array<QByteArray, 5> read;
    for (uint p = 0; p < ProfileBlocks::kCount; ++p) {
        blocks.read(rig.hid, p);
        read[p] = deviceProfile(rig, int(p));
    }
    vmouse::clearRecord();
    return read;
}

inline QByteArray withBytes(QByteArray data, int offset, std::initializer_list<uchar> values)
{
    for (uchar v : values)
        data[offset++] = char(v);
    return data;
}

inline vmouse::DeviceConfig config(vmouse::Family family, int reportLength = 32, bool encoded = false)
{
    vmouse::DeviceConfig c;
    c.family = family;
    c.reportLength = reportLength;
    c.encoded = encoded;
    if (encoded)
        c.secrecyCode = "q7W#2m";
    return c;
}

} // namespace featurewire
