#include "nativemessage.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

NativeMessage classifyNativeMessage(const QByteArray&, void*)
{
    return NativeMessage::Other;
}

void postRestoreRequest(QWidget* window)
{
    QPointer<QWidget> target(window);
    QMetaObject::invokeMethod(window, [target] {
        if (!target)
            return;
        target->setVisible(true);
        target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
        target->raise();
        target->activateWindow();
    }, Qt::QueuedConnection);
}
