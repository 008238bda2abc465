#pragma once

#include "profileblocks.h"
#include "settingsstores.h"

#include <QQuickWidget>
#include <QVariant>

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

    Hid_Thread* transport = nullptr;
    bool isColorful = false;
    bool isGun = false;
    QString icType;
    bool is55328 = false;
    SettingsStores stores;
    ProfileBlocks profileBlocks;

    bool family560() const { return icType == QLatin1String("560"); }

    // While the device is gone nothing enables the view again, not even the
    // end of a protection period that was running when it went.
    void setDeviceGone(bool gone);

public slots:
    void clearHidBusy();
    void initUI();
    void runUI();
    void resetApconfig();
    void setCurrentProfile(int profile);
    void mouseSetCurrentDPI(uchar currentDPI);
    QVariant mouseGetCurrentDPI();
    void mouseSetProfile(uint profileNo);
    void mouseReadProfile(uint profileNo);
    QVariant mouseReadCurrentProfile();
    void mouseSwitchKeyMatrix(int indexNo);
    void openUpdateExe();
    QVariant getData(QVariant key, bool isRecovery);
    QVariant getGlobalData(QVariant key);
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
    void changeEvent(QEvent* event) override;

private:
    bool deviceGone = false;

    void callRoot(const char* function, const QVariant& argument);
    void queueRoot(const char* function);
};
