// The X11 event source against a real server: an Xvfb of the test's own,
// driven by xdotool. Keys must arrive exactly as the Windows low-level hook
// reports them, buttons as mouse messages at the pointer's position; each
// half stops when removed; without a server nothing installs.
#include "inputhooks.h"
#include "inputsource_x11.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "xvfbserver.h"

#include <memory>
#include <QThread>

#include <vector>

namespace {

struct Event
{
    // Keys: message, scan code, flags. Buttons: message, x, y.
    std::uint32_t message;
    std::uint32_t a, b;
    bool operator==(const Event&) const = default;
};

struct Recorder final : InputEventSink
{
    void handleKeyEvent(int hookCode, std::uint32_t message, std::uint32_t scanCode, std::uint32_t flags) override
    {
        QCOMPARE(hookCode, 0);
        keys.push_back({message, scanCode, flags});
    }
    void handleMouseEvent(std::uint32_t message, int x, int y) override
    {
        buttons.push_back({message, std::uint32_t(x), std::uint32_t(y)});
    }
    std::vector<Event> keys, buttons;
};

// Lists compare as text, so a failure shows both sequences.
QString text(const std::vector<Event>& events)
{
    QStringList out;
    for (const Event& e : events)
        out << QStringLiteral("%1 %2 %3").arg(e.message, 0, 16).arg(e.a, 0, 16).arg(e.b, 0, 16);
    return out.join(QStringLiteral(" | "));
}

constexpr std::uint32_t Down = 0x100, Up = 0x101, SysDown = 0x104, SysUp = 0x105;

} // namespace

class X11SourceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void keysArriveAsTheWindowsHookReportsThem();
    void modifiedPrintScreenAndPause();
    void buttonsArriveAtThePointerPosition();
    void removedHalvesStopDelivering();
    void eventsReadWhileChangingHalvesAreDelivered();
    void feedsTheCapture();
    void noServerNoHooks();

private:
    bool xdotool(const QStringList& arguments);
    // Waits until the recorder holds count events of the kind.
    bool waitFor(const std::vector<Event>& events, std::size_t count);

    std::unique_ptr<XvfbServer> server;
    QByteArray display;
    QByteArray savedDisplay;
};

void X11SourceTest::initTestCase()
{
    savedDisplay = qgetenv("DISPLAY");
    // -noreset: the source's connection is often the only client, and a
    // server resetting after its last client refuses the next one briefly.
    server = std::make_unique<XvfbServer>(QStringList{QStringLiteral("-noreset")});
    display = server->name().toLatin1();
    QVERIFY2(!display.isEmpty(), "Xvfb did not start");
}

void X11SourceTest::cleanupTestCase()
{
    server.reset();
    qputenv("DISPLAY", savedDisplay);
}

void X11SourceTest::init()
{
    qputenv("DISPLAY", display);
}

bool X11SourceTest::xdotool(const QStringList& arguments)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(10000) && tool.exitCode() == 0;
}

bool X11SourceTest::waitFor(const std::vector<Event>& events, std::size_t count)
{
    QElapsedTimer timer;
    timer.start();
    while (events.size() < count && timer.elapsed() < 5000)
        QTest::qWait(20);
    // Anything beyond the expected events would show up now.
    QTest::qWait(100);
    return events.size() >= count;
}

void X11SourceTest::keysArriveAsTheWindowsHookReportsThem()
{
    X11InputSource source;
    Recorder recorder;
    QVERIFY(source.installKeyboard(recorder));
    // X key codes, not key names: xdotool adds and releases modifiers of its
    // own around some names (left Shift around Shift_R).
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38"),    // a
                     QStringLiteral("104"),                          // keypad Enter
                     QStringLiteral("36"),                           // Enter
                     QStringLiteral("62"),                           // right Shift
                     QStringLiteral("50"),                           // left Shift
                     QStringLiteral("77"),                           // Num Lock
                     QStringLiteral("127"),                          // Pause
                     QStringLiteral("110"),                          // Home
                     QStringLiteral("105"),                          // right Ctrl
                     QStringLiteral("106")}));                       // keypad /
    QVERIFY(waitFor(recorder.keys, 20));
    const std::vector<Event> expected{
        {Down, 0x1E, 0x00}, {Up, 0x1E, 0x80},   // a
        {Down, 0x1C, 0x01}, {Up, 0x1C, 0x81},   // keypad Enter
        {Down, 0x1C, 0x00}, {Up, 0x1C, 0x80},   // Enter
        {Down, 0x36, 0x01}, {Up, 0x36, 0x81},   // right Shift
        {Down, 0x2A, 0x00}, {Up, 0x2A, 0x80},   // left Shift
        {Down, 0x45, 0x01}, {Up, 0x45, 0x81},   // Num Lock
        {Down, 0x45, 0x00}, {Up, 0x45, 0x80},   // Pause
        {Down, 0x47, 0x01}, {Up, 0x47, 0x81},   // Home
        {Down, 0x1D, 0x01}, {Up, 0x1D, 0x81},   // right Ctrl
        {Down, 0x35, 0x01}, {Up, 0x35, 0x81},   // keypad /
    };
    QCOMPARE(text(recorder.keys), text(expected));
    // Keys only: the mouse half was never installed.
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTest::qWait(200);
    QVERIFY(recorder.buttons.empty());
}

void X11SourceTest::modifiedPrintScreenAndPause()
{
    X11InputSource source;
    Recorder recorder;
    QVERIFY(source.installKeyboard(recorder));
    const auto down = [](const char* key) { return QStringList{QStringLiteral("keydown"), QLatin1String(key)}; };
    const auto up = [](const char* key) { return QStringList{QStringLiteral("keyup"), QLatin1String(key)}; };
    // Alt (64) + Print Screen (107), released in either order; Ctrl (37) + Pause (127).
    QVERIFY(xdotool(down("64") + down("107") + up("107") + up("64")));
    QVERIFY(xdotool(down("64") + down("107") + up("64") + up("107")));
    QVERIFY(xdotool(down("37") + down("127") + up("127") + up("37")));
    QVERIFY(waitFor(recorder.keys, 12));
    const std::vector<Event> expected{
        // While Alt is held Print Screen is SysRq, and the system-key messages come.
        {SysDown, 0x38, 0x20}, {SysDown, 0x54, 0x20}, {SysUp, 0x54, 0xA0}, {Up, 0x38, 0x80},
        // Released after Alt, it is Print Screen again: both map to the same key.
        {SysDown, 0x38, 0x20}, {SysDown, 0x54, 0x20}, {Up, 0x38, 0x80}, {Up, 0x37, 0x81},
        // Ctrl+Pause is Break.
        {Down, 0x1D, 0x00}, {Down, 0x46, 0x01}, {Up, 0x46, 0x81}, {Up, 0x1D, 0x80},
    };
    QCOMPARE(text(recorder.keys), text(expected));
}

void X11SourceTest::buttonsArriveAtThePointerPosition()
{
    X11InputSource source;
    Recorder recorder;
    QVERIFY(source.installMouse(recorder));
    // The position is the pointer's when the event is read, so the pointer
    // stays put until each click has arrived.
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("200"),
                     QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(waitFor(recorder.buttons, 2));
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("1279"), QStringLiteral("0"),
                     QStringLiteral("click"), QStringLiteral("3"), QStringLiteral("click"), QStringLiteral("2"),
                     QStringLiteral("click"), QStringLiteral("4")}));
    QVERIFY(waitFor(recorder.buttons, 7));
    const std::vector<Event> expected{
        {0x201, 100, 200}, {0x202, 100, 200},   // left
        {0x204, 1279, 0},  {0x205, 1279, 0},    // right
        {0x207, 1279, 0},  {0x208, 1279, 0},    // middle
        {0x20A, 1279, 0},                       // one wheel turn, no release
    };
    QCOMPARE(text(recorder.buttons), text(expected));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QTest::qWait(200);
    QVERIFY(recorder.keys.empty());
}

void X11SourceTest::removedHalvesStopDelivering()
{
    X11InputSource source;
    Recorder recorder;
    QVERIFY(source.installKeyboard(recorder));
    QVERIFY(source.installMouse(recorder));
    source.removeKeyboard();
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38"), QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(waitFor(recorder.buttons, 2));
    QVERIFY(recorder.keys.empty());

    source.removeMouse();
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38"), QStringLiteral("click"), QStringLiteral("1")}));
    QTest::qWait(300);
    QCOMPARE(recorder.buttons.size(), std::size_t(2));
    QVERIFY(recorder.keys.empty());

    // And both come back on a new install.
    QVERIFY(source.installKeyboard(recorder));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("56")}));   // b
    QVERIFY(waitFor(recorder.keys, 2));
    QCOMPARE(text({recorder.keys.front()}), text({{Down, 0x30, 0x00}}));
}

void X11SourceTest::eventsReadWhileChangingHalvesAreDelivered()
{
    X11InputSource source;
    Recorder recorder;
    QVERIFY(source.installKeyboard(recorder));
    QVERIFY(source.installMouse(recorder));
    // The key events reach our socket while no event loop runs; removing the
    // mouse half then talks to the server and reads them off the socket.
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QThread::msleep(200);
    source.removeMouse();
    QVERIFY(waitFor(recorder.keys, 2));
    QCOMPARE(text(recorder.keys), text({{Down, 0x1E, 0x00}, {Up, 0x1E, 0x80}}));
}

void X11SourceTest::feedsTheCapture()
{
    struct Seen
    {
        QList<int> keys;
        std::vector<Event> buttons;
    } seen;
    InputHooks hooks(std::make_unique<X11InputSource>());
    QVERIFY(hooks.init(false));
    hooks.setKeyboardCallback([](unsigned char usage, bool down, void* context) {
        static_cast<Seen*>(context)->keys.push_back(down ? usage : -usage);
    }, &seen);
    hooks.setMouseCallback([](unsigned char code, bool down, int x, int y, void* context) {
        static_cast<Seen*>(context)->buttons.push_back({std::uint32_t(down ? code : 0x100 + code), std::uint32_t(x),
                                                        std::uint32_t(y)});
    }, &seen);
    // a, keypad Enter, right Shift; Alt+Print Screen; Ctrl+Pause.
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38"), QStringLiteral("104"), QStringLiteral("62")}));
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("64"), QStringLiteral("keydown"), QStringLiteral("107"),
                     QStringLiteral("keyup"), QStringLiteral("64"), QStringLiteral("keyup"), QStringLiteral("107")}));
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("37"), QStringLiteral("keydown"), QStringLiteral("127"),
                     QStringLiteral("keyup"), QStringLiteral("37"), QStringLiteral("keyup"), QStringLiteral("127")}));
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("200"),
                     QStringLiteral("click"), QStringLiteral("1")}));
    QElapsedTimer timer;
    timer.start();
    while ((seen.keys.size() < 14 || seen.buttons.size() < 2) && timer.elapsed() < 5000)
        QTest::qWait(20);
    // Released in the other order, Print Screen and Pause still come up as
    // the keys that went down.
    QCOMPARE(seen.keys, (QList<int>{0x04, -0x04, 0x58, -0x58, 0xE5, -0xE5, 0xE2, 0x46, -0xE2, -0x46,
                                    0xE0, 0x48, -0xE0, -0x48}));
    QCOMPARE(text(seen.buttons), text({{0xF0, 100, 200}, {0x1F0, 100, 200}}));

    hooks.removeHooks();
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QTest::qWait(300);
    QCOMPARE(seen.keys.size(), 14);
}

void X11SourceTest::noServerNoHooks()
{
    for (const QByteArray& name : {QByteArray(":9999"), QByteArray()}) {
        if (name.isEmpty())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", name);
        X11InputSource source;
        Recorder recorder;
        QVERIFY(!source.installKeyboard(recorder));
        QVERIFY(!source.installMouse(recorder));

        InputHooks hooks(std::make_unique<X11InputSource>());
        QVERIFY(!hooks.init(false));
        QVERIFY(!hooks.keyboardHookInstalled() && !hooks.mouseHookInstalled());
        QCOMPARE(hooks.scanCodeMap().size(), std::size_t(105));
        hooks.removeHooks();
    }
}

QTEST_GUILESS_MAIN(X11SourceTest)
#include "tst_x11source.moc"
