#include "singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
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

#ifdef Q_OS_LINUX
// The folder already keeps other users out; the peer's own user id says so
// again, should the socket ever be reachable some other way.
bool fromSameUser(const QLocalSocket* socket)
{
    struct ucred peer = {};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
        && peer.uid == ::geteuid();
}
#else
bool fromSameUser(const QLocalSocket*)
{
    return true;
}
#endif

// A frame starts with its length (big-endian, all ones for a null text);
// one longer than any message is refused before it is read.
bool frameMayFit(QLocalSocket* socket)
{
    if (socket->bytesAvailable() > SingleInstance::kMaxFrameBytes)
        return false;
    const QByteArray head = socket->peek(4);
    if (head.size() < 4)
        return true;
    const quint32 length = quint32(uchar(head[0])) << 24 | quint32(uchar(head[1])) << 16
        | quint32(uchar(head[2])) << 8 | quint32(uchar(head[3]));
    return length == 0xffffffffu || length <= SingleInstance::kMaxFrameBytes;
}

QByteArray frameOf(const QString& message)
{
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << message;
    return frame;
}

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
    socket.write(frameOf(message));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The running instance confirms once its event loop has taken the message.
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == QByteArray(1, kAck);
}

void SingleInstance::setRequestHandler(const QString& prefix, RequestHandler handler)
{
    requestPrefix = prefix;
    requestHandler = std::move(handler);
}

SingleInstance::Delivery SingleInstance::request(const QString& message, int timeoutMs, QString* answer)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs))
        return Delivery::NotRunning;
    socket.write(frameOf(message));
    QDataStream in(&socket);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        in.startTransaction();
        QString text;
        in >> text;
        if (in.commitTransaction()) {
            *answer = text;
            return Delivery::Answered;
        }
        const qint64 left = timeoutMs - waited.elapsed();
        if (in.status() == QDataStream::ReadCorruptData || left <= 0 || socket.bytesAvailable() > kMaxFrameBytes
            || !socket.waitForReadyRead(int(left)))
            return Delivery::NoAnswer;
    }
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!fromSameUser(socket)) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QString message;
            in >> message;
            if (!in.commitTransaction()) {
                // Wait for the rest of the frame, unless it cannot be one.
                if (in.status() == QDataStream::ReadCorruptData || !frameMayFit(socket))
                    socket->abort();
                return;
            }
            if (requestHandler && !requestPrefix.isEmpty() && message.startsWith(requestPrefix)) {
                // One request a connection; the answer closes it.
                disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
                const QPointer<QLocalSocket> guarded(socket);
                requestHandler(message, [guarded](const QString& answer) {
                    if (!guarded || guarded->state() != QLocalSocket::ConnectedState)
                        return;   // the caller gave up
                    guarded->write(frameOf(answer));
                    guarded->disconnectFromServer();
                });
                return;
            }
            socket->write(QByteArray(1, kAck));
            socket->flush();
            emit messageReceived(message);
        });
    }
}
