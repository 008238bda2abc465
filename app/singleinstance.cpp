#include "singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kConnectMs = 1000;
// Longer than any start takes to get from the lock to listening.
constexpr int kLockMs = 10000;
constexpr char kAck = 'A';

QString userName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return user;
}

#ifdef Q_OS_UNIX
// A folder nobody else can create names in: ours, not a link, closed to others.
bool isPrivateFolder(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

QString makePrivateFolder(const QString& path)
{
    // Fails harmlessly when it exists; the check decides whether it is ours.
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolder(path) ? path : QString();
}
#endif

} // namespace

QString SingleInstance::privateFolder()
{
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    // Without a session's runtime folder: one of our own in the temporary
    // folder; if another user took that name first, one in our home.
    QString own = makePrivateFolder(QDir::tempPath() + QStringLiteral("/kestrel-orbit-") + QString::number(::geteuid()));
    if (own.isEmpty()) {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!cache.isEmpty() && QDir().mkpath(cache))
            own = makePrivateFolder(cache + QStringLiteral("/kestrel-orbit"));
    }
    return own;
#else
    // The temporary folder is the user's own here.
    return QDir::tempPath();
#endif
}

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    QString id = key;
    if (id.isEmpty())
        id = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash((id + QLatin1Char('\n') + userName()).toUtf8(),
                                                     QCryptographicHash::Sha1).toHex().left(16);
    name = QStringLiteral("kestrel-orbit-") + QString::fromLatin1(hash);
    // In the shared temporary folder anyone could take the name first, and
    // every start would then leave as a second instance.
    folder = privateFolder();
#ifdef Q_OS_UNIX
    // (On Windows the name stays a named pipe's.)
    if (!folder.isEmpty())
        name = folder + QLatin1Char('/') + name;
#endif
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isRunning()
{
    if (server)
        return false;
    // No folder of our own: run without the single-instance rule rather
    // than not at all.
    if (folder.isEmpty())
        return false;
    // Two starts at the same moment must not both decide they are first.
    QLockFile lock(QDir(folder).filePath(QFileInfo(name).fileName() + QStringLiteral(".lock")));
    lock.tryLock(kLockMs);

    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kConnectMs))
        return true;

    // Nobody answers: whatever is left under the name belongs to a dead instance.
    QLocalServer::removeServer(name);
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        delete server;
        server = nullptr;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    return false;
}

bool SingleInstance::sendMessage(const QString& message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << message;
    socket.write(frame);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The running instance confirms once its event loop has taken the message.
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == QByteArray(1, kAck);
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QString message;
            in >> message;
            if (!in.commitTransaction())
                return;   // wait for the rest of the frame
            socket->write(QByteArray(1, kAck));
            socket->flush();
            emit messageReceived(message);
        });
    }
}
