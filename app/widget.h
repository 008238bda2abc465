#pragma once

#include "copydata.h"
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

// Shows the copy-data warning: a modal box with no parent and one OK button.
// Tests put their own function here to see what would be shown.
using WarningBoxFunction = void (*)(const QString& title, const QString& text);
extern WarningBoxFunction showWarningBox;

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

    // The input hooks' callbacks; context is the window, and a null context
    // does nothing. Keys and buttons reach the main document queued.
    static void keyboardEvent(unsigned char usbCode, bool isDown, void* context);
    static void mouseEvent(unsigned char buttonCode, bool isDown, int x, int y, void* context);
    static void copyDataReceived(const CopyDataRecord* record, void* context);

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
