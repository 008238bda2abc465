// Fault injection over the whole command surface. Every command of both
// families, found through the command tables and called through its slot,
// runs once cleanly; then each hidapi call that exchange made fails in turn
// (or hands back a short report, or times out), and a busy gate drops the
// command. Every case must end without hanging, release the gate, close what
// it opened, log only what the protocol logs, hand back the pre-fill, send
// nothing after the failed call, leave the mouse's memory as it was before
// the exchange (a block it did not get whole is not taken), and leave the
// device so that the same command then runs exactly as cleanly.
#include "commandshapes.h"
#include "wirerig.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMetaMethod>
#include <QTest>

#include <array>

using vmouse::CallKind;

namespace {

constexpr int kReadTimeoutMs = 1000;   // the transport's bound on one bulk read
constexpr int kGateWaitMs = 255 * 8;

QByteArray pattern(int size, int seed)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((seed + i * 13) & 0xff);
    return out;
}

// One command of the tables and the slot that runs it.
struct Command
{
    const commands::Shape* shape;
    vmouse::Family family;
    QMetaMethod slot;

    bool isRead() const { return shape->pacing == commands::Pacing::None; }
    QString name() const { return QString::fromLatin1(slot.name()); }
};

// The slot of a table row is named by family and code: hid553_0BH_..., hid560_8CH_...
QList<Command> commandsFromTables(QStringList& problems)
{
    QList<Command> out;
    const QMetaObject& meta = Hid_Thread::staticMetaObject;
    const auto add = [&](const char* family, vmouse::Family kind, const auto& table) {
        for (const commands::Shape& shape : table) {
            const QByteArray prefix = QByteArray("hid") + family + '_'
                                      + QByteArray::number(shape.code, 16).toUpper().rightJustified(2, '0') + "H_";
            QList<QMetaMethod> found;
            for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
                if (meta.method(i).name().startsWith(prefix))
                    found.append(meta.method(i));
            if (found.size() != 1)
                problems.append(QStringLiteral("%1: %2 slots").arg(QLatin1String(prefix)).arg(found.size()));
            else
                out.append({&shape, kind, found.first()});
        }
    };
    add("553", vmouse::Family::Fw553, commands::f553::all);
    add("560", vmouse::Family::Fw560, commands::f560::all);
    return out;
}

// The arguments of one call, made from the slot's parameter types: values
// for uchar, caller-owned bytes for uchar& and 128-byte buffers for uchar*.
class Invocation
{
public:
    explicit Invocation(const QMetaMethod& slot)
        : method(slot)
    {
        const QList<QByteArray> types = slot.parameterTypes();
        valid = types.size() < int(values.size());
        for (int i = 0; valid && i < types.size(); ++i) {
            if (types[i] == "uchar*") {
                buffers[i] = pattern(128, 0x40 + 16 * i);
                pointers[i] = reinterpret_cast<uchar*>(buffers[i].data());
                argv[i + 1] = &pointers[i];
                bufferAt.append(i);
            } else if (types[i] == "uchar&") {
                values[i] = uchar(0xA0 + i);
                argv[i + 1] = &values[i];
                referenceAt.append(i);
            } else if (types[i] == "uchar") {
                values[i] = uchar(i + 2);
                argv[i + 1] = &values[i];
            } else {
                valid = false;
            }
        }
    }

    void run(Hid_Thread& hid)
    {
        QMetaObject::metacall(&hid, QMetaObject::InvokeMetaMethod, method.methodIndex(), argv.data());
    }

    // What the caller holds after the call: the uchar& values, then the buffers.
    QByteArray references() const
    {
        QByteArray out;
        for (int i : referenceAt)
            out.append(char(values[i]));
        return out;
    }
    QByteArray buffer() const { return bufferAt.isEmpty() ? QByteArray() : buffers[bufferAt.first()]; }

    bool valid = false;

private:
    QMetaMethod method;
    std::array<uchar, 8> values{};
    std::array<QByteArray, 8> buffers;
    std::array<uchar*, 8> pointers{};
    std::array<void*, 9> argv{};
    QList<int> bufferAt;
    QList<int> referenceAt;
};

// Device state whose every reply, the profile blocks too, differs from the
// callers' pre-fill.
vmouse::FirmwareState presetState()
{
    vmouse::FirmwareState s = distinctReadState();
    for (int n = 1; n <= 5; ++n) {
        const QByteArray block = pattern(128, 7 * n);
        s.profiles560[n] = vmouse::Bytes(block.begin(), block.end());
    }
    return s;
}

// The firmware's memory as text, without the command counters (a failed
// exchange may have counted a block the clean one counts again).
QString stateText(int device)
{
    QStringList lines = QString::fromStdString(vmouse::controlRequest("state " + std::to_string(device)))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) {
        return line.startsWith(QLatin1String("valid-commands")) || line.startsWith(QLatin1String("bad-checksums"));
    });
    return lines.join(QLatin1Char('\n'));
}

// A call as the wire saw it, without its time.
QString wireText(const std::vector<vmouse::Call>& calls)
{
    QStringList out;
    for (const vmouse::Call& call : calls)
        out.append(QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(QLatin1String(vmouse::callKindName(call.kind)), QString::fromStdString(call.path),
                            QString::fromLatin1(bytes(call.data).toHex()), QString::number(call.result),
                            QString::fromLatin1(bytes(call.plainBlock).toHex())));
    return out.join(QLatin1Char('\n'));
}

int countOf(const std::vector<vmouse::Call>& calls, CallKind kind)
{
    return int(std::count_if(calls.begin(), calls.end(), [kind](const vmouse::Call& c) { return c.kind == kind; }));
}

// The calls that carry a report to or from the device.
bool isReport(CallKind kind)
{
    return kind == CallKind::SendFeature || kind == CallKind::GetFeature || kind == CallKind::Write
           || kind == CallKind::Read || kind == CallKind::ReadTimeout;
}

// Where the n-th call of a kind sits in the record; -1 when it never came.
int indexOf(const std::vector<vmouse::Call>& calls, CallKind kind, int n)
{
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].kind == kind && --n == 0)
            return int(i);
    return -1;
}

// Feature reports that went out.
int completedSends(const std::vector<vmouse::Call>& calls)
{
    return int(std::count_if(calls.begin(), calls.end(),
                             [](const vmouse::Call& c) { return c.kind == CallKind::SendFeature && c.result >= 0; }));
}

// The preset memory with the first `sent` slots of a per-slot command set
// (its value is the invocation's first, 2); any other command changes nothing.
vmouse::FirmwareState stateWithSlotsTaken(const Command& command, int sent)
{
    vmouse::FirmwareState s = presetState();
    if (!command.shape->perSlot)
        return s;
    for (int slot = 1; slot <= sent && slot <= 4; ++slot)
        (command.shape->code == 0x03 ? s.reportRate560 : s.currentDpi560)[size_t(slot)] = 2;
    return s;
}

enum class Mode { Fail, Short, TimeOut, Gate };

struct Fault
{
    Mode mode;
    CallKind kind = CallKind::OpenPath;
    int position = 0;   // 1: the first call of that kind in the exchange

    QString name() const
    {
        switch (mode) {
        case Mode::Gate: return QStringLiteral("busy gate");
        case Mode::TimeOut: return QStringLiteral("read %1 times out").arg(position);
        case Mode::Short: return QStringLiteral("short %1 #%2").arg(QLatin1String(vmouse::callKindName(kind))).arg(position);
        case Mode::Fail: break;
        }
        return QStringLiteral("failed %1 #%2").arg(QLatin1String(vmouse::callKindName(kind))).arg(position);
    }
};

// What the clean exchange did, for the faults to be measured against.
struct Baseline
{
    std::vector<vmouse::Call> calls;
    QString wire;
    QString state;
    QByteArray references;
    QByteArray buffer;
    qint64 elapsedMs = 0;
};

struct Variant
{
    bool encoded;
    int reportLength;
};

vmouse::DeviceConfig configFor(const Command& command, const Variant& variant)
{
    vmouse::DeviceConfig config;
    config.family = command.family;
    config.encoded = variant.encoded;
    config.reportLength = variant.reportLength;
    config.secrecyCode = variant.encoded ? "k3Y!9z" : "507326";
    return config;
}

// Collects what went wrong in one case instead of ending the whole walk.
struct Verdict
{
    QStringList failures;
    void check(bool ok, const QString& what)
    {
        if (!ok)
            failures.append(what);
    }
};

// Runs the command once on a fresh device; the clean exchange.
Baseline cleanRun(const Command& command, const Variant& variant, Verdict& verdict)
{
    WireRig rig(configFor(command, variant));
    vmouse::setState(rig.device, presetState());
    Invocation call(command.slot);
    verdict.check(call.valid, QStringLiteral("unsupported parameter types"));
    const qint64 start = rig.clock.nowMs();
    call.run(rig.hid);
    Baseline base;
    base.calls = rig.calls();
    base.wire = wireText(base.calls);
    base.state = stateText(rig.device);
    base.references = call.references();
    base.buffer = call.buffer();
    base.elapsedMs = rig.clock.nowMs() - start;
    verdict.check(rig.hid.linkIdle, QStringLiteral("clean run kept the gate"));
    verdict.check(countOf(base.calls, CallKind::SendFeature) > 0, QStringLiteral("clean run sent nothing"));
    for (const vmouse::Call& c : base.calls)
        verdict.check(c.kind == CallKind::Close || c.result >= 0, QStringLiteral("clean run had a failing call"));
    return base;
}

// The faults worth trying on one clean exchange: every call of every kind
// that can fail, the reads cut short or left unanswered, and a busy gate.
QList<Fault> faultsFor(const Baseline& base)
{
    QList<Fault> out{{Mode::Gate}};
    for (CallKind kind : {CallKind::OpenPath, CallKind::SetNonblocking, CallKind::SendFeature,
                          CallKind::GetFeature, CallKind::Write, CallKind::ReadTimeout})
        for (int n = 1; n <= countOf(base.calls, kind); ++n) {
            out.append({Mode::Fail, kind, n});
            if (kind == CallKind::GetFeature || kind == CallKind::ReadTimeout)
                out.append({Mode::Short, kind, n});
            if (kind == CallKind::ReadTimeout)
                out.append({Mode::TimeOut, kind, n});
        }
    return out;
}

// Bulk reads that completed before the faulted call, in the clean order.
int readsBefore(const Baseline& base, const Fault& fault)
{
    int seen = 0, reads = 0;
    for (const vmouse::Call& c : base.calls) {
        if (c.kind == fault.kind && ++seen == fault.position)
            return reads;
        if (c.kind == CallKind::ReadTimeout)
            ++reads;
    }
    return reads;
}

// One fault on one command; true when every check held.
bool runCase(const Command& command, const Variant& variant, const Baseline& base, const Fault& fault,
             Verdict& verdict)
{
    WireRig rig(configFor(command, variant));
    vmouse::setState(rig.device, presetState());
    Invocation call(command.slot);
    const QByteArray callerReferences = call.references();
    const QByteArray callerBuffer = call.buffer();

    switch (fault.mode) {
    case Mode::Gate: rig.hid.linkIdle = false; break;
    case Mode::Fail: vmouse::failCall(fault.kind, fault.position); break;
    case Mode::Short: vmouse::shortenCall(fault.kind, fault.position, fault.kind == CallKind::GetFeature ? 5 : variant.reportLength / 2); break;
    case Mode::TimeOut:
        vmouse::withholdInputReports(rig.device, countOf(base.calls, CallKind::ReadTimeout) - fault.position + 1);
        break;
    }

    const DebugCapture debug;
    QElapsedTimer real;
    real.start();
    const qint64 start = rig.clock.nowMs();
    call.run(rig.hid);
    const qint64 elapsed = rig.clock.nowMs() - start;
    const auto calls = rig.calls();

    // No hang: within the clean exchange's time plus one bounded read (the
    // gate: its 255 polls), and no real waiting at all.
    verdict.check(elapsed <= (fault.mode == Mode::Gate ? kGateWaitMs : base.elapsedMs + kReadTimeoutMs),
                  QStringLiteral("took %1 ms of device time").arg(elapsed));
    verdict.check(real.elapsed() < 2000, QStringLiteral("took %1 ms of real time").arg(real.elapsed()));
    verdict.check(!rig.hid.commandHandle, QStringLiteral("command handle left open"));
    int opened = 0;
    for (const vmouse::Call& c : calls)
        opened += c.kind == CallKind::OpenPath && c.result == 1;
    verdict.check(opened == countOf(calls, CallKind::Close),
                  QStringLiteral("%1 opens, %2 closes").arg(opened).arg(countOf(calls, CallKind::Close)));

    // The expected values handed back: a set leaves the caller's bytes alone;
    // a read hands back its pre-fill, and the profile read the caller's buffer
    // with whatever whole reports arrived before the fault.
    QByteArray expectReferences = callerReferences;
    QByteArray expectBuffer = callerBuffer;
    const bool exchangeFails = fault.mode != Mode::Fail || fault.kind != CallKind::SetNonblocking;
    if (!exchangeFails) {
        expectReferences = base.references;
        expectBuffer = base.buffer;
    } else if (command.isRead() && fault.mode != Mode::Gate) {
        if (command.shape->prefill == commands::Prefill::Zero)
            expectReferences.fill('\0');
        if (!expectBuffer.isEmpty()) {
            const int arrived = readsBefore(base, fault) * std::min(128, variant.reportLength);
            expectBuffer = base.buffer.left(arrived) + callerBuffer.mid(arrived);
        }
    }
    verdict.check(call.references() == expectReferences,
                  QStringLiteral("handed back %1, expected %2")
                      .arg(QString::fromLatin1(call.references().toHex()), QString::fromLatin1(expectReferences.toHex())));
    verdict.check(call.buffer() == expectBuffer, QStringLiteral("buffer not as expected"));

    if (fault.mode == Mode::Gate) {
        verdict.check(debug.lines() == QStringList{QLatin1String(command.shape->failure)},
                      QStringLiteral("log %1").arg(debug.lines().join(QLatin1String(" | "))));
        verdict.check(calls.empty(), QStringLiteral("sent with the gate held elsewhere"));
        verdict.check(!rig.hid.linkIdle, QStringLiteral("released a gate it did not hold"));
        rig.hid.linkIdle = true;   // the holder's exchange ends
    } else {
        // Transport failures are silent; only the gate has a failure line.
        verdict.check(debug.lines().isEmpty(), QStringLiteral("log %1").arg(debug.lines().join(QLatin1String(" | "))));
        verdict.check(rig.hid.linkIdle, QStringLiteral("gate not released"));
    }

    if (exchangeFails && fault.mode != Mode::Gate) {
        // The exchange stops at the failed call: no later report of it reaches the wire.
        const int failedAt = indexOf(calls, fault.kind, fault.position);
        verdict.check(failedAt >= 0, QStringLiteral("the faulted call never came"));
        for (int i = failedAt + 1; failedAt >= 0 && i < int(calls.size()); ++i)
            verdict.check(!isReport(calls[size_t(i)].kind),
                          QStringLiteral("%1 after the failed call").arg(QLatin1String(vmouse::callKindName(calls[size_t(i)].kind))));
    }
    // The mouse's memory: as before the exchange when it failed (every slot
    // of a per-slot command that was sent whole before the fault excepted),
    // as after the clean exchange otherwise.
    const QString stateAfter = stateText(rig.device);
    if (exchangeFails) {
        vmouse::setState(rig.device, stateWithSlotsTaken(command, completedSends(calls)));
        verdict.check(stateAfter == stateText(rig.device), QStringLiteral("the mouse kept part of a failed exchange"));
    } else {
        verdict.check(stateAfter == base.state, QStringLiteral("the mouse's memory differs from the clean exchange's"));
    }

    // A failed open forgets the path until discovery finds the device again.
    const bool pathLost = fault.mode == Mode::Fail && fault.kind == CallKind::OpenPath;
    verdict.check(rig.hid.deviceList.at(0).commandPath.isEmpty() == pathLost, QStringLiteral("command path"));
    if (pathLost)
        rig.hid.deviceList[0].commandPath = WireRig::descriptorFor(rig.config, rig.device).commandPath;

    // The same command now runs exactly as the clean one did.
    vmouse::setState(rig.device, presetState());
    vmouse::clearRecord();
    Invocation again(command.slot);
    again.run(rig.hid);
    verdict.check(wireText(rig.calls()) == base.wire, QStringLiteral("next command differs on the wire"));
    verdict.check(stateText(rig.device) == base.state, QStringLiteral("next command left another device state"));
    verdict.check(again.references() == base.references && again.buffer() == base.buffer,
                  QStringLiteral("next command handed back other values"));
    verdict.check(rig.hid.linkIdle, QStringLiteral("next command kept the gate"));
    return verdict.failures.isEmpty();
}

} // namespace

class FaultInjection : public QObject
{
    Q_OBJECT

private slots:
    void everyFaultOnEveryCommand();
};

void FaultInjection::everyFaultOnEveryCommand()
{
    QStringList problems;
    const QList<Command> commandList = commandsFromTables(problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1String("; "))));
    // Every command slot of Hid_Thread is a table row, and no row is left out.
    int slotCount = 0;
    const QMetaObject& meta = Hid_Thread::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        slotCount += meta.method(i).name().startsWith("hid5");
    QCOMPARE(int(commandList.size()), slotCount);
    QCOMPARE(slotCount, 25);

    // The cases of one command at report lengths 32 and 64, scrambled or not
    // alike: the busy gate; each open and each blocking switch (two per block,
    // one more per bulk packet: every report reopens the path); each feature
    // report; for a read the reply failed or short; each bulk packet written,
    // or read and then failed, short or timed out. So a set is 6, a set with
    // n packets 6 + 3n, a read 10, the profile read with n packets 10 + 5n,
    // and the 560's rate and stage, four slots of a set, 1 + 4 * 5 = 21.
    const QHash<QString, QPair<int, int>> casesOf{
        {"hid553_00H_GetSecrecyCode", {10, 10}}, {"hid553_01H_SetReportRate", {6, 6}},
        {"hid553_02H_SetCurrentKeyMatrix", {6, 6}}, {"hid553_03H_SetKeyboardoption", {6, 6}},
        {"hid553_04H_SetGunData", {6, 6}}, {"hid553_0BH_SetCurrentDPI", {6, 6}},
        {"hid553_0CH_SetFixLEDColor", {6, 6}}, {"hid553_0DH_SetRGBLedEffect", {6, 6}},
        {"hid553_10H_SetLED8StageColor", {9, 9}},   // type 2: four bytes, one packet
        {"hid553_11H_SetDPISet", {9, 9}}, {"hid553_12H_SetKeyMatrix", {12, 9}},
        {"hid553_13H_SetMacroKey", {18, 12}}, {"hid553_83H_GetKeyboardoption", {10, 10}},
        {"hid553_8BH_GetCurrentDPI", {10, 10}},
        {"hid560_01H_SetKeyboardoption", {6, 6}}, {"hid560_02H_SetCurrentProfile", {6, 6}},
        {"hid560_03H_SetReportRate", {21, 21}}, {"hid560_04H_SetCurrentDPI", {21, 21}},
        {"hid560_0CH_setProfile", {18, 12}}, {"hid560_0DH_SetKeyMatrix", {18, 12}},
        {"hid560_0FH_SetMacroKey", {18, 12}}, {"hid560_81H_GetKeyboardoption", {10, 10}},
        {"hid560_82H_GetCurrentProfile", {10, 10}}, {"hid560_84H_GetCurrentDPI", {10, 10}},
        {"hid560_8CH_readProfile", {30, 20}},
    };
    QCOMPARE(int(casesOf.size()), 25);

    int tried = 0, survived = 0;
    QStringList failures;
    for (const Command& command : commandList)
        for (const Variant variant : {Variant{false, 32}, Variant{true, 32}, Variant{false, 64}, Variant{true, 64}}) {
            const QString where = QStringLiteral("%1 %2 rl%3").arg(command.name(), variant.encoded ? QStringLiteral("scrambled") : QStringLiteral("plain")).arg(variant.reportLength);
            Verdict clean;
            const Baseline base = cleanRun(command, variant, clean);
            if (!clean.failures.isEmpty()) {
                failures.append(where + QStringLiteral(": ") + clean.failures.join(QLatin1String(", ")));
                continue;
            }
            const QPair<int, int> expected = casesOf.value(command.name(), {-1, -1});
            const int cases = int(faultsFor(base).size());
            if (cases != (variant.reportLength == 32 ? expected.first : expected.second))
                failures.append(QStringLiteral("%1: %2 cases").arg(where).arg(cases));
            for (const Fault& fault : faultsFor(base)) {
                Verdict verdict;
                ++tried;
                if (runCase(command, variant, base, fault, verdict))
                    ++survived;
                else
                    failures.append(QStringLiteral("%1, %2: %3").arg(where, fault.name(), verdict.failures.join(QLatin1String(", "))));
            }
        }
    qInfo().noquote() << QStringLiteral("fault injection: %1 commands, %2 cases tried, %3 survived")
                             .arg(commandList.size()).arg(tried).arg(survived);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 20).join(QLatin1Char('\n'))));
    QCOMPARE(survived, tried);
    // 553: 120 cases at report length 32, 111 at 64; 560: 168 and 140; each plain and scrambled.
    QCOMPARE(tried, 2 * (120 + 168) + 2 * (111 + 140));
}

QTEST_GUILESS_MAIN(FaultInjection)
#include "tst_faultinjection.moc"
