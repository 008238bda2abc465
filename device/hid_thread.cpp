#include "hid_thread.h"

#include "clock.h"
#include "eventreport.h"
#include "hidowner.h"
#include "threadhandover.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kReportSize = 9;           // report ID + command block
constexpr int kGatePolls = 255;
constexpr int kGatePollMs = 8;
constexpr int kSettleHalfMs = 64;
constexpr int kPacketGapMs = 120;
constexpr int kAfterCommandMs = 8;
// The firmware answers a bulk read within a few ms; a report that has not come
// after a second never will, and the exchange must not hang the UI with it.
constexpr int kBulkReadTimeoutMs = 1000;
constexpr int kEventReadTimeoutMs = 500;

void logFailure(const commands::Shape& shape)
{
    qDebug().noquote() << QLatin1String(shape.failure);
}

} // namespace

Hid_Thread::Hid_Thread(QObject* parent)
    : QThread(parent)
{
}

Hid_Thread::~Hid_Thread()
{
    // The reader uses this object until it ends; let it finish first.
    stopReader();
    closeCommandHandle();
    if (eventHandle) {
        hid_close(eventHandle);
        eventHandle = nullptr;
    }
}

// ---- transport -------------------------------------------------------------

bool Hid_Thread::acquireLink()
{
    // The one place a sequence stops: after its first failed report.
    if (stopped)
        return false;
    // Asked from the events handled during a pause: the holder is further
    // down this stack and cannot go on before this returns.
    if (!linkIdle && holding)
        return false;
    Clock& clock = Clock::current();
    for (int tries = 0; !linkIdle; ++tries) {
        if (tries == kGatePolls)
            return false;
        clock.sleepMs(kGatePollMs);
        clock.processEvents();
    }
    linkIdle = false;
    holding = true;
    return true;
}

void Hid_Thread::whenLinkFree(QObject* context, std::function<void()> work)
{
    if (!linkBusy() && turns.empty()) {
        work();
        return;
    }
    turns.push_back({context, std::move(work)});
    if (!linkBusy())
        postTurns();
}

void Hid_Thread::postTurns()
{
    if (turns.empty() || turnsPosted)
        return;
    turnsPosted = true;
    QMetaObject::invokeMethod(this, [this] { runTurns(); }, Qt::QueuedConnection);
}

void Hid_Thread::runTurns()
{
    turnsPosted = false;
    // Handled during a pause of a later exchange: the end of that one posts again.
    while (!linkBusy() && !turns.empty()) {
        Turn turn = std::move(turns.front());
        turns.pop_front();
        if (turn.context)
            turn.work();
    }
}

void Hid_Thread::beginSequence()
{
    if (sequenceOpen)
        return;
    sequenceOpen = true;
    stopped = false;
}

void Hid_Thread::endSequence()
{
    sequenceOpen = false;
    stopped = false;
    if (linkIdle)
        postTurns();
}

void Hid_Thread::resetLink()
{
    linkIdle = true;
    holding = false;
    sequenceOpen = false;
    stopped = false;
    postTurns();
}

void Hid_Thread::settleDelay()
{
    Clock& clock = Clock::current();
    clock.sleepMs(kSettleHalfMs);
    clock.sleepMs(kSettleHalfMs);
}

hid_device* Hid_Thread::openCommandHandle(int index)
{
    if (index < 0 || index >= deviceList.size() || deviceList.at(index).commandPath.isEmpty())
        return nullptr;
    closeCommandHandle();
    hid_device* handle = hid_open_path(deviceList.at(index).commandPath.toLatin1().constData());
    if (!handle) {
        // The device is gone until discovery finds it again.
        deviceList[index].commandPath.clear();
        return nullptr;
    }
    hid_set_nonblocking(handle, 0);
    commandHandle = handle;
    return handle;
}

bool Hid_Thread::sendSetCommand(int bulkLength, bool settle)
{
    Clock& clock = Clock::current();
    emit exchangeStarted();
    clock.processEvents();
    if (!openCommandHandle(currentDevice))
        return endExchange(false);
    const DeviceDescriptor& device = *descriptor(currentDevice);
    if (device.isEncode)
        USBDataEncryption(sendReport + 1, secrecyCode.data());
    if (!openCommandHandle(currentDevice) || hid_send_feature_report(commandHandle, sendReport, kReportSize) < 0) {
        closeCommandHandle();
        return endExchange(false);
    }
    const int reportLength = device.reportLength;
    if (bulkLength > 0 && reportLength <= 0) {
        // A chunk of 0 bytes could never finish the transfer.
        closeCommandHandle();
        return endExchange(false);
    }
    if (settle)
        settleDelay();
    if (bulkLength > 0) {
        const int chunk = std::min(bulkLength, reportLength);
        std::vector<uchar> packet(size_t(reportLength) + 1, 0);
        for (int offset = 0; offset < bulkLength; offset += chunk) {
            // The last packet of an uneven split is zero-filled, never read past the payload.
            const int take = std::min(chunk, bulkLength - offset);
            packet[0] = 0x00;
            std::memcpy(packet.data() + 1, bulkBuffer + offset, size_t(take));
            std::fill(packet.begin() + 1 + take, packet.end(), uchar(0));
            if (!openCommandHandle(currentDevice)
                || hid_write(commandHandle, packet.data(), packet.size()) < 0) {
                closeCommandHandle();
                return endExchange(false);
            }
            clock.sleepMs(kPacketGapMs);
        }
        if (settle)
            settleDelay();
    }
    closeCommandHandle();
    return endExchange(true);
}

bool Hid_Thread::sendGetCommand(int bulkLength)
{
    emit exchangeStarted();
    if (!openCommandHandle(currentDevice))
        return endExchange(false);
    const DeviceDescriptor& device = *descriptor(currentDevice);
    if (device.isEncode)
        USBDataEncryption(sendReport + 1, secrecyCode.data());
    bool ok = openCommandHandle(currentDevice)
              && hid_send_feature_report(commandHandle, sendReport, kReportSize) >= 0;
    if (ok) {
        replyReport[0] = 0x00;
        // A reply shorter than the block is no reply: its missing bytes would
        // be taken (and unscrambled) as if the device had sent them.
        ok = openCommandHandle(currentDevice)
             && hid_get_feature_report(commandHandle, replyReport, kReportSize) >= kReportSize;
    }
    if (!ok) {
        closeCommandHandle();
        return endExchange(false);
    }
    if (bulkLength <= 0) {
        closeCommandHandle();
        endExchange(true);
        if (device.isEncode)
            USBDataDecipher(replyReport + 1, secrecyCode.data());
        return true;
    }
    const int reportLength = device.reportLength;
    if (reportLength <= 0) {
        closeCommandHandle();
        return endExchange(false);
    }
    const int chunk = std::min(bulkLength, reportLength);
    std::vector<uchar> packet(size_t(reportLength) + 1);
    for (int offset = 0; offset < bulkLength; offset += chunk) {
        std::fill(packet.begin(), packet.end(), uchar(0));
        const int take = std::min(chunk, bulkLength - offset);
        // A timed-out read (0) ends the exchange like a failed one, and so
        // does a short one: its zero fill would replace the caller's bytes.
        if (!openCommandHandle(currentDevice)
            || hid_read_timeout(commandHandle, packet.data(), packet.size(), kBulkReadTimeoutMs) < take) {
            closeCommandHandle();
            return endExchange(false);
        }
        std::memcpy(bulkBuffer + offset, packet.data(), size_t(take));
    }
    closeCommandHandle();
    return endExchange(true);
}

// ---- connection and event reader ---------------------------------------------

void Hid_Thread::activateDevice(int index)
{
    // One reader at a time: a second one would share eventHandle.
    stopReader();
    const bool family560 = owner && owner->chipFamily() == QLatin1String("560");
    if (family560) {
        uchar byte1 = 0, byte2 = 0;
        hid560_81H_GetKeyboardoption(byte1, byte2);
        hid560_01H_SetKeyboardoption(byte1 | 0x08, byte2);
    } else {
        uchar byte1 = 0, byte2 = 0, byte3 = 0, byte4 = 0;
        hid553_83H_GetKeyboardoption(byte1, byte2, byte3, byte4);
        hid553_03H_SetKeyboardoption(byte1, byte2, byte3, byte4 | 0x40);
    }
    readerPath = descriptor(index) ? descriptor(index)->eventPath : QString();
    readerRunning = true;
    threadhandover::give(&readerPath);   // the task starts after all of the above
    readerFuture = QtConcurrent::run(&Hid_Thread::eventReader, this, uint(index));
}

void Hid_Thread::stopReader()
{
    readerRunning = false;
    readerFuture.waitForFinished();
    threadhandover::take(&readerFuture);   // all the task did is done
}

hid_device* Hid_Thread::openEventHandle(int index)
{
    Q_UNUSED(index); // the reader's copy of that descriptor's path: readerPath
    if (readerPath.isEmpty())
        return nullptr;
    if (eventHandle) {
        hid_close(eventHandle);
        eventHandle = nullptr;
    }
    hid_device* handle = hid_open_path(readerPath.toLatin1().constData());
    if (!handle) {
        readerPath.clear();
        return nullptr;
    }
    hid_set_nonblocking(handle, 0);
    eventHandle = handle;
    return handle;
}

void Hid_Thread::eventReader(uint index)
{
    threadhandover::take(&readerPath);
    struct Ended
    {
        QFuture<void>* future;
        ~Ended() { threadhandover::give(future); }
    } ended{&readerFuture};
    if (readerPath.isEmpty())
        return;
    while (readerRunning) {
        hid_device* handle = openEventHandle(int(index));
        if (!handle) {
            qDebug().noquote() << QStringLiteral("Device removed");
            // The view and the device list belong to the GUI thread: the view
            // is disabled there first, then the list forgets the event path.
            threadhandover::give(this);   // the queued call runs after this
            QMetaObject::invokeMethod(this, [this, index] {
                threadhandover::take(this);
                if (owner)
                    owner->deviceLost();
                if (int(index) < deviceList.size())
                    deviceList[int(index)].eventPath.clear();
            }, Qt::QueuedConnection);
            readerRunning = false;
            return;
        }
        uchar report[eventreport::kSize] = {};
        const int got = hid_read_timeout(handle, report, sizeof report, kEventReadTimeoutMs);
        if (const std::optional<int> stage = eventreport::stageOf(report, got)) {
            threadhandover::give(this);
            QMetaObject::invokeMethod(this, [this, stage = *stage] {
                threadhandover::take(this);
                if (owner)
                    owner->stageReported(stage);
            }, Qt::QueuedConnection);
        }
        hid_close(eventHandle);
        eventHandle = nullptr;
    }
}

// ---- helpers -----------------------------------------------------------------

const DeviceDescriptor* Hid_Thread::descriptor(int index) const
{
    return index >= 0 && index < deviceList.size() ? &deviceList.at(index) : nullptr;
}

bool Hid_Thread::gunFlag() const
{
    return owner && owner->isGunDevice();
}

void Hid_Thread::closeCommandHandle()
{
    if (commandHandle) {
        hid_close(commandHandle);
        commandHandle = nullptr;
    }
}

bool Hid_Thread::endExchange(bool ok)
{
    linkIdle = true;
    holding = false;
    if (!ok && sequenceOpen && !stopped) {
        stopped = true;
        qDebug().noquote() << QStringLiteral("Sequence stopped at a failed report");
        emit sequenceFailed();
    }
    if (!sequenceOpen)
        postTurns();
    return ok;
}

void Hid_Thread::buildBlock(const commands::Shape& shape, std::initializer_list<uchar> params, int bulkLength)
{
    uchar* block = sendReport + 1;
    sendReport[0] = 0x00;
    std::memset(block, 0, 8);
    block[0] = shape.code;
    int at = shape.paramAt;
    for (uchar value : params)
        block[at++] = value;
    if (shape.namesLength)
        block[2] = uchar(bulkLength);
    if (shape.byte3)
        block[3] = shape.byte3;
    block[7] = hidCS(block);
}

void Hid_Thread::noteFailure(const commands::Shape& shape)
{
    ++failures;
    emit exchangeFailed(shape.code);
}

bool Hid_Thread::runSet(const commands::Shape& shape, std::initializer_list<uchar> params, Bulk bulk)
{
    if (!acquireLink()) {
        logFailure(shape);
        noteFailure(shape);
        return false;
    }
    const int bulkLength = shape.bulkLength < 0 ? bulk.length : shape.bulkLength;
    buildBlock(shape, params, bulkLength);
    if (bulkLength > 0) {
        std::memset(bulkBuffer, 0, sizeof bulkBuffer);
        if (bulk.data)
            std::memcpy(bulkBuffer, bulk.data, size_t(std::min(bulk.size, bulkLength)));
    }
    const bool settle = shape.pacing == commands::Pacing::Settle;
    const bool ok = sendSetCommand(bulkLength, settle);
    if (shape.pacing == commands::Pacing::Then8ms) {
        // The pause is the command's own: no other exchange starts inside it.
        linkIdle = false;
        holding = true;
        Clock::current().sleepMs(kAfterCommandMs);
        linkIdle = true;
        holding = false;
        if (!sequenceOpen)
            postTurns();
    }
    if (!ok)
        noteFailure(shape);
    return ok;
}

void Hid_Thread::runSlotSet(const commands::Shape& shape, uchar value)
{
    if (!acquireLink()) {
        logFailure(shape);
        noteFailure(shape);
        return;
    }
    const int lastSlot = gunFlag() ? 1 : 4;
    for (int slot = 1; slot <= lastSlot && !stopped; ++slot) {
        // The gate stays ours between slots: a command started from the event
        // processing of the next exchange must not overwrite sendReport midway.
        linkIdle = false;
        holding = true;
        buildBlock(shape, {uchar(slot), value}, 0);
        // A slot that failed ends the exchange: the mouse that stopped
        // answering is not sent the later slots.
        if (!sendSetCommand(0, true)) {
            noteFailure(shape);
            return;
        }
    }
}

bool Hid_Thread::runRead(const commands::Shape& shape, std::initializer_list<uchar> params,
                         std::initializer_list<uchar*> values)
{
    if (!acquireLink()) {
        logFailure(shape);
        noteFailure(shape);
        return false;
    }
    buildBlock(shape, params, 0);
    std::memset(replyReport, 0, sizeof replyReport);
    uchar* reply = replyReport + 1;
    int at = 1;
    if (shape.prefill == commands::Prefill::Inputs)
        for (uchar* value : values)
            reply[at++] = *value;
    uchar prefill[sizeof replyReport];
    std::memcpy(prefill, replyReport, sizeof replyReport);
    const bool ok = sendGetCommand(0);
    // A failed exchange hands back the pre-fill, even where the failing
    // call had already written part of a reply.
    if (!ok) {
        std::memcpy(replyReport, prefill, sizeof replyReport);
        noteFailure(shape);
    }
    at = 1;
    for (uchar* value : values)
        *value = reply[at++];
    return ok;
}

// ---- checksum, scrambling and link check ------------------------------------

uchar Hid_Thread::hidCS(uchar* cmd)
{
    return scrambling::checksum(cmd);
}

void Hid_Thread::USBDataEncryption(uchar* FIFOBuf, uchar* SecrecyCode)
{
    scrambling::encrypt(FIFOBuf, SecrecyCode);
}

void Hid_Thread::USBDataDecipher(uchar* FIFOBuf, uchar* SecrecyCode)
{
    scrambling::decipher(FIFOBuf, SecrecyCode);
}

bool Hid_Thread::chkDeviceIsEnCode(int index)
{
    currentDevice = index;
    // Seeded with whole seconds: two checks within one second send the same challenge.
    QRandomGenerator random(quint32(Clock::current().epochSeconds()));
    uchar challenge[4];
    for (uchar& byte : challenge)
        byte = uchar(random.generate() & 0xff);
    if (const DeviceDescriptor* device = descriptor(index))
        scrambling::loadSecrecyCode(device->sCode, secrecyCode);
    uchar echo[4] = {challenge[0], challenge[1], challenge[2], challenge[3]};
    // Only an exchange that ran can prove the link: a busy gate or a failed
    // read would otherwise hand back the challenge (or zeros) as if echoed.
    const bool exchanged = runRead(commands::f553::GetSecrecyCode,
                                   {echo[0], echo[1], echo[2], echo[3]},
                                   {&echo[0], &echo[1], &echo[2], &echo[3]});
    return exchanged && std::equal(echo, echo + 4, challenge);
}

// ---- 553 family ------------------------------------------------------------------

using namespace commands;

void Hid_Thread::hid553_00H_GetSecrecyCode(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4)
{
    runRead(f553::GetSecrecyCode, {byte1, byte2, byte3, byte4}, {&byte1, &byte2, &byte3, &byte4});
}

void Hid_Thread::hid553_01H_SetReportRate(uchar rate)
{
    runSet(f553::SetReportRate, {rate});
}

void Hid_Thread::hid553_02H_SetCurrentKeyMatrix(uchar currentKeyMatrix)
{
    runSet(f553::SetCurrentKeyMatrix, {currentKeyMatrix});
}

void Hid_Thread::hid553_03H_SetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    runSet(f553::SetKeyboardoption, {byte1, byte2, byte3, byte4});
}

void Hid_Thread::hid553_04H_SetGunData(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    runSet(f553::SetGunData, {byte1, byte2, byte3, byte4});
}

void Hid_Thread::hid553_0BH_SetCurrentDPI(uchar stage)
{
    runSet(f553::SetCurrentDPI, {stage});
}

void Hid_Thread::hid553_0CH_SetFixLEDColor(uchar* src3)
{
    runSet(f553::SetFixLEDColor, {src3[0], src3[1], src3[2]});
}

void Hid_Thread::hid553_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2)
{
    runSet(f553::SetRGBLedEffect, {effect, option1, option2});
}

void Hid_Thread::hid553_10H_SetLED8StageColor(uchar type, uchar* src24)
{
    const int length = type == 2 ? 4 : 24;
    runSet(f553::SetLED8StageColor, {type}, {src24, length, length});
}

void Hid_Thread::hid553_11H_SetDPISet(uchar dpiStage, uchar* src8)
{
    runSet(f553::SetDPISet, {dpiStage}, {src8, 8, 0});
}

void Hid_Thread::hid553_12H_SetKeyMatrix(uchar* src64, uchar indexAddOne)
{
    runSet(f553::SetKeyMatrix, {indexAddOne}, {src64, 64, 0});
}

void Hid_Thread::hid553_13H_SetMacroKey(uchar macroId, uchar* src128)
{
    runSet(f553::SetMacroKey, {macroId}, {src128, 128, 0});
}

void Hid_Thread::hid553_83H_GetKeyboardoption(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4)
{
    runRead(f553::GetKeyboardoption, {}, {&byte1, &byte2, &byte3, &byte4});
}

void Hid_Thread::hid553_8BH_GetCurrentDPI(uchar& byte1)
{
    runRead(f553::GetCurrentDPI, {}, {&byte1});
}

// ---- 560 family ------------------------------------------------------------------

void Hid_Thread::hid560_01H_SetKeyboardoption(uchar byte1, uchar byte2)
{
    runSet(f560::SetKeyboardoption, {byte1, byte2});
}

void Hid_Thread::hid560_02H_SetCurrentProfile(uchar profile)
{
    runSet(f560::SetCurrentProfile, {profile});
}

void Hid_Thread::hid560_03H_SetReportRate(uchar rate)
{
    runSlotSet(f560::SetReportRate, rate);
}

void Hid_Thread::hid560_04H_SetCurrentDPI(uchar stage)
{
    runSlotSet(f560::SetCurrentDPI, stage);
}

void Hid_Thread::hid560_0CH_setProfile(uchar* src128, uchar profileData)
{
    runSet(f560::SetProfile, {profileData}, {src128, 128, 0});
}

void Hid_Thread::hid560_0DH_SetKeyMatrix(uchar* src64, uchar indexAddOne)
{
    // 64 bytes of matrix, then 64 zero bytes: the firmware always takes 128.
    runSet(f560::SetKeyMatrix, {indexAddOne}, {src64, 64, 0});
}

void Hid_Thread::hid560_0FH_SetMacroKey(uchar macroId, uchar* src128)
{
    runSet(f560::SetMacroKey, {macroId}, {src128, 128, 0});
}

void Hid_Thread::hid560_81H_GetKeyboardoption(uchar& byte1, uchar& byte2)
{
    runRead(f560::GetKeyboardoption, {}, {&byte1, &byte2});
}

void Hid_Thread::hid560_82H_GetCurrentProfile(uchar& byte1)
{
    runRead(f560::GetCurrentProfile, {}, {&byte1});
}

void Hid_Thread::hid560_84H_GetCurrentDPI(uchar& byte1, uchar& byte2)
{
    runRead(f560::GetCurrentDPI, {byte1}, {&byte1, &byte2});
}

void Hid_Thread::hid560_8CH_readProfile(uchar* src128, uchar profileNo)
{
    if (!acquireLink()) {
        logFailure(f560::ReadProfile);
        noteFailure(f560::ReadProfile);
        return;
    }
    buildBlock(f560::ReadProfile, {profileNo}, 0);
    std::memset(replyReport, 0, sizeof replyReport);
    std::memcpy(bulkBuffer, src128, sizeof bulkBuffer);
    if (!sendGetCommand(sizeof bulkBuffer))
        noteFailure(f560::ReadProfile);
    std::memcpy(src128, bulkBuffer, sizeof bulkBuffer);
}
