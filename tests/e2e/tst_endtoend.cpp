// The real program under Xvfb with the virtual mouse preloaded: it starts and
// connects, refuses a second start, follows unplugging and replugging,
// hides (or minimises) when nothing is attached, and quits through its quit
// action with code 0. Screenshots go to the build tree for a person to see.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "xvfbserver.h"

namespace {

const QString kBin = QStringLiteral(KESTREL_BIN_DIR);

// One installed copy of the program (executable and modules/ side by side)
// in a temporary directory, run with the virtual mouse preloaded.
class Program
{
public:
    explicit Program(const QString& display, const QString& vmouseConfig = QString(), bool configured = false)
    {
        QFile::copy(kBin + QStringLiteral("/kestrel-orbit"), dir.filePath(QStringLiteral("kestrel-orbit")));
        QFile(dir.filePath(QStringLiteral("kestrel-orbit")))
            .setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QString modules = kBin + QStringLiteral("/modules");
        QDirIterator it(modules, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString copy = dir.filePath(QStringLiteral("modules") + file.mid(modules.size()));
            QDir().mkpath(QFileInfo(copy).absolutePath());
            QFile::copy(file, copy);
        }
        socket = dir.filePath(QStringLiteral("vmouse.sock"));
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        // A sanitizer build names its runtime first: it must load before anything else.
        environment.insert(QStringLiteral("LD_PRELOAD"),
                           QStringLiteral(KESTREL_PRELOAD_PREFIX) + kBin + QStringLiteral("/libvmouse.so"));
        environment.insert(QStringLiteral("VMOUSE_CONTROL"), socket);
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (configured)
            environment.insert(QStringLiteral("VMOUSE_CONFIG"), vmouseConfig);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    void start(const QStringList& arguments = {})
    {
        // Started from elsewhere: the program finds modules/ by itself.
        process.setWorkingDirectory(QDir::tempPath());
        process.start(executable(), arguments);
    }
    QString executable() const { return dir.filePath(QStringLiteral("kestrel-orbit")); }

    // Waits until the program's log has `line` `count` times.
    bool waitForLine(const QString& line, int timeoutMs = 10000, int count = 1)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            readLog();
            if (log.count(line) >= count)
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        readLog();
        return log.count(line) >= count;
    }
    QStringList lines()
    {
        readLog();
        return log;
    }

    QStringList vmousectl(const QStringList& request)
    {
        QProcess tool;
        QProcessEnvironment env = environment;
        env.remove(QStringLiteral("LD_PRELOAD"));
        tool.setProcessEnvironment(env);
        tool.start(kBin + QStringLiteral("/vmousectl"), QStringList{QStringLiteral("--socket"), socket} + request);
        tool.waitForFinished(10000);
        return QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QProcess process;
    QProcessEnvironment environment;

private:
    void readLog()
    {
        partial += QString::fromUtf8(process.readAll());
        const int end = partial.lastIndexOf(QLatin1Char('\n'));
        if (end < 0)
            return;
        log += partial.left(end).split(QLatin1Char('\n'));
        partial = partial.mid(end + 1);
    }

    QTemporaryDir dir;
    QString socket;
    QStringList log;
    QString partial;
};

QString run(const QString& program, const QStringList& arguments, const QString& display)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString windowOf(const QString& display)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        const QString id = run(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                QStringLiteral("^Kestrel Orbit$")},
                               display).section(QLatin1Char('\n'), 0, 0);
        if (!id.isEmpty())
            return id;
        QThread::msleep(100);
    }
    return QString();
}

void screenshot(const QString& display, const QString& name)
{
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    run(QStringLiteral("import"),
        {QStringLiteral("-display"), display, QStringLiteral("-window"), QStringLiteral("root"),
         QStringLiteral(KESTREL_SCREENSHOT_DIR "/") + name},
        display);
}

// The wire record's feature reports, as hex, in order.
QStringList featureReports(Program& program)
{
    QStringList out;
    for (const QString& line : program.vmousectl({QStringLiteral("record")})) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() > 3 && words[1] == QLatin1String("hid_send_feature_report"))
            out.append(words[3]);
    }
    return out;
}

bool quit(Program& program, const QString& display)
{
    const QString window = windowOf(display);
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, display);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+q")}, display);
    return program.process.waitForFinished(10000);
}

} // namespace

class EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startConnectAndQuit();
    void secondStartExitsWithOne();
    void followsTheDpiButtonUnplugAndReplug();
    void nothingAttached();
    void quitFromTheWindowMenu();
    void keysAndClicksReachTheMainDocument();
    void startsWithoutAnXServerForCapture();

private:
    std::unique_ptr<XvfbServer> display;
};

void EndToEnd::initTestCase()
{
    display = std::make_unique<XvfbServer>();
    QVERIFY2(!display->name().isEmpty(), "Xvfb did not start");
}

void EndToEnd::startConnectAndQuit()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QVERIFY(program.waitForLine(QStringLiteral("Info: Detect Device")));
    QVERIFY(!windowOf(display->name()).isEmpty());
    // The link check came first; then the keyboard options, read and written
    // back with bit 3 of byte 1 set (the reference mouse is a 560).
    QTRY_VERIFY_WITH_TIMEOUT(featureReports(program).size() >= 3, 5000);
    const QStringList reports = featureReports(program);
    QVERIFY2(reports[0].startsWith(QLatin1String("0000")), qPrintable(reports[0]));
    QCOMPARE(reports[1], QStringLiteral("00810000000000007e"));
    QCOMPARE(reports[2], QStringLiteral("0001080000000000f6"));
    // The main screen is up once the first protection period ends.
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QTest::qWait(1500);
    screenshot(display->name(), QStringLiteral("connected.png"));
    QVERIFY(quit(program, display->name()));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::secondStartExitsWithOne()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QProcess second;
    second.setProcessEnvironment(program.environment);
    second.start(program.executable());
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitCode(), 1);
    // The second start never got as far as the device.
    QVERIFY(!QString::fromUtf8(second.readAll()).contains(QLatin1String("Device")));
    QCOMPARE(program.lines().count(QStringLiteral("Device Connect")), 1);
    QVERIFY(quit(program, display->name()));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::followsTheDpiButtonUnplugAndReplug()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    program.vmousectl({QStringLiteral("dpi"), QStringLiteral("3")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 3"), 3000));
    QVERIFY(program.waitForLine(QStringLiteral("Info: DPI Switch to "), 3000));
    QTest::qWait(300);
    screenshot(display->name(), QStringLiteral("dpi-stage-3.png"));

    QElapsedTimer timer;
    timer.start();
    program.vmousectl({QStringLiteral("unplug")});
    QVERIFY(program.waitForLine(QStringLiteral("Device removed"), 3000));
    QVERIFY2(program.waitForLine(QStringLiteral("qml: view disabled: device gone"), 3000),
             qPrintable(program.lines().join(QLatin1Char('\n'))));
    QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
    QTest::qWait(300);
    screenshot(display->name(), QStringLiteral("removed.png"));

    // Back in: the device-change notice starts discovery about 2 s later.
    program.vmousectl({QStringLiteral("replug")});
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect"), 8000, 2));
    QVERIFY(program.waitForLine(QStringLiteral("qml: view enabled"), 5000));
    QVERIFY(quit(program, display->name()));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::nothingAttached()
{
    Program program(display->name(), QString(), true);   // VMOUSE_CONFIG empty: no device
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device DisConnect")));
    QVERIFY(!program.lines().contains(QStringLiteral("Device Connect")));
    QTest::qWait(500);
    QCOMPARE(program.process.state(), QProcess::Running);   // it waits in the tray
    // Xvfb has no tray: the window is minimised rather than hidden, so the
    // quit action stays within reach.
    QVERIFY(!windowOf(display->name()).isEmpty());
    QVERIFY(quit(program, display->name()));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::quitFromTheWindowMenu()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QTest::qWait(1500);   // past the first protection period
    const QString window = windowOf(display->name());
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                    QStringLiteral("600"), QStringLiteral("560")}, display->name());
    run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("3")}, display->name());
    QTest::qWait(500);
    screenshot(display->name(), QStringLiteral("quit-menu.png"));
    // The menu's one entry sits just below and right of the pointer.
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove_relative"), QStringLiteral("20"), QStringLiteral("11")},
        display->name());
    run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")}, display->name());
    QVERIFY(program.process.waitForFinished(10000));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::keysAndClicksReachTheMainDocument()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QTest::qWait(1500);   // past the first protection period
    const auto xdotool = [&](const QStringList& arguments) {
        run(QStringLiteral("xdotool"), arguments, display->name());
    };
    // System-wide: the keys go to whichever window has the focus.
    xdotool({QStringLiteral("key"), QStringLiteral("a")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: key 0x04 down"), 3000));
    QVERIFY(program.waitForLine(QStringLiteral("qml: key 0x04 up"), 3000));
    xdotool({QStringLiteral("key"), QStringLiteral("KP_Enter")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: key 0x58 down"), 3000));
    QVERIFY(program.waitForLine(QStringLiteral("qml: key 0x58 up"), 3000));
    xdotool({QStringLiteral("key"), QStringLiteral("Shift_R")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: key 0xe5 down"), 3000));
    QVERIFY(program.waitForLine(QStringLiteral("qml: key 0xe5 up"), 3000));
    // Below and right of the 1024 x 640 window, which Xvfb (no window
    // manager) puts at the top left: the click changes nothing in it.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1100"), QStringLiteral("700")});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: button 0xf0 down at 1100,700"), 3000));
    QVERIFY(program.waitForLine(QStringLiteral("qml: button 0xf0 up at 1100,700"), 3000));
    QTest::qWait(300);
    screenshot(display->name(), QStringLiteral("captured-input.png"));

    // One line per edge, in order: no repeats, nothing swallowed or doubled.
    // xdotool holds left Shift (0xe1) around Shift_R; those two lines aside.
    QStringList captured;
    for (const QString& line : program.lines())
        if (line.startsWith(QLatin1String("qml: key ")) || line.startsWith(QLatin1String("qml: button ")))
            captured.append(line.mid(5));
    const qsizetype leftShift = captured.removeAll(QStringLiteral("key 0xe1 down"));
    QCOMPARE(captured.removeAll(QStringLiteral("key 0xe1 up")), leftShift);
    QVERIFY(leftShift <= 1);
    QCOMPARE(captured, (QStringList{"key 0x04 down", "key 0x04 up", "key 0x58 down", "key 0x58 up",
                                    "key 0xe5 down", "key 0xe5 up", "button 0xf0 down at 1100,700",
                                    "button 0xf0 up at 1100,700"}));
    QVERIFY(quit(program, display->name()));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::startsWithoutAnXServerForCapture()
{
    // No display at all: the capture cannot install, the program goes on.
    Program program(display->name());
    program.environment.remove(QStringLiteral("DISPLAY"));
    program.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.process.setProcessEnvironment(program.environment);
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QCOMPARE(program.process.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(EndToEnd)
#include "tst_endtoend.moc"
