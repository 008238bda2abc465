#include "ui_controler.h"

#include "myqquickview.h"
#include "settingsstores.h"
#include "uisetup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQuickItem>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindow>

void hideToTray(QWidget* window)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window->setVisible(false);
    else
        window->showMinimized();
}

WindowDrag windowDragFor(const QString& platformName)
{
    return platformName.startsWith(QLatin1String("wayland")) ? WindowDrag::SystemMove : WindowDrag::Place;
}

void Ui_Controler::setupUi(QWidget* mainWindow, QObject* hid)
{
    if (mainWindow->objectName().isEmpty())
        mainWindow->setObjectName(QStringLiteral("Widget"));
    window = mainWindow;
    drag = windowDragFor(QGuiApplication::platformName());
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
    dragBy(dx, 0);
}

void Ui_Controler::onYChanged(int dy)
{
    dragBy(0, dy);
}

void Ui_Controler::dragBy(int dx, int dy)
{
    if (!window)
        return;
    if (drag == WindowDrag::SystemMove && (dx != 0 || dy != 0)) {
        if (systemMoveStarted)
            return;
        if (!watchingPresses && QCoreApplication::instance()) {
            QCoreApplication::instance()->installEventFilter(this);
            watchingPresses = true;
        }
        QWindow* handle = window->windowHandle();
        const bool started = handle
            && (startSystemMove ? startSystemMove(handle) : handle->startSystemMove());
        if (started) {
            systemMoveStarted = true;
            return;
        }
        // Refused (no press to start from): placing is all that is left.
    }
    window->move(window->x() + dx, window->y() + dy);
}

bool Ui_Controler::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && window && watched == window->windowHandle())
        systemMoveStarted = false;
    return false;
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
