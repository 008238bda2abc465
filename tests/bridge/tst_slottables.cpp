// The documents reach the backend by slot name, parameter types and
// parameter names; the bridge's and the command object's tables must hold
// exactly these, in this order.
#include "hid_thread.h"
#include "myqquickview.h"

#include <QMetaMethod>
#include <QTest>

namespace {

// "name(Type name, Type name)" for every public slot declared by the class itself.
QStringList slotTable(const QMetaObject& meta)
{
    QStringList out;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Public)
            continue;
        QStringList parameters;
        for (int p = 0; p < method.parameterCount(); ++p) {
            QString parameter = QString::fromLatin1(method.parameterTypes().at(p));
            const QByteArray name = method.parameterNames().at(p);
            if (!name.isEmpty())
                parameter += QLatin1Char(' ') + QString::fromLatin1(name);
            parameters.append(parameter);
        }
        out.append(QStringLiteral("%1 %2(%3)")
                       .arg(QLatin1String(method.typeName()), QString::fromLatin1(method.name()),
                            parameters.join(QStringLiteral(", "))));
    }
    return out;
}

} // namespace

class SlotTables : public QObject
{
    Q_OBJECT

private slots:
    void bridge();
    void commandObject();
};

void SlotTables::bridge()
{
    const QStringList expected = {
        "void clearHidBusy()", "void initUI()", "void runUI()", "void resetApconfig()",
        "bool loadMacroFile(QVariant macroFileName)", "void saveMacroFile(QVariant macroFileName)",
        "bool loadProfile(int profile)", "void saveProfile(int profile)", "void resetProfile(int profile)",
        "void copyProfile(int destprofile, int srcprofile)",
        "QStringList getLangStrings(QString typeStr, QString langCode)",
        "QVariant createMacroIni(QVariant name, QVariant macroIndex)",
        "QVariant updataNameList(QVariant type, QStringList nameList)",
        "QVariant modifyMacroNameUpdateProfile(QVariant oldname, QVariant newname)",
        "void deleteMacroUpdateProfile(QVariant macroName)", "QVariant deleteMacroIni(QVariant name)",
        "QVariantList getNameList(QVariant type)",
        "QVariant saveMacroIni(QVariant name, QStringList macros, QVariant repeat)",
        "QVariant mouseSendMacroData(QVariantList macroData, QVariant macroIndex)",
        "QStringList loadMacroIni(QVariant name)", "void mouseSaveGundata(QVariant index, QVariantList src6)",
        "void mouseSendGundata(int mode, QVariantList data)", "void modifyGundata(QVariant modifyType, QVariantList src6)",
        "QVariantList getGunData(QVariant name)", "QStringList getGunDataKey()", "QVariant getXYSensitive(QVariant index)",
        "QVariant getselectGun(QVariant index)", "void setXYSensitive(QVariant index, QVariant xyData)",
        "void setSelectGun(QVariant index, QVariant xyData)", "void setCurrentProfile(int profile)",
        "void mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)",
        "void mouseSetReportRate(uchar rate)", "void mouseSetCurrentDPI(uchar currentDPI)", "void mouseResetKeyMatrix()",
        "QVariant mouseGetCurrentDPI()",
        "void mouseSetKeyMatrix(QVariantList src64, bool isSendData, QVariantList otherParam)",
        "void mouseSetDpi(int dpiCount, QString sensorType, QVariantList dpiValueArray)",
        "void mouseSetRGBEffect(uchar effect, uchar option1, uchar option2)",
        "void mouseSetRGBColor(uchar type, QVariantList src24)", "void mouseSetProfile(uint profileNo)",
        "void mouseReadProfile(uint profileNo)", "QVariant mouseReadCurrentProfile()", "void mouseSwitchKeyMatrix(int indexNo)",
        "QVariantList GetKeyboardoption()", "void mouseSetCursorSpeed(uint cursorSpeed)",
        "void mouseSetVerticalScrollLines(uint lines)", "void mouseSetDoubleClickSpeed(uint speed)",
        "QVariantList mouseGetKeydefine(QVariant index, bool isRecovery)", "void openUpdateExe()",
        "QVariant getData(QVariant key, bool isRecovery)", "QVariant getGlobalData(QVariant key)",
        "QVariantList getDataList(QVariant key, bool isRecovery)", "void setData(QVariant key, QVariant data)",
        "void setGlobalData(QVariant key, QVariant tmpdata)", "void setDataList(QVariant key, QVariantList datalist)",
        "void setBusy(int busyTime)", "void setCurrentDPI(int dpiValue)",
    };
    QCOMPARE(expected.size(), 57);
    QStringList actual = slotTable(myQQuickView::staticMetaObject);
    // Two additions: the documents' extra argument to the global read, and
    // the held-off setEnabled. Everything else is the table, in its order.
    QVERIFY(actual.removeOne(QStringLiteral("QVariant getGlobalData(QVariant key, QVariant ignored)")));
    QVERIFY(actual.removeOne(QStringLiteral("void setEnabled(bool enable)")));
    QCOMPARE(actual, expected);
}

void SlotTables::commandObject()
{
    const QStringList expected = {
        "uchar hidCS(uchar* cmd)",
        "void USBDataEncryption(uchar* FIFOBuf, uchar* SecrecyCode)",
        "void USBDataDecipher(uchar* FIFOBuf, uchar* SecrecyCode)",
        "bool chkDeviceIsEnCode(int index)",
        "void hid553_00H_GetSecrecyCode(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4)",
        "void hid553_01H_SetReportRate(uchar rate)",
        "void hid553_02H_SetCurrentKeyMatrix(uchar currentKeyMatrix)",
        "void hid553_03H_SetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)",
        "void hid553_04H_SetGunData(uchar byte1, uchar byte2, uchar byte3, uchar byte4)",
        "void hid553_0BH_SetCurrentDPI(uchar stage)",
        "void hid553_0CH_SetFixLEDColor(uchar* src3)",
        "void hid553_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2)",
        "void hid553_10H_SetLED8StageColor(uchar type, uchar* src24)",
        "void hid553_11H_SetDPISet(uchar dpiStage, uchar* src8)",
        "void hid553_12H_SetKeyMatrix(uchar* src64, uchar indexAddOne)",
        "void hid553_13H_SetMacroKey(uchar macroId, uchar* src128)",
        "void hid553_83H_GetKeyboardoption(uchar& byte1, uchar& byte2, uchar& byte3, uchar& byte4)",
        "void hid553_8BH_GetCurrentDPI(uchar& byte1)",
        "void hid560_01H_SetKeyboardoption(uchar byte1, uchar byte2)",
        "void hid560_02H_SetCurrentProfile(uchar profile)",
        "void hid560_03H_SetReportRate(uchar rate)",
        "void hid560_04H_SetCurrentDPI(uchar stage)",
        "void hid560_0CH_setProfile(uchar* src128, uchar profileData)",
        "void hid560_0DH_SetKeyMatrix(uchar* src64, uchar indexAddOne)",
        "void hid560_0FH_SetMacroKey(uchar macroId, uchar* src128)",
        "void hid560_81H_GetKeyboardoption(uchar& byte1, uchar& byte2)",
        "void hid560_82H_GetCurrentProfile(uchar& byte1)",
        "void hid560_84H_GetCurrentDPI(uchar& byte1, uchar& byte2)",
        "void hid560_8CH_readProfile(uchar* src128, uchar profileNo)",
    };
    QCOMPARE(expected.size(), 29);
    QCOMPARE(slotTable(Hid_Thread::staticMetaObject), expected);
}

QTEST_MAIN(SlotTables)
#include "tst_slottables.moc"
