// The program's life: it starts and connects, refuses a second start, hides
// (or minimises) when nothing is attached, quits through its quit action
// with code 0, never logs what it captures, and starts without an X server,
// on XWayland and as a Wayland client.
#include <QRegularExpression>
#include <QTest>

#include "endtoend.h"
#include "westonsession.h"

namespace {

// A place of the main screen where nothing reacts to a click.
const QPoint kEmptyPlace(600, 560);
// Outside the 1024 x 640 window.
const QPoint kOutsideTheWindow(1100, 700);

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
    program.start();
}

bool quitsCleanlyOnTerm(Program& program)
{
    program.process.terminate();
    return program.process.waitForFinished(10000) && program.process.exitStatus() == QProcess::NormalExit
        && program.process.exitCode() == 0;
}

} // namespace

class Lifecycle : public EndToEndTest
{
    Q_OBJECT

private slots:
    void startConnectAndQuit();
    void secondStartExitsWithOne();
    void nothingAttached();
    void quitFromTheWindowMenu();
    void capturedInputIsNeverLogged();
    void startsWithoutAnXServerForCapture();
    void startsOnXWaylandInAWaylandSession();
    void runsAsAWaylandClientWithoutAnXDisplay();
};

void Lifecycle::startConnectAndQuit()
{
    Program program(screen.name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QVERIFY(program.waitForLine(QStringLiteral("Info: Detect Device")));
    QVERIFY(!windowOf(screen.name()).isEmpty());
    // The link check came first; then the keyboard options, read and written
    // back with bit 3 of byte 1 set (the reference mouse is a 560).
    QTRY_VERIFY_WITH_TIMEOUT(featureReports(program).size() >= 3, 5000);
    const QStringList reports = featureReports(program);
    QVERIFY2(reports[0].startsWith(QLatin1String("0000")), qPrintable(reports[0]));
    QCOMPARE(reports[1], QStringLiteral("00810000000000007e"));
    QCOMPARE(reports[2], QStringLiteral("0001080000000000f6"));
    QVERIFY(program.waitForMainScreen());
    screen.shot(QStringLiteral("connected.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
}

void Lifecycle::secondStartExitsWithOne()
{
    Program program(screen.name());
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
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void Lifecycle::nothingAttached()
{
    Program program(screen.name());
    program.environment.insert(QStringLiteral("VMOUSE_CONFIG"), QString());   // no device
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device DisConnect")));
    QVERIFY(!program.lines().contains(QStringLiteral("Device Connect")));
    // Xvfb has no tray: the window is minimised rather than hidden, so the
    // quit action stays within reach.
    QVERIFY(!windowOf(screen.name()).isEmpty());
    QCOMPARE(program.process.state(), QProcess::Running);   // it waits in the tray
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void Lifecycle::quitFromTheWindowMenu()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    screen.click(kEmptyPlace, 3);
    screen.shot(QStringLiteral("quit-menu.png"));
    // The menu's one entry sits just below and right of the pointer.
    screen.click(kEmptyPlace + QPoint(20, 11));
    QVERIFY(program.waitForEnd());
    QCOMPARE(program.process.exitCode(), 0);
}

void Lifecycle::capturedInputIsNeverLogged()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    const qsizetype before = program.lines().size();
    // Desktop-wide keys and a click outside the window: the capture hears
    // them, and none of it may reach the program's output.
    screen.type(QStringLiteral("secret"));
    screen.keys({QStringLiteral("KP_Enter"), QStringLiteral("Shift_R")});
    screen.click(kOutsideTheWindow);
    // The keys and the click sit in the program's X connections by now
    // (xdotool ends after the server took them); a DPI press it must log
    // goes after them through its event loop.
    program.vmousectl({QStringLiteral("dpi"), QStringLiteral("2")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 2"), 5000));
    QStringList added = program.lines().mid(before);
    added.removeIf([](const QString& line) {
        return line == QLatin1String("qml: DPI stage 2") || line.startsWith(QLatin1String("Info: DPI Switch to"));
    });
    QCOMPARE(added, QStringList());
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void Lifecycle::startsWithoutAnXServerForCapture()
{
    // No display at all: the capture cannot install, the program goes on.
    Program program(screen.name());
    program.environment.remove(QStringLiteral("DISPLAY"));
    program.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    QCOMPARE(program.process.state(), QProcess::Running);
}

void Lifecycle::startsOnXWaylandInAWaylandSession()
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

void Lifecycle::runsAsAWaylandClientWithoutAnXDisplay()
{
    WestonSession session;
    QVERIFY2(session.isRunning(), "weston did not start");
    Program program(session.xDisplay());
    startInSession(program, session, false);
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect")));
    QTRY_VERIFY_WITH_TIMEOUT(isWaylandToplevel(program), 10000);
    // Nothing of it on the X display.
    QVERIFY(Screen(session.xDisplay())
                .xdotool({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Kestrel Orbit$")})
                .isEmpty());
    // The session's end (SIGTERM) quits it as its quit action does.
    QVERIFY(quitsCleanlyOnTerm(program));
}

QTEST_GUILESS_MAIN(Lifecycle)
#include "tst_endtoend_lifecycle.moc"
