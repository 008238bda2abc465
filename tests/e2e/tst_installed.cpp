// The program as a package installs it (cmake --install into a staging
// folder, its shared files read-only), under Xvfb with the virtual mouse
// preloaded. A user with an empty home gets a copy of the delivered tree of
// their own, the program works there and connects; a logout's SIGTERM or a
// Ctrl+C ends it as "Quit (&Q)" does, with code 0 and nothing lost; asked
// to start hidden, it goes straight to the tray.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "programlog.h"
#include "xvfbserver.h"

namespace {

const QString kStage = QStringLiteral(KESTREL_STAGE_DIR);
const QString kBin = QStringLiteral(KESTREL_BIN_DIR);
const QString kDelivered = kStage + QStringLiteral("/usr/share/kestrel-orbit/modules");

// Every file below `root` with its bytes.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(QDir(root).relativeFilePath(file.fileName()), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

// The installed program, started by a user whose home is new and empty.
class InstalledProgram
{
public:
    explicit InstalledProgram(const QString& display)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "QT_QPA_PLATFORM", "VMOUSE_CONFIG"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("DISPLAY"), display);
        // A sanitizer build names its runtime first: it must load before anything else.
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KESTREL_PRELOAD_PREFIX) + kBin + QStringLiteral("/libvmouse.so"));
        env.insert(QStringLiteral("VMOUSE_CONTROL"), runtime.filePath(QStringLiteral("vmouse.sock")));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(QDir::tempPath());
    }
    ~InstalledProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    void start(const QString& variable = QString())
    {
        if (!variable.isEmpty()) {
            QProcessEnvironment env = process.processEnvironment();
            env.insert(variable, QStringLiteral("1"));
            process.setProcessEnvironment(env);
        }
        process.start(kStage + QStringLiteral("/usr/bin/kestrel-orbit"));
    }
    QString userDir() const { return home.filePath(QStringLiteral(".local/share/kestrel-orbit")); }

    QTemporaryDir home;
    QTemporaryDir runtime;   // private (0700), as a session's runtime folder is
    QProcess process;
    ProgramLog log{process};
};

} // namespace

class Installed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void userCopyConnectsAndSignalsQuit_data();
    void userCopyConnectsAndSignalsQuit();
    void startsHiddenOnRequest_data();
    void startsHiddenOnRequest();

private:
    std::unique_ptr<XvfbServer> display;
};

void Installed::initTestCase()
{
    QVERIFY2(QFileInfo::exists(kDelivered + QStringLiteral("/setting/apConfig.bin")), "no staged install");
    display = std::make_unique<XvfbServer>();
    QVERIFY2(!display->name().isEmpty(), "Xvfb did not start");
}

void Installed::userCopyConnectsAndSignalsQuit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

void Installed::userCopyConnectsAndSignalsQuit()
{
    QFETCH(int, signalNumber);
    const QMap<QString, QByteArray> delivered = snapshot(kDelivered);
    QVERIFY(delivered.contains(QStringLiteral("setting/apConfig.bin")));

    InstalledProgram program(display->name());
    program.start();
    QVERIFY2(program.log.waitForLine(QStringLiteral("Device Connect")), qPrintable(program.log.lines().join('\n')));
    // The user's copy, byte for byte, and the program works in it.
    const QString copy = program.userDir() + QStringLiteral("/modules");
    QCOMPARE(snapshot(copy), delivered);
    QVERIFY(QFileInfo(copy + QStringLiteral("/macro")).isDir());
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(program.process.processId())).canonicalFilePath(),
             QFileInfo(program.userDir()).canonicalFilePath());
    QVERIFY(program.log.lines().contains(QStringLiteral("Data: %1 files copied into %2").arg(delivered.size()).arg(copy)));

    // Up and running, the event reader included; then the signal.
    QVERIFY(program.log.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QCOMPARE(::kill(pid_t(program.process.processId()), signalNumber), 0);
    QVERIFY(program.process.waitForFinished(10000));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
    // Every settings file is still there and whole (the pages write some of
    // them at start, the profile list for one); the installed tree is as
    // installed.
    const QMap<QString, QByteArray> after = snapshot(copy);
    QCOMPARE(after.keys(), delivered.keys());
    for (auto file = after.cbegin(); file != after.cend(); ++file) {
        QVERIFY2(!file.value().isEmpty(), qPrintable(file.key()));
        QSettings ini(copy + QLatin1Char('/') + file.key(), QSettings::IniFormat);
        QCOMPARE(ini.status(), QSettings::NoError);
    }
    QCOMPARE(snapshot(kDelivered), delivered);
}

void Installed::startsHiddenOnRequest_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("as the autostart entry starts it") << "KESTREL_ORBIT_START_HIDDEN" << true;
    QTest::newRow("from the menu") << QString() << false;
}

void Installed::startsHiddenOnRequest()
{
    QFETCH(QString, variable);
    QFETCH(bool, hidden);
    InstalledProgram program(display->name());
    program.start(variable);
    QVERIFY(program.log.waitForLine(QStringLiteral("qml: DPI stage 1")));
    const QString window = runOnDisplay(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Kestrel Orbit$")},
                               display->name()).section(QLatin1Char('\n'), 0, 0);
    QVERIFY(!window.isEmpty());
    // Xvfb has no tray, so "hidden" is minimised here, as when no mouse is
    // attached; with a tray the window is not shown at all.
    const QString state = runOnDisplay(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_STATE")},
                              display->name());
    QCOMPARE(state.contains(QLatin1String("_NET_WM_STATE_HIDDEN")), hidden);
    QCOMPARE(program.process.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(Installed)
#include "tst_installed.moc"
