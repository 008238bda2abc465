#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects what is written on the debug channel while it lives.
class DebugLines
{
public:
    DebugLines()
    {
        collected().clear();
        previous = qInstallMessageHandler(&DebugLines::collect);
    }
    ~DebugLines() { qInstallMessageHandler(previous); }
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;

    QStringList lines() const { return collected(); }

private:
    static QStringList& collected()
    {
        static QStringList lines;
        return lines;
    }
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtDebugMsg)
            collected().append(message);
    }

    QtMessageHandler previous = nullptr;
};
