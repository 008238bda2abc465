// How quickly the real program shows itself and how little it costs while it
// waits: starts it under a private Xvfb with the virtual mouse preloaded and
// watches the screen. Prints, per run and as medians:
//   exec -> first frame        the window's first pixels are on screen
//   exec -> main screen        the first protection period is over and the
//                              main screen (its Save button) is drawn
//   idle CPU                   share of one core used over the idle period
//                              while connected and nothing is busy
//   peak RSS                   the process's high-water mark of resident memory
// Usage: startup_bench [runs] [idle seconds]   (defaults 3 and 30)
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "programcopy.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const QString kBin = QStringLiteral(KESTREL_BIN_DIR);

// The power-on picture sits centred in the 1024 x 640 window, which Xvfb (no
// window manager) puts at the screen's top left; the Save button is the
// bottom bar's last, 24 px from the right and 8 px from the bottom.
constexpr int kSplashX = 512 - 210, kSplashY = 320 - 110, kSplashW = 420, kSplashH = 220;
constexpr int kSaveX = 1000 - 32, kSaveY = 640 - 8 - 12;

bool anyLitPixel(Display* display, int x, int y, int w, int h)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, w, h, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool lit = false;
    for (int j = 0; j < h && !lit; j += 2)
        for (int i = 0; i < w && !lit; i += 2)
            lit = (XGetPixel(image, i, j) & 0xffffff) != 0;
    XDestroyImage(image);
    return lit;
}

bool brightPixel(Display* display, int x, int y)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return ((pixel >> 16) & 0xff) > 0x80 && ((pixel >> 8) & 0xff) > 0x80;
}

// utime + stime in clock ticks.
long cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLong() + fields[12].toLong() : -1;
}

long peakRssKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

struct Run
{
    double firstFrameMs = -1;
    double mainScreenMs = -1;
    double idleCpuPercent = -1;
    long peakRss = -1;
};

Run runOnce(const QString& displayName, int idleSeconds)
{
    Run result;
    QTemporaryDir dir;
    copyProgram(kBin, dir.path());

    Display* display = XOpenDisplay(displayName.toLatin1().constData());
    if (!display)
        return result;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), displayName);
    env.insert(QStringLiteral("LD_PRELOAD"), kBin + QStringLiteral("/libvmouse.so"));
    env.insert(QStringLiteral("VMOUSE_CONTROL"), dir.filePath(QStringLiteral("vmouse.sock")));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.setStandardOutputFile(QProcess::nullDevice());

    QElapsedTimer clock;
    clock.start();
    program.start(dir.filePath(QStringLiteral("kestrel-orbit")), {});
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && program.state() != QProcess::NotRunning) {
        if (result.firstFrameMs < 0 && anyLitPixel(display, kSplashX, kSplashY, kSplashW, kSplashH))
            result.firstFrameMs = clock.nsecsElapsed() / 1e6;
        if (result.firstFrameMs >= 0 && brightPixel(display, kSaveX, kSaveY)) {
            result.mainScreenMs = clock.nsecsElapsed() / 1e6;
            break;
        }
        QThread::usleep(1000);
    }
    if (result.mainScreenMs >= 0) {
        // Let the last frame of the reveal settle before measuring the idle cost.
        QThread::sleep(1);
        const long before = cpuTicks(program.processId());
        QThread::sleep(idleSeconds);
        const long after = cpuTicks(program.processId());
        if (before >= 0 && after >= 0)
            result.idleCpuPercent = 100.0 * (after - before) / (double(sysconf(_SC_CLK_TCK)) * idleSeconds);
        result.peakRss = peakRssKiB(program.processId());
    }
    program.kill();
    program.waitForFinished(5000);
    XCloseDisplay(display);
    return result;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args[1].toInt() : 3;
    const int idleSeconds = args.size() > 2 ? args[2].toInt() : 30;

    // A black root window, so the program's first pixels stand out.
    QProcess xvfb;
    xvfb.start(QStandardPaths::findExecutable(QStringLiteral("Xvfb")),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                QStringLiteral("-br"), QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x800x24")});
    QByteArray number;
    while (!number.contains('\n') && xvfb.waitForReadyRead(10000))
        number += xvfb.readAllStandardOutput();
    if (!number.contains('\n')) {
        std::fprintf(stderr, "startup_bench: Xvfb did not start\n");
        return 1;
    }
    const QString displayName = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    std::vector<double> frames, screens, idle, rss;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(displayName, idleSeconds);
        std::printf("run %d: exec->first frame %.0f ms, exec->main screen %.0f ms, idle CPU %.2f %% over %d s, "
                    "peak RSS %.1f MiB\n",
                    i + 1, run.firstFrameMs, run.mainScreenMs, run.idleCpuPercent, idleSeconds, run.peakRss / 1024.0);
        std::fflush(stdout);
        if (run.mainScreenMs < 0) {
            std::fprintf(stderr, "startup_bench: the main screen never showed\n");
            return 1;
        }
        frames.push_back(run.firstFrameMs);
        screens.push_back(run.mainScreenMs);
        idle.push_back(run.idleCpuPercent);
        rss.push_back(run.peakRss / 1024.0);
    }
    std::printf("median: exec->first frame %.0f ms, exec->main screen %.0f ms, idle CPU %.2f %%, peak RSS %.1f MiB\n",
                median(frames), median(screens), median(idle), median(rss));
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return 0;
}
