#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

// Collects the program's debug lines ("cmd Failed 0B", "Device removed", ...)
// while alive. Thread-safe (the event reader writes from its own thread);
// nested captures share the outermost one's lines.
class DebugCapture
{
public:
    DebugCapture()
    {
        QMutexLocker lock(&state().mutex);
        state().lines.clear();
        if (state().depth++ == 0)
            state().previous = qInstallMessageHandler(&DebugCapture::collect);
    }
    ~DebugCapture()
    {
        QMutexLocker lock(&state().mutex);
        if (--state().depth == 0)
            qInstallMessageHandler(state().previous);
    }
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&state().mutex);
        return state().lines;
    }

private:
    struct State
    {
        QMutex mutex;
        QStringList lines;
        QtMessageHandler previous = nullptr;
        int depth = 0;
    };
    static State& state()
    {
        static State shared;
        return shared;
    }
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtDebugMsg) {
            QMutexLocker lock(&state().mutex);
            state().lines.append(message);
        }
        if (state().previous)
            state().previous(type, context, message);
    }
};
