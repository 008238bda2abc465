#include "singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {

constexpr int kConnectMs = 1000;
constexpr char kAck = 'A';

QString userName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return user;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent)
{
    QString id = key;
    if (id.isEmpty())
        id = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash((id + QLatin1Char('\n') + userName()).toUtf8(),
                                                     QCryptographicHash::Sha1).toHex().left(16);
    name = QStringLiteral("kestrel-orbit-") + QString::fromLatin1(hash);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isRunning()
{
    if (server)
        return false;
    // Two starts at the same moment must not both decide they are first.
    QLockFile lock(QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock")));
    lock.lock();

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
