#include "myqquickview.h"

#include "dpi.h"
#include "hid_thread.h"
#include "settingsfile.h"

#include <QEvent>
#include <QQuickItem>
#include <QThread>

myQQuickView::myQQuickView(QWidget* parent)
    : QQuickWidget(parent)
{
    isColorful = stores.isColorful;
    isGun = stores.isGun;
    icType = stores.icType;
    is55328 = stores.is55328;
    // The window takes the size of the main document's root item.
    setResizeMode(QQuickWidget::SizeViewToRootObject);
    setClearColor(Qt::transparent);
    setAttribute(Qt::WA_AlwaysStackOnTop);
}

// ---- relays --------------------------------------------------------------------

void myQQuickView::clearHidBusy()
{
    if (transport)
        transport->linkIdle = true;
}

void myQQuickView::initUI()
{
    queueRoot("initUI");
}

void myQQuickView::runUI()
{
    queueRoot("run");
}

void myQQuickView::setBusy(int busyTime)
{
    callRoot("setProtectUI", QVariant(busyTime));
}

void myQQuickView::setCurrentDPI(int dpiValue)
{
    // The event reader may call from its own thread; the documents live here.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, dpiValue] { setCurrentDPI(dpiValue); }, Qt::QueuedConnection);
        return;
    }
    callRoot("setCurrentDPI", QVariant(dpiValue));
}

void myQQuickView::setDeviceGone(bool gone)
{
    deviceGone = gone;
    if (gone)
        QWidget::setEnabled(false);
}

void myQQuickView::setEnabled(bool enable)
{
    QWidget::setEnabled(enable && !deviceGone);
}

void myQQuickView::openUpdateExe()
{
}

void myQQuickView::callRoot(const char* function, const QVariant& argument)
{
    if (QQuickItem* root = rootObject())
        QMetaObject::invokeMethod(root, function, Q_ARG(QVariant, argument));
}

void myQQuickView::queueRoot(const char* function)
{
    if (QQuickItem* root = rootObject())
        QMetaObject::invokeMethod(root, function, Qt::QueuedConnection);
}

void myQQuickView::changeEvent(QEvent* event)
{
    // Lets the main document show when the whole view is disabled (the
    // device went away) rather than merely look frozen.
    if (event->type() == QEvent::EnabledChange) {
        if (QQuickItem* root = rootObject())
            root->setProperty("viewEnabled", isEnabled());
    }
    QQuickWidget::changeEvent(event);
}

// ---- settings ------------------------------------------------------------------

void myQQuickView::resetApconfig()
{
    stores.resetApconfig();
}

void myQQuickView::setCurrentProfile(int profile)
{
    stores.setCurrentProfile(profile);
}

QVariant myQQuickView::getData(QVariant key, bool isRecovery)
{
    const SettingsFile* store = stores.profileStore(isRecovery);
    return store ? store->value(key.toString()) : QVariant();
}

QVariant myQQuickView::getGlobalData(QVariant key)
{
    return stores.global()->value(key.toString());
}

QVariant myQQuickView::getGlobalData(QVariant key, QVariant)
{
    return getGlobalData(key);
}

QVariantList myQQuickView::getDataList(QVariant key, bool isRecovery)
{
    return SettingsFile::toList(getData(key, isRecovery));
}

void myQQuickView::setData(QVariant key, QVariant data)
{
    if (SettingsFile* store = stores.profileStore(false))
        store->setValue(key.toString(), data);
}

void myQQuickView::setGlobalData(QVariant key, QVariant tmpdata)
{
    stores.global()->setValue(key.toString(), tmpdata);
}

void myQQuickView::setDataList(QVariant key, QVariantList datalist)
{
    setData(key, QVariant(datalist));
}

// ---- device ----------------------------------------------------------------------

void myQQuickView::mouseSetCurrentDPI(uchar currentDPI)
{
    if (transport)
        dpi::setCurrentStage(*transport, family560(), currentDPI);
}

QVariant myQQuickView::mouseGetCurrentDPI()
{
    return transport ? dpi::currentStage(*transport, family560()) : 0;
}

void myQQuickView::mouseSetProfile(uint profileNo)
{
    if (transport)
        profileBlocks.write(*transport, profileNo);
}

void myQQuickView::mouseReadProfile(uint profileNo)
{
    if (transport)
        profileBlocks.read(*transport, profileNo);
}

QVariant myQQuickView::mouseReadCurrentProfile()
{
    return transport ? deviceslot::readCurrentProfile(*transport) : 0;
}

void myQQuickView::mouseSwitchKeyMatrix(int indexNo)
{
    if (transport)
        deviceslot::switchKeyMatrix(*transport, family560(), indexNo);
}
