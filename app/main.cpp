#include "copydatafilter.h"
#include "inputhooks.h"
#include "singleinstance.h"
#include "widget.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
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

    // Without capture (no X server, hooks refused) the program still runs;
    // recording then simply receives nothing.
    InputHooks hooks;
    hooks.init(false);
    hooks.setKeyboardCallback(&Widget::keyboardEvent, &window);
    hooks.setMouseCallback(&Widget::mouseEvent, &window);
    hooks.setCopyDataHandler(&Widget::copyDataReceived, &window);
    CopyDataFilter copyDataFilter(app, hooks);

    window.showNormal();
    window.checkDevice();
    const int code = app.exec();
    hooks.removeHooks();
    return code;
}
