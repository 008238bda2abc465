#include "clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>

void platformSleepMs(int ms); // clock_posix.cpp / clock_win.cpp

namespace {
// The longest stretch the GUI thread sleeps without turning its event loop.
constexpr qint64 kSliceMs = 8;
SystemClock systemClock;
std::atomic<Clock*> installed{nullptr};
}

Clock& Clock::current()
{
    Clock* clock = installed.load(std::memory_order_acquire);
    return clock ? *clock : systemClock;
}

void Clock::install(Clock* clock)
{
    installed.store(clock, std::memory_order_release);
}

void SystemClock::sleepMs(int ms)
{
    if (ms <= 0)
        return;
    const bool guiThread = QCoreApplication::instance()
                           && QCoreApplication::instance()->thread() == QThread::currentThread();
    if (!guiThread) {
        platformSleepMs(ms);
        return;
    }
    // The window keeps painting and answering while the mouse takes its
    // pause: short sleeps with the events in between, up to a deadline, so
    // the pause is never shorter and barely longer than asked.
    QElapsedTimer since;
    since.start();
    for (qint64 left = ms; left > 0; left = ms - since.elapsed()) {
        platformSleepMs(int(std::min(left, kSliceMs)));
        if (ms - since.elapsed() > 1)
            processEvents();
    }
}

void SystemClock::processEvents()
{
    // Only the GUI thread may pump its own event queue.
    if (QCoreApplication::instance()
        && QCoreApplication::instance()->thread() == QThread::currentThread())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

qint64 SystemClock::epochSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}
