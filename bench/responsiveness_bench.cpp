// How alive the GUI thread stays while the mouse is busy: a 10 ms probe timer
// runs on the thread that runs the exchanges, against the virtual mouse on
// the real clock, during (a) a profile switch on a 560 gun mouse, (b) a Save
// of key matrix, DPI and lighting on a 553 mouse, (c) a factory reset on the
// 560 gun mouse. Prints, for each, the worst lateness of the probe, the wall
// time and its ratio to the mandated pauses (what a counting clock adds up
// over the same exchanges). Goal: lateness <= 50 ms, ratio <= 1.03.
#include "benchsequences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using namespace bench;

constexpr int kProbeMs = 10;

// Worst time past its due moment at which the probe fired.
struct Probe
{
    QTimer timer;
    QElapsedTimer since;
    qint64 lastNs = 0;
    qint64 worstNs = 0;

    Probe()
    {
        timer.setInterval(kProbeMs);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        worstNs = 0;
        since.start();
        lastNs = 0;
        timer.start();
    }
    void tick()
    {
        const qint64 now = since.nsecsElapsed();
        worstNs = std::max(worstNs, now - lastNs - kProbeMs * 1000000LL);
        lastNs = now;
    }
    void stop()
    {
        tick();   // the stretch since the last firing counts too
        timer.stop();
    }
};

struct Mouse
{
    Owner owner;
    DeviceFlags flags;
    Hid_Thread hid;
    ProfileBlocks blocks;

    Mouse(bool gun, vmouse::Family family)
        : owner(gun, family == vmouse::Family::Fw560 ? "560" : "553")
        , flags{family == vmouse::Family::Fw560, gun, true, false}
    {
        hid.owner = &owner;
        bench::connect(hid, family);
        if (flags.family560)
            for (uint n = 0; n < ProfileBlocks::kCount; ++n)
                blocks.read(hid, n);
    }
};

using Sequence = std::function<void(Hid_Thread&, const DeviceFlags&, SettingsFile&, ProfileBlocks&)>;

void measure(const char* name, Mouse& mouse, SettingsFile& profile, const Sequence& sequence, Probe& probe)
{
    vmouse::clearRecord();
    CountingClock counting;
    Clock::install(&counting);
    sequence(mouse.hid, mouse.flags, profile, mouse.blocks);
    Clock::install(nullptr);
    const int exchanges = exchangesOnTheWire();

    QElapsedTimer wall;
    probe.start();
    wall.start();
    sequence(mouse.hid, mouse.flags, profile, mouse.blocks);
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;
    probe.stop();
    std::printf("%-30s %2d exchanges  worst probe lateness %7.1f ms  wall %8.1f ms  mandated %6lld ms  ratio %.4f\n",
                name, exchanges, double(probe.worstNs) / 1e6, wallMs, static_cast<long long>(counting.total),
                wallMs / double(counting.total));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString profilePath = dir.filePath(QStringLiteral("p1.bin"));
    QFile::copy(QStringLiteral(KESTREL_DATA_DIR "/setting/pD.bin"), profilePath);
    SettingsFile profile(profilePath);

    QTimer::singleShot(0, &app, [&] {
        vmouse::reset();
        Probe probe;
        Mouse gun(true, vmouse::Family::Fw560);
        Mouse plain(false, vmouse::Family::Fw553);
        measure("profile switch (560, gun)", gun, profile, &profileSwitch, probe);
        measure("save (553)", plain, profile, &save, probe);
        measure("factory reset (560, gun)", gun, profile, &factoryReset, probe);
        app.quit();
    });
    return app.exec();
}
