// What the program does to fit the desktop session it runs in: it starts on
// XWayland's X display where there is one and the user chose no platform,
// hands a window drag to the compositor where it may not place its window
// (Wayland) and places it itself elsewhere, and ends cleanly when the
// session asks it to.
#include "platformchoice.h"
#include "ui_controler.h"

#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <optional>
#include <vector>

#include "xvfbserver.h"

namespace {

// Sets an environment variable for the scope, or unsets it (nullopt).
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : name(name)
        , saved(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt)
    {
        set(value);
    }
    ~ScopedEnv() { set(saved); }

private:
    void set(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    const char* name;
    std::optional<QByteArray> saved;
};

// The window moves it went through, as the window saw them.
struct MoveLog : QObject
{
    std::vector<QPoint> positions;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Move)
            positions.push_back(static_cast<QMoveEvent*>(event)->pos());
        return false;
    }
};

// A shown window at (100, 100) with its controller; the compositor's move
// is recorded and answers `systemMoveWorks`.
struct DragRig
{
    DragRig(WindowDrag drag, bool systemMoveWorks)
    {
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.installEventFilter(&moves);
        controller.window = &window;
        controller.drag = drag;
        controller.startSystemMove = [this, systemMoveWorks](QWindow* handle) {
            systemMoves.push_back(handle);
            return systemMoveWorks;
        };
    }

    QWidget window;
    MoveLog moves;
    Ui_Controler controller;
    std::vector<QWindow*> systemMoves;
};

} // namespace

class SessionTest : public QObject
{
    Q_OBJECT

private slots:
    void platformChoice_data();
    void platformChoice();
    void theAskingConnectionOutlivesQtsStart();
    void dragModeFollowsThePlatform();
    void placedDragMovesByXThenY();
    void systemMoveOncePerPress();
    void refusedSystemMovePlaces();

private:
    std::unique_ptr<XvfbServer> server;
};

void SessionTest::platformChoice_data()
{
    QTest::addColumn<std::optional<QByteArray>>("userChoice");
    QTest::addColumn<QString>("display");   // "xvfb": a display that answers
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<std::optional<QByteArray>>("chosen");
    const std::optional<QByteArray> unset;
    const QByteArray xcb("xcb");
    QTest::newRow("X display answers") << unset << "xvfb" << QStringList() << std::optional(xcb);
    QTest::newRow("empty variable counts as unset") << std::optional(QByteArray()) << "xvfb" << QStringList()
                                                    << std::optional(xcb);
    QTest::newRow("user chose wayland") << std::optional(QByteArray("wayland")) << "xvfb" << QStringList()
                                        << std::optional(QByteArray("wayland"));
    QTest::newRow("-platform argument") << unset << "xvfb" << QStringList{"-platform", "wayland"} << unset;
    QTest::newRow("--platform argument") << unset << "xvfb" << QStringList{"--platform", "offscreen"} << unset;
    QTest::newRow("no server at DISPLAY") << unset << ":9999" << QStringList() << unset;
    QTest::newRow("no DISPLAY") << unset << "" << QStringList() << unset;
}

void SessionTest::platformChoice()
{
    QFETCH(std::optional<QByteArray>, userChoice);
    QFETCH(QString, display);
    QFETCH(QStringList, arguments);
    QFETCH(std::optional<QByteArray>, chosen);
    if (display == QLatin1String("xvfb")) {
        if (!server)
            server = std::make_unique<XvfbServer>(QStringList{QStringLiteral("-noreset")});
        QVERIFY2(!server->name().isEmpty(), "Xvfb did not start");
        display = server->name();
    }
    ScopedEnv platformVariable("QT_QPA_PLATFORM", userChoice);
    ScopedEnv displayVariable("DISPLAY", display.isEmpty() ? std::nullopt : std::optional(display.toLatin1()));
    std::vector<QByteArray> storage{QByteArrayLiteral("kestrel-orbit")};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLatin1());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    const PlatformChoice choice(int(argv.size()), argv.data());
    QCOMPARE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), chosen.has_value());
    if (chosen)
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), *chosen);
}

void SessionTest::theAskingConnectionOutlivesQtsStart()
{
    // An X server ends (-terminate; others reset) when its last client
    // leaves; the choice must not leave it clientless before Qt connects.
    XvfbServer ending({QStringLiteral("-terminate")});
    QVERIFY2(!ending.name().isEmpty(), "Xvfb did not start");
    ScopedEnv platformVariable("QT_QPA_PLATFORM", std::nullopt);
    ScopedEnv displayVariable("DISPLAY", ending.name().toLatin1());
    char name[] = "kestrel-orbit";
    char* argv[] = {name};
    const PlatformChoice choice(1, argv);
    QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
    QTest::qWait(300);
    QProcess client;   // stands for Qt's own connection
    client.start(QStringLiteral("xdotool"), {QStringLiteral("getmouselocation")});
    QVERIFY(client.waitForFinished(10000));
    QCOMPARE(client.exitCode(), 0);
}

void SessionTest::dragModeFollowsThePlatform()
{
    QCOMPARE(windowDragFor(QStringLiteral("wayland")), WindowDrag::SystemMove);
    QCOMPARE(windowDragFor(QStringLiteral("wayland-egl")), WindowDrag::SystemMove);
    QCOMPARE(windowDragFor(QStringLiteral("xcb")), WindowDrag::Place);
    QCOMPARE(windowDragFor(QStringLiteral("windows")), WindowDrag::Place);
    QCOMPARE(windowDragFor(QStringLiteral("offscreen")), WindowDrag::Place);
}

void SessionTest::placedDragMovesByXThenY()
{
    DragRig rig(WindowDrag::Place, true);
    // The document's drag: 30 right and 10 down in one mouse move.
    rig.controller.onXChanged(30);
    rig.controller.onYChanged(10);
    QTRY_COMPARE(rig.moves.positions.size(), std::size_t(2));
    QCOMPARE(rig.moves.positions[0], QPoint(130, 100));
    QCOMPARE(rig.moves.positions[1], QPoint(130, 110));
    QVERIFY(rig.systemMoves.empty());
}

void SessionTest::systemMoveOncePerPress()
{
    DragRig rig(WindowDrag::SystemMove, true);
    // The compositor takes the drag from the first move on; the rest of the
    // drag's calls start nothing, until the next press in the window.
    rig.controller.onXChanged(30);
    rig.controller.onYChanged(10);
    rig.controller.onXChanged(0);
    rig.controller.onYChanged(5);
    QCOMPARE(rig.systemMoves, std::vector<QWindow*>{rig.window.windowHandle()});
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(105, 105), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(rig.window.windowHandle(), &press);
    rig.controller.onXChanged(0);   // no movement: nothing to start
    QCOMPARE(rig.systemMoves.size(), std::size_t(1));
    rig.controller.onYChanged(-4);
    QCOMPARE(rig.systemMoves.size(), std::size_t(2));
    QTest::qWait(50);
    QVERIFY(rig.moves.positions.empty());
}

void SessionTest::refusedSystemMovePlaces()
{
    DragRig rig(WindowDrag::SystemMove, false);
    rig.controller.onXChanged(30);
    rig.controller.onYChanged(10);
    QCOMPARE(rig.systemMoves.size(), std::size_t(2));
    QTRY_COMPARE(rig.window.pos(), QPoint(130, 110));
    // Without a window every slot does nothing.
    rig.controller.window = nullptr;
    rig.controller.onXChanged(30);
    QCOMPARE(rig.systemMoves.size(), std::size_t(2));
}

QTEST_MAIN(SessionTest)
#include "tst_session.moc"
