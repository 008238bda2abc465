#pragma once

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Ends a server of a test: politely first, then for good.
inline void stopServer(QProcess& server)
{
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();
    if (!server.waitForFinished(5000)) {
        server.kill();
        server.waitForFinished(5000);
    }
}

// A virtual X display of the test's own: Xvfb picks a free display number
// (-displayfd) and reports it once it accepts connections, so tests may run
// side by side. The server goes when the object does.
class XvfbServer
{
public:
    // `extraArguments` tune the server, e.g. -noreset or -terminate.
    explicit XvfbServer(const QStringList& extraArguments = {}, const QString& screen = QStringLiteral("1280x800x24"))
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty())
            return;
        server.start(program, QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"), screen}
                                  + extraArguments);
        if (!server.waitForStarted(10000))
            return;
        QByteArray number;
        QDeadlineTimer deadline(15000);
        while (!number.contains('\n') && !deadline.hasExpired() && server.state() == QProcess::Running) {
            server.waitForReadyRead(500);
            number += server.readAllStandardOutput();
        }
        if (number.contains('\n'))
            display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    }

    ~XvfbServer() { stopServer(server); }

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not start.
    QString name() const { return display; }

private:
    QProcess server;
    QString display;
};

// Runs a tool (xdotool, xprop, import) against `display`; its standard output.
inline QString runOnDisplay(const QString& program, const QStringList& arguments, const QString& display)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}
