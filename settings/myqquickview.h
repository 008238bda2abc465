#pragma once

#include "deviceflags.h"
#include "profileblocks.h"
#include "settingsstores.h"

#include <QPointer>
#include <QQuickWidget>
#include <QVariant>

#include <deque>
#include <memory>

class Hid_Thread;

// The bridge: the view that shows the UI documents and, at the same time, the
// object through which they reach the backend. Its public slots are the
// documents' interface; each one hands its work to a small piece (the
// settings stores, the profile blocks, the feature operations).
class myQQuickView : public QQuickWidget
{
    Q_OBJECT

public:
    explicit myQQuickView(QWidget* parent = nullptr);

    // Guarded: the window's children, this view among them, get events while
    // the window is destroyed, after the transport it embeds has gone.
    QPointer<Hid_Thread> transport;
    bool isColorful = false;
    bool isGun = false;
    QString icType;
    bool is55328 = false;
    SettingsStores stores;
    ProfileBlocks profileBlocks;

    bool family560() const { return icType == QLatin1String("560"); }
    DeviceFlags flags() const { return {family560(), isGun, isColorful, is55328}; }

    // While the device is gone nothing enables the view again, not even the
    // end of a protection period that was running when it went.
    void setDeviceGone(bool gone);
    // The transport's exchanges and failures, shown by the busy indicator.
    void countExchange();
    void showSequenceFailed();

signals:
    // A change the user made did not reach the mouse, named by what it
    // changes: "buttons", "dpi", "lighting", "reportRate", "macro", "gun",
    // "profile". The stores keep the new value; the window says so and
    // leaves the page unsaved.
    void changeFailed(const QString& what);

public slots:
    void clearHidBusy();
    void initUI();
    void runUI();
    void resetApconfig();
    bool loadMacroFile(QVariant macroFileName);
    void saveMacroFile(QVariant macroFileName);
    bool loadProfile(int profile);
    void saveProfile(int profile);
    void resetProfile(int profile);
    void copyProfile(int destprofile, int srcprofile);
    QStringList getLangStrings(QString typeStr, QString langCode);
    QVariant createMacroIni(QVariant name, QVariant macroIndex);
    QVariant updataNameList(QVariant type, QStringList nameList);
    QVariant modifyMacroNameUpdateProfile(QVariant oldname, QVariant newname);
    void deleteMacroUpdateProfile(QVariant macroName);
    QVariant deleteMacroIni(QVariant name);
    QVariantList getNameList(QVariant type);
    QVariant saveMacroIni(QVariant name, QStringList macros, QVariant repeat);
    QVariant mouseSendMacroData(QVariantList macroData, QVariant macroIndex);
    QStringList loadMacroIni(QVariant name);
    void mouseSaveGundata(QVariant index, QVariantList src6);
    void mouseSendGundata(int mode, QVariantList data);
    void modifyGundata(QVariant modifyType, QVariantList src6);
    QVariantList getGunData(QVariant name);
    QStringList getGunDataKey();
    QVariant getXYSensitive(QVariant index);
    QVariant getselectGun(QVariant index);
    void setXYSensitive(QVariant index, QVariant xyData);
    void setSelectGun(QVariant index, QVariant xyData);
    void setCurrentProfile(int profile);
    void mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    void mouseSetReportRate(uchar rate);
    void mouseSetCurrentDPI(uchar currentDPI);
    void mouseResetKeyMatrix();
    QVariant mouseGetCurrentDPI();
    void mouseSetKeyMatrix(QVariantList src64, bool isSendData, QVariantList otherParam);
    void mouseSetDpi(int dpiCount, QString sensorType, QVariantList dpiValueArray);
    void mouseSetRGBEffect(uchar effect, uchar option1, uchar option2);
    void mouseSetRGBColor(uchar type, QVariantList src24);
    void mouseSetProfile(uint profileNo);
    void mouseReadProfile(uint profileNo);
    QVariant mouseReadCurrentProfile();
    void mouseSwitchKeyMatrix(int indexNo);
    QVariantList GetKeyboardoption();
    void mouseSetCursorSpeed(uint cursorSpeed);
    void mouseSetVerticalScrollLines(uint lines);
    void mouseSetDoubleClickSpeed(uint speed);
    QVariantList mouseGetKeydefine(QVariant index, bool isRecovery);
    void openUpdateExe();
    QVariant getData(QVariant key, bool isRecovery);
    QVariant getGlobalData(QVariant key);
    // Some pages pass a second argument; it is ignored.
    QVariant getGlobalData(QVariant key, QVariant ignored);
    QVariantList getDataList(QVariant key, bool isRecovery);
    void setData(QVariant key, QVariant data);
    void setGlobalData(QVariant key, QVariant tmpdata);
    void setDataList(QVariant key, QVariantList datalist);
    void setBusy(int busyTime);
    void setCurrentDPI(int dpiValue);
    // The documents' setEnabled: the widget's own, held off while the device is gone.
    void setEnabled(bool enable);

protected:
    // Clicks, moves, keys and wheel turns that come while an exchange turns
    // the event loop wait their turn: the scene gets them, in order, once
    // the link is free, so a page never changes for a command the gate
    // would refuse.
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A right click a page answers, or one over an open dialog page, is the
    // page's own; the window's menu stays away.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool deviceGone = false;
    int exchangesSent = 0;
    std::deque<std::unique_ptr<QEvent>> heldInput;

    void replayInput();

    void callRoot(const char* function, const QVariant& argument);
    // Runs a device operation that changes `what`; a command of it that did
    // not reach the mouse makes one changeFailed for the whole operation.
    template <typename Operation>
    void sendChange(const char* what, Operation operation);
    void queueRoot(const char* function);
};
