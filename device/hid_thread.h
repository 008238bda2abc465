#pragma once

#include "commandshapes.h"
#include "devicedescriptor.h"
#include "scrambling.h"

#include <QFuture>
#include <QThread>

#include <hidapi.h>

#include <QPointer>

#include <atomic>
#include <deque>
#include <functional>
#include <initializer_list>

class HidOwner;

// Every exchange with the mouse goes through this object: 8-byte command
// blocks in feature reports (scrambled where the descriptor says so), bulk
// data in output and input reports, one exchange at a time behind the
// `linkIdle` gate, paced as the firmware expects. The QThread base is never
// started; it only gives the object model and the slot table through which
// the UI documents reach the commands. The pauses turn the GUI thread's
// event loop (the clock), so an exchange can be asked for while another is
// running; the gate refuses that one at once, and anything that must wait
// for the link takes its turn through `whenLinkFree`.
class Hid_Thread : public QThread
{
    Q_OBJECT

public:
    explicit Hid_Thread(QObject* parent = nullptr);
    ~Hid_Thread() override;

    HidOwner* owner = nullptr;
    DeviceList deviceList;
    int currentDevice = 1;
    hid_device* commandHandle = nullptr;
    hid_device* eventHandle = nullptr;
    bool linkIdle = true;
    // The one flag both threads write: the GUI thread to stop the reader, the
    // reader when the device is gone.
    std::atomic<bool> readerRunning{false};
    QFuture<void> readerFuture;
    uchar sendReport[9] = {};
    uchar replyReport[9] = {};
    uchar bulkBuffer[128] = {};
    // Keys the scrambling; loaded by the link check and kept for every later exchange.
    scrambling::SecrecyCode secrecyCode = {};

    // Exchanges that did not complete (a busy gate or a failed report),
    // counted over the object's life: a caller compares the count before and
    // after a request to learn whether all of it reached the mouse.
    int failedExchanges() const { return failures; }
    // Turn-taking. The link is busy while an exchange holds the gate or a
    // sequence is open.
    bool linkBusy() const { return !linkIdle || sequenceOpen; }
    // Runs `work` once the link is free: now if it is, else from the event
    // loop after the running exchange or sequence ends, in the order asked.
    // Dropped if `context` is gone by then.
    void whenLinkFree(QObject* context, std::function<void()> work);
    // A sequence the user started (start-up reads, Save, a profile switch,
    // a factory reset): no turn runs inside it, and it stops at its first
    // failed report: every later command of it is refused without a byte
    // on the wire, until `endSequence`. Opening an open sequence keeps it.
    void beginSequence();
    void endSequence();
    bool sequenceStopped() const { return stopped; }
    // Forgets a gate and a sequence left over from a connection that went.
    void resetLink();

    // Transport, in the order a command uses it.
    bool acquireLink();
    void settleDelay();
    hid_device* openCommandHandle(int index);
    bool sendSetCommand(int bulkLength, bool settle);
    bool sendGetCommand(int bulkLength);

    // Connection and the event reader.
    void activateDevice(int index);
    void eventReader(uint index);
    hid_device* openEventHandle(int index);
    // Clears the run flag and waits for a running reader to end (at most one
    // read of 500 ms), so that the device list or this object can go.
    void stopReader();

signals:
    // An exchange did not complete; `code` is its command code.
    void exchangeFailed(uchar code);
    // A report exchange is starting: the busy indicator counts them.
    void exchangeStarted();
    // The open sequence met a failed report; the rest of it is refused.
    void sequenceFailed();

public slots:
    uchar hidCS(uchar* cmd);

    void USBDataEncryption(uchar* FIFOBuf, uchar* SecrecyCode);
    void USBDataDecipher(uchar* FIFOBuf, uchar* SecrecyCode);
    bool chkDeviceIsEnCode(int index);

    void hid553_00H_GetSecrecyCode(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4);
    void hid553_01H_SetReportRate(uchar rate);
    void hid553_02H_SetCurrentKeyMatrix(uchar currentKeyMatrix);
    void hid553_03H_SetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    void hid553_04H_SetGunData(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    void hid553_0BH_SetCurrentDPI(uchar stage);
    void hid553_0CH_SetFixLEDColor(uchar* src3);
    void hid553_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2);
    void hid553_10H_SetLED8StageColor(uchar type, uchar* src24);
    void hid553_11H_SetDPISet(uchar dpiStage, uchar* src8);
    void hid553_12H_SetKeyMatrix(uchar* src64, uchar indexAddOne);
    void hid553_13H_SetMacroKey(uchar macroId, uchar* src128);
    void hid553_83H_GetKeyboardoption(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4);
    void hid553_8BH_GetCurrentDPI(uchar& byte1);

    void hid560_01H_SetKeyboardoption(uchar byte1, uchar byte2);
    void hid560_02H_SetCurrentProfile(uchar profile);
    void hid560_03H_SetReportRate(uchar rate);
    void hid560_04H_SetCurrentDPI(uchar stage);
    void hid560_0CH_setProfile(uchar* src128, uchar profileData);
    void hid560_0DH_SetKeyMatrix(uchar* src64, uchar indexAddOne);
    void hid560_0FH_SetMacroKey(uchar macroId, uchar* src128);
    void hid560_81H_GetKeyboardoption(uchar& byte1, uchar& byte2);
    void hid560_82H_GetCurrentProfile(uchar& byte1);
    void hid560_84H_GetCurrentDPI(uchar& byte1, uchar& byte2);
    void hid560_8CH_readProfile(uchar* src128, uchar profileNo);

private:
    // The reader's own copy of its event path: the GUI thread may change
    // the device list while the reader runs.
    QString readerPath;
    int failures = 0;
    // An exchange of this object holds the gate, further down this stack.
    bool holding = false;
    bool sequenceOpen = false;
    bool stopped = false;
    struct Turn {
        QPointer<QObject> context;
        std::function<void()> work;
    };
    std::deque<Turn> turns;
    bool turnsPosted = false;
    void postTurns();
    void runTurns();

    struct Bulk {
        const uchar* data;  // may be null: all zeros
        int size;           // bytes taken from data; the rest of the bulk length is zero
        int length;         // bulk length, for commands whose call chooses it
    };

    const DeviceDescriptor* descriptor(int index) const;
    bool gunFlag() const;
    void closeCommandHandle();
    bool endExchange(bool ok);
    // The one place an exchange that did not complete is made known.
    void noteFailure(const commands::Shape& shape);
    void buildBlock(const commands::Shape& shape, std::initializer_list<uchar> params, int bulkLength);
    bool runSet(const commands::Shape& shape, std::initializer_list<uchar> params, Bulk bulk = {nullptr, 0, 0});
    void runSlotSet(const commands::Shape& shape, uchar value);
    bool runRead(const commands::Shape& shape, std::initializer_list<uchar> params,
                 std::initializer_list<uchar*> values);
};
