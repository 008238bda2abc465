#include "ui_controler.h"

#include "myqquickview.h"
#include "settingsstores.h"
#include "uisetup.h"

#include <QQmlContext>
#include <QQuickItem>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWidget>

void hideToTray(QWidget* window)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window->setVisible(false);
    else
        window->showMinimized();
}

void Ui_Controler::setupUi(QWidget* mainWindow, QObject* hid)
{
    if (mainWindow->objectName().isEmpty())
        mainWindow->setObjectName(QStringLiteral("Widget"));
    window = mainWindow;
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    window->setWindowOpacity(1.0);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setStyleSheet(QStringLiteral("background:transparent;"));

    view = new myQQuickView(window);
    view->setObjectName(QStringLiteral("ui_View"));
    prepareUiEngine(view->engine());
    // Published before the document loads, so its bindings see them at once.
    QQmlContext* context = view->rootContext();
    context->setContextProperty(QStringLiteral("ui_View"), view);
    context->setContextProperty(QStringLiteral("hid"), hid);
    context->setContextProperty(QStringLiteral("ui_Ctl"), this);
    view->setSource(QUrl(QStringLiteral("qrc:modules/qml/main")));
    window->resize(view->size());

    QSettings global(SettingsStores::globalPath(), QSettings::IniFormat);
    window->setWindowTitle(global.value(QStringLiteral("common/name")).toString());
}

void Ui_Controler::onMinimize()
{
    if (window)
        window->showMinimized();
}

void Ui_Controler::onClose()
{
    if (window)
        hideToTray(window);
}

void Ui_Controler::onXChanged(int dx)
{
    if (window)
        window->move(window->x() + dx, window->y());
}

void Ui_Controler::onYChanged(int dy)
{
    if (window)
        window->move(window->x(), window->y() + dy);
}

void Ui_Controler::setBusy(int busyTime)
{
    if (window && view)
        view->setBusy(busyTime);
}

void Ui_Controler::setBusy()
{
    setBusy(0);
}
