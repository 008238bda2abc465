// On the real clock: a key-matrix write takes at least the pauses the
// firmware needs. A lower bound only; how close the transport stays to them
// is measured by the pacing benchmark.
#include "clock.h"
#include "hid_thread.h"
#include "virtual_mouse.h"

#include <QElapsedTimer>
#include <QTest>

class RealPacing : public QObject
{
    Q_OBJECT

private slots:
    void keyMatrixWriteTakesItsPauses();
};

void RealPacing::keyMatrixWriteTakesItsPauses()
{
    vmouse::reset();
    vmouse::clearClock();
    Clock::install(nullptr);
    vmouse::DeviceConfig config;
    config.family = vmouse::Family::Fw553;
    config.reportLength = 32;
    const int device = vmouse::addDevice(config);

    Hid_Thread hid;
    DeviceDescriptor d;
    d.reportLength = 32;
    d.commandPath = QStringLiteral("vmouse:%1:1").arg(device);
    hid.deviceList = {d};
    hid.currentDevice = 0;

    uchar matrix[64];
    for (int i = 0; i < 64; ++i)
        matrix[i] = uchar(i);
    QElapsedTimer timer;
    timer.start();
    hid.hid553_12H_SetKeyMatrix(matrix, 1);
    const qint64 elapsed = timer.elapsed();

    // settle 128 + two packets of 120 + settle 128
    QVERIFY2(elapsed >= 496, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
    std::vector<vmouse::Call> writes;
    std::int64_t sendUs = -1;
    for (const vmouse::Call& call : vmouse::record()) {
        if (call.kind == vmouse::CallKind::Write)
            writes.push_back(call);
        else if (call.kind == vmouse::CallKind::SendFeature)
            sendUs = call.timeUs;
    }
    QCOMPARE(writes.size(), size_t(2));
    QVERIFY(writes[0].timeUs - sendUs >= 128'000);
    QVERIFY(writes[1].timeUs - writes[0].timeUs >= 120'000);
    QCOMPARE(vmouse::state(device).keyMatrices.at(1).size(), size_t(64));
}

QTEST_GUILESS_MAIN(RealPacing)
#include "tst_realpacing.moc"
