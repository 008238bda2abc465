// A program built like the real one (Debian's hidapi-hidraw and libudev)
// with libvmouse.so preloaded, driven from outside through vmousectl: its
// udev monitor sees the plugging, its enumeration follows it, the DPI button
// reaches its event reader, and the record and the firmware state show what
// it did. Also the tool's exit codes, and how the channel shares its path
// with other preloaded programs.
//
// The test names VMOUSE_CONTROL itself (a fresh temporary directory) before
// its first hid_* call; ctest only sets LD_PRELOAD.
#include "control_client.h"
#include "environmentskip.h"

#include <QtTest>

#include <hidapi.h>
#include <libudev.h>

#include <future>
#include <string_view>

#include <sys/stat.h>

using testing::ControlClient;

namespace {

struct CtlResult {
    int code = -1;
    QStringList out; // stdout lines
    QString err;     // stderr, trimmed
};

// Runs vmousectl with this process's environment (LD_PRELOAD included: the
// tool must not grab the socket just because it inherits the preload).
CtlResult vmousectl(const QStringList& args, const QProcessEnvironment* env = nullptr)
{
    QProcess process;
    if (env)
        process.setProcessEnvironment(*env);
    process.start(QStringLiteral(VMOUSECTL), args);
    CtlResult result;
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("vmousectl did not finish");
        return result;
    }
    result.code = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    result.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

QString describe(const CtlResult& r)
{
    return QStringLiteral("exit %1, out [%2], err [%3]").arg(r.code).arg(r.out.join('|'), r.err);
}

// Runs the request expression once and expects exit code 0.
#define CTL_OK(request)                                                                     \
    do {                                                                                    \
        const CtlResult ctlResult_ = (request);                                             \
        QVERIFY2(ctlResult_.code == 0, qPrintable(describe(ctlResult_)));                   \
    } while (false)

bool readable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) == 1 && (p.revents & POLLIN);
}

// Everything waiting on the monitor, as "action devnode subsystem".
QStringList drain(udev_monitor* monitor)
{
    QStringList events;
    while (udev_device* d = udev_monitor_receive_device(monitor)) {
        events << QStringLiteral("%1 %2 %3")
                      .arg(udev_device_get_action(d), udev_device_get_devnode(d),
                           udev_device_get_subsystem(d));
        udev_device_unref(d);
    }
    return events;
}

int interfaceCount(unsigned short vid, unsigned short pid)
{
    hid_device_info* list = hid_enumerate(vid, pid);
    int count = 0;
    for (hid_device_info* i = list; i; i = i->next)
        ++count;
    hid_free_enumeration(list);
    return count;
}

QByteArray readReport(hid_device* dev, int timeoutMs)
{
    unsigned char data[64] = {0};
    const int n = hid_read_timeout(dev, data, sizeof data, timeoutMs);
    return n > 0 ? QByteArray(reinterpret_cast<const char*>(data), n) : QByteArray();
}

int sendBlock(hid_device* dev, std::initializer_list<unsigned char> head)
{
    unsigned char report[9] = {0};
    int i = 1;
    for (unsigned char b : head)
        report[i++] = b;
    unsigned sum = 0;
    for (int k = 1; k < 8; ++k)
        sum += report[k];
    report[8] = static_cast<unsigned char>(~sum);
    return hid_send_feature_report(dev, report, sizeof report);
}

QString lineStartingWith(const QStringList& lines, const QString& prefix)
{
    for (const QString& line : lines) {
        if (line.startsWith(prefix))
            return line;
    }
    return QString();
}

// Holds the channel of a second process: its first hid_* call starts it,
// "ready" says so, and it exits when its stdin closes.
int hold()
{
    hid_init();
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[256];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    hid_exit();
    return 0;
}

} // namespace

class TestVmousectl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void socketIsPrivateToTheUser();
    void udevMonitorSeesUnplugAndReplug();
    void libudevStillServesItsOwnObjects();
    void enumerationFollowsPlugState();
    void dpiStageArrivesOnOpenedEventPath();
    void recordListsTheProgramsCalls();
    void stateShowsWrittenKeyboardOption();
    void failureInjectedFromOutside();
    void exitCodes();
    void severalLinesOnOneConnection();
    void secondProgramLeavesTheChannelAlone();
    void channelEndsWithItsProgram();

private:
    QString socketPath;
    QTemporaryDir dir{QDir::tempPath() + "/vmctl-XXXXXX"}; // short: socket paths are limited
};

// The channel starts with the first hid_* call, over a socket file left by
// an earlier run that did not clean up.
void TestVmousectl::initTestCase()
{
    QVERIFY(dir.isValid());
    socketPath = dir.filePath("control.sock");
    qputenv("VMOUSE_CONTROL", socketPath.toLocal8Bit());

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath.toLocal8Bit().constData());
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    QCOMPARE(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(stale);
    QCOMPARE(ControlClient(socketPath.toStdString()).connectError(), ECONNREFUSED);

    QCOMPARE(hid_init(), 0);
    hid_device_info* list = hid_enumerate(0, 0);
    const bool preloaded = list && std::string_view(list->path).starts_with("vmouse:");
    hid_free_enumeration(list);
    if (!preloaded)
        QFAIL("run with LD_PRELOAD=<libvmouse.so>: hidapi is not the virtual mouse");

    const CtlResult devices = vmousectl({"devices"});
    CTL_OK(devices);
    QCOMPARE(devices.out, QStringList{"0 04d9:a1ee 560 plugged"});
}

void TestVmousectl::socketIsPrivateToTheUser()
{
    struct stat st {};
    QCOMPARE(lstat(socketPath.toLocal8Bit().constData(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(st.st_mode & 0777, mode_t{0600});
}

// The monitor is made as the program makes it; a second one that watches
// another subsystem must stay quiet.
void TestVmousectl::udevMonitorSeesUnplugAndReplug()
{
    udev* u = udev_new();
    QVERIFY(u);
    udev_monitor* monitor = udev_monitor_new_from_netlink(u, "udev");
    QVERIFY(monitor);
    QCOMPARE(udev_monitor_get_udev(monitor), u);
    QCOMPARE(udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr), 0);
    QCOMPARE(udev_monitor_filter_update(monitor), 0);
    QCOMPARE(udev_monitor_enable_receiving(monitor), 0);
    const int fd = udev_monitor_get_fd(monitor);
    QVERIFY(fd >= 0);

    udev_monitor* input = udev_monitor_new_from_netlink(u, "udev");
    QCOMPARE(udev_monitor_filter_add_match_subsystem_devtype(input, "input", nullptr), 0);
    QCOMPARE(udev_monitor_enable_receiving(input), 0);

    QVERIFY(!readable(fd, 0));
    QCOMPARE(udev_monitor_receive_device(monitor), nullptr);

    const CtlResult unplug = vmousectl({"unplug"});
    CTL_OK(unplug);
    QVERIFY(unplug.out.isEmpty());
    QVERIFY(readable(fd, 2000));
    QCOMPARE(drain(monitor), (QStringList{"remove vmouse:0:0 hidraw", "remove vmouse:0:1 hidraw",
                                          "remove vmouse:0:2 hidraw"}));
    QVERIFY(!readable(fd, 0));

    CTL_OK(vmousectl({"replug", "0"}));
    QVERIFY(readable(fd, 2000));
    QCOMPARE(drain(monitor), (QStringList{"add vmouse:0:0 hidraw", "add vmouse:0:1 hidraw",
                                          "add vmouse:0:2 hidraw"}));
    QVERIFY(!readable(fd, 0));
    QVERIFY(!readable(udev_monitor_get_fd(input), 0));
    QCOMPARE(drain(input), QStringList{});

    const CtlResult status = vmousectl({"udev"});
    CTL_OK(status);
    QCOMPARE(status.out, (QStringList{"monitors 2", "receiving 2", "delivered 6", "pending 0"}));

    udev_monitor_unref(input);
    udev_monitor_unref(monitor);
    QCOMPARE(vmousectl({"udev"}).out.value(0), QStringLiteral("monitors 0"));
    udev_unref(u);
}

// The context is libudev's own, so the program's other libudev calls work,
// and libudev's devices pass through the preloaded functions unharmed.
void TestVmousectl::libudevStillServesItsOwnObjects()
{
    udev* u = udev_new();
    QVERIFY(u);
    udev_enumerate* enumeration = udev_enumerate_new(u);
    QVERIFY(enumeration);
    QCOMPARE(udev_enumerate_add_match_subsystem(enumeration, "mem"), 0);
    QVERIFY(udev_enumerate_scan_devices(enumeration) >= 0);
    udev_enumerate_unref(enumeration);

    udev_device* null = udev_device_new_from_subsystem_sysname(u, "mem", "null");
    if (!null) {
        udev_unref(u);
        ENVIRONMENT_SKIP("no /sys/class/mem/null here");
    }
    QCOMPARE(udev_device_get_subsystem(null), "mem");
    QCOMPARE(udev_device_get_sysname(null), "null");
    QCOMPARE(udev_device_get_devnode(null), "/dev/null");
    QCOMPARE(udev_device_get_udev(null), u);
    QCOMPARE(udev_device_ref(null), null);
    udev_device_unref(null);
    udev_device_unref(null);
    udev_unref(u);
}

void TestVmousectl::enumerationFollowsPlugState()
{
    QCOMPARE(interfaceCount(0x04d9, 0xa1ee), 3);
    CTL_OK(vmousectl({"unplug"}));
    QCOMPARE(interfaceCount(0x04d9, 0xa1ee), 0);
    QCOMPARE(interfaceCount(0, 0), 0);
    QCOMPARE(vmousectl({"devices"}).out, QStringList{"0 04d9:a1ee 560 unplugged"});
    CTL_OK(vmousectl({"replug"}));
    QCOMPARE(interfaceCount(0x04d9, 0xa1ee), 3);
    QCOMPARE(vmousectl({"devices"}).out, QStringList{"0 04d9:a1ee 560 plugged"});
}

void TestVmousectl::dpiStageArrivesOnOpenedEventPath()
{
    QByteArray eventPath;
    hid_device_info* list = hid_enumerate(0x04d9, 0xa1ee);
    for (hid_device_info* i = list; i; i = i->next) {
        if (i->usage_page == 0xff01)
            eventPath = i->path;
    }
    hid_free_enumeration(list);
    QCOMPARE(eventPath, QByteArray("vmouse:0:2"));
    hid_device* events = hid_open_path(eventPath.constData());
    QVERIFY(events);

    CTL_OK(vmousectl({"dpi", "3"}));
    QCOMPARE(readReport(events, 2000), QByteArray::fromHex("06070003"));
    QCOMPARE(readReport(events, 0), QByteArray());

    // A reader already blocked in hid_read wakes for a press from outside.
    auto blocked = std::async(std::launch::async, [events] {
        unsigned char data[64];
        const int n = hid_read(events, data, sizeof data);
        return n > 0 ? QByteArray(reinterpret_cast<const char*>(data), n) : QByteArray();
    });
    CTL_OK(vmousectl({"event", "0605010209", "0"}));
    QCOMPARE(blocked.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    QCOMPARE(blocked.get(), QByteArray::fromHex("0605010209"));
    hid_close(events);
}

void TestVmousectl::recordListsTheProgramsCalls()
{
    const CtlResult cleared = vmousectl({"record", "clear"});
    CTL_OK(cleared);
    QVERIFY(cleared.out.isEmpty());

    hid_free_enumeration(hid_enumerate(0x04d9, 0xa1ee));
    hid_device* dev = hid_open_path("vmouse:0:1");
    QVERIFY(dev);
    QCOMPARE(sendBlock(dev, {0x00, 0x5a, 0xa5, 0x01, 0xfe}), 9);
    unsigned char reply[9] = {0};
    QCOMPARE(hid_get_feature_report(dev, reply, sizeof reply), 9);
    hid_close(dev);

    const CtlResult record = vmousectl({"record"});
    CTL_OK(record);
    const QStringList expected = {
        "hid_enumerate - - len=0 timeout=0 result=3",
        "hid_free_enumeration - - len=0 timeout=0 result=0",
        "hid_open_path vmouse:0:1 - len=0 timeout=0 result=1",
        "hid_send_feature_report vmouse:0:1 00005aa501fe000001 len=9 timeout=0 result=9",
        "hid_get_feature_report vmouse:0:1 00005aa501fe000001 len=9 timeout=0 result=9",
        "hid_close vmouse:0:1 - len=0 timeout=0 result=0"};
    QCOMPARE(record.out.size(), expected.size());
    qint64 previous = -1;
    for (int i = 0; i < expected.size(); ++i) {
        const QString& line = record.out[i];
        const qsizetype space = line.indexOf(' ');
        bool isNumber = false;
        const qint64 timeUs = line.left(space).toLongLong(&isNumber);
        QVERIFY2(isNumber && timeUs >= previous, qPrintable(line));
        previous = timeUs;
        QCOMPARE(line.mid(space + 1), expected[i]);
    }
}

void TestVmousectl::stateShowsWrittenKeyboardOption()
{
    QVERIFY(vmousectl({"state"}).out.contains("keyboard-options: 00 00"));
    hid_device* dev = hid_open_path("vmouse:0:1");
    QVERIFY(dev);
    QCOMPARE(sendBlock(dev, {0x01, 0x12, 0x34}), 9);
    hid_close(dev);
    const CtlResult state = vmousectl({"state", "0"});
    CTL_OK(state);
    QVERIFY2(state.out.contains("keyboard-options: 12 34"), qPrintable(state.out.join('\n')));
    QCOMPARE(lineStartingWith(state.out, "family: "), QStringLiteral("family: 560"));
    QVERIFY(!lineStartingWith(state.out, "profile-block 0 +00: ").isEmpty());
}

void TestVmousectl::failureInjectedFromOutside()
{
    CTL_OK(vmousectl({"fail", "hid_open_path"}));
    QCOMPARE(hid_open_path("vmouse:0:1"), nullptr);
    QVERIFY(QString::fromWCharArray(hid_error(nullptr)).contains("injected"));
    hid_device* dev = hid_open_path("vmouse:0:1");
    QVERIFY(dev);
    hid_close(dev);
}

void TestVmousectl::exitCodes()
{
    const CtlResult unknown = vmousectl({"dance"});
    QCOMPARE(unknown.code, 1);
    QVERIFY(unknown.out.isEmpty());
    QCOMPARE(unknown.err, QStringLiteral("error unknown request 'dance' (try help)"));

    const CtlResult noDevice = vmousectl({"dpi", "1", "7"});
    QCOMPARE(noDevice.code, 1);
    QCOMPARE(noDevice.err, QStringLiteral("error no device 7"));

    const CtlResult noSocket = vmousectl({"--socket", dir.filePath("none.sock"), "devices"});
    QCOMPARE(noSocket.code, 2);
    QVERIFY2(noSocket.err.contains("cannot connect"), qPrintable(noSocket.err));

    QProcessEnvironment unset = QProcessEnvironment::systemEnvironment();
    unset.remove("VMOUSE_CONTROL");
    QCOMPARE(vmousectl({"devices"}, &unset).code, 2);
    QCOMPARE(vmousectl({}).code, 2);
    QCOMPARE(vmousectl({"--socket"}).code, 2);

    // --socket wins over the environment.
    QProcessEnvironment elsewhere = QProcessEnvironment::systemEnvironment();
    elsewhere.insert("VMOUSE_CONTROL", dir.filePath("none.sock"));
    const CtlResult explicitPath = vmousectl({"--socket", socketPath, "devices"}, &elsewhere);
    CTL_OK(explicitPath);
    QCOMPARE(explicitPath.out.size(), 1);
}

void TestVmousectl::severalLinesOnOneConnection()
{
    ControlClient client(socketPath.toStdString());
    QVERIFY(client.connected());
    QVERIFY(client.send("devices\nbogus\nrecord clear\n"));
    QCOMPARE(client.readAnswers(3),
             (std::vector<std::string>{"0 04d9:a1ee 560 plugged", "ok",
                                       "error unknown request 'bogus' (try help)", "ok"}));
}

// hidclient, preloaded with the same VMOUSE_CONTROL, finds the channel
// served and leaves it, and its file, alone.
void TestVmousectl::secondProgramLeavesTheChannelAlone()
{
    struct stat before {}, after {};
    QCOMPARE(lstat(socketPath.toLocal8Bit().constData(), &before), 0);
    QProcess client;
    client.start(QStringLiteral(HIDCLIENT), {});
    QVERIFY(client.waitForFinished(10000));
    QCOMPARE(client.exitCode(), 0);
    const QString err = QString::fromUtf8(client.readAllStandardError());
    QVERIFY2(err.contains("is served by another process; left alone"), qPrintable(err));
    QCOMPARE(lstat(socketPath.toLocal8Bit().constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    CTL_OK(vmousectl({"devices"}));
}

// A second program with a channel of its own: it answers while the program
// runs, and its socket file is gone once the program has exited.
void TestVmousectl::channelEndsWithItsProgram()
{
    const QString other = dir.filePath("other.sock");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VMOUSE_CONTROL", other);
    env.insert("VMOUSE_CONFIG", "family=553,pid=a1ef");
    QProcess holder;
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {"--hold"});
    QVERIFY(holder.waitForStarted(5000));
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));

    const CtlResult devices = vmousectl({"--socket", other, "devices"});
    CTL_OK(devices);
    QCOMPARE(devices.out, QStringList{"0 04d9:a1ef 553 plugged"});
    QVERIFY(QFileInfo::exists(other));

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(holder.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(other));
    QCOMPARE(vmousectl({"--socket", other, "devices"}).code, 2);
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::string_view(argv[1]) == "--hold")
        return hold();
    QCoreApplication app(argc, argv);
    TestVmousectl test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_vmousectl.moc"
