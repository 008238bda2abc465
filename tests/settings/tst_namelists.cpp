// The name lists in name.bin with their one-element sentinel, and the macro
// rename that carries the profiles' macro references along.
#include "fixturetree.h"
#include "macrolibrary.h"
#include "namelists.h"
#include "settingsfile.h"
#include "settingsstores.h"
#include "storetest.h"

using namespace storetest;
using namespace namelists;

namespace {

const QString kNames = QStringLiteral("./modules/setting/name.bin");

QVariantList texts(const QStringList& list)
{
    QVariantList result;
    for (const QString& text : list)
        result.append(text);
    return result;
}

// Puts a macro reference into profile n, as the button page leaves it.
void refer(SettingsStores& stores, int n, const QString& key, const QString& macro)
{
    stores.profile(n)->setValue(QStringLiteral("mouseMacroKey/") + key, macro);
    stores.profile(n)->sync();
}

QString referenceAfterRestart(int n, const QString& key)
{
    return readAfterRestart(SettingsStores::profilePath(n), QStringLiteral("mouseMacroKey/") + key);
}

} // namespace

class NameLists : public QObject
{
    Q_OBJECT

private slots:
    void oneNameIsStoredWithTheSentinel();
    void eachTypeHasItsOwnList();
    void emptyListRemovesTheKey();
    void unknownTypesTouchNothing_data();
    void unknownTypesTouchNothing();
    void renameMovesTheFileAndTheReferencesOfProfilesOneToSix();
    void renameWithoutTheMacroChangesNothing();
    void renameOntoAnotherMacroChangesNothing();
    void renameWithUnsafeNamesChangesNothing_data();
    void renameWithUnsafeNamesChangesNothing();
};

void NameLists::oneNameIsStoredWithTheSentinel()
{
    FixtureTree tree;
    QVERIFY(updataNameList(0, {QStringLiteral("Macro_0")}));
    QCOMPARE(getNameList(0), texts({QStringLiteral("Macro_0"), QStringLiteral("loaderzephyr")}));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("macro/macroName")), QStringLiteral("list[Macro_0|loaderzephyr]"));
    // Two names go down as they are.
    QVERIFY(updataNameList(0, {QStringLiteral("Macro_0"), QStringLiteral("Macro_1")}));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("macro/macroName")), QStringLiteral("list[Macro_0|Macro_1]"));
    // The delivered profile list carries the sentinel already.
    QCOMPARE(getNameList(2), texts({QStringLiteral("Standard0"), QStringLiteral("loaderzephyr")}));
}

void NameLists::eachTypeHasItsOwnList()
{
    FixtureTree tree;
    const QStringList macros{QStringLiteral("A"), QStringLiteral("B, with comma")};
    const QStringList guns{QStringLiteral("G1"), QStringLiteral("G2"), QStringLiteral("G3")};
    const QStringList profiles{QStringLiteral("profile_00"), QStringLiteral("profile_11")};
    const QStringList selected{QStringLiteral("S1"), QStringLiteral("S2")};
    QVERIFY(updataNameList(0, macros));
    QVERIFY(updataNameList(1u, guns));
    QVERIFY(updataNameList(QStringLiteral("2"), profiles));
    QVERIFY(updataNameList(3.0, selected));
    QCOMPARE(getNameList(0), texts(macros));
    QCOMPARE(getNameList(1), texts(guns));
    QCOMPARE(getNameList(2), texts(profiles));
    QCOMPARE(getNameList(3), texts(selected));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("macro/macroName")), QStringLiteral("list[A|B, with comma]"));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("gun/gunName")), QStringLiteral("list[G1|G2|G3]"));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("profile/profileName")), QStringLiteral("list[profile_00|profile_11]"));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("gun/selectGun")), QStringLiteral("list[S1|S2]"));
}

void NameLists::emptyListRemovesTheKey()
{
    FixtureTree tree;
    QVERIFY(updataNameList(0, {QStringLiteral("A"), QStringLiteral("B")}));
    QVERIFY(updataNameList(0, {}));
    QCOMPARE(getNameList(0), QVariantList{});
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("macro/macroName")), QStringLiteral("invalid"));
    QVERIFY(!readAll(kNames).contains("macroName="));
    // The other lists stay.
    QCOMPARE(getNameList(1).size(), 6);
    // A single value (not a list) reads as no list.
    QVERIFY(writeFile(kNames, "[macro]\nmacroName=Lonely\n"));
    QCOMPARE(readAfterRestart(kNames, QStringLiteral("macro/macroName")), QStringLiteral("QString:Lonely"));
}

void NameLists::unknownTypesTouchNothing_data()
{
    QTest::addColumn<QVariant>("type");
    QTest::newRow("4") << QVariant(4);
    QTest::newRow("-1") << QVariant(-1);
    QTest::newRow("text") << QVariant(QStringLiteral("macro"));
    QTest::newRow("none") << QVariant();
}

void NameLists::unknownTypesTouchNothing()
{
    QFETCH(QVariant, type);
    FixtureTree tree;
    QVERIFY(updataNameList(0, {QStringLiteral("Mine"), QStringLiteral("Yours")}));
    const QByteArray before = readAll(kNames);
    QVERIFY(updataNameList(type, {QStringLiteral("X"), QStringLiteral("Y")}));
    QVERIFY(updataNameList(type, {}));
    QCOMPARE(readAll(kNames), before);
    QCOMPARE(getNameList(type), QVariantList{});
    QCOMPARE(getNameList(0), texts({QStringLiteral("Mine"), QStringLiteral("Yours")}));
}

void NameLists::renameMovesTheFileAndTheReferencesOfProfilesOneToSix()
{
    FixtureTree tree;
    SettingsStores stores;
    QVERIFY(macrolibrary::createMacroIni(QStringLiteral("Old"), 0));
    QVERIFY(macrolibrary::saveMacroIni(QStringLiteral("Old"), {QStringLiteral("1,A")}, 2));
    const QByteArray macro = readAll(macrolibrary::macroPath(QStringLiteral("Old")));
    for (int n = 0; n < SettingsStores::kProfileCount; ++n)
        refer(stores, n, QStringLiteral("1"), QStringLiteral("Old"));
    refer(stores, 0, QStringLiteral("2"), QStringLiteral("Other"));
    refer(stores, 0, QStringLiteral("3"), QStringLiteral("Old2"));
    const QByteArray factory = readAll(SettingsStores::defaultProfilePath());

    QVERIFY(modifyMacroNameUpdateProfile(stores, QStringLiteral("Old"), QStringLiteral("New")));
    QVERIFY(!QFile::exists(macrolibrary::macroPath(QStringLiteral("Old"))));
    QCOMPARE(readAll(macrolibrary::macroPath(QStringLiteral("New"))), macro);
    for (int n = 0; n < 6; ++n) {
        QCOMPARE(stores.profile(n)->value(QStringLiteral("mouseMacroKey/1")).toString(), QStringLiteral("New"));
        QCOMPARE(referenceAfterRestart(n, QStringLiteral("1")), QStringLiteral("QString:New"));
    }
    for (int n = 6; n < SettingsStores::kProfileCount; ++n)
        QCOMPARE(referenceAfterRestart(n, QStringLiteral("1")), QStringLiteral("QString:Old"));
    // Only exact matches change.
    QCOMPARE(referenceAfterRestart(0, QStringLiteral("2")), QStringLiteral("QString:Other"));
    QCOMPARE(referenceAfterRestart(0, QStringLiteral("3")), QStringLiteral("QString:Old2"));
    QCOMPARE(readAll(SettingsStores::defaultProfilePath()), factory);
}

void NameLists::renameWithoutTheMacroChangesNothing()
{
    FixtureTree tree;
    SettingsStores stores;
    for (int n = 0; n < 6; ++n)
        refer(stores, n, QStringLiteral("1"), QStringLiteral("Ghost"));
    const auto before = snapshot();
    QVERIFY(!modifyMacroNameUpdateProfile(stores, QStringLiteral("Ghost"), QStringLiteral("New")));
    QCOMPARE(snapshot(), before);
    for (int n = 0; n < 6; ++n)
        QCOMPARE(stores.profile(n)->value(QStringLiteral("mouseMacroKey/1")).toString(), QStringLiteral("Ghost"));
}

void NameLists::renameOntoAnotherMacroChangesNothing()
{
    FixtureTree tree;
    SettingsStores stores;
    QVERIFY(macrolibrary::createMacroIni(QStringLiteral("Old"), 0));
    QVERIFY(macrolibrary::createMacroIni(QStringLiteral("Taken"), 0));
    QVERIFY(macrolibrary::saveMacroIni(QStringLiteral("Taken"), {QStringLiteral("1,T")}, 1));
    refer(stores, 0, QStringLiteral("1"), QStringLiteral("Old"));
    refer(stores, 1, QStringLiteral("1"), QStringLiteral("Taken"));
    const auto before = snapshot();
    QVERIFY(!modifyMacroNameUpdateProfile(stores, QStringLiteral("Old"), QStringLiteral("Taken")));
    // Renaming to the same name is the same case: the new name is taken.
    QVERIFY(!modifyMacroNameUpdateProfile(stores, QStringLiteral("Old"), QStringLiteral("Old")));
    QCOMPARE(snapshot(), before);
    QCOMPARE(stores.profile(0)->value(QStringLiteral("mouseMacroKey/1")).toString(), QStringLiteral("Old"));
    QCOMPARE(macrolibrary::loadMacroIni(QStringLiteral("Taken")), (QStringList{QStringLiteral("1,T"), QStringLiteral("1")}));
}

void NameLists::renameWithUnsafeNamesChangesNothing_data()
{
    QTest::addColumn<QString>("oldname");
    QTest::addColumn<QString>("newname");
    QTest::newRow("new leaves the folder") << QStringLiteral("Old") << QStringLiteral("../setting/p1");
    QTest::newRow("new is empty") << QStringLiteral("Old") << QString();
    QTest::newRow("old leaves the folder") << QStringLiteral("../setting/name") << QStringLiteral("New");
    QTest::newRow("old is a subfolder path") << QStringLiteral("sub/Old") << QStringLiteral("New");
}

void NameLists::renameWithUnsafeNamesChangesNothing()
{
    QFETCH(QString, oldname);
    QFETCH(QString, newname);
    FixtureTree tree;
    SettingsStores stores;
    QVERIFY(macrolibrary::createMacroIni(QStringLiteral("Old"), 0));
    QVERIFY(writeFile(QStringLiteral("modules/macro/sub/Old.bin"), "[config]\ntotal=0\n"));
    for (int n = 0; n < 6; ++n)
        refer(stores, n, QStringLiteral("1"), oldname);
    const auto before = snapshot();
    QVERIFY(!modifyMacroNameUpdateProfile(stores, oldname, newname));
    QCOMPARE(snapshot(), before);
    QVERIFY(QFile::exists(QStringLiteral("modules/setting/name.bin")));
    QVERIFY(QFile::exists(QStringLiteral("modules/macro/sub/Old.bin")));
    for (int n = 0; n < 6; ++n)
        QCOMPARE(stores.profile(n)->value(QStringLiteral("mouseMacroKey/1")).toString(), oldname);
}

STORE_TEST_MAIN(NameLists)

#include "tst_namelists.moc"
