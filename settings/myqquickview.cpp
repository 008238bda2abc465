#include "myqquickview.h"

#include "dpi.h"
#include "gundatastore.h"
#include "guntransfer.h"
#include "hid_thread.h"
#include "keymatrix.h"
#include "languagestrings.h"
#include "lighting.h"
#include "macrolibrary.h"
#include "macrotransfer.h"
#include "namelists.h"
#include "pointersettings.h"
#include "profilefiles.h"
#include "reportrate.h"
#include "settingsfile.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QJSValue>
#include <QQuickItem>
#include <QThread>

#include <algorithm>

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
    // The window's notice is the shell's; whoever finds a failed change
    // reports it through the signal.
    connect(this, &myQQuickView::changeFailed, this, [this](const QString& what) { callRoot("changeFailed", what); });
}

// ---- relays --------------------------------------------------------------------

void myQQuickView::clearHidBusy()
{
    if (transport)
        transport->resetLink();
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
    // The documents disable the view for exactly the sequences they run.
    if (transport && !enable && !transport->linkBusy()) {
        exchangesSent = 0;
        if (QQuickItem* root = rootObject()) {
            root->setProperty("exchangesSent", 0);
            root->setProperty("sequenceFailed", false);
        }
    }
    if (transport)
        enable ? transport->endSequence() : transport->beginSequence();
    QWidget::setEnabled(enable && !deviceGone);
}

void myQQuickView::countExchange()
{
    ++exchangesSent;
    if (QQuickItem* root = rootObject())
        root->setProperty("exchangesSent", exchangesSent);
}

void myQQuickView::showSequenceFailed()
{
    if (QQuickItem* root = rootObject())
        root->setProperty("sequenceFailed", true);
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

bool myQQuickView::event(QEvent* event)
{
    const bool linkHeld = transport && !transport->linkIdle;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (linkHeld || !heldInput.empty()) {
            // Kept in order, and handed to the scene once the link is free.
            if (heldInput.empty())
                transport->whenLinkFree(this, [this] { replayInput(); });
            heldInput.emplace_back(event->clone());
            event->accept();
            return true;
        }
        break;
    case QEvent::ShortcutOverride:
        // Not the scene's, and not claimed: the window's own shortcuts (Quit) still work.
        if (linkHeld) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QQuickWidget::event(event);
}

void myQQuickView::replayInput()
{
    // Input that comes while one of these starts an exchange is held again,
    // behind the rest of these.
    std::deque<std::unique_ptr<QEvent>> events;
    events.swap(heldInput);
    while (!events.empty()) {
        std::unique_ptr<QEvent> event = std::move(events.front());
        events.pop_front();
        if (!heldInput.empty() || (transport && !transport->linkIdle)) {
            heldInput.push_back(std::move(event));
            continue;
        }
        QQuickWidget::event(event.get());
    }
    if (!heldInput.empty() && transport)
        transport->whenLinkFree(this, [this] { replayInput(); });
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

namespace {

// Whether a shown item under the scene point takes right clicks.
bool takesRightClick(const QQuickItem* item, const QPointF& scenePoint)
{
    if (!item->isVisible() || !item->isEnabled())
        return false;
    if ((item->acceptedMouseButtons() & Qt::RightButton) && item->contains(item->mapFromScene(scenePoint)))
        return true;
    const QList<QQuickItem*> children = item->childItems();
    return std::any_of(children.begin(), children.end(),
                       [&](const QQuickItem* child) { return takesRightClick(child, scenePoint); });
}

} // namespace

// A right click that a page answers with its own menu, or any right click
// over an open dialog page, does not open the window's menu as well.
void myQQuickView::contextMenuEvent(QContextMenuEvent* event)
{
    QQuickItem* root = rootObject();
    const bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
    if (fromMouse && root && (root->property("isDialogOpen").toBool() || takesRightClick(root, event->pos())))
        event->accept();
    else
        QQuickWidget::contextMenuEvent(event);
}

// ---- settings ------------------------------------------------------------------

void myQQuickView::resetApconfig()
{
    stores.resetApconfig();
}

bool myQQuickView::loadMacroFile(QVariant macroFileName)
{
    return macrolibrary::loadMacroFile(this, macroFileName.toString());
}

void myQQuickView::saveMacroFile(QVariant macroFileName)
{
    macrolibrary::saveMacroFile(this, macroFileName.toString());
}

bool myQQuickView::loadProfile(int profile)
{
    return profilefiles::loadProfile(stores, this, profile);
}

void myQQuickView::saveProfile(int profile)
{
    profilefiles::saveProfile(stores, this, profile);
}

void myQQuickView::resetProfile(int profile)
{
    profilefiles::resetProfile(stores, profile);
}

void myQQuickView::copyProfile(int destprofile, int srcprofile)
{
    profilefiles::copyProfile(stores, destprofile, srcprofile);
}

QStringList myQQuickView::getLangStrings(QString typeStr, QString langCode)
{
    return ::getLangStrings(typeStr, langCode);
}

QVariant myQQuickView::createMacroIni(QVariant name, QVariant macroIndex)
{
    return macrolibrary::createMacroIni(name.toString(), macroIndex);
}

QVariant myQQuickView::updataNameList(QVariant type, QStringList nameList)
{
    return namelists::updataNameList(type, nameList);
}

QVariant myQQuickView::modifyMacroNameUpdateProfile(QVariant oldname, QVariant newname)
{
    return namelists::modifyMacroNameUpdateProfile(stores, oldname.toString(), newname.toString());
}

void myQQuickView::deleteMacroUpdateProfile(QVariant macroName)
{
    keymatrix::deleteMacroUpdateProfile(stores, macroName.toString());
}

QVariant myQQuickView::deleteMacroIni(QVariant name)
{
    return macrolibrary::deleteMacroIni(name.toString());
}

QVariantList myQQuickView::getNameList(QVariant type)
{
    return namelists::getNameList(type);
}

QVariant myQQuickView::saveMacroIni(QVariant name, QStringList macros, QVariant repeat)
{
    return macrolibrary::saveMacroIni(name.toString(), macros, repeat);
}

QStringList myQQuickView::loadMacroIni(QVariant name)
{
    return macrolibrary::loadMacroIni(name.toString());
}

void myQQuickView::mouseSaveGundata(QVariant index, QVariantList src6)
{
    gundata::mouseSaveGundata(index, src6);
}

void myQQuickView::modifyGundata(QVariant modifyType, QVariantList src6)
{
    gundata::modifyGundata(modifyType, src6);
}

QVariantList myQQuickView::getGunData(QVariant name)
{
    return gundata::getGunData(name);
}

QStringList myQQuickView::getGunDataKey()
{
    return gundata::getGunDataKey();
}

QVariant myQQuickView::getXYSensitive(QVariant index)
{
    return gundata::getXYSensitive(stores.profileStore(false), index);
}

QVariant myQQuickView::getselectGun(QVariant index)
{
    return gundata::getselectGun(stores.profileStore(false), index);
}

void myQQuickView::setXYSensitive(QVariant index, QVariant xyData)
{
    gundata::setXYSensitive(stores.profileStore(false), index, xyData);
}

void myQQuickView::setSelectGun(QVariant index, QVariant xyData)
{
    gundata::setSelectGun(stores.profileStore(false), index, xyData);
}

QVariantList myQQuickView::mouseGetKeydefine(QVariant index, bool isRecovery)
{
    return keymatrix::getKeydefine(stores, index, isRecovery);
}

void myQQuickView::mouseSetCursorSpeed(uint cursorSpeed)
{
    setCursorSpeed(cursorSpeed);
}

void myQQuickView::mouseSetVerticalScrollLines(uint lines)
{
    setVerticalScrollLines(lines);
}

void myQQuickView::mouseSetDoubleClickSpeed(uint speed)
{
    setDoubleClickSpeed(speed);
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

namespace {

// A document's list reaches a QVariant parameter as a script value; the
// stores keep it as the plain list it stands for.
QVariant plainValue(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<QJSValue>() ? value.value<QJSValue>().toVariant() : value;
}

} // namespace

void myQQuickView::setData(QVariant key, QVariant data)
{
    if (SettingsFile* store = stores.profileStore(false))
        store->setValue(key.toString(), plainValue(data));
}

void myQQuickView::setGlobalData(QVariant key, QVariant tmpdata)
{
    stores.global()->setValue(key.toString(), plainValue(tmpdata));
}

void myQQuickView::setDataList(QVariant key, QVariantList datalist)
{
    setData(key, QVariant(datalist));
}

// ---- device ----------------------------------------------------------------------
// Every device operation needs the transport; without it (no main window
// yet) it does nothing and reads give their empty value.

template <typename Operation>
void myQQuickView::sendChange(const char* what, Operation operation)
{
    if (!transport)
        return;
    const int failedBefore = transport->failedExchanges();
    operation(*transport);
    if (transport->failedExchanges() != failedBefore)
        emit changeFailed(QLatin1String(what));
}

QVariant myQQuickView::mouseSendMacroData(QVariantList macroData, QVariant macroIndex)
{
    sendChange("macro", [&](Hid_Thread& hid) { macrotransfer::sendMacroData(hid, flags(), macroData, macroIndex); });
    return true;
}

void myQQuickView::mouseSendGundata(int mode, QVariantList data)
{
    sendChange("gun", [&](Hid_Thread& hid) { guntransfer::sendGunData(hid, flags(), profileBlocks, mode, data); });
}

void myQQuickView::mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    if (transport)
        reportrate::setKeyboardOption(*transport, byte1, byte2, byte3, byte4);
}

void myQQuickView::mouseSetReportRate(uchar rate)
{
    sendChange("reportRate", [&](Hid_Thread& hid) { reportrate::setReportRate(hid, flags(), rate); });
}

void myQQuickView::mouseResetKeyMatrix()
{
    sendChange("buttons",
               [&](Hid_Thread& hid) { keymatrix::resetKeyMatrix(hid, flags(), stores.profileStore(false)); });
}

void myQQuickView::mouseSetKeyMatrix(QVariantList src64, bool isSendData, QVariantList otherParam)
{
    if (transport)
        sendChange("buttons", [&](Hid_Thread& hid) {
            keymatrix::setKeyMatrix(hid, flags(), stores.profileStore(false), profileBlocks, src64, isSendData,
                                    otherParam);
        });
    else
        keymatrix::storeLayout(stores.profileStore(false), src64);
}

void myQQuickView::mouseSetDpi(int dpiCount, QString sensorType, QVariantList dpiValueArray)
{
    sendChange("dpi", [&](Hid_Thread& hid) {
        dpi::setDpi(hid, flags(), profileBlocks, dpiCount, sensorType, dpiValueArray);
    });
}

void myQQuickView::mouseSetRGBEffect(uchar effect, uchar option1, uchar option2)
{
    sendChange("lighting", [&](Hid_Thread& hid) {
        lighting::setEffect(hid, flags(), profileBlocks, effect, option1, option2);
    });
}

void myQQuickView::mouseSetRGBColor(uchar type, QVariantList src24)
{
    sendChange("lighting", [&](Hid_Thread& hid) { lighting::setColor(hid, flags(), profileBlocks, type, src24); });
}

QVariantList myQQuickView::GetKeyboardoption()
{
    return transport ? reportrate::getKeyboardOption(*transport) : QVariantList{0, 0, 0, 0};
}

void myQQuickView::mouseSetCurrentDPI(uchar currentDPI)
{
    sendChange("dpi", [&](Hid_Thread& hid) { dpi::setCurrentStage(hid, family560(), currentDPI); });
}

QVariant myQQuickView::mouseGetCurrentDPI()
{
    return transport ? dpi::currentStage(*transport, family560()) : 0;
}

void myQQuickView::mouseSetProfile(uint profileNo)
{
    sendChange("profile", [&](Hid_Thread& hid) { profileBlocks.write(hid, profileNo); });
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
    sendChange("buttons", [&](Hid_Thread& hid) { deviceslot::switchKeyMatrix(hid, family560(), indexNo); });
}
