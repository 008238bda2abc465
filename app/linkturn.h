#pragma once

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

// Turn-taking with the sequences the window runs: a task handed here waits
// while the link is busy, then runs as a click at that moment would, never
// between the reports of a running sequence. Tasks run one at a time, in
// the order they came. Whether the link is busy is one question (`busy`);
// `freed()` is the signal that it may have become free, with a short poll
// behind it for a busy state that has no signal.
class LinkTurn : public QObject
{
    Q_OBJECT

public:
    explicit LinkTurn(std::function<bool()> busy, QObject* parent = nullptr);

    void runWhenFree(std::function<void()> task);
    bool waiting() const { return !tasks.empty(); }

public slots:
    void freed();

private:
    void runNext();

    std::function<bool()> isBusy;
    std::deque<std::function<void()>> tasks;
    bool running = false;
    QTimer poll;
};
