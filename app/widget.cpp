#include "widget.h"

#include "devicenotifier.h"
#include "discovery.h"
#include "dpiswitchtexts.h"
#include "myqquickview.h"
#include "nativemessage.h"
#include "settingsstores.h"
#include "ui_controler.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QQuickItem>
#include <QSettings>

bool deviceConnected = false;

namespace {

void warningBox(const QString& title, const QString& text)
{
    QMessageBox::warning(nullptr, title, text, QMessageBox::Ok);
}

} // namespace

WarningBoxFunction showWarningBox = &warningBox;

namespace {

constexpr int kPollIntervalMs = 2048;
constexpr int kNotificationMs = 10000;

const char* const kMenuStyle =
    "QMenu { border: 1px solid rgb(100, 100, 100); background: rgb(68, 69, 73); } "
    "QMenu::item { height: 22px; padding: 0px 25px 0px 20px; } "
    "QMenu::item:enabled { color: rgb(225, 225, 225); } "
    "QMenu::item:!enabled { color: rgb(155, 155, 155); } "
    "QMenu::item:enabled:selected { color: rgb(230, 230, 230); background: rgba(255, 255, 255, 40); } "
    "QMenu::separator { height: 1px; background: rgb(100, 100, 100); } "
    "QMenu::indicator { width: 13px; height: 13px; } "
    "QMenu::icon { padding-left: 2px; padding-right: 2px; } ";

} // namespace

Widget::Widget(QWidget* parent)
    : QWidget(parent)
{
    hid.owner = this;
    controller = new Ui_Controler;
    controller->setupUi(this, &hid);
    view()->transport = &hid;
    connect(&hid, &Hid_Thread::exchangeStarted, view(), &myQQuickView::countExchange);
    connect(&hid, &Hid_Thread::sequenceFailed, view(), &myQQuickView::showSequenceFailed);

    pollTimer.setInterval(kPollIntervalMs);
    pollTimer.setSingleShot(true);
    // Discovery replaces the device list: never under a running exchange.
    connect(&pollTimer, &QTimer::timeout, this, [this] { hid.whenLinkFree(this, [this] { checkDevice(); }); });

    deviceNotifier = new DeviceNotifier(this);
    connect(deviceNotifier, &DeviceNotifier::deviceChanged, this, &Widget::deviceChangeNotified);

    buildTray();
}

Widget::~Widget()
{
    hid.readerRunning = false;
    controller->deleteLater();
    // hid, destroyed next, waits for its reader before anything it uses goes.
}

void Widget::buildTray()
{
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(QIcon(QStringLiteral("./modules/img/logo.ico")));
    trayIcon->setToolTip(QStringLiteral("KESTREL ORBIT MOUSE Q770"));
    quitAction = new QAction(tr("Quit (&Q)"), this);
    connect(quitAction, &QAction::triggered, this, &Widget::exitSYS);
    auto* menu = new QMenu(this);
    menu->addAction(quitAction);
    menu->setStyleSheet(QLatin1String(kMenuStyle));
    trayIcon->setContextMenu(menu);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &Widget::trayIconActivated);
    trayIcon->setVisible(true);

    // Without a tray the menu is out of reach: the window offers it as its
    // context menu, and the quit action answers Ctrl+Q.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        quitAction->setShortcut(QKeySequence::Quit);
        quitAction->setShortcutContext(Qt::ApplicationShortcut);
        addAction(quitAction);
        setContextMenuPolicy(Qt::CustomContextMenu);
        connect(this, &QWidget::customContextMenuRequested, menu,
                [this, menu](const QPoint& at) { menu->popup(mapToGlobal(at)); });
    }
}

myQQuickView* Widget::view() const
{
    return controller ? controller->view : nullptr;
}

// ---- slots ---------------------------------------------------------------------

void Widget::trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick && deviceConnected)
        postRestoreRequest(this);
}

void Widget::checkDevice()
{
    // A new search starts a new link: a sequence stopped by the device that
    // went (say, in a protection period still running) holds nothing now.
    hid.resetLink();
    QSettings config(SettingsStores::globalPath(), QSettings::IniFormat);
    DeviceList list = readDeviceTable(config);
    findInterfaces(list);
    // A reader still running (a notice that came in while discovery pumped
    // events) must be gone before the list it reads from is replaced.
    hid.stopReader();
    hid.deviceList = list;
    for (int j = 0; j < hid.deviceList.size(); ++j) {
        if (hid.deviceList.at(j).commandPath.isEmpty())
            continue;
        if (!hid.chkDeviceIsEnCode(j))
            continue;
        connectDevice();
        return;
    }
    disconnectDevice();
}

void Widget::exitSYS()
{
    // Gone for the user at once. A sequence running further down this stack
    // (the quit came in during one of its pauses) still finishes, so the
    // mouse is never left half-configured; the event loop ends after it.
    hide();
    trayIcon->hide();
    pollTimer.stop();
    hid.readerRunning = false;
    QCoreApplication::exit(0);
}

void Widget::receiveMessage(QString)
{
    if (deviceConnected)
        postRestoreRequest(this);
}

// ---- discovery -------------------------------------------------------------------

void Widget::connectDevice()
{
    qDebug().noquote() << QStringLiteral("Device Connect");
    myQQuickView* bridge = view();
    bridge->clearHidBusy();
    deviceConnected = true;
    notify(QStringLiteral("Detect Device"));
    hid.activateDevice(hid.currentDevice);
    if (bridge->family560()) {
        const uint blocks = bridge->isGun ? 5 : 2;
        for (uint profile = 0; profile < blocks; ++profile)
            bridge->mouseReadProfile(profile);
    }
    bridge->setDeviceGone(false);
    bridge->setEnabled(true);
    bridge->initUI();
    QCoreApplication::postEvent(this, new UserEvent(UserEvent::kStartUi));
}

void Widget::disconnectDevice()
{
    qDebug().noquote() << QStringLiteral("Device DisConnect");
    deviceConnected = false;
    hideToTray(this);
}

void Widget::deviceChangeNotified()
{
    if (!hid.readerRunning)
        pollTimer.start();
}

void Widget::notify(const QString& message)
{
    trayIcon->showMessage(QStringLiteral("Info"), message, QSystemTrayIcon::Information, kNotificationMs);
    // No tray, no balloon: keep the notice in the log at least.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        qDebug().noquote() << QStringLiteral("Info:") << message;
}

// ---- the event reader's effects ------------------------------------------------

bool Widget::isGunDevice() const
{
    return view() && view()->isGun;
}

QString Widget::chipFamily() const
{
    return view() ? view()->icType : QString();
}

void Widget::stageReported(int stage)
{
    if (view())
        view()->setCurrentDPI(stage);
    notify(dpiSwitchText(stage) + QLatin1Char(' '));
}

void Widget::deviceLost()
{
    if (view())
        view()->setDeviceGone(true);
}

// ---- the input hooks' callbacks ---------------------------------------------------

void Widget::keyboardEvent(unsigned char usbCode, bool isDown, void* context)
{
    auto* window = static_cast<Widget*>(context);
    QQuickItem* root = window && window->view() ? window->view()->rootObject() : nullptr;
    if (!root)
        return;
    // Queued: the hook returns at once and the document handles the key later.
    QMetaObject::invokeMethod(root, "detectKeyboard", Qt::QueuedConnection, Q_ARG(QVariant, QVariant(isDown)),
                              Q_ARG(QVariant, QVariant(int(usbCode))));
}

void Widget::mouseEvent(unsigned char buttonCode, bool isDown, int x, int y, void* context)
{
    auto* window = static_cast<Widget*>(context);
    QQuickItem* root = window && window->view() ? window->view()->rootObject() : nullptr;
    if (!root)
        return;
    // Unsigned as the document has always received them; it turns x and y
    // back into signed values for screens left of or above the primary one.
    QMetaObject::invokeMethod(root, "detectMouse", Qt::QueuedConnection, Q_ARG(QVariant, QVariant(isDown)),
                              Q_ARG(QVariant, QVariant(uint(buttonCode))), Q_ARG(QVariant, QVariant(uint(x))),
                              Q_ARG(QVariant, QVariant(uint(y))));
}

void Widget::copyDataReceived(const CopyDataRecord* record, void* context)
{
    auto* window = static_cast<Widget*>(context);
    if (!window)
        return;
    const std::optional<std::string> text = copyDataWarningText(record);
    if (!text)
        return;
    showWarningBox(window->windowTitle(), QString::fromStdString(*text));
}

// ---- events --------------------------------------------------------------------------

bool Widget::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    switch (classifyNativeMessage(eventType, message)) {
    case NativeMessage::Restore:
        setVisible(true);
        break;
    case NativeMessage::DeviceChange:
        deviceChangeNotified();
        break;
    case NativeMessage::Other:
        break;
    }
    // Never consumed: the system's own handling follows.
    return QWidget::nativeEvent(eventType, message, result);
}

void Widget::customEvent(QEvent* event)
{
    if (event->type() == UserEvent::kType && static_cast<UserEvent*>(event)->code == UserEvent::kStartUi) {
        if (view())
            view()->runUI();
    }
}

void Widget::closeEvent(QCloseEvent* event)
{
    // Closing never ends the program while the tray menu can; without a
    // tray, the window manager's close is the way out.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        event->ignore();
        hideToTray(this);
        return;
    }
    event->accept();
    exitSYS();
}
