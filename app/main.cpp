#include "capturesource.h"
#include "copydatafilter.h"
#include "inputhooks.h"
#include "platformchoice.h"
#include "quitsignals.h"
#include "singleinstance.h"
#include "widget.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    const PlatformChoice platform(argc, argv);
    QApplication app(argc, argv);
    // The version window shows the build's own version.
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    SingleInstance instance;
    if (instance.isRunning()) {
        instance.sendMessage(QString(), 5000);
        return 1;
    }
    // Every path of the program starts with ./modules/ next to the executable.
    QString dir = QCoreApplication::applicationFilePath();
    dir.truncate(dir.lastIndexOf(QLatin1Char('/')));
    QDir::setCurrent(dir);
    // The window hides into the tray; only "Quit (&Q)" ends the program.
    app.setQuitOnLastWindowClosed(false);

    Widget window;
    QObject::connect(&instance, &SingleInstance::messageReceived, &window, &Widget::receiveMessage);

    // Without a desktop-wide source (no X server, hooks refused) the program
    // still runs; recording then hears only what the platform's window gets
    // where it needs that (Wayland), and nothing elsewhere.
    InputHooks hooks(createCaptureSource(&window));
    hooks.init(false);
    hooks.setKeyboardCallback(&Widget::keyboardEvent, &window);
    hooks.setMouseCallback(&Widget::mouseEvent, &window);
    hooks.setCopyDataHandler(&Widget::copyDataReceived, &window);
    CopyDataFilter copyDataFilter(app, hooks);

    quitOnTerminationSignals([&window] { window.exitSYS(); });

    window.showNormal();
    window.checkDevice();
    const int code = app.exec();
    hooks.removeHooks();
    return code;
}
