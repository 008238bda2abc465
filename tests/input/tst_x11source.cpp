// The X11 event source against a real server: an Xvfb of the test's own,
// driven by xdotool. Keys must arrive exactly as the Windows low-level hook
// reports them, buttons as mouse messages at the pointer's position; each
// half stops when removed; without a server nothing installs.
#include "inputhooks.h"
#include "inputsource_x11.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "xvfbserver.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
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

// Counts keys heard on another thread and ends that thread's loop after two.
struct CountingSink final : InputEventSink
{
    CountingSink(std::atomic<int>& count, QEventLoop& loop) : count(count), loop(loop) {}
    void handleKeyEvent(int, std::uint32_t, std::uint32_t, std::uint32_t) override
    {
        if (++count >= 2)
            loop.quit();
    }
    void handleMouseEvent(std::uint32_t, int, int) override {}
    std::atomic<int>& count;
    QEventLoop& loop;
};

// Waits up to 5 s for a condition another thread makes true, without
// running this thread's event loop.
template <typename Condition>
bool waitWithoutLoop(Condition condition)
{
    const QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));   // a poll, not a guess at how long
    }
    return true;
}

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
    // Waits until everything sent so far has arrived: the server delivers in
    // order, so once a marker sent after it (F12, or a middle click) is in
    // `events`, nothing sent before is still on its way. The marker is taken
    // off again.
    bool keysSettled(std::vector<Event>& keys);
    bool buttonsSettled(std::vector<Event>& buttons);

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
    return QTest::qWaitFor([&] { return events.size() >= count; }, 5000);
}

namespace {

// Waits for the two marker events at the end of `events` and takes them off.
bool markerArrived(std::vector<Event>& events, const Event& down, const Event& up)
{
    const bool arrived = QTest::qWaitFor([&] { return !events.empty() && events.back() == up; }, 5000);
    if (!arrived || events.size() < 2 || events[events.size() - 2] != down)
        return false;
    events.resize(events.size() - 2);
    return true;
}

} // namespace

bool X11SourceTest::keysSettled(std::vector<Event>& keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("96")}) && markerArrived(keys, {Down, 0x58, 0x00}, {Up, 0x58, 0x80});
}

bool X11SourceTest::buttonsSettled(std::vector<Event>& buttons)
{
    // At the pointer's place, which the tests leave at 1279,0 before this.
    return xdotool({QStringLiteral("click"), QStringLiteral("2")})
           && markerArrived(buttons, {0x207, 1279, 0}, {0x208, 1279, 0});
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
                     QStringLiteral("106"),                          // keypad /
                     QStringLiteral("133"),                          // Super_L
                     QStringLiteral("134")}));                       // Super_R
    QVERIFY(keysSettled(recorder.keys));
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
        {Down, 0x5B, 0x01}, {Up, 0x5B, 0x81},   // left Windows key
        {Down, 0x5C, 0x01}, {Up, 0x5C, 0x81},   // right Windows key
    };
    QCOMPARE(text(recorder.keys), text(expected));
    // Keys only: the mouse half was never installed.
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(keysSettled(recorder.keys));
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
    QVERIFY(keysSettled(recorder.keys));
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
    QVERIFY(buttonsSettled(recorder.buttons));
    const std::vector<Event> expected{
        {0x201, 100, 200}, {0x202, 100, 200},   // left
        {0x204, 1279, 0},  {0x205, 1279, 0},    // right
        {0x207, 1279, 0},  {0x208, 1279, 0},    // middle
        {0x20A, 1279, 0},                       // one wheel turn, no release
    };
    QCOMPARE(text(recorder.buttons), text(expected));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QVERIFY(buttonsSettled(recorder.buttons));
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

    // The keyboard comes back on a new install; what was sent while neither
    // half was installed, ahead of b, never arrives.
    QVERIFY(source.installKeyboard(recorder));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("56")}));   // b
    QVERIFY(waitFor(recorder.keys, 2));
    QCOMPARE(text(recorder.keys), text({{Down, 0x30, 0x00}, {Up, 0x30, 0x80}}));
    QCOMPARE(recorder.buttons.size(), std::size_t(2));
}

void X11SourceTest::eventsReadWhileChangingHalvesAreDelivered()
{
    X11InputSource source;
    Recorder recorder;
    QVERIFY(source.installKeyboard(recorder));
    QVERIFY(source.installMouse(recorder));
    // The key events reach our socket while no event loop runs here; removing
    // the mouse half then talks to the server and reads them off the socket.
    // A source on a thread of its own tells when the server has sent them.
    std::atomic<int> heard{0};
    std::atomic<int> installed{0};   // 1 listening, -1 could not
    std::unique_ptr<QThread> witness(QThread::create([&heard, &installed] {
        X11InputSource other;
        QEventLoop loop;
        CountingSink sink(heard, loop);
        installed = other.installKeyboard(sink) ? 1 : -1;
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    }));
    witness->start();
    QVERIFY(waitWithoutLoop([&] { return installed != 0; }));
    QCOMPARE(int(installed), 1);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QVERIFY(waitWithoutLoop([&] { return heard >= 2; }));
    witness->wait();
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
    // a, keypad Enter, right Shift, both Windows keys; Alt+Print Screen; Ctrl+Pause.
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38"), QStringLiteral("104"), QStringLiteral("62"),
                     QStringLiteral("133"), QStringLiteral("134")}));
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("64"), QStringLiteral("keydown"), QStringLiteral("107"),
                     QStringLiteral("keyup"), QStringLiteral("64"), QStringLiteral("keyup"), QStringLiteral("107")}));
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("37"), QStringLiteral("keydown"), QStringLiteral("127"),
                     QStringLiteral("keyup"), QStringLiteral("37"), QStringLiteral("keyup"), QStringLiteral("127")}));
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("200"),
                     QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(QTest::qWaitFor([&] { return seen.keys.size() >= 18 && seen.buttons.size() >= 2; }, 5000));
    // The right Windows key is the right GUI key, like its left twin.
    // Released in the other order, Print Screen and Pause still come up as
    // the keys that went down.
    QCOMPARE(seen.keys, (QList<int>{0x04, -0x04, 0x58, -0x58, 0xE5, -0xE5, 0xE3, -0xE3, 0xE7, -0xE7,
                                    0xE2, 0x46, -0xE2, -0x46, 0xE0, 0x48, -0xE0, -0x48}));
    QCOMPARE(text(seen.buttons), text({{0xF0, 100, 200}, {0x1F0, 100, 200}}));

    hooks.removeHooks();
    // A source of the test's own hears the next key: by then the server has
    // sent it to everyone still listening.
    X11InputSource witness;
    Recorder heard;
    QVERIFY(witness.installKeyboard(heard));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QVERIFY(waitFor(heard.keys, 2));
    QCoreApplication::processEvents();
    QCOMPARE(seen.keys.size(), 18);
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
        QCOMPARE(hooks.scanCodeMap().size(), std::size_t(106));
        hooks.removeHooks();
    }
}

QTEST_GUILESS_MAIN(X11SourceTest)
#include "tst_x11source.moc"
