#include "singleinstance.h"
#include "widget.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
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
    window.showNormal();
    window.checkDevice();
    return app.exec();
}
