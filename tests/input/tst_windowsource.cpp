// The window's own keys and buttons as a capture source, as a Wayland
// client's window needs it: key events with native scan codes reach the
// capture with the codes the X11 source gives for the same keys, buttons take
// the X11 source's table, and with the X11 source running beside it every key
// and click arrives once. A private Xvfb driven by xdotool stands for what
// XWayland hears of the other windows; the program's window is offscreen.
#include "capturesource.h"
#include "fixturetree.h"
#include "inputhooks.h"
#include "inputsource_x11.h"
#include "myqquickview.h"
#include "widget.h"
#include "windowinputsource.h"

#include <QKeyEvent>
#include <QProcess>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "xvfbserver.h"

namespace {

QString hex(int code)
{
    return QStringLiteral("0x%1").arg(code, 2, 16, QLatin1Char('0'));
}

struct Seen
{
    QStringList keys, buttons;
};

void recordKey(unsigned char usage, bool down, void* context)
{
    static_cast<Seen*>(context)->keys << hex(usage) + (down ? QStringLiteral(" down") : QStringLiteral(" up"));
}

void recordButton(unsigned char code, bool down, int x, int y, void* context)
{
    static_cast<Seen*>(context)->buttons
        << QStringLiteral("%1 %2 at %3,%4").arg(hex(code), down ? QStringLiteral("down") : QStringLiteral("up"))
               .arg(x)
               .arg(y);
}

// The X11 source with a count of what it delivers, so that a test knows the
// events it expects the window to drop did arrive.
class CountingSource final : public InputEventSource, public InputEventSink
{
public:
    int keys = 0, buttons = 0;

    bool installKeyboard(InputEventSink& sink) override
    {
        keyboardSink = &sink;
        return inner.installKeyboard(*this);
    }
    bool installMouse(InputEventSink& sink) override
    {
        mouseSink = &sink;
        return inner.installMouse(*this);
    }
    void removeKeyboard() override { inner.removeKeyboard(); }
    void removeMouse() override { inner.removeMouse(); }
    void handleKeyEvent(int hookCode, std::uint32_t message, std::uint32_t scanCode, std::uint32_t flags) override
    {
        ++keys;
        keyboardSink->handleKeyEvent(hookCode, message, scanCode, flags);
    }
    void handleMouseEvent(std::uint32_t message, int x, int y) override
    {
        ++buttons;
        mouseSink->handleMouseEvent(message, x, y);
    }

private:
    X11InputSource inner;
    InputEventSink* keyboardSink = nullptr;
    InputEventSink* mouseSink = nullptr;
};

// The program's window and another one to take the focus away, with the
// capture fed by the window and by the X11 source.
struct Rig
{
    Rig()
    {
        auto counting = std::make_unique<CountingSource>();
        desktop = counting.get();
        auto source = std::make_unique<WindowInputSource>(&window, std::move(counting));
        windowSource = source.get();
        hooks = std::make_unique<InputHooks>(std::move(source));
        installed = hooks->init(false);
        hooks->setKeyboardCallback(&recordKey, &seen);
        hooks->setMouseCallback(&recordButton, &seen);
        window.resize(300, 200);
        other.resize(100, 100);
        other.move(400, 0);
        window.show();
        other.show();
    }
    QWindow* handle() const { return window.windowHandle(); }

    QWidget window, other;
    CountingSource* desktop = nullptr;
    WindowInputSource* windowSource = nullptr;
    std::unique_ptr<InputHooks> hooks;
    bool installed = false;
    Seen seen;
};

bool activate(QWidget& widget)
{
    widget.activateWindow();
    return QTest::qWaitForWindowActive(&widget);
}

void key(QWindow* window, unsigned keycode, bool press, bool autoRepeat = false)
{
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, keycode, 0, 0,
                    QString(), autoRepeat);
    QCoreApplication::sendEvent(window, &event);
}

void tap(QWindow* window, unsigned keycode)
{
    key(window, keycode, true);
    key(window, keycode, false);
}

void button(QWindow* window, QEvent::Type type, Qt::MouseButton which, QPoint global)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(which);
    QMouseEvent event(type, QPointF(10, 10), QPointF(global), which, held, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
}

void pointerInside(QWindow* window, bool inside)
{
    if (inside) {
        QEnterEvent event(QPointF(10, 10), QPointF(10, 10), QPointF(110, 110));
        QCoreApplication::sendEvent(window, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(window, &event);
    }
}

// Waits (at most 5 s) until the desktop source has heard `wanted` events;
// what it hands on, it hands on as it hears them.
bool waitForCount(const int& count, int wanted)
{
    return QTest::qWaitFor([&] { return count >= wanted; }, 5000);
}

} // namespace

class WindowSourceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void keysMatchTheX11Source_data();
    void keysMatchTheX11Source();
    void bothSourcesGiveEachKeyOnce();
    void aHeldKeyIsOnePressEvenWhenTheFocusGoes();
    void buttonsTakeTheX11Table();
    void bothSourcesGiveEachClickOnce();
    void theProgramsCaptureReachesTheDocument();

private:
    bool xdotool(const QStringList& arguments);

    std::unique_ptr<XvfbServer> server;
    QByteArray savedDisplay;
};

void WindowSourceTest::initTestCase()
{
    savedDisplay = qgetenv("DISPLAY");
    server = std::make_unique<XvfbServer>(QStringList{QStringLiteral("-noreset")});
    QVERIFY2(!server->name().isEmpty(), "Xvfb did not start");
    qputenv("DISPLAY", server->name().toLatin1());
}

void WindowSourceTest::cleanupTestCase()
{
    server.reset();
    qputenv("DISPLAY", savedDisplay);
}

bool WindowSourceTest::xdotool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(10000) && tool.exitCode() == 0;
}

void WindowSourceTest::keysMatchTheX11Source_data()
{
    QTest::addColumn<unsigned>("keycode");
    QTest::addColumn<int>("usage");
    QTest::newRow("left Shift") << 50u << 0xE1;
    QTest::newRow("right Ctrl") << 105u << 0xE4;
    QTest::newRow("keypad Enter") << 104u << 0x58;
    QTest::newRow("Print Screen") << 107u << 0x46;
    QTest::newRow("a") << 38u << 0x04;
}

void WindowSourceTest::keysMatchTheX11Source()
{
    QFETCH(unsigned, keycode);
    QFETCH(int, usage);
    Rig rig;
    QVERIFY(rig.installed);
    // The key typed elsewhere, as the X11 source hears it...
    QVERIFY(activate(rig.other));
    QVERIFY(xdotool({QStringLiteral("key"), QString::number(keycode)}));
    QVERIFY(waitForCount(rig.desktop->keys, 2));
    const QStringList fromX11 = std::exchange(rig.seen.keys, {});
    // ...and typed into the window.
    QVERIFY(activate(rig.window));
    tap(rig.handle(), keycode);
    QCOMPARE(rig.seen.keys, fromX11);
    QCOMPARE(rig.seen.keys, (QStringList{hex(usage) + QStringLiteral(" down"), hex(usage) + QStringLiteral(" up")}));
}

void WindowSourceTest::bothSourcesGiveEachKeyOnce()
{
    Rig rig;
    QVERIFY(activate(rig.window));
    const QStringList once{QStringLiteral("0x04 down"), QStringLiteral("0x04 up")};
    // The window first, the desktop source after it.
    tap(rig.handle(), 38);
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QVERIFY(waitForCount(rig.desktop->keys, 2));
    QCOMPARE(rig.seen.keys, once);
    // The desktop source first.
    rig.seen.keys.clear();
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QVERIFY(waitForCount(rig.desktop->keys, 4));
    tap(rig.handle(), 38);
    QCOMPARE(rig.seen.keys, once);
    // Interleaved while the key is held.
    rig.seen.keys.clear();
    key(rig.handle(), 38, true);
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("38"), QStringLiteral("keyup"), QStringLiteral("38")}));
    QVERIFY(waitForCount(rig.desktop->keys, 6));
    key(rig.handle(), 38, false);
    QCOMPARE(rig.seen.keys, once);
    // Without the focus, the window hears nothing and the desktop source counts.
    rig.seen.keys.clear();
    QVERIFY(activate(rig.other));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("38")}));
    QVERIFY(waitForCount(rig.desktop->keys, 8));
    QCOMPARE(rig.seen.keys, once);
}

void WindowSourceTest::aHeldKeyIsOnePressEvenWhenTheFocusGoes()
{
    Rig rig;
    QVERIFY(activate(rig.window));
    // Qt repeats a held key as release-press pairs.
    key(rig.handle(), 50, true);
    for (int i = 0; i < 3; ++i) {
        key(rig.handle(), 50, false, true);
        key(rig.handle(), 50, true, true);
    }
    QCOMPARE(rig.seen.keys, (QStringList{QStringLiteral("0xe1 down")}));
    // The focus goes while the key is down: it counts as released, and the
    // release that reaches the window when the focus is back is not new.
    QVERIFY(activate(rig.other));
    QCOMPARE(rig.seen.keys, (QStringList{QStringLiteral("0xe1 down"), QStringLiteral("0xe1 up")}));
    QVERIFY(activate(rig.window));
    key(rig.handle(), 50, false);
    // Alt+Print Screen takes the X11 source's way too: Print Screen while Alt is down.
    key(rig.handle(), 64, true);
    tap(rig.handle(), 107);
    key(rig.handle(), 64, false);
    QCOMPARE(rig.seen.keys, (QStringList{QStringLiteral("0xe1 down"), QStringLiteral("0xe1 up"),
                                         QStringLiteral("0xe2 down"), QStringLiteral("0x46 down"),
                                         QStringLiteral("0x46 up"), QStringLiteral("0xe2 up")}));
}

void WindowSourceTest::buttonsTakeTheX11Table()
{
    Rig rig;
    const QPoint at(100, 200);
    const struct
    {
        QEvent::Type type;
        Qt::MouseButton button;
    } events[] = {
        {QEvent::MouseButtonPress, Qt::LeftButton},   {QEvent::MouseButtonRelease, Qt::LeftButton},
        // A double click's second press comes as a double-click event.
        {QEvent::MouseButtonDblClick, Qt::LeftButton}, {QEvent::MouseButtonRelease, Qt::LeftButton},
        {QEvent::MouseButtonPress, Qt::RightButton},  {QEvent::MouseButtonRelease, Qt::RightButton},
        {QEvent::MouseButtonPress, Qt::MiddleButton}, {QEvent::MouseButtonRelease, Qt::MiddleButton},
        // Side buttons are not reported, as from the X11 source.
        {QEvent::MouseButtonPress, Qt::BackButton},   {QEvent::MouseButtonRelease, Qt::BackButton},
    };
    for (const auto& event : events)
        button(rig.handle(), event.type, event.button, at);
    QCOMPARE(rig.seen.buttons, (QStringList{"0xf0 down at 100,200", "0xf0 up at 100,200", "0xf0 down at 100,200",
                                            "0xf0 up at 100,200", "0xf1 down at 100,200", "0xf1 up at 100,200",
                                            "0xf2 down at 100,200", "0xf2 up at 100,200"}));
}

void WindowSourceTest::bothSourcesGiveEachClickOnce()
{
    Rig rig;
    QVERIFY(xdotool({QStringLiteral("mousemove"), QStringLiteral("640"), QStringLiteral("400")}));
    // The pointer over the window: its own click counts, the desktop's not.
    pointerInside(rig.handle(), true);
    button(rig.handle(), QEvent::MouseButtonPress, Qt::LeftButton, {110, 110});
    button(rig.handle(), QEvent::MouseButtonRelease, Qt::LeftButton, {110, 110});
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(waitForCount(rig.desktop->buttons, 2));
    // A button pressed in the window keeps it until released, even outside.
    button(rig.handle(), QEvent::MouseButtonPress, Qt::RightButton, {110, 110});
    pointerInside(rig.handle(), false);
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(waitForCount(rig.desktop->buttons, 4));
    button(rig.handle(), QEvent::MouseButtonRelease, Qt::RightButton, {500, 110});
    // Elsewhere the desktop source reports.
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QVERIFY(waitForCount(rig.desktop->buttons, 6));
    QCOMPARE(rig.seen.buttons, (QStringList{"0xf0 down at 110,110", "0xf0 up at 110,110", "0xf1 down at 110,110",
                                            "0xf1 up at 500,110", "0xf0 down at 640,400", "0xf0 up at 640,400"}));
}

void WindowSourceTest::theProgramsCaptureReachesTheDocument()
{
    // Which platforms need the window's own events.
    QVERIFY(!windowEventsNeeded(QStringLiteral("xcb")));
    QVERIFY(!windowEventsNeeded(QStringLiteral("windows")));
    QVERIFY(windowEventsNeeded(QStringLiteral("wayland")));
    QVERIFY(windowEventsNeeded(QStringLiteral("wayland-egl")));
    QVERIFY(windowEventsNeeded(QStringLiteral("offscreen")));

    // As start-up builds it, on a platform like Wayland's (offscreen), with a
    // stand-in main document that keeps what reaches its two functions.
    FixtureTree tree;
    QTemporaryDir dir;
    QFile document(dir.filePath(QStringLiteral("standin.qml")));
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.write("import QtQuick\n"
                   "Item {\n"
                   "    property string log: ''\n"
                   "    function detectKeyboard(isDown, usbCode) { log += 'key ' + usbCode + (isDown ? ' down;' : ' up;') }\n"
                   "    function detectMouse(isDown, code, x, y) {\n"
                   "        log += 'button ' + code + (isDown ? ' down' : ' up') + ' at ' + (x | 0) + ',' + (y | 0) + ';'\n"
                   "    }\n"
                   "}\n");
    document.close();
    Widget window;
    window.view()->setSource(QUrl::fromLocalFile(document.fileName()));
    QQuickItem* root = window.view()->rootObject();
    QVERIFY(root);
    InputHooks hooks(createCaptureSource(&window));
    QVERIFY(hooks.init(false));
    hooks.setKeyboardCallback(&Widget::keyboardEvent, &window);
    hooks.setMouseCallback(&Widget::mouseEvent, &window);
    window.showNormal();
    QVERIFY(activate(window));
    tap(window.windowHandle(), 62);   // right Shift
    button(window.windowHandle(), QEvent::MouseButtonPress, Qt::LeftButton, {100, 200});
    button(window.windowHandle(), QEvent::MouseButtonRelease, Qt::LeftButton, {100, 200});
    QTRY_COMPARE(root->property("log").toString(),
                 QStringLiteral("key 229 down;key 229 up;button 240 down at 100,200;button 240 up at 100,200;"));
}

QTEST_MAIN(WindowSourceTest)
#include "tst_windowsource.moc"
