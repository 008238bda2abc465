// How closely the transport keeps to the pauses the firmware mandates: runs
// every set and read command of both families, with bulk data, against the
// virtual mouse on the real clock, and compares the wall time with the sum of
// the mandated pauses; then the exchanges of a profile switch on a 560 gun
// mouse. The last line is "pacing ratio: R" for the command mix.
#include "benchsequences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace bench;

struct Step
{
    const char* name;
    std::function<void(Hid_Thread&)> run;
    int mandatedMs;
};

// Settle pauses around the block and the bulk data, 120 ms per packet.
int settled(int bulkBytes)
{
    const int packets = (bulkBytes + kReportLength - 1) / kReportLength;
    return 128 + packets * 120 + (packets > 0 ? 128 : 0);
}

std::vector<Step> mix553(uchar* buffer)
{
    return {
        {"00H echo", [](Hid_Thread& h) { uchar a = 1, b = 2, c = 3, d = 4; h.hid553_00H_GetSecrecyCode(a, b, c, d); }, 0},
        {"01H report rate", [](Hid_Thread& h) { h.hid553_01H_SetReportRate(3); }, settled(0)},
        {"02H key matrix number", [](Hid_Thread& h) { h.hid553_02H_SetCurrentKeyMatrix(0); }, settled(0)},
        {"03H keyboard option", [](Hid_Thread& h) { h.hid553_03H_SetKeyboardoption(0, 0, 0, 0x40); }, 8},
        {"04H gun data", [](Hid_Thread& h) { h.hid553_04H_SetGunData(1, 2, 3, 4); }, 8},
        {"0BH current DPI", [](Hid_Thread& h) { h.hid553_0BH_SetCurrentDPI(2); }, settled(0)},
        {"0CH LED colour", [buffer](Hid_Thread& h) { h.hid553_0CH_SetFixLEDColor(buffer); }, settled(0)},
        {"0DH LED effect", [](Hid_Thread& h) { h.hid553_0DH_SetRGBLedEffect(1, 2, 3); }, settled(0)},
        {"10H stage colours", [buffer](Hid_Thread& h) { h.hid553_10H_SetLED8StageColor(1, buffer); }, settled(24)},
        {"10H stage colours, short form", [buffer](Hid_Thread& h) { h.hid553_10H_SetLED8StageColor(2, buffer); }, settled(4)},
        {"11H DPI stages", [buffer](Hid_Thread& h) { h.hid553_11H_SetDPISet(4, buffer); }, settled(8)},
        {"12H key matrix", [buffer](Hid_Thread& h) { h.hid553_12H_SetKeyMatrix(buffer, 1); }, settled(64)},
        {"13H macro", [buffer](Hid_Thread& h) { h.hid553_13H_SetMacroKey(1, buffer); }, settled(128)},
        {"83H keyboard option", [](Hid_Thread& h) { uchar a = 0, b = 0, c = 0, d = 0; h.hid553_83H_GetKeyboardoption(a, b, c, d); }, 0},
        {"8BH current DPI", [](Hid_Thread& h) { uchar a = 0; h.hid553_8BH_GetCurrentDPI(a); }, 0},
    };
}

std::vector<Step> mix560(uchar* buffer)
{
    return {
        {"01H keyboard option", [](Hid_Thread& h) { h.hid560_01H_SetKeyboardoption(8, 0); }, 8},
        {"02H profile slot", [](Hid_Thread& h) { h.hid560_02H_SetCurrentProfile(1); }, 8},
        {"03H report rate, 4 slots", [](Hid_Thread& h) { h.hid560_03H_SetReportRate(3); }, 4 * settled(0)},
        {"04H current DPI, 4 slots", [](Hid_Thread& h) { h.hid560_04H_SetCurrentDPI(2); }, 4 * settled(0)},
        {"0CH profile block", [buffer](Hid_Thread& h) { h.hid560_0CH_setProfile(buffer, 1); }, settled(128)},
        {"0DH key matrix", [buffer](Hid_Thread& h) { h.hid560_0DH_SetKeyMatrix(buffer, 1); }, settled(128)},
        {"0FH macro", [buffer](Hid_Thread& h) { h.hid560_0FH_SetMacroKey(1, buffer); }, settled(128)},
        {"81H keyboard option", [](Hid_Thread& h) { uchar a = 0, b = 0; h.hid560_81H_GetKeyboardoption(a, b); }, 0},
        {"82H profile slot", [](Hid_Thread& h) { uchar a = 0; h.hid560_82H_GetCurrentProfile(a); }, 0},
        {"84H current DPI", [](Hid_Thread& h) { uchar a = 1, b = 0; h.hid560_84H_GetCurrentDPI(a, b); }, 0},
        {"8CH profile read", [buffer](Hid_Thread& h) { h.hid560_8CH_readProfile(buffer, 1); }, 0},
    };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    uchar buffer[128];
    for (int i = 0; i < 128; ++i)
        buffer[i] = uchar(i * 3);

    // The command mix: every command of both families once.
    vmouse::reset();
    Owner owner(false, "560");
    Hid_Thread hid553, hid560;
    hid560.owner = &owner;
    struct Family { const char* name; Hid_Thread* hid; std::vector<Step> steps; };
    const std::vector<Family> families = {
        {"553", connect(hid553, vmouse::Family::Fw553), mix553(buffer)},
        {"560", connect(hid560, vmouse::Family::Fw560), mix560(buffer)},
    };
    qint64 totalMandated = 0;
    qint64 totalNs = 0;
    for (const Family& family : families)
        for (const Step& step : family.steps) {
            QElapsedTimer timer;
            timer.start();
            step.run(*family.hid);
            const qint64 ns = timer.nsecsElapsed();
            totalNs += ns;
            totalMandated += step.mandatedMs;
            std::printf("%s %-32s mandated %5d ms  took %9.3f ms\n", family.name, step.name, step.mandatedMs,
                        double(ns) / 1e6);
        }
    std::printf("command mix: %d exchanges\n", exchangesOnTheWire());

    // The profile switch: its mandated pauses are what a counting clock adds
    // up over the same exchanges; then the same sequence on the real clock.
    QTemporaryDir dir;
    const QString profilePath = dir.filePath(QStringLiteral("p1.bin"));
    QFile::copy(QStringLiteral(KESTREL_DATA_DIR "/setting/pD.bin"), profilePath);
    SettingsFile profile(profilePath);
    Owner gunOwner(true, "560");
    const DeviceFlags gunFlags{true, true, true, false};
    Hid_Thread gunMouse;
    gunMouse.owner = &gunOwner;
    vmouse::reset();
    connect(gunMouse, vmouse::Family::Fw560);
    ProfileBlocks blocks;
    for (uint n = 0; n < ProfileBlocks::kCount; ++n)
        blocks.read(gunMouse, n);
    vmouse::clearRecord();
    CountingClock counting;
    Clock::install(&counting);
    profileSwitch(gunMouse, gunFlags, profile, blocks);
    Clock::install(nullptr);
    const int switchExchanges = exchangesOnTheWire();
    QElapsedTimer timer;
    timer.start();
    profileSwitch(gunMouse, gunFlags, profile, blocks);
    const double switchMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("profile switch (560, gun): %d exchanges, wall time %.3f ms, mandated %lld ms, ratio %.4f\n",
                switchExchanges, switchMs, static_cast<long long>(counting.total), switchMs / double(counting.total));

    const double wallMs = double(totalNs) / 1e6;
    std::printf("command mix: mandated pauses %lld ms, wall time %.3f ms\n", static_cast<long long>(totalMandated),
                wallMs);
    std::printf("pacing ratio: %.4f\n", wallMs / double(totalMandated));
    return 0;
}
