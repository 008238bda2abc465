// The transport on its own: chunking, zero fill, reopening, pacing, the gate
// and every way an exchange can fail.
#include "exchangecheck.h"

#include <QCoreApplication>
#include <QTest>

#include <functional>
#include <memory>

using vmouse::Call;
using vmouse::CallKind;

namespace {

uchar* raw(QByteArray& data)
{
    return reinterpret_cast<uchar*>(data.data());
}

QByteArray ramp(int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char(i + 1);
    return out;
}

vmouse::DeviceConfig withReportLength(int reportLength, vmouse::Family family = vmouse::Family::Fw553)
{
    vmouse::DeviceConfig config;
    config.family = family;
    config.reportLength = reportLength;
    return config;
}

qint64 ms(const Call& call)
{
    return call.timeUs / 1000;
}

} // namespace

class Transport : public QObject
{
    Q_OBJECT

private slots:
    void checksum();
    void bulkWriteSplitsIntoPacedReports();
    void shortBulkIsZeroFilled();
    void unevenSplitNeverReadsPastThePayload();
    void bulkReadTakesReportLengthFromEachReport();
    void unevenBulkReadStaysInsideTheBuffer();
    void nonPositiveReportLengthFailsBulkAtOnce_data();
    void nonPositiveReportLengthFailsBulkAtOnce();
    void bulkReadThatTimesOutEndsTheExchange();
    void emptyPathSendsNothing();
    void indexOutsideTheListSendsNothing();
    void failedOpenForgetsThePath();
    void negativeResultsEndTheExchange_data();
    void negativeResultsEndTheExchange();
    void scrambledBlockOnlyWhenAsked();
    void gateFreedWhilePollingIsTaken();
    void commandStartedDuringAnExchangeIsDropped();
    void turnWaitsForTheExchangeAndTheSequence();
    void sequenceStopsAtTheFirstFailedReport();
    void slotLoopKeepsTheGateBetweenSlots();
};

void Transport::checksum()
{
    Hid_Thread hid;
    uchar zero[8] = {};
    QCOMPARE(hid.hidCS(zero), uchar(0xFF));
    uchar rate[8] = {0x01, 0x02, 0, 0, 0, 0, 0, 0x77};
    QCOMPARE(hid.hidCS(rate), uchar(0xFC));   // ~(1 + 2); byte 7 is not summed
    uchar wraps[8] = {0xFF, 0xFF, 0x03, 0, 0, 0, 0, 0};
    QCOMPARE(hid.hidCS(wraps), uchar(0xFE));  // the sum is taken mod 256: 0x01 -> 0xFE
}

void Transport::bulkWriteSplitsIntoPacedReports()
{
    WireRig rig(withReportLength(32));
    QByteArray macro = ramp(128);
    rig.hid.hid553_13H_SetMacroKey(1, raw(macro));

    const auto writes = rig.calls(CallKind::Write);
    QCOMPARE(writes.size(), size_t(4));
    const auto send = rig.calls(CallKind::SendFeature);
    QCOMPARE(send.size(), size_t(1));
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(writes[i].length, size_t(33));
        QCOMPARE(bytes(writes[i].data), QByteArray(1, '\0') + macro.mid(32 * i, 32));
        // 128 ms settle before the first packet, then 120 ms between packets.
        QCOMPARE(ms(writes[i]), ms(send[0]) + 128 + 120 * i);
    }
    // After the last packet: its 120 ms, then the second settle pause.
    QCOMPARE(rig.clock.nowMs(), ms(writes[3]) + 120 + 128);
    // Every report goes out on a freshly opened path.
    QCOMPARE(rig.callSequence(),
             QStringLiteral("hid_open_path hid_set_nonblocking hid_close hid_open_path hid_set_nonblocking hid_send_feature_report"
                            " hid_close hid_open_path hid_set_nonblocking hid_write hid_close hid_open_path hid_set_nonblocking hid_write"
                            " hid_close hid_open_path hid_set_nonblocking hid_write hid_close hid_open_path hid_set_nonblocking hid_write hid_close"));
    for (const Call& call : rig.calls(CallKind::OpenPath))
        QCOMPARE(call.path, std::string("vmouse:0:1"));
}

void Transport::shortBulkIsZeroFilled()
{
    WireRig rig(withReportLength(32));
    QByteArray colours = ramp(24);
    rig.hid.hid553_10H_SetLED8StageColor(1, raw(colours));
    rig.hid.hid553_10H_SetLED8StageColor(2, raw(colours));
    const auto writes = rig.calls(CallKind::Write);
    QCOMPARE(writes.size(), size_t(2));
    QCOMPARE(bytes(writes[0].data), QByteArray(1, '\0') + colours + QByteArray(8, '\0'));
    QCOMPARE(bytes(writes[1].data), QByteArray(1, '\0') + colours.left(4) + QByteArray(28, '\0'));
}

void Transport::unevenSplitNeverReadsPastThePayload()
{
    // 128 bytes in reports of 48: 48 + 48 + 32, the last one zero-filled
    // rather than padded with whatever lies behind the payload.
    WireRig rig(withReportLength(48));
    memset(rig.hid.bulkBuffer, 0xAA, sizeof rig.hid.bulkBuffer);
    QByteArray macro = ramp(128);
    rig.hid.hid553_13H_SetMacroKey(1, raw(macro));
    const auto writes = rig.calls(CallKind::Write);
    QCOMPARE(writes.size(), size_t(3));
    QCOMPARE(bytes(writes[0].data).mid(1), macro.mid(0, 48));
    QCOMPARE(bytes(writes[1].data).mid(1), macro.mid(48, 48));
    QCOMPARE(bytes(writes[2].data).mid(1), macro.mid(96, 32) + QByteArray(16, '\0'));
    QCOMPARE(vmouse::state(rig.device).macros.at(1), vmouse::Bytes(macro.begin(), macro.end()));
}

void Transport::bulkReadTakesReportLengthFromEachReport()
{
    WireRig rig(withReportLength(64, vmouse::Family::Fw560));
    QByteArray profile(128, '\0');
    rig.hid.hid560_8CH_readProfile(raw(profile), 0);
    const auto reads = rig.calls(CallKind::ReadTimeout);
    QCOMPARE(reads.size(), size_t(2));
    for (const Call& read : reads) {
        QCOMPARE(read.length, size_t(65));
        QVERIFY(read.timeoutMs > 0);        // never an unbounded wait
    }
    QCOMPARE(profile, bytes(reads[0].data).left(64) + bytes(reads[1].data).left(64));
    const auto stored = vmouse::state(rig.device).profiles560.at(0);
    QCOMPARE(profile, bytes(stored));
}

void Transport::unevenBulkReadStaysInsideTheBuffer()
{
    WireRig rig(withReportLength(48, vmouse::Family::Fw560));
    const auto codeBefore = rig.hid.secrecyCode = {0, 1, 2, 3, 4, 5, 6, 7};
    QByteArray profile(128, '\0');
    rig.hid.hid560_8CH_readProfile(raw(profile), 1);
    QCOMPARE(rig.calls(CallKind::ReadTimeout).size(), size_t(3));
    QCOMPARE(profile, bytes(vmouse::state(rig.device).profiles560.at(1)));
    // The member after the bulk buffer is intact.
    QVERIFY(rig.hid.secrecyCode == codeBefore);
}

void Transport::nonPositiveReportLengthFailsBulkAtOnce_data()
{
    QTest::addColumn<int>("reportLength");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -4;
}

void Transport::nonPositiveReportLengthFailsBulkAtOnce()
{
    QFETCH(int, reportLength);
    WireRig rig(withReportLength(32));
    rig.hid.deviceList[0].reportLength = reportLength;
    QByteArray matrix = ramp(64);
    rig.hid.hid553_12H_SetKeyMatrix(raw(matrix), 1);
    // The command block goes out; nothing follows it and nothing waits.
    QCOMPARE(rig.callSequence(), QStringLiteral("hid_open_path hid_set_nonblocking hid_close hid_open_path hid_set_nonblocking hid_send_feature_report hid_close"));
    QVERIFY(rig.hid.linkIdle);
    QVERIFY(rig.clock.nowMs() < 120);

    // Commands without bulk data are not affected.
    vmouse::clearRecord();
    rig.hid.hid553_0BH_SetCurrentDPI(2);
    QCOMPARE(vmouse::state(rig.device).currentDpi553, 2);

    vmouse::clearRecord();
    QByteArray profile(128, char(0x33));
    rig.hid.hid560_8CH_readProfile(raw(profile), 1);
    QCOMPARE(rig.calls(CallKind::ReadTimeout).size(), size_t(0));
    QCOMPARE(profile, QByteArray(128, char(0x33)));
    QVERIFY(rig.hid.linkIdle);
}

void Transport::bulkReadThatTimesOutEndsTheExchange()
{
    WireRig rig(withReportLength(32, vmouse::Family::Fw560));
    vmouse::withholdInputReports(rig.device, 1);
    QByteArray profile(128, char(0x11));
    rig.hid.hid560_8CH_readProfile(raw(profile), 2);
    const auto reads = rig.calls(CallKind::ReadTimeout);
    QCOMPARE(reads.size(), size_t(4));
    QCOMPARE(reads.back().result, 0);
    QCOMPARE(reads.back().timeoutMs, 1000);
    QCOMPARE(rig.clock.nowMs(), qint64(1000));      // one bounded wait, then give up
    QCOMPARE(rig.calls().back().kind, CallKind::Close);
    QVERIFY(rig.hid.linkIdle);
    const QByteArray stored = bytes(vmouse::state(rig.device).profiles560.at(2));
    QCOMPARE(profile, stored.left(96) + QByteArray(32, char(0x11)));
}

void Transport::emptyPathSendsNothing()
{
    WireRig rig;
    rig.hid.deviceList[0].commandPath.clear();
    rig.hid.hid553_01H_SetReportRate(1);
    QByteArray matrix = ramp(64);
    rig.hid.hid553_12H_SetKeyMatrix(raw(matrix), 1);
    uchar dpi = 7;
    rig.hid.hid553_8BH_GetCurrentDPI(dpi);
    QCOMPARE(rig.calls().size(), size_t(0));
    QCOMPARE(dpi, uchar(7));
    QVERIFY(rig.hid.linkIdle);
    QCOMPARE(rig.clock.nowMs(), qint64(0));
}

void Transport::indexOutsideTheListSendsNothing()
{
    // Before discovery the list is empty and the index still has its start value.
    WireRig rig;
    Hid_Thread fresh;
    QCOMPARE(fresh.currentDevice, 1);
    QVERIFY(fresh.deviceList.isEmpty());
    fresh.hid553_0BH_SetCurrentDPI(2);
    uchar b1 = 3, b2 = 4;
    fresh.hid560_81H_GetKeyboardoption(b1, b2);
    QCOMPARE(b1, uchar(3));
    QCOMPARE(b2, uchar(4));
    QVERIFY(fresh.linkIdle);
    QCOMPARE(rig.calls().size(), size_t(0));
}

void Transport::failedOpenForgetsThePath()
{
    WireRig rig;
    vmouse::unplug(rig.device);
    rig.hid.hid553_0BH_SetCurrentDPI(2);
    QVERIFY(rig.hid.deviceList[0].commandPath.isEmpty());
    QVERIFY(rig.hid.linkIdle);
    QCOMPARE(rig.calls(CallKind::OpenPath).size(), size_t(1));

    // Later commands end at once, even once the device is back, until
    // discovery fills the path again.
    vmouse::replug(rig.device);
    vmouse::clearRecord();
    rig.hid.hid553_0BH_SetCurrentDPI(2);
    QCOMPARE(rig.calls().size(), size_t(0));

    // Unplugged midway through a bulk transfer: the packets sent stay sent.
    WireRig midway;
    vmouse::failCall(CallKind::OpenPath, 4);   // the reopen before the second packet
    QByteArray macro = ramp(128);
    midway.hid.hid553_13H_SetMacroKey(1, raw(macro));
    QCOMPARE(midway.calls(CallKind::Write).size(), size_t(1));
    QVERIFY(midway.hid.deviceList[0].commandPath.isEmpty());
    QVERIFY(midway.hid.linkIdle);
}

void Transport::negativeResultsEndTheExchange_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("sequence");
    QTest::newRow("feature report") << int(CallKind::SendFeature)
        << QStringLiteral("hid_open_path hid_set_nonblocking hid_close hid_open_path hid_set_nonblocking hid_send_feature_report hid_close");
    QTest::newRow("output report") << int(CallKind::Write)
        << QStringLiteral("hid_open_path hid_set_nonblocking hid_close hid_open_path hid_set_nonblocking hid_send_feature_report"
                          " hid_close hid_open_path hid_set_nonblocking hid_write hid_close");
    QTest::newRow("reply") << int(CallKind::GetFeature)
        << QStringLiteral("hid_open_path hid_set_nonblocking hid_close hid_open_path hid_set_nonblocking hid_send_feature_report"
                          " hid_close hid_open_path hid_set_nonblocking hid_get_feature_report hid_close");
    QTest::newRow("input report") << int(CallKind::ReadTimeout)
        << QStringLiteral("hid_open_path hid_set_nonblocking hid_close hid_open_path hid_set_nonblocking hid_send_feature_report"
                          " hid_close hid_open_path hid_set_nonblocking hid_get_feature_report hid_close hid_open_path hid_set_nonblocking hid_read_timeout hid_close");
}

void Transport::negativeResultsEndTheExchange()
{
    QFETCH(int, kind);
    QFETCH(QString, sequence);
    WireRig rig(withReportLength(32, vmouse::Family::Fw560));
    vmouse::failCall(CallKind(kind));
    QByteArray data = ramp(128);
    if (CallKind(kind) == CallKind::GetFeature || CallKind(kind) == CallKind::ReadTimeout)
        rig.hid.hid560_8CH_readProfile(raw(data), 1);
    else
        rig.hid.hid560_0FH_SetMacroKey(1, raw(data));
    QCOMPARE(rig.callSequence(), sequence);
    QVERIFY(rig.hid.linkIdle);
    // Nothing is retried, and the path is kept: the device may answer next time.
    QVERIFY(!rig.hid.deviceList[0].commandPath.isEmpty());
}

void Transport::scrambledBlockOnlyWhenAsked()
{
    for (bool encoded : {false, true}) {
        vmouse::DeviceConfig config;
        config.encoded = encoded;
        WireRig rig(config);
        rig.hid.hid553_01H_SetReportRate(3);
        const QByteArray plain = block({0x01, 3, 0, 0, 0, 0, 0});
        const QByteArray wire = bytes(rig.calls(CallKind::SendFeature).at(0).data);
        QCOMPARE(wire == QByteArray(1, '\0') + plain, !encoded);
        // Scrambled, even the checksum byte differs from the plain one.
        QCOMPARE(wire.at(8) == plain.at(7), !encoded);
        QCOMPARE(vmouse::state(rig.device).reportRate553, 3);
    }
}

void Transport::gateFreedWhilePollingIsTaken()
{
    WireRig rig;
    rig.hid.linkIdle = false;
    int polls = 0;
    std::function<void()> poll = [&] {
        if (++polls == 3)
            rig.hid.linkIdle = true;       // the other exchange ends
        else
            rig.clock.atNextProcessEvents = poll;
    };
    rig.clock.atNextProcessEvents = poll;
    rig.hid.hid553_0BH_SetCurrentDPI(2);
    const auto send = rig.calls(CallKind::SendFeature);
    QCOMPARE(send.size(), size_t(1));
    QCOMPARE(ms(send[0]), qint64(3 * 8));
}

void Transport::commandStartedDuringAnExchangeIsDropped()
{
    // A second UI action arrives while the first exchange turns the event
    // loop. The holder is further down the same stack, so waiting could only
    // delay it: the second is refused at once with its line, and the first
    // goes on with its own block and its own pauses, in both families.
    struct Case { vmouse::Family family; std::function<void(Hid_Thread&)> first, second; QByteArray block; const char* line; };
    const Case cases[] = {
        {vmouse::Family::Fw553, [](Hid_Thread& h) { h.hid553_0BH_SetCurrentDPI(4); },
         [](Hid_Thread& h) { h.hid553_01H_SetReportRate(1); }, block({0x0B, 4, 0, 0, 0, 0, 0}), "cmd Failed 01"},
        {vmouse::Family::Fw560, [](Hid_Thread& h) { h.hid560_02H_SetCurrentProfile(3); },
         [](Hid_Thread& h) { uchar a = 7; h.hid560_82H_GetCurrentProfile(a); }, block({0x02, 3, 0, 0, 0, 0, 0}),
         "cmd Failed 82"},
    };
    for (const Case& c : cases) {
        WireRig rig(withReportLength(32, c.family));
        DebugCapture debug;
        rig.clock.atNextProcessEvents = [&] { c.second(rig.hid); };
        c.first(rig.hid);
        QCOMPARE(debug.lines(), QStringList{QLatin1String(c.line)});
        const auto send = rig.calls(CallKind::SendFeature);
        QCOMPARE(send.size(), size_t(1));
        QCOMPARE(bytes(send[0].plainBlock), c.block);
        QCOMPARE(ms(send[0]), qint64(0));
        QVERIFY(rig.hid.linkIdle);
    }
}

void Transport::turnWaitsForTheExchangeAndTheSequence()
{
    // Work asked for while the link is busy (a DPI event, discovery, a
    // request from outside) runs from the event loop once the exchange, and
    // the sequence around it, are over; a read inside the sequence still
    // hands its result to the caller at once.
    WireRig rig(withReportLength(32, vmouse::Family::Fw560));
    QStringList order;
    QObject context;
    rig.hid.beginSequence();
    rig.clock.atNextProcessEvents = [&] {
        rig.hid.whenLinkFree(&context, [&] { order << QStringLiteral("turn"); });
        order << QStringLiteral("asked");
    };
    rig.hid.hid560_02H_SetCurrentProfile(2);
    uchar slot = 0;
    rig.hid.hid560_82H_GetCurrentProfile(slot);
    order << QStringLiteral("read %1").arg(slot);
    QCoreApplication::processEvents();
    order << QStringLiteral("sequence ends");
    rig.hid.endSequence();
    QCoreApplication::processEvents();
    QCOMPARE(order, (QStringList{"asked", "read 2", "sequence ends", "turn"}));

    // Free link: at once. A turn whose context went is dropped.
    rig.hid.whenLinkFree(&context, [&] { order << QStringLiteral("now"); });
    QCOMPARE(order.last(), QStringLiteral("now"));
    auto gone = std::make_unique<QObject>();
    rig.hid.beginSequence();
    rig.hid.whenLinkFree(gone.get(), [&] { order << QStringLiteral("dropped"); });
    gone.reset();
    rig.hid.endSequence();
    QCoreApplication::processEvents();
    QCOMPARE(order.last(), QStringLiteral("now"));
}

void Transport::sequenceStopsAtTheFirstFailedReport()
{
    // The device fails the second exchange of a sequence: that one's line,
    // then every later command of the sequence is refused without a call on
    // the wire; once the sequence ends, the next command runs cleanly.
    for (vmouse::Family family : {vmouse::Family::Fw553, vmouse::Family::Fw560}) {
        WireRig rig(withReportLength(32, family));
        const bool f560 = family == vmouse::Family::Fw560;
        auto command = [&] { f560 ? rig.hid.hid560_02H_SetCurrentProfile(1) : rig.hid.hid553_02H_SetCurrentKeyMatrix(1); };
        int failures = 0;
        QObject::connect(&rig.hid, &Hid_Thread::sequenceFailed, [&] { ++failures; });
        DebugCapture debug;
        rig.hid.beginSequence();
        command();
        vmouse::failCall(CallKind::SendFeature);
        command();
        const size_t callsAtTheFailure = vmouse::record().size();
        command();
        command();
        QCOMPARE(vmouse::record().size(), callsAtTheFailure);
        QVERIFY(rig.hid.sequenceStopped());
        QCOMPARE(failures, 1);
        rig.hid.endSequence();
        command();
        QCOMPARE(rig.calls(CallKind::SendFeature).size(), size_t(3));
        const QString refused = QStringLiteral("cmd Failed 02");   // the same line in both tables
        QCOMPARE(debug.lines(), (QStringList{QStringLiteral("Sequence stopped at a failed report"), refused, refused}));
        QVERIFY(rig.hid.linkIdle);
    }

    // Inside a command's own loop over the four slots, too: slot 2 fails,
    // slots 3 and 4 are not sent.
    WireRig rig(withReportLength(32, vmouse::Family::Fw560));
    rig.hid.beginSequence();
    vmouse::failCall(CallKind::SendFeature, 2);
    rig.hid.hid560_03H_SetReportRate(2);
    QCOMPARE(rig.calls(CallKind::SendFeature).size(), size_t(2));
    QVERIFY(rig.hid.sequenceStopped());
    QVERIFY(rig.hid.linkIdle);
}

void Transport::slotLoopKeepsTheGateBetweenSlots()
{
    // While the report rate goes to slot 2, a UI action starts another
    // command. Taking the free gate there would overwrite the block of the
    // remaining slots; it waits instead and is dropped.
    WireRig rig(withReportLength(32, vmouse::Family::Fw560));
    DebugCapture debug;
    int pumps = 0;
    std::function<void()> pump = [&] {
        if (++pumps == 2)
            rig.hid.hid560_02H_SetCurrentProfile(2);
        else
            rig.clock.atNextProcessEvents = pump;
    };
    rig.clock.atNextProcessEvents = pump;
    rig.hid.hid560_03H_SetReportRate(2);
    QCOMPARE(debug.lines(), QStringList{QStringLiteral("cmd Failed 02")});
    const auto send = rig.calls(CallKind::SendFeature);
    QCOMPARE(send.size(), size_t(4));
    for (int slot = 1; slot <= 4; ++slot)
        QCOMPARE(bytes(send[slot - 1].plainBlock), block({0x03, uchar(slot), 2, 0, 0, 0, 0}));
    QCOMPARE(vmouse::state(rig.device).currentProfile560, vmouse::FirmwareState{}.currentProfile560);
    QVERIFY(rig.hid.linkIdle);
}

QTEST_GUILESS_MAIN(Transport)
#include "tst_transport.moc"
