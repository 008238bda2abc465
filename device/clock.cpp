#include "clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include <atomic>

void platformSleepMs(int ms); // clock_posix.cpp / clock_win.cpp

namespace {
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
    if (ms > 0)
        platformSleepMs(ms);
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
