// The real program under Xvfb with the virtual mouse preloaded: it starts and
// connects, refuses a second start, follows unplugging and replugging,
// hides (or minimises) when nothing is attached, and quits through its quit
// action with code 0. Screenshots go to the build tree for a person to see.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJSEngine>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "programcopy.h"
#include "programlog.h"
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
        copyProgram(kBin, dir.path());
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
    // A file of this copy, relative to the executable.
    QString file(const QString& relative) const { return dir.filePath(relative); }

    // Waits until the program's log has `line` `count` times.
    bool waitForLine(const QString& line, int timeoutMs = 10000, int count = 1)
    {
        return log.waitForLine(line, timeoutMs, count);
    }
    QStringList lines() { return log.lines(); }

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
    QTemporaryDir dir;
    QString socket;
    ProgramLog log{process};
};

QString windowOf(const QString& display)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        const QString id = runOnDisplay(QStringLiteral("xdotool"),
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
    runOnDisplay(QStringLiteral("import"),
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
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, display);
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+q")}, display);
    return program.process.waitForFinished(10000);
}

// The main screen's places, in scene coordinates, which are screen
// coordinates here: Xvfb has no window manager and the window sits at 0,0.
// The left panel stacks, 8 px apart from y 88: the button matrix (eight
// buttons), the editor box (100 high on a gun mouse), the report-rate box
// and the system-setting button.
namespace scene {
constexpr int leftPanelTop = 88;
constexpr int keyMatrixHeight = 40 + 24 * 8 + 2 * 7 + 8;
constexpr int editorBoxTop = leftPanelTop + keyMatrixHeight + 8;
constexpr int reportBoxTop = editorBoxTop + 100 + 8;
constexpr int systemButtonTop = reportBoxTop + 42 + 8;
} // namespace scene

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
    void reportRateAndDpiReachTheMouse();
    void lightingEffectAndColourReachTheMouse();
    void cursorSpeedSliderSetsPointerAcceleration();
    void lightingAndSystemPagesInChinese();
    void gunEditorSendsTheModesOnClosing();
    void profileCreatedAndSwitchedFromTheTitleBar();
    void gunAndProfilePagesInChinese();
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
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                    QStringLiteral("600"), QStringLiteral("560")}, display->name());
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("3")}, display->name());
    QTest::qWait(500);
    screenshot(display->name(), QStringLiteral("quit-menu.png"));
    // The menu's one entry sits just below and right of the pointer.
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("mousemove_relative"), QStringLiteral("20"), QStringLiteral("11")},
        display->name());
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")}, display->name());
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
        runOnDisplay(QStringLiteral("xdotool"), arguments, display->name());
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
    QVERIFY(runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                                     QStringLiteral("^Kestrel Orbit$")}, session.xDisplay()).isEmpty());
    // The session's end (SIGTERM) quits it as its quit action does.
    QVERIFY(quitsCleanlyOnTerm(program));
}

namespace {

constexpr int kReportBoxTop = scene::reportBoxTop;
constexpr int kReportListX = 24 + 232 - 8 - 60;            // the list's centre
constexpr int kReportListY = kReportBoxTop + 21;
constexpr int kSaveX = 1000 - 32, kSaveY = 640 - 8 - 12;
// The DPI page at 768,56: with four stages shown the first slider stands at
// x 825, running from y 99 (top) to y 275 (bottom).
constexpr int kStageOneX = 825;

void click(const QString& display, int x, int y)
{
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(x), QString::number(y)}, display);
    runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")}, display);
    QTest::qWait(400);
}

// The firmware's view of a 560 profile block, from vmousectl's state dump.
QByteArray profileBlock(Program& program, int number)
{
    QByteArray block;
    const QString prefix = QStringLiteral("profile-block %1 +").arg(number);
    for (const QString& line : program.vmousectl({QStringLiteral("state")})) {
        if (!line.startsWith(prefix))
            continue;
        for (const QString& byte : line.section(QLatin1Char(':'), 1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            block.append(char(byte.toInt(nullptr, 16)));
    }
    return block;
}

} // namespace

void EndToEnd::reportRateAndDpiReachTheMouse()
{
    Program program(display->name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QTest::qWait(1500);   // past the first protection period
    program.vmousectl({QStringLiteral("record"), QStringLiteral("clear")});

    // "500Hz", the third entry, one row below the box for each entry before it.
    click(display->name(), kReportListX, kReportListY);
    screenshot(display->name(), QStringLiteral("report-rate-open.png"));
    click(display->name(), kReportListX, kReportBoxTop + 42 - 9 + 24 * 2 + 12);
    QTest::qWait(300);
    // The 560 family's 03H writes the rate into the profile slots; a gun
    // mouse has only the first.
    QCOMPARE(featureReports(program), (QStringList{QStringLiteral("0003010200000000f9")}));
    QVERIFY(program.vmousectl({QStringLiteral("state")}).contains(QStringLiteral("report-rate: 1=2 2=3 3=3 4=3")));

    // Move stage 1 with a press on its track and a drag, then Save.
    program.vmousectl({QStringLiteral("record"), QStringLiteral("clear")});
    click(display->name(), kStageOneX, 200);
    const auto xdotool = [&](const QStringList& arguments) { runOnDisplay(QStringLiteral("xdotool"), arguments, display->name()); };
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int y = 195; y >= 150; y -= 5)
        xdotool({QStringLiteral("mousemove"), QString::number(kStageOneX), QString::number(y)});
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    QTest::qWait(300);
    QCOMPARE(featureReports(program), QStringList());   // nothing is sent before Save
    screenshot(display->name(), QStringLiteral("dpi-unsaved.png"));
    click(display->name(), kSaveX, kSaveY);
    QTest::qWait(2500);

    // What Save stored in the profile is what the profile blocks carry:
    // "3360" codes (value / 100 - 1) at 84..91 and the active-stage mask at 100.
    QSettings profile(QFileInfo(program.executable()).dir().filePath(QStringLiteral("modules/setting/p1.bin")),
                      QSettings::IniFormat);
    const QStringList values = profile.value(QStringLiteral("mouse/dpiValueArray")).toStringList();
    const int count = profile.value(QStringLiteral("mouse/currentDpiCount")).toInt();
    QCOMPARE(values.size(), 8);
    QVERIFY2(values[0].toInt() > 1000, qPrintable(values.join(QLatin1Char(','))));
    const QStringList sent = featureReports(program);
    QCOMPARE(sent.size(), 4);   // blocks 1 to 4 on a gun mouse
    QVERIFY(sent[0].startsWith(QLatin1String("000c0180")));
    for (int number = 1; number <= 4; ++number) {
        const QByteArray block = profileBlock(program, number);
        QCOMPARE(block.size(), 128);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(quint8(block[84 + i]), quint8(values[i].toInt() / 100 - 1));
        QCOMPARE(quint8(block[100]), quint8((1 << count) - 1));
    }
    screenshot(display->name(), QStringLiteral("dpi-saved.png"));
    QVERIFY(quit(program, display->name()));
    QCOMPARE(program.process.exitCode(), 0);
}

namespace {

// Places on the screen (the window sits at the top-left, unmanaged) of the
// lighting page and the system settings page.
const QPoint kEffectList(908, 340);
QPoint effectEntry(int index) { return QPoint(908, 364 + 24 * index); }
// Colour 1's handle with two sliders hidden (page 224 high), red at the bar's left end.
const QPoint kColourHandleRed(793, 453);
const QPoint kSaveButton(968, 620);
const QPoint kSystemSettingButton(140, scene::systemButtonTop + 12);
// The centred system page's cursor-speed slider: track from x 336, handle 3..337.
const int kCursorTrackX = 336;
const int kCursorSliderY = 251;

void xdotool(const QString& display, const QStringList& arguments)
{
    runOnDisplay(QStringLiteral("xdotool"), arguments, display);
}

void clickAt(const QString& display, QPoint at)
{
    xdotool(display, {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                      QStringLiteral("click"), QStringLiteral("1")});
    QTest::qWait(400);   // past the list's slide and the slider's glide
}

// Presses at `from`, moves to `to` in a few steps and lets go.
void dragPointer(const QString& display, QPoint from, QPoint to)
{
    xdotool(display, {QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                      QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        xdotool(display, {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(50);
    }
    xdotool(display, {QStringLiteral("mouseup"), QStringLiteral("1")});
    QTest::qWait(300);
}

// The X server's pointer acceleration as "numerator/denominator".
QString pointerAcceleration(const QString& display)
{
    static const QRegularExpression acceleration(QStringLiteral("acceleration:\\s+(\\d+/\\d+)"));
    return acceleration.match(runOnDisplay(QStringLiteral("xset"), {QStringLiteral("q")}, display)).captured(1);
}

bool reachMainScreen(Program& program)
{
    if (!program.waitForLine(QStringLiteral("qml: DPI stage 1")))
        return false;
    QTest::qWait(1500);   // past the first protection period
    return true;
}

void useLanguage(Program& program, const QString& language)
{
    QFile file(program.file(QStringLiteral("modules/setting/apConfig.bin")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    text.replace(QRegularExpression(QStringLiteral("(?m)^language=.*$")), QStringLiteral("language=") + language);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

} // namespace

void EndToEnd::lightingEffectAndColourReachTheMouse()
{
    Program program(display->name());
    program.start();
    QVERIFY(reachMainScreen(program));
    const QString screen = display->name();
    screenshot(screen, QStringLiteral("lighting.png"));
    program.vmousectl({QStringLiteral("record"), QStringLiteral("clear")});

    clickAt(screen, kEffectList);
    screenshot(screen, QStringLiteral("lighting-effects.png"));
    clickAt(screen, effectEntry(1));   // Breath: the speed slider only, the colour usable
    // Red at the bar's left end, dragged 60 pixels on: the second sixth begins, green.
    dragPointer(screen, kColourHandleRed, kColourHandleRed + QPoint(60, 0));
    screenshot(screen, QStringLiteral("lighting-breath-green.png"));
    QCOMPARE(featureReports(program), QStringList());   // nothing before Save

    clickAt(screen, kSaveButton);
    QTRY_VERIFY_WITH_TIMEOUT(featureReports(program).size() >= 5, 10000);
    // The effect goes into the blocks of profiles 1 to 4 (a gun mouse), the
    // colours into block 0.
    QStringList commands;
    for (const QString& report : featureReports(program))
        commands.append(report.left(6));
    QCOMPARE(commands, QStringList({QStringLiteral("000c01"), QStringLiteral("000c02"), QStringLiteral("000c03"),
                                    QStringLiteral("000c04"), QStringLiteral("000c00")}));
    for (int block = 1; block <= 4; ++block)   // Breath at speed 0: mode 3, 0, 10
        QCOMPARE(profileBlock(program, block).mid(71, 3).toHex(), QByteArray("03000a"));
    // Block 0 goes last; its bulk packets take a while.
    QTRY_COMPARE_WITH_TIMEOUT(profileBlock(program, 0).mid(24, 24).toHex(),
                              QByteArray("00ff00" "00ff00" "0000ff" "ff00ff" "00ffff" "ff7f00" "6000ff" "ffffff"),
                              5000);

    clickAt(screen, kEffectList);
    clickAt(screen, effectEntry(5));   // Wave: the colour area is covered
    screenshot(screen, QStringLiteral("lighting-wave.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::cursorSpeedSliderSetsPointerAcceleration()
{
    Program program(display->name());
    program.start();
    QVERIFY(reachMainScreen(program));
    const QString screen = display->name();
    QVERIFY2(!pointerAcceleration(screen).isEmpty(), "xset q reports no acceleration");
    clickAt(screen, kSystemSettingButton);
    screenshot(screen, QStringLiteral("system-setting.png"));

    // The stored position 170 is step 5; dragged well past the left end it
    // is step 0, the slowest speed; past the right end step 10, the fastest.
    // (The slider's drag starts with the first move, so that one is lost.)
    const QPoint handle(kCursorTrackX + 170 + 6, kCursorSliderY);
    dragPointer(screen, handle, QPoint(kCursorTrackX - 150, kCursorSliderY));
    QTRY_COMPARE_WITH_TIMEOUT(pointerAcceleration(screen), QStringLiteral("1/10"), 3000);
    dragPointer(screen, QPoint(kCursorTrackX + 3 + 6, kCursorSliderY), QPoint(kCursorTrackX + 500, kCursorSliderY));
    QTRY_COMPARE_WITH_TIMEOUT(pointerAcceleration(screen), QStringLiteral("20/10"), 3000);
    screenshot(screen, QStringLiteral("system-setting-fast.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void EndToEnd::lightingAndSystemPagesInChinese()
{
    Program program(display->name());
    useLanguage(program, QStringLiteral("ChineseSimplified"));
    program.start();
    QVERIFY(reachMainScreen(program));
    const QString screen = display->name();
    clickAt(screen, kEffectList);
    screenshot(screen, QStringLiteral("lighting-effects-zh.png"));
    clickAt(screen, effectEntry(1));
    screenshot(screen, QStringLiteral("lighting-breath-zh.png"));
    clickAt(screen, kSystemSettingButton);
    screenshot(screen, QStringLiteral("system-setting-zh.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

namespace {

// Scene positions: without a window manager the window sits at the screen's
// top-left. The gun editor opens centred at (192, 96), the profile page at (305, 176).
// The editor box's second row, below its title and the macro editor row.
const QPoint kGunEditorRow(68, scene::editorBoxTop + 40 + 24 + 1 + 12);
const QPoint kConfigButton(808, 620);
const QPoint kTitleProfileList(832, 24);

void click(const QString& display, QPoint at, int button = 1)
{
    xdotool(display, {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                      QStringLiteral("click"), QString::number(button)});
    QTest::qWait(350);   // past a drop-down's slide
}

// A press, a one-pixel nudge that starts the drag, the travel, a release.
void drag(const QString& display, QPoint from, QPoint to)
{
    const QString x = QString::number(from.x());
    xdotool(display, {QStringLiteral("mousemove"), x, QString::number(from.y()), QStringLiteral("mousedown"),
                      QStringLiteral("1")});
    for (int step = 0; step <= 4; ++step) {
        const QPoint at = from + QPoint(1, 1) + (to - from) * step / 4;
        xdotool(display, {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(40);
    }
    xdotool(display, {QStringLiteral("mouseup"), QStringLiteral("1")});
    QTest::qWait(200);
}

QString stateLine(Program& program, const QString& name)
{
    for (const QString& line : program.vmousectl({QStringLiteral("state")})) {
        if (line.startsWith(name + QLatin1String(": ")))
            return line.mid(name.size() + 2);
    }
    return QString();
}

// One value of a settings file of the program's copy, as written on disk.
QString storedValue(const Program& program, const QString& file, const QString& key)
{
    return QSettings(program.file(file), QSettings::IniFormat).value(key).toStringList().join(QLatin1String(", "));
}

// The program, connected and past its first protection period.
bool startedAndShown(Program& program)
{
    program.start();
    if (!program.waitForLine(QStringLiteral("qml: DPI stage 1")))
        return false;
    QTest::qWait(1500);
    return true;
}

int visibleWindows(Program& program, const QString& display)
{
    return runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                           QString::number(program.process.processId())}, display)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
}

} // namespace

// Gun mode 2 gets another gun with a new period and Y; closing the page
// sends the three modes' data, here into the 560's profile blocks 2, 3, 4.
void EndToEnd::gunEditorSendsTheModesOnClosing()
{
    Program program(display->name());
    QVERIFY(startedAndShown(program));
    const QString screen = display->name();
    click(screen, kGunEditorRow);
    screenshot(screen, QStringLiteral("gun-editor.png"));
    click(screen, {747, 156});        // the mode list
    click(screen, {747, 204});        // "Gun2"
    click(screen, {340, 437});        // UNP9
    drag(screen, {588, 316}, {588, 360});          // the dot, down from Y 10
    click(screen, {658, 470});        // the rate slider's box
    drag(screen, {596, 494}, {700, 494});          // its knob, right from 10 MS
    screenshot(screen, QStringLiteral("gun-editor-changed.png"));
    program.vmousectl({QStringLiteral("record"), QStringLiteral("clear")});
    click(screen, {807, 116});        // the close mark
    // Each block takes a command and four paced packets.
    QTRY_COMPARE_WITH_TIMEOUT(profileBlock(program, 4).mid(78, 4).toHex(), QByteArray("f0000008"), 8000);

    const QStringList unp9 = storedValue(program, QStringLiteral("modules/gun/gunData.bin"), QStringLiteral("gunData/4"))
                                 .split(QLatin1String(", "));
    QCOMPARE(unp9.size(), 6);
    const int period = unp9[2].toInt();
    const int y = unp9[4].toInt();
    QVERIFY2(period > 10 && period <= 90, qPrintable(unp9.join(QLatin1Char(' '))));
    QVERIFY2(y > 10 && y <= 64, qPrintable(unp9.join(QLatin1Char(' '))));
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/selectGun")),
             QStringLiteral("0, 4, 2"));

    // Three profile-block writes, modes 1, 2, 3 in order, and nothing else yet.
    const QStringList reports = featureReports(program);
    QCOMPARE(reports.size(), 3);
    for (int mode = 1; mode <= 3; ++mode)
        QVERIFY2(reports[mode - 1].startsWith(QStringLiteral("000c0%1").arg(mode + 1)), qPrintable(reports.join(' ')));
    // Bytes 78..81 of each block: the left button, times, X, Y of the mode's gun.
    const QList<QByteArray> expected = {QByteArray::fromHex("f0000005"), QByteArray::fromHex("f00000") + char(y),
                                        QByteArray::fromHex("f0000008")};
    for (int mode = 1; mode <= 3; ++mode)
        QCOMPARE(profileBlock(program, mode + 1).mid(78, 4).toHex(), expected[mode - 1].toHex());
    QVERIFY(quit(program, screen));
}

// A new profile starts from the factory profile; choosing it in the title
// bar re-sends its settings: here its report rate of 1000 Hz after 500 Hz.
void EndToEnd::profileCreatedAndSwitchedFromTheTitleBar()
{
    Program program(display->name());
    QVERIFY(startedAndShown(program));
    const QString screen = display->name();
    click(screen, {188, scene::reportBoxTop + 21});             // the report-rate list
    click(screen, {188, scene::reportBoxTop + 33 + 2 * 24 + 12}); // "500Hz"
    QCOMPARE(stateLine(program, QStringLiteral("report-rate")).section(QLatin1Char(' '), 0, 0), QStringLiteral("1=2"));

    click(screen, kConfigButton);
    click(screen, {353, 284});        // New
    screenshot(screen, QStringLiteral("profile-page.png"));
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/name.bin"), QStringLiteral("profile/profileName")),
             QStringLiteral("Standard0, profile_01"));
    click(screen, {695, 196});        // the close mark
    click(screen, kTitleProfileList);
    screenshot(screen, QStringLiteral("profile-title-list.png"));
    program.vmousectl({QStringLiteral("record"), QStringLiteral("clear")});
    click(screen, {832, 72});         // "profile_0", the second row
    QTest::qWait(1500);

    QCOMPARE(stateLine(program, QStringLiteral("report-rate")).section(QLatin1Char(' '), 0, 0), QStringLiteral("1=1"));
    const QStringList reports = featureReports(program);
    QVERIFY2(reports.contains(QStringLiteral("0003010100000000fa")), qPrintable(reports.join(' ')));
    screenshot(screen, QStringLiteral("profile-switched.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/profileNo")),
             QStringLiteral("1"));
}

void EndToEnd::gunAndProfilePagesInChinese()
{
    Program program(display->name());
    useLanguage(program, QStringLiteral("ChineseSimplified"));
    QVERIFY(startedAndShown(program));
    const QString screen = display->name();
    screenshot(screen, QStringLiteral("main-zh.png"));
    click(screen, kGunEditorRow);
    click(screen, {747, 156});
    screenshot(screen, QStringLiteral("gun-editor-zh.png"));
    click(screen, {747, 156});
    click(screen, {807, 116});
    click(screen, kConfigButton);
    click(screen, {353, 284});        // New: a second row
    click(screen, {400, 274}, 3);     // the context menu on it
    screenshot(screen, QStringLiteral("profile-menu-zh.png"));
    // The page's own menu, without the window's beside it.
    QCOMPARE(visibleWindows(program, screen), 1);
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/name.bin"), QStringLiteral("profile/profileName")),
             QStringLiteral("\u6807\u51c60, profile_01"));
    QVERIFY(quit(program, screen));
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
        runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x), QString::number(at.y),
                                        QStringLiteral("click"), QString::number(button)}, display);
        QTest::qWait(250);
    }
    // Wheel notches over the dialog: positive scrolls down.
    void wheel(int notches) const
    {
        runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("500"), QStringLiteral("350")},
            display);
        for (int i = 0; i < qAbs(notches); ++i)
            runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("click"), notches > 0 ? QStringLiteral("5") : QStringLiteral("4")},
                display);
        QTest::qWait(250);
    }
    void move(ScenePoint at) const
    {
        runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x), QString::number(at.y)},
            display);
    }
    void keys(const QStringList& names) const
    {
        runOnDisplay(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150")}
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
    QFile file(program.file(QStringLiteral("modules/setting/apConfig.bin")));
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

    const QString macroFile = program.file(QStringLiteral("modules/macro/Macro_0.bin"));
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
