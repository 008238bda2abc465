#pragma once

#include <QtGlobal>

// Every pause of the transport and every "process pending UI events" while it
// waits goes through the installed clock. Production sleeps for real; tests
// install a virtual clock that advances instantly, so pacing can be asserted
// to the millisecond without slowing the tests down.
class Clock
{
public:
    virtual ~Clock() = default;

    virtual void sleepMs(int ms) = 0;
    virtual void processEvents() = 0;
    // Seconds since 1970-01-01 UTC; seeds the link check's challenge.
    virtual qint64 epochSeconds() = 0;

    // The clock in force. Never null: the system clock unless a test installed another.
    static Clock& current();
    // Install `clock` (nullptr restores the system clock). Not owned.
    static void install(Clock* clock);
};

// Real sleeping; on Windows through the Win32 Sleep call (clock_win.cpp).
class SystemClock : public Clock
{
public:
    void sleepMs(int ms) override;
    void processEvents() override;
    qint64 epochSeconds() override;
};
