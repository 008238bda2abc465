#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

// The lines a program under test prints (standard output and error merged),
// collected as they come, and waiting for one of them.
class ProgramLog
{
public:
    explicit ProgramLog(QProcess& process)
        : process(process)
    {
    }

    // Waits until the log has `line` `count` times; false once the program
    // ended or the time is up without it.
    bool waitForLine(const QString& line, int timeoutMs = 10000, int count = 1)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            read();
            if (log.count(line) >= count)
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        read();
        return log.count(line) >= count;
    }

    QStringList lines()
    {
        read();
        return log;
    }

private:
    void read()
    {
        partial += QString::fromUtf8(process.readAll());
        const int end = partial.lastIndexOf(QLatin1Char('\n'));
        if (end < 0)
            return;
        log += partial.left(end).split(QLatin1Char('\n'));
        partial = partial.mid(end + 1);
    }

    QProcess& process;
    QStringList log;
    QString partial;
};
