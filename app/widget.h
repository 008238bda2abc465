#pragma once

#include "hid_thread.h"
#include "hidowner.h"

#include <QEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

class DeviceNotifier;
class QAction;
class Ui_Controler;
class myQQuickView;

// True while a device is connected; restore requests are honoured only then.
extern bool deviceConnected;

// Posted by discovery to start the UI once "initUI" has had its turn.
class UserEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::Type(1000);
    static constexpr int kStartUi = 2177;

    explicit UserEvent(int eventCode)
        : QEvent(kType)
        , code(eventCode)
    {
    }

    int code;
};

// The program's only window: frameless, its whole content the bridge view.
// It owns the device-polling timer, the transport, the window controller and
// the tray icon, and runs device discovery.
class Widget : public QWidget, public HidOwner
{
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);
    ~Widget() override;

    QTimer pollTimer;
    Ui_Controler* controller = nullptr;
    Hid_Thread hid;
    QSystemTrayIcon* trayIcon = nullptr;
    QAction* quitAction = nullptr;
    DeviceNotifier* deviceNotifier = nullptr;

    myQQuickView* view() const;

    // A device arrived or went away: rediscover 2048 ms after the last such
    // notice, unless a reader still runs (it notices a removal itself).
    void deviceChangeNotified();

    bool isGunDevice() const override;
    QString chipFamily() const override;
    void stageReported(int stage) override;
    void deviceLost() override;

public slots:
    void trayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void checkDevice();
    void exitSYS();
    void receiveMessage(QString message);

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void customEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectDevice();
    void disconnectDevice();
    void notify(const QString& message);
    void buildTray();
};
