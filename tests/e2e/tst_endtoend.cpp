// The real program under Xvfb with the virtual mouse preloaded: it starts and
// connects, refuses a second start, follows unplugging and replugging,
// hides (or minimises) when nothing is attached, and quits through its quit
// action with code 0. Screenshots go to the build tree for a person to see.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJSEngine>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "westonsession.h"
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
        environment.insert(QStringLiteral("LD_PRELOAD"), kBin + QStringLiteral("/libvmouse.so"));
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
    // A file of this copy, e.g. "modules/macro/Macro_0.bin".
    QString path(const QString& relative) const { return dir.filePath(relative); }

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
    void capturedInputIsNeverLogged();
    void startsWithoutAnXServerForCapture();
    void startsOnXWaylandInAWaylandSession();
    void runsAsAWaylandClientWithoutAnXDisplay();
    void recordAMacroForButtonFour_data();
    void recordAMacroForButtonFour();
    void typeACombinationForButtonFive_data();
    void typeACombinationForButtonFive();

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

void EndToEnd::capturedInputIsNeverLogged()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QTest::qWait(1500);   // past the first protection period
    const qsizetype before = program.lines().size();
    const auto xdotool = [&](const QStringList& arguments) {
        run(QStringLiteral("xdotool"), arguments, display->name());
    };
    // Desktop-wide keys and a click outside the window: the capture hears
    // them, and none of it may reach the program's output.
    xdotool({QStringLiteral("type"), QStringLiteral("secret")});
    xdotool({QStringLiteral("key"), QStringLiteral("KP_Enter"), QStringLiteral("Shift_R")});
    xdotool({QStringLiteral("mousemove"), QStringLiteral("1100"), QStringLiteral("700")});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QTest::qWait(500);
    QCOMPARE(program.lines().mid(before), QStringList());
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

namespace {

// A Wayland client writes each request it sends to its log under WAYLAND_DEBUG.
bool isWaylandToplevel(Program& program)
{
    static const QRegularExpression titled(QStringLiteral("xdg_toplevel@\\d+\\.set_title\\(\"Kestrel Orbit\"\\)"));
    return program.lines().join(QLatin1Char('\n')).contains(titled);
}

// Started as a client of the session, with or without its X display, its
// Wayland requests logged.
void startInSession(Program& program, const WestonSession& session, bool withX)
{
    session.addTo(program.environment, withX);
    program.environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    // The headless compositor offers text input but has no seat, and Qt 6.4's
    // Wayland input context then dereferences the missing seat whenever a
    // text is empty. Desktop sessions always have a seat; here the input
    // context is left out.
    program.environment.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("none"));
    program.process.setProcessEnvironment(program.environment);
    program.start();
}

bool quitsCleanlyOnTerm(Program& program)
{
    program.process.terminate();
    return program.process.waitForFinished(10000) && program.process.exitStatus() == QProcess::NormalExit
        && program.process.exitCode() == 0;
}

} // namespace

void EndToEnd::startsOnXWaylandInAWaylandSession()
{
    // A desktop's Wayland session with XWayland, no platform chosen by the
    // user: the window is an X11 window on XWayland's display.
    WestonSession session;
    QVERIFY2(session.isRunning(), "weston did not start");
    Program program(session.xDisplay());
    startInSession(program, session, true);
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QVERIFY(!windowOf(session.xDisplay()).isEmpty());
    QVERIFY(!isWaylandToplevel(program));
    QVERIFY(quitsCleanlyOnTerm(program));
}

void EndToEnd::runsAsAWaylandClientWithoutAnXDisplay()
{
    WestonSession session;
    QVERIFY2(session.isRunning(), "weston did not start");
    Program program(session.xDisplay());
    startInSession(program, session, false);
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QTRY_VERIFY_WITH_TIMEOUT(isWaylandToplevel(program), 10000);
    // Nothing of it on the X display.
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                            QStringLiteral("^Kestrel Orbit$")}, session.xDisplay()).isEmpty());
    // The session's end (SIGTERM) quits it as its quit action does.
    QVERIFY(quitsCleanlyOnTerm(program));
}

namespace {

// Scene places of the button pages (the window sits at the screen's top-left).
// The key matrix rows: button n at y 88 + 40 + 26 (n - 1) + 12.
int keyRowY(int button)
{
    return 88 + 40 + 26 * (button - 1) + 12;
}

struct ScenePoint {
    int x;
    int y;
};

// The assignment dialog (416 x 404, centred), with its column scrolled 5
// wheel notches (240 px) where it says so.
const ScenePoint kMacroEditorButton{555, 341};   // scrolled
const ScenePoint kMacroList{400, 341};           // scrolled
const ScenePoint kMacroListFirst{400, 365};      // scrolled, list open
const ScenePoint kRepeatUntilReleased{325, 411}; // scrolled
const ScenePoint kComboField{444, 441};
const ScenePoint kComboConfirm{587, 441};
const ScenePoint kDialogClose{695, 138};
// The macro editor (640 x 448, centred).
const ScenePoint kMacroNew{246, 515};
const ScenePoint kMacroRecord{441, 515};
const ScenePoint kMacroDelayBox{640, 515};   // on its text, whatever the language
const ScenePoint kMacroEditorClose{807, 116};
const ScenePoint kSave{967, 619};

class Pointer
{
public:
    explicit Pointer(const QString& display) : display(display) {}
    void click(ScenePoint at, int button = 1) const
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x), QString::number(at.y),
                                        QStringLiteral("click"), QString::number(button)}, display);
        QTest::qWait(250);
    }
    // Wheel notches over the dialog: positive scrolls down.
    void wheel(int notches) const
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("500"), QStringLiteral("350")},
            display);
        for (int i = 0; i < qAbs(notches); ++i)
            run(QStringLiteral("xdotool"), {QStringLiteral("click"), notches > 0 ? QStringLiteral("5") : QStringLiteral("4")},
                display);
        QTest::qWait(250);
    }
    void move(ScenePoint at) const
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x), QString::number(at.y)},
            display);
    }
    void keys(const QStringList& names) const
    {
        run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150")}
                                           + names, display);
        QTest::qWait(600);   // the capture hands the keys on from its own thread
    }
    void shot(const QString& name) const
    {
        QTest::qWait(300);
        screenshot(display, name);
    }

private:
    QString display;
};

// Starts the program in a language and waits for its main screen.
bool startInLanguage(Program& program, const QString& language)
{
    QFile file(program.path(QStringLiteral("modules/setting/apConfig.bin")));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    text.replace(QRegularExpression(QStringLiteral("^language=.*$"), QRegularExpression::MultilineOption),
                 QStringLiteral("language=") + language);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        return false;
    file.close();
    program.start();
    if (!program.waitForLine(QStringLiteral("qml: DPI stage 1")))
        return false;
    QTest::qWait(1500);   // past the first protection period
    return true;
}

// The bulk data sent after the last feature report that starts with
// `command` (hex), as far as it has gone out.
QByteArray bulkAfter(Program& program, const QString& command)
{
    QByteArray data;
    bool found = false;
    for (const QString& line : program.vmousectl({QStringLiteral("record")})) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() < 4)
            continue;
        if (words[1] == QLatin1String("hid_send_feature_report")) {
            if (words[3].startsWith(command)) {
                found = true;
                data.clear();
            } else if (found) {
                break;
            }
        } else if (found && words[1] == QLatin1String("hid_write")) {
            data += QByteArray::fromHex(words[3].toLatin1()).mid(1);   // after the report ID
        }
    }
    return data;
}

// The block the UI's own encoder (ui/js) makes of a macro file.
QByteArray encoderBlock(const QString& macroFile)
{
    QJSEngine js;
    for (const char* script : {"keycodes.js", "macroblock.js"}) {
        QFile file(QStringLiteral(KESTREL_UI_JS_DIR "/") + QLatin1String(script));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        js.evaluate(QString::fromUtf8(file.readAll()).remove(QStringLiteral(".pragma library")), file.fileName());
    }
    const QSettings ini(macroFile, QSettings::IniFormat);
    const int total = ini.value(QStringLiteral("config/total")).toInt();
    QJSValue actions = js.newArray(uint(total));
    for (int i = 0; i < total; ++i)
        actions.setProperty(uint(i), js.globalObject().property(QStringLiteral("parseAction"))
                                         .call({ini.value(QStringLiteral("macro/%1").arg(i)).toString()}));
    const QJSValue codeOf = js.evaluate(QStringLiteral("(function (name) { return strTokeycode(defaultNames, name) })"));
    const QJSValue bytes = js.globalObject().property(QStringLiteral("block"))
                               .call({actions, ini.value(QStringLiteral("config/repeat")).toInt(), codeOf});
    QByteArray out;
    for (uint i = 0; i < bytes.property(QStringLiteral("length")).toUInt(); ++i)
        out.append(char(bytes.property(i).toInt()));
    return out;
}

void languages()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("tag");
    QTest::newRow("English") << QStringLiteral("English") << QStringLiteral("en");
    QTest::newRow("Simplified Chinese") << QStringLiteral("ChineseSimplified") << QStringLiteral("zh");
}

} // namespace

void EndToEnd::recordAMacroForButtonFour_data()
{
    languages();
}

// A macro recorded from the keyboard, given to button 4 with repeat mode 2:
// the mouse gets the encoder's block as macro 4 at once, and Save sends the
// button as 09 02 04 00.
void EndToEnd::recordAMacroForButtonFour()
{
    QFETCH(QString, language);
    QFETCH(QString, tag);
    Program program(display->name());
    QVERIFY(startInLanguage(program, language));
    const Pointer pointer(display->name());
    pointer.click({140, keyRowY(4)});
    pointer.wheel(5);
    pointer.click(kMacroEditorButton);
    pointer.click(kMacroNew);
    pointer.click(kMacroDelayBox);
    pointer.click(kMacroRecord);
    pointer.keys({QStringLiteral("a"), QStringLiteral("b")});
    pointer.shot(QStringLiteral("macro-editor-recording-%1.png").arg(tag));
    pointer.click(kMacroRecord);
    pointer.click(kMacroEditorClose);
    pointer.click(kRepeatUntilReleased);
    pointer.click(kMacroList);
    pointer.click(kMacroListFirst);
    QTest::qWait(300);    // the list reports the choice once it has shut
    pointer.shot(QStringLiteral("assign-macro-%1.png").arg(tag));
    pointer.click(kDialogClose);

    const QString macroFile = program.path(QStringLiteral("modules/macro/Macro_0.bin"));
    const QSettings recorded(macroFile, QSettings::IniFormat);
    QCOMPARE(recorded.value(QStringLiteral("config/total")).toInt(), 7);   // A, B pressed and released, 3 delays
    QCOMPARE(recorded.value(QStringLiteral("macro/0")).toString(), QStringLiteral("1,A"));
    QCOMPARE(recorded.value(QStringLiteral("macro/6")).toString(), QStringLiteral("2,B"));
    const QByteArray expected = encoderBlock(macroFile);
    QCOMPARE(expected.size(), 128);
    QCOMPARE(expected.left(2).toHex(' '), QByteArray("00 01"));   // repeat count 1
    QCOMPARE(expected.at(3), char(0x04));                          // then the press of A
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000f04")).size(), 128, 5000);
    QCOMPARE(bulkAfter(program, QStringLiteral("000f04")).toHex(' '), expected.toHex(' '));

    pointer.click(kSave);
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000d01")).size(), 128, 5000);
    const QByteArray matrix = bulkAfter(program, QStringLiteral("000d01"));
    QCOMPARE(matrix.mid(12, 4).toHex(' '), QByteArray("09 02 04 00"));
    QCOMPARE(matrix.left(4).toHex(' '), QByteArray("01 00 f0 00"));   // button 1 is still the left button
    QVERIFY(quit(program, display->name()));
}

void EndToEnd::typeACombinationForButtonFive_data()
{
    languages();
}

// LCtrl+LShift+A+B typed into the combination field of button 5; on the way,
// the dialog's categories for a person to look at.
void EndToEnd::typeACombinationForButtonFive()
{
    QFETCH(QString, language);
    QFETCH(QString, tag);
    Program program(display->name());
    QVERIFY(startInLanguage(program, language));
    const Pointer pointer(display->name());
    pointer.click({140, keyRowY(5)});
    pointer.shot(QStringLiteral("assign-mouse-fire-%1.png").arg(tag));
    // Column offset 192: the media grid opened.
    pointer.wheel(4);
    pointer.click({380, 319});
    pointer.move({650, 200});   // off the grid, so no cell shows the pointer
    pointer.shot(QStringLiteral("assign-group-media-macro-%1.png").arg(tag));
    pointer.click({380, 319});
    // Offset 384: macro, DPI and Windows functions.
    pointer.wheel(4);
    pointer.shot(QStringLiteral("assign-macro-dpi-windows-%1.png").arg(tag));
    // The end: the shortcut grid opened over the gun functions.
    pointer.wheel(4);
    pointer.click({380, 383});
    pointer.move({650, 200});
    pointer.shot(QStringLiteral("assign-shortcut-gun-%1.png").arg(tag));
    pointer.click({380, 383});
    pointer.wheel(-20);

    pointer.click(kComboField);
    pointer.keys({QStringLiteral("ctrl+shift+a+b")});
    pointer.shot(QStringLiteral("assign-combination-%1.png").arg(tag));
    pointer.click(kComboConfirm);
    pointer.click(kDialogClose);
    pointer.click(kSave);
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000d01")).size(), 128, 5000);
    const QByteArray matrix = bulkAfter(program, QStringLiteral("000d01"));
    QCOMPARE(matrix.mid(16, 4).toHex(' '), QByteArray("00 03 04 05"));
    QVERIFY(quit(program, display->name()));
}

QTEST_GUILESS_MAIN(EndToEnd)
#include "tst_endtoend.moc"
