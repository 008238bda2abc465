#pragma once

#include "clock.h"

#include <atomic>
#include <functional>

// A clock whose pauses take no real time. Installed, it also stamps the
// virtual mouse's record, so tests read exact pacing off the wire.
class VirtualClock : public Clock
{
public:
    VirtualClock();
    ~VirtualClock() override;

    void sleepMs(int ms) override;
    void processEvents() override;
    qint64 epochSeconds() override;

    qint64 nowMs() const { return now; }
    void advance(int ms) { now += ms; }

    // Runs once, at the next processEvents(), as a pending UI event would.
    std::function<void()> atNextProcessEvents;
    qint64 epochBase = 1'700'000'000;
    int processEventsCalls = 0;

private:
    // Read by the virtual mouse's record from the event reader's thread too.
    std::atomic<qint64> now{0};
};
