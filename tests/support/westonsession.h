#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include "xvfbserver.h"

// A headless Wayland session of the test's own, as a desktop offers one:
// weston with XWayland. Its socket sits in a private runtime directory (CI
// may run as root without XDG_RUNTIME_DIR); XWayland picks a free X display,
// whose name weston writes to its log. The session goes when the object does.
class WestonSession
{
public:
    WestonSession()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (program.isEmpty() || !runtime.isValid())
            return;
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString log = runtime.filePath(QStringLiteral("weston.log"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(program, {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--xwayland"),
                               QStringLiteral("--no-config"), QStringLiteral("--idle-time=0"),
                               QStringLiteral("--socket=") + kSocket, QStringLiteral("--log=") + log});
        if (!server.waitForStarted(10000))
            return;
        const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired() && server.state() == QProcess::Running) {
            QFile file(log);
            if (file.open(QIODevice::ReadOnly)) {
                const QRegularExpressionMatch match = listening.match(QString::fromUtf8(file.readAll()));
                if (match.hasMatch() && QFile::exists(runtime.filePath(kSocket))) {
                    x = match.captured(1);
                    return;
                }
            }
            server.readAll();   // weston's own chatter
            QThread::msleep(50);
        }
    }

    // Weston ends its XWayland with it.
    ~WestonSession() { stopServer(server); }

    WestonSession(const WestonSession&) = delete;
    WestonSession& operator=(const WestonSession&) = delete;

    bool isRunning() const { return !x.isEmpty(); }
    // XWayland's display, ":N"; empty when the session did not start.
    QString xDisplay() const { return x; }

    // What a client of the session has in its environment: the Wayland socket
    // always, the X display only if `withX`.
    void addTo(QProcessEnvironment& env, bool withX) const
    {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), kSocket);
        if (withX)
            env.insert(QStringLiteral("DISPLAY"), x);
        else
            env.remove(QStringLiteral("DISPLAY"));
    }

private:
    static inline const QString kSocket = QStringLiteral("wayland-kestrel");

    QTemporaryDir runtime;
    QProcess server;
    QString x;
};
