// One running copy per user and executable: the second start finds the
// first, hands over its message, and neither a dead first instance's socket
// nor names another local user put in its way keep a new one from starting.
#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLockFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTimer>
#include <QTest>
#include <QUuid>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace {

QString uniqueKey()
{
    return QStringLiteral("/opt/test/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Sets or (with a null value) removes an environment variable while alive.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QString& value)
        : variable(name)
        , had(qEnvironmentVariableIsSet(name))
        , previous(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv()
    {
        if (had)
            qputenv(variable, previous);
        else
            qunsetenv(variable);
    }

private:
    const char* variable;
    bool had;
    QByteArray previous;
};

bool ownedAndClosed(const QString& folder)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

// Connects to `path` as a raw client, writes `bytes`, and tells what came
// back within 3 s: "closed" when the server hung up, else the bytes.
QByteArray rawExchange(const QString& path, const QByteArray& bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return "refused";
    }
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    QByteArray answer;
    pollfd wait{fd, POLLIN, 0};
    // Up to 3 s for the first bytes, then only as long as more keep coming.
    while (::poll(&wait, 1, answer.isEmpty() ? 3000 : 100) == 1) {
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            answer = "closed";
            break;
        }
        answer.append(buffer, got);
    }
    ::close(fd);
    return answer;
}

template <typename T>
bool ready(const std::future<T>& future)
{
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
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
    void squattedNamesDoNotStopAStart_data();
    void squattedNamesDoNotStopAStart();
    void requestsAreAnsweredAndBadFramesRefused();
    void anotherUserCannotConnect();
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

void SingleInstanceTest::squattedNamesDoNotStopAStart_data()
{
    QTest::addColumn<QString>("runtimeDir");   // "private", "open" or "none"
    QTest::addColumn<bool>("fallbackTaken");
    QTest::addColumn<QString>("expectedFolder");   // relative to the test's folder

    const QString fallback = QStringLiteral("tmp/kestrel-orbit-") + QString::number(::geteuid());
    QTest::newRow("session runtime folder") << "private" << false << "run";
    QTest::newRow("runtime folder open to others") << "open" << false << fallback;
    QTest::newRow("no runtime folder") << "none" << false << fallback;
    QTest::newRow("fallback taken by another user") << "none" << true << "home/.cache/kestrel-orbit";
}

void SingleInstanceTest::squattedNamesDoNotStopAStart()
{
    QFETCH(QString, runtimeDir);
    QFETCH(bool, fallbackTaken);
    QFETCH(QString, expectedFolder);

    QTemporaryDir root;
    const QDir at(root.path());
    at.mkpath(QStringLiteral("run"));
    at.mkpath(QStringLiteral("tmp"));
    at.mkpath(QStringLiteral("home"));
    QFile::setPermissions(at.filePath(QStringLiteral("run")),
                          runtimeDir == QLatin1String("open")
                              ? QFile::Permissions(0x7777)
                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeDir == QLatin1String("none") ? QString() : at.filePath(QStringLiteral("run")));
    ScopedEnv tmp("TMPDIR", at.filePath(QStringLiteral("tmp")));
    ScopedEnv home("HOME", at.filePath(QStringLiteral("home")));
    ScopedEnv cache("XDG_CACHE_HOME", QString());

    const QString key = uniqueKey();
    const QString baseName = QFileInfo(SingleInstance(key).serverName()).fileName();
    // Another user listens under the name in the shared temporary folder,
    // where the names used to be.
    QLocalServer sharedSquatter;
    QVERIFY(sharedSquatter.listen(at.filePath(QStringLiteral("tmp/")) + baseName));
    // ... and may have made our fallback folder theirs, with a live socket
    // and a held lock inside.
    QLocalServer fallbackSquatter;
    std::unique_ptr<QLockFile> heldLock;
    if (fallbackTaken) {
        const QString taken = at.filePath(QStringLiteral("tmp/kestrel-orbit-") + QString::number(::geteuid()));
        QVERIFY(QDir().mkpath(taken));
        QFile::setPermissions(taken, QFile::Permissions(0x7777));
        [[maybe_unused]] const int refused = ::chown(QFile::encodeName(taken).constData(), 65534, 65534);   // not as a plain user
        QVERIFY(fallbackSquatter.listen(taken + QLatin1Char('/') + baseName));
        heldLock = std::make_unique<QLockFile>(taken + QLatin1Char('/') + baseName + QStringLiteral(".lock"));
        QVERIFY(heldLock->lock());
    }

    SingleInstance first(key);
    QVERIFY(!first.isRunning());
    const QString folder = QFileInfo(first.serverName()).absolutePath();
    QCOMPARE(folder, at.filePath(expectedFolder));
    QVERIFY2(ownedAndClosed(folder), qPrintable(folder));
    // The rule itself still holds there.
    auto second = std::async(std::launch::async, [key] { return SingleInstance(key).isRunning(); });
    QVERIFY(second.get());
}

void SingleInstanceTest::requestsAreAnsweredAndBadFramesRefused()
{
    const QString key = uniqueKey();
    SingleInstance first(key);
    QVERIFY(!first.isRunning());
    int handled = 0;
    // The answer comes from a later pass of the event loop, as a request
    // that waited for its turn would.
    first.setRequestHandler(QStringLiteral("req "), [&handled](const QString& request, const SingleInstance::Answer& answer) {
        ++handled;
        QTimer::singleShot(50, [answer, request] { answer(QStringLiteral("re:") + request); });
    });
    const QString path = first.serverName();

    struct Case {
        const char* name;
        QByteArray bytes;
        QByteArray expected;
    };
    const Case cases[] = {
        // A declared length beyond the limit is refused before its bytes come.
        {"oversized", QByteArray::fromHex("7fffffff") + QByteArray(1000, 'x'), "closed"},
        {"just over", QByteArray::fromHex("00010002"), "closed"},
        // A text of an odd number of bytes cannot be UTF-16.
        {"corrupt", QByteArray::fromHex("00000003616263"), "closed"},
        {"restore", QByteArray::fromHex("00000000"), QByteArray("A")},
    };
    for (const Case& c : cases) {
        auto client = std::async(std::launch::async, [&] { return rawExchange(path, c.bytes); });
        QTRY_VERIFY_WITH_TIMEOUT(ready(client), 5000);
        QCOMPARE(client.get(), c.expected);
    }
    QCOMPARE(handled, 0);

    // The server still answers requests, each on its own connection.
    auto requester = std::async(std::launch::async, [key] {
        SingleInstance other(key);
        QString answer;
        const SingleInstance::Delivery delivery = other.request(QStringLiteral("req status"), 5000, &answer);
        return std::make_pair(delivery, answer);
    });
    QTRY_VERIFY_WITH_TIMEOUT(ready(requester), 5000);
    const auto [delivery, answer] = requester.get();
    QCOMPARE(int(delivery), int(SingleInstance::Delivery::Answered));
    QCOMPARE(answer, QStringLiteral("re:req status"));
    QCOMPARE(handled, 1);
    SingleInstance nobodyThere(uniqueKey());
    QString none;
    QCOMPARE(int(nobodyThere.request(QStringLiteral("req status"), 200, &none)), int(SingleInstance::Delivery::NotRunning));
}

void SingleInstanceTest::anotherUserCannotConnect()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    const QString key = uniqueKey();
    SingleInstance first(key);
    QVERIFY(!first.isRunning());
    int handled = 0;
    first.setRequestHandler(QStringLiteral("req "), [&handled](const QString&, const SingleInstance::Answer& answer) {
        ++handled;
        answer(QStringLiteral("served"));
    });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(first.serverName()).constData(), sizeof address.sun_path);
    // A child process as user nobody (system calls only, after the fork):
    // it must not even reach the socket.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::_exit(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 1 : 0);
    }
    QVERIFY(child > 0);
    int status = -1;
    bool ended = false;
    QTRY_VERIFY_WITH_TIMEOUT(ended || (ended = ::waitpid(child, &status, WNOHANG) == child), 5000);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(handled, 0);
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
