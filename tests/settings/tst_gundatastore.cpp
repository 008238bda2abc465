// The gun records in gunData.bin and the per-profile sensitivity and gun
// selection values.
#include "fixturetree.h"
#include "gundatastore.h"
#include "settingsfile.h"
#include "settingsstores.h"
#include "storetest.h"

using namespace storetest;
using namespace gundata;

namespace {

const QString kGun = QStringLiteral("./modules/gun/gunData.bin");

QVariantList m416()
{
    return {QStringLiteral("M416"), QStringLiteral("L-Click"), 10, 0, -10, 0};
}

QString recordAfterRestart(const QString& key)
{
    return readAfterRestart(kGun, QStringLiteral("gunData/") + key);
}

} // namespace

class GunDataStore : public QObject
{
    Q_OBJECT

private slots:
    void savedRecordReadsBack();
    void withoutTheGunFileNothingIsWrittenOrRead();
    void removeByNameTakesOnlyThatRecord();
    void renameWritesFiveValuesUnderTheNewName();
    void shortListsAndEmptyNamesLeaveTheRecordsAlone();
    void sensitivityAndSelectionPerProfile();
};

void GunDataStore::savedRecordReadsBack()
{
    FixtureTree tree;
    mouseSaveGundata(2, m416());
    QCOMPARE(getGunData(2), m416());
    QCOMPARE(getGunData(QStringLiteral("2")), m416());
    QCOMPARE(recordAfterRestart(QStringLiteral("2")), QStringLiteral("list[M416|L-Click|10|0|-10|0]"));
    // Extra values beyond the six are not stored.
    mouseSaveGundata(3, m416() + QVariantList{99, 98});
    QCOMPARE(getGunData(3), m416());
    // The neighbours keep theirs.
    QCOMPARE(recordAfterRestart(QStringLiteral("1")), QStringLiteral("list[AKM|L-Click|9|0|7|0]"));
    // An absent record, or one holding a single value, reads as no record.
    QCOMPARE(getGunData(17), QVariantList{});
    QVERIFY(writeFile(kGun, "[gunData]\n0=Lonely\n1=a, b, c, d, e, f\n"));
    QCOMPARE(getGunData(0), QVariantList{});
    QCOMPARE(getGunData(1).size(), 6);
}

void GunDataStore::withoutTheGunFileNothingIsWrittenOrRead()
{
    FixtureTree tree;
    QVERIFY(QFile::remove(kGun));
    mouseSaveGundata(2, m416());
    modifyGundata(1, m416() + QVariantList{QStringLiteral("0")});
    modifyGundata(0, {QStringLiteral("0")});
    QVERIFY(!QFile::exists(kGun));
    QCOMPARE(getGunData(2), QVariantList{});
    QCOMPARE(getGunDataKey(), QStringList{});
    QVERIFY(!QFile::exists(kGun));
}

void GunDataStore::removeByNameTakesOnlyThatRecord()
{
    FixtureTree tree;
    QVERIFY(writeFile(kGun, "[gunData]\n0=M416, L-Click, 9, 0, 5, 0\nX=L-Click, 9, 0, 5, 0\nXY=L-Click, 1, 1, 1, 1\n"));
    modifyGundata(0, {QStringLiteral("X")});
    QCOMPARE(getGunDataKey(), (QStringList{QStringLiteral("0"), QStringLiteral("XY")}));
    QCOMPARE(keysAfterRestart(kGun, QStringLiteral("gunData")), QStringLiteral("0|XY"));
    QCOMPARE(recordAfterRestart(QStringLiteral("XY")), QStringLiteral("list[L-Click|1|1|1|1]"));
    QCOMPARE(recordAfterRestart(QStringLiteral("0")), QStringLiteral("list[M416|L-Click|9|0|5|0]"));
}

void GunDataStore::renameWritesFiveValuesUnderTheNewName()
{
    FixtureTree tree;
    const QVariantList seven{QStringLiteral("Custom"), QStringLiteral("R-Click"), 12, 1, 2, 30, QStringLiteral("5")};
    modifyGundata(1, seven);
    const QVariantList five{QStringLiteral("R-Click"), 12, 1, 2, 30};
    QCOMPARE(getGunData(QStringLiteral("Custom")), five);
    QCOMPARE(getGunData(5), QVariantList{});
    QCOMPARE(getGunDataKey(), (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                           QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("Custom")}));
    QCOMPARE(recordAfterRestart(QStringLiteral("Custom")), QStringLiteral("list[R-Click|12|1|2|30]"));
    QCOMPARE(recordAfterRestart(QStringLiteral("5")), QStringLiteral("invalid"));
    // Other types change nothing.
    const QByteArray before = readAll(kGun);
    modifyGundata(2, seven);
    modifyGundata(-1, {QStringLiteral("0")});
    QCOMPARE(readAll(kGun), before);
}

void GunDataStore::shortListsAndEmptyNamesLeaveTheRecordsAlone()
{
    FixtureTree tree;
    const QByteArray delivered = readAll(kGun);
    // A save with fewer than six values keeps the record it would replace.
    mouseSaveGundata(1, {QStringLiteral("AKM"), QStringLiteral("L-Click"), 9, 0, 7});
    mouseSaveGundata(1, {});
    // A rename needs all seven values, a removal its name.
    modifyGundata(1, {QStringLiteral("New"), QStringLiteral("L-Click"), 9, 0, 7, 0});
    modifyGundata(0, {});
    // An empty name would address the whole group.
    modifyGundata(0, {QString()});
    modifyGundata(1, {QString(), QStringLiteral("L-Click"), 9, 0, 7, 0, QStringLiteral("1")});
    modifyGundata(1, {QStringLiteral("New"), QStringLiteral("L-Click"), 9, 0, 7, 0, QString()});
    mouseSaveGundata(QString(), m416());
    // A type that is not a number is no type.
    modifyGundata(QStringLiteral("zero"), {QStringLiteral("1")});
    QCOMPARE(readAll(kGun), delivered);
    QCOMPARE(getGunData(QString()), QVariantList{});
    QCOMPARE(getGunDataKey().size(), 6);
}

void GunDataStore::sensitivityAndSelectionPerProfile()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.setCurrentProfile(3);
    SettingsFile* current = stores.profileStore(false);
    // The delivered profiles carry both groups; this profile has lost them.
    current->remove(QStringLiteral("XYSensitive"));
    current->remove(QStringLiteral("selectGun"));
    QVERIFY(!current->contains(QStringLiteral("XYSensitive/1")));
    QCOMPARE(getXYSensitive(current, 1), QVariant(4));
    QCOMPARE(getselectGun(current, 0), QVariant(QString()));

    setXYSensitive(current, 1, 7);
    setSelectGun(current, 0, QStringLiteral("AKM"));
    QCOMPARE(getXYSensitive(current, 1), QVariant(7));
    QCOMPARE(getselectGun(current, 0), QVariant(QStringLiteral("AKM")));
    current->sync();
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(3), QStringLiteral("XYSensitive/1")), QStringLiteral("QString:7"));
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(3), QStringLiteral("selectGun/0")), QStringLiteral("QString:AKM"));
    // Another profile is not affected.
    QCOMPARE(stores.profile(2)->value(QStringLiteral("selectGun/0")).toString(), QStringLiteral("0"));

    // A current profile outside the ten: defaults, and no write anywhere.
    stores.setCurrentProfile(10);
    QCOMPARE(stores.profileStore(false), nullptr);
    const auto before = snapshot();
    QCOMPARE(getXYSensitive(stores.profileStore(false), 1), QVariant(4));
    QCOMPARE(getselectGun(stores.profileStore(false), 0), QVariant(QString()));
    setXYSensitive(stores.profileStore(false), 1, 2);
    setSelectGun(stores.profileStore(false), 0, QStringLiteral("M416"));
    for (int n = 0; n < SettingsStores::kProfileCount; ++n)
        stores.profile(n)->sync();
    QCOMPARE(snapshot(), before);
}

STORE_TEST_MAIN(GunDataStore)

#include "tst_gundatastore.moc"
