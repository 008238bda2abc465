#include "virtualclock.h"

#include "virtual_mouse.h"

namespace {

std::int64_t nowUs(void* ctx)
{
    return static_cast<VirtualClock*>(ctx)->nowMs() * 1000;
}

void advanceMs(void* ctx, int ms)
{
    static_cast<VirtualClock*>(ctx)->advance(ms);
}

} // namespace

VirtualClock::VirtualClock()
{
    Clock::install(this);
    vmouse::ClockHooks hooks;
    hooks.nowUs = &nowUs;
    hooks.advanceMs = &advanceMs;
    hooks.ctx = this;
    vmouse::setClock(hooks);
}

VirtualClock::~VirtualClock()
{
    vmouse::clearClock();
    Clock::install(nullptr);
}

void VirtualClock::sleepMs(int ms)
{
    now += ms;
}

void VirtualClock::processEvents()
{
    ++processEventsCalls;
    if (atNextProcessEvents) {
        // Cleared before it runs: a nested command pumps events again.
        auto hook = std::move(atNextProcessEvents);
        atNextProcessEvents = nullptr;
        hook();
    }
}

qint64 VirtualClock::epochSeconds()
{
    return epochBase + now / 1000;
}
