#include "linkturn.h"

namespace {
constexpr int kPollMs = 25;
}

LinkTurn::LinkTurn(std::function<bool()> busy, QObject* parent)
    : QObject(parent)
    , isBusy(std::move(busy))
{
    poll.setInterval(kPollMs);
    connect(&poll, &QTimer::timeout, this, &LinkTurn::freed);
}

void LinkTurn::runWhenFree(std::function<void()> task)
{
    tasks.push_back(std::move(task));
    // From the event loop, never from inside the caller's own call.
    QMetaObject::invokeMethod(this, &LinkTurn::freed, Qt::QueuedConnection);
}

void LinkTurn::freed()
{
    // A sequence's waits pump events, so this may run inside one: only the
    // busy state, never the call stack, says whether the link is free.
    if (running || tasks.empty())
        return;
    if (isBusy()) {
        poll.start();
        return;
    }
    poll.stop();
    runNext();
}

void LinkTurn::runNext()
{
    std::function<void()> task = std::move(tasks.front());
    tasks.pop_front();
    running = true;
    task();
    running = false;
    if (!tasks.empty())
        QMetaObject::invokeMethod(this, &LinkTurn::freed, Qt::QueuedConnection);
}
