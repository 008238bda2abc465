#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a desktop logout, Ctrl+C, a closed
// terminal) into a signal on the GUI thread, so the program can end the way
// "Quit (&Q)" does instead of dying with unwritten settings. The handlers only write the
// signal number into a socket pair; everything else runs in the event loop.
// The handlers are in place from construction on; `received` is emitted only
// once start() was called, for every signal that came in until then too.
// One object at a time; the default handlers come back when it goes.
// Elsewhere than POSIX it does nothing.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

public slots:
    void start();

signals:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier* notifier = nullptr;
};
