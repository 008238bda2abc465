#include "capturesource.h"
#include "copydatafilter.h"
#include "ctlservice.h"
#include "datadir.h"
#include "inputhooks.h"
#include "platformchoice.h"
#include "singleinstance.h"
#include "terminationsignals.h"
#include "ui_controler.h"
#include "widget.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

int main(int argc, char* argv[])
{
    const PlatformChoice platform(argc, argv);
    QApplication app(argc, argv);
    // The version window shows the build's own version.
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    // Fixed, so a renamed executable keeps the same per-user folder; the
    // desktop file's name lets the desktop match the window to its entry.
    QCoreApplication::setApplicationName(QStringLiteral("kestrel-orbit"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.KestrelOrbit"));
    SingleInstance instance;
    if (instance.isRunning()) {
        instance.sendMessage(QString(), 5000);
        return 1;
    }
    TerminationSignals termination;
    // Every path of the program starts with ./modules/: next to the
    // executable, or in the user's own copy when that tree is read-only.
    QDir::setCurrent(prepareDataDir(installedLocations()));
    // The window hides into the tray; only "Quit (&Q)" ends the program.
    app.setQuitOnLastWindowClosed(false);

    Widget window;
    QObject::connect(&instance, &SingleInstance::messageReceived, &window, &Widget::receiveMessage);
    // The command-line companion's requests, carried out as the clicks would be.
    CtlService companion(&window);
    instance.setRequestHandler(QLatin1String(ctl::kRequestPrefix), [&companion](const QString& message, const auto& answer) {
        companion.handle(message, [answer](const ctl::Outcome& outcome) { answer(ctl::encodeOutcome(outcome)); });
    });
    // A logout or Ctrl+C ends the program as "Quit (&Q)" does.
    QObject::connect(&termination, &TerminationSignals::received, &window, &Widget::exitSYS);

    // Without a desktop-wide source (no X server, hooks refused) the program
    // still runs; recording then hears only what the platform's window gets
    // where it needs that (Wayland), and nothing elsewhere.
    InputHooks hooks(createCaptureSource(&window));
    hooks.init(false);
    hooks.setKeyboardCallback(&Widget::keyboardEvent, &window);
    hooks.setMouseCallback(&Widget::mouseEvent, &window);
    hooks.setCopyDataHandler(&Widget::copyDataReceived, &window);
    CopyDataFilter copyDataFilter(app, hooks);

    // Started at login (the autostart entry sets this): straight to the tray.
    if (qEnvironmentVariableIntValue("KESTREL_ORBIT_START_HIDDEN") == 1)
        hideToTray(&window);
    else
        window.showNormal();
    window.checkDevice();
    // Quitting needs a running loop to leave; a signal that came during
    // start-up takes effect as soon as it runs.
    QTimer::singleShot(0, &termination, &TerminationSignals::start);
    const int code = app.exec();
    hooks.removeHooks();
    return code;
}
