// One running copy per user and executable: the second start finds the
// first, hands over its message, and a dead first instance's socket does
// not keep a new one from starting.
#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <future>

namespace {

QString uniqueKey()
{
    return QStringLiteral("/opt/test/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void secondStartFindsTheFirst();
    void messageArrivesWhileTheFirstIsBusy();
    void otherExecutablesAreOtherInstances();
    void staleSocketIsTakenOver();
    void noInstanceMeansNoMessage();
};

void SingleInstanceTest::secondStartFindsTheFirst()
{
    const QString key = uniqueKey();
    SingleInstance first(key);
    QVERIFY(!first.isRunning());
    QSignalSpy received(&first, &SingleInstance::messageReceived);

    // The second start runs on its own thread, as a second process would.
    auto second = std::async(std::launch::async, [key] {
        SingleInstance other(key);
        return std::make_pair(other.isRunning(), other.sendMessage(QString(), 5000));
    });
    QTRY_COMPARE(received.count(), 1);
    const auto [running, delivered] = second.get();
    QVERIFY(running);
    QVERIFY(delivered);
    QCOMPARE(received.at(0).at(0).toString(), QString());
}

void SingleInstanceTest::messageArrivesWhileTheFirstIsBusy()
{
    // The first instance's event loop is blocked for a while (discovery can
    // take seconds); the second start still counts it as running, and its
    // message is taken once the loop runs again.
    const QString key = uniqueKey();
    SingleInstance first(key);
    QVERIFY(!first.isRunning());
    QSignalSpy received(&first, &SingleInstance::messageReceived);
    auto second = std::async(std::launch::async, [key] {
        SingleInstance other(key);
        const bool running = other.isRunning();
        return std::make_pair(running, other.sendMessage(QStringLiteral("hello"), 5000));
    });
    QThread::msleep(1500);   // busy, not processing events
    QTRY_COMPARE(received.count(), 1);
    const auto [running, delivered] = second.get();
    QVERIFY(running);
    QVERIFY(delivered);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("hello"));
}

void SingleInstanceTest::otherExecutablesAreOtherInstances()
{
    SingleInstance first(uniqueKey());
    SingleInstance second(uniqueKey());
    QVERIFY(first.serverName() != second.serverName());
    QVERIFY(!first.isRunning());
    QVERIFY(!second.isRunning());
}

void SingleInstanceTest::staleSocketIsTakenOver()
{
    const QString key = uniqueKey();
    SingleInstance probe(key);
    // What a crashed instance leaves: a socket file nobody listens on.
    const QString path = QDir(QDir::tempPath()).filePath(probe.serverName());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    qstrncpy(address.sun_path, native.constData(), sizeof address.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    QVERIFY(QFile::exists(path));

    SingleInstance fresh(key);
    QVERIFY(!fresh.isRunning());
    SingleInstance later(key);
    auto second = std::async(std::launch::async, [&later] { return later.isRunning(); });
    QVERIFY(second.get());
}

void SingleInstanceTest::noInstanceMeansNoMessage()
{
    SingleInstance lonely(uniqueKey());
    QVERIFY(!lonely.sendMessage(QString(), 200));
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
