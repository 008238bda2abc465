// The macro library: one file per macro, its create/save/load/delete cycle,
// import and export through the file dialogs, and names that are refused.
#include "fixturetree.h"
#include "macrolibrary.h"
#include "storetest.h"

#include <QElapsedTimer>
#include <QStandardPaths>

using namespace storetest;
using namespace macrolibrary;

namespace {

QString file(const QString& name)
{
    return QStringLiteral("./modules/macro/") + name + QStringLiteral(".bin");
}

} // namespace

class MacroLibrary : public QObject
{
    Q_OBJECT

private slots:
    void newMacroHoldsOnlyItsRepeatCount();
    void savedActionsLoadBackInOrder();
    void savingFewerActionsLeavesNoneBehind();
    void missingEntriesAndFiles();
    void deleteRemovesOnlyAnExistingMacro();
    void importCopiesANewMacroAndNeverOverwrites();
    void importThatCannotCopyReportsFalse();
    void exportReplacesTheChosenFileOnlyWithACompleteCopy();
    void namesThatLeaveTheMacroFolderAreRefused_data();
    void namesThatLeaveTheMacroFolderAreRefused();
    void plainNamesAreAccepted();
};

void MacroLibrary::newMacroHoldsOnlyItsRepeatCount()
{
    FixtureTree tree;
    QVERIFY(!QFile::exists(file(QStringLiteral("Macro_0"))));
    QVERIFY(createMacroIni(QStringLiteral("Macro_0"), 0));
    QCOMPARE(loadMacroIni(QStringLiteral("Macro_0")), QStringList{QStringLiteral("1")});
    QCOMPARE(readAfterRestart(file(QStringLiteral("Macro_0")), QStringLiteral("config/index")), QStringLiteral("QString:0"));
    QCOMPARE(readAfterRestart(file(QStringLiteral("Macro_0")), QStringLiteral("config/total")), QStringLiteral("QString:0"));
    QCOMPARE(readAfterRestart(file(QStringLiteral("Macro_0")), QStringLiteral("config/did")), QStringLiteral("QString:-1"));

    // Re-creating an existing macro resets its config; its actions are no longer read.
    QVERIFY(saveMacroIni(QStringLiteral("Macro_0"), {QStringLiteral("1,A")}, 4));
    QVERIFY(createMacroIni(QStringLiteral("Macro_0"), 7));
    QCOMPARE(loadMacroIni(QStringLiteral("Macro_0")), QStringList{QStringLiteral("1")});
    QCOMPARE(readAfterRestart(file(QStringLiteral("Macro_0")), QStringLiteral("config/index")), QStringLiteral("QString:7"));
}

void MacroLibrary::savedActionsLoadBackInOrder()
{
    FixtureTree tree;
    const QString name = QStringLiteral("Macro_1");
    QVERIFY(createMacroIni(name, 0));
    const QStringList actions{QStringLiteral("0,50"), QStringLiteral("1,A")};
    QVERIFY(saveMacroIni(name, actions, 3));
    QCOMPARE(loadMacroIni(name), actions + QStringList{QStringLiteral("3")});
    // The comma inside an action does not split it, also after a restart.
    QCOMPARE(readAfterRestart(file(name), QStringLiteral("macro/0")), QStringLiteral("QString:0,50"));
    QCOMPARE(readAfterRestart(file(name), QStringLiteral("macro/1")), QStringLiteral("QString:1,A"));
    QCOMPARE(readAfterRestart(file(name), QStringLiteral("config/repeat")), QStringLiteral("QString:3"));
    // index and did keep what create wrote.
    QCOMPARE(readAfterRestart(file(name), QStringLiteral("config/did")), QStringLiteral("QString:-1"));
    QCOMPARE(readAfterRestart(file(name), QStringLiteral("config/index")), QStringLiteral("QString:0"));
}

void MacroLibrary::savingFewerActionsLeavesNoneBehind()
{
    FixtureTree tree;
    const QString name = QStringLiteral("Macro_2");
    QVERIFY(createMacroIni(name, 0));
    QVERIFY(saveMacroIni(name, {QStringLiteral("1,A"), QStringLiteral("0,50"), QStringLiteral("2,A")}, 1));
    QCOMPARE(keysAfterRestart(file(name), QStringLiteral("macro")), QStringLiteral("0|1|2"));
    QVERIFY(saveMacroIni(name, {QStringLiteral("3,L-Click")}, 2));
    QCOMPARE(keysAfterRestart(file(name), QStringLiteral("macro")), QStringLiteral("0"));
    QCOMPARE(loadMacroIni(name), (QStringList{QStringLiteral("3,L-Click"), QStringLiteral("2")}));
    QVERIFY(saveMacroIni(name, {}, 5));
    QCOMPARE(keysAfterRestart(file(name), QStringLiteral("macro")), QString());
    QCOMPARE(loadMacroIni(name), QStringList{QStringLiteral("5")});
}

void MacroLibrary::missingEntriesAndFiles()
{
    FixtureTree tree;
    // total 2 with only entry 0: the gap reads as "0".
    QVERIFY(writeFile(file(QStringLiteral("gap")), "[config]\ntotal=2\nrepeat=5\n[macro]\n0=\"1,A\"\n"));
    QCOMPARE(loadMacroIni(QStringLiteral("gap")), (QStringList{QStringLiteral("1,A"), QStringLiteral("0"), QStringLiteral("5")}));
    // No config at all still gives the repeat count slot.
    QVERIFY(writeFile(file(QStringLiteral("bare")), "[macro]\n0=\"1,A\"\n"));
    QCOMPARE(loadMacroIni(QStringLiteral("bare")), QStringList{QStringLiteral("0")});

    // Without a file: nothing to load, and a save creates nothing.
    QCOMPARE(loadMacroIni(QStringLiteral("none")), QStringList{});
    QVERIFY(!saveMacroIni(QStringLiteral("none"), {QStringLiteral("1,A")}, 1));
    QVERIFY(!QFile::exists(file(QStringLiteral("none"))));

    // A damaged or foreign file claiming a huge count loads in bounded time and size.
    QVERIFY(writeFile(file(QStringLiteral("huge")), "[config]\ntotal=2000000000\nrepeat=1\n[macro]\n0=\"1,A\"\n"));
    QElapsedTimer timer;
    timer.start();
    const QStringList huge = loadMacroIni(QStringLiteral("huge"));
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(huge.size() <= 4097);
    QCOMPARE(huge.first(), QStringLiteral("1,A"));
    QCOMPARE(huge.last(), QStringLiteral("1"));
}

void MacroLibrary::deleteRemovesOnlyAnExistingMacro()
{
    FixtureTree tree;
    QVERIFY(createMacroIni(QStringLiteral("a"), 0));
    QVERIFY(createMacroIni(QStringLiteral("b"), 0));
    QVERIFY(deleteMacroIni(QStringLiteral("a")));
    QVERIFY(!QFile::exists(file(QStringLiteral("a"))));
    QVERIFY(QFile::exists(file(QStringLiteral("b"))));
    QVERIFY(!deleteMacroIni(QStringLiteral("a")));
    QCOMPARE(loadMacroIni(QStringLiteral("a")), QStringList{});
}

void MacroLibrary::importCopiesANewMacroAndNeverOverwrites()
{
    FixtureTree tree;
    ScriptedDialogs dialogs;
    const QString mc = tree.path() + QStringLiteral("/in.mc");
    const QByteArray imported = "[config]\ntotal=1\nrepeat=2\n[macro]\n0=\"1,B\"\n";
    QVERIFY(writeFile(mc, imported));
    dialogs.answer = mc;
    // The first macro may arrive by import, before any macro folder exists.
    QDir(QStringLiteral("modules/macro")).removeRecursively();

    QVERIFY(loadMacroFile(nullptr, QStringLiteral("Macro_3")));
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].kind, QStringLiteral("open"));
    QCOMPARE(dialogs.calls[0].caption, QStringLiteral("Open File"));
    QCOMPARE(dialogs.calls[0].filter, QStringLiteral("Macro(*.mc)"));
    QCOMPARE(dialogs.calls[0].dir, QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    QCOMPARE(readAll(file(QStringLiteral("Macro_3"))), imported);
    QCOMPARE(loadMacroIni(QStringLiteral("Macro_3")), (QStringList{QStringLiteral("1,B"), QStringLiteral("2")}));

    // An existing macro stays as it is, and the import still counts as done,
    // so the editor does not create an empty macro over it.
    QVERIFY(createMacroIni(QStringLiteral("Macro_4"), 0));
    QVERIFY(saveMacroIni(QStringLiteral("Macro_4"), {QStringLiteral("1,C")}, 9));
    const QByteArray existing = readAll(file(QStringLiteral("Macro_4")));
    QVERIFY(loadMacroFile(nullptr, QStringLiteral("Macro_4")));
    QCOMPARE(readAll(file(QStringLiteral("Macro_4"))), existing);
    QCOMPARE(loadMacroIni(QStringLiteral("Macro_4")), (QStringList{QStringLiteral("1,C"), QStringLiteral("9")}));

    // Cancelled: false, nothing created.
    dialogs.answer.clear();
    QVERIFY(!loadMacroFile(nullptr, QStringLiteral("Macro_5")));
    QVERIFY(!QFile::exists(file(QStringLiteral("Macro_5"))));
}

void MacroLibrary::importThatCannotCopyReportsFalse()
{
    FixtureTree tree;
    ScriptedDialogs dialogs;
    dialogs.answer = tree.path() + QStringLiteral("/missing.mc");
    QVERIFY(!loadMacroFile(nullptr, QStringLiteral("Macro_6")));
    QVERIFY(!QFile::exists(file(QStringLiteral("Macro_6"))));
    // A folder is not a macro file either.
    dialogs.answer = tree.path();
    QVERIFY(!loadMacroFile(nullptr, QStringLiteral("Macro_6")));
    QVERIFY(!QFile::exists(file(QStringLiteral("Macro_6"))));
}

void MacroLibrary::exportReplacesTheChosenFileOnlyWithACompleteCopy()
{
    FixtureTree tree;
    ScriptedDialogs dialogs;
    QVERIFY(createMacroIni(QStringLiteral("Macro_7"), 0));
    QVERIFY(saveMacroIni(QStringLiteral("Macro_7"), {QStringLiteral("1,A"), QStringLiteral("2,A")}, 1));
    const QString mc = tree.path() + QStringLiteral("/out.mc");
    QVERIFY(writeFile(mc, "an older export that is longer than the macro file itself, so a partial overwrite would show\n"));
    dialogs.answer = mc;

    saveMacroFile(nullptr, QStringLiteral("Macro_7"));
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].kind, QStringLiteral("save"));
    QCOMPARE(dialogs.calls[0].caption, QStringLiteral("Save File"));
    QCOMPARE(dialogs.calls[0].filter, QStringLiteral("Macro(*.mc)"));
    QCOMPARE(readAll(mc), readAll(file(QStringLiteral("Macro_7"))));

    // The macro file is gone: the export made before stays whole.
    const QByteArray exported = readAll(mc);
    saveMacroFile(nullptr, QStringLiteral("nothing"));
    QCOMPARE(dialogs.calls.size(), 2);
    QCOMPARE(readAll(mc), exported);

    // Cancelled: the dialog was asked, nothing written.
    QVERIFY(saveMacroIni(QStringLiteral("Macro_7"), {QStringLiteral("1,Z")}, 1));
    dialogs.answer.clear();
    saveMacroFile(nullptr, QStringLiteral("Macro_7"));
    QCOMPARE(dialogs.calls.size(), 3);
    QCOMPARE(readAll(mc), exported);
}

void MacroLibrary::namesThatLeaveTheMacroFolderAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("dot") << QStringLiteral(".");
    QTest::newRow("dot dot") << QStringLiteral("..");
    QTest::newRow("parent") << QStringLiteral("../victim");
    QTest::newRow("two up") << QStringLiteral("../../victim");
    QTest::newRow("subfolder") << QStringLiteral("sub/victim");
    QTest::newRow("absolute") << QStringLiteral("/tmp/victim");
    QTest::newRow("backslash") << QStringLiteral("..\\victim");
    QTest::newRow("drive") << QStringLiteral("C:victim");
    QTest::newRow("dots inside") << QStringLiteral("a..b");
    QTest::newRow("nul") << QStringLiteral("vic") + QChar(0) + QStringLiteral("tim");
    QTest::newRow("newline") << QStringLiteral("vic\ntim");
}

void MacroLibrary::namesThatLeaveTheMacroFolderAreRefused()
{
    QFETCH(QString, name);
    FixtureTree tree;
    ScriptedDialogs dialogs;
    // Files the names would reach if they were used as given.
    const QByteArray victim = "[config]\ntotal=1\nrepeat=1\n[macro]\n0=\"1,A\"\n";
    QVERIFY(writeFile(QStringLiteral("modules/victim.bin"), victim));
    QVERIFY(writeFile(QStringLiteral("victim.bin"), victim));
    QVERIFY(writeFile(QStringLiteral("modules/macro/sub/victim.bin"), victim));
    const QString mc = tree.path() + QStringLiteral("/in.mc");
    QVERIFY(writeFile(mc, victim));
    dialogs.answer = mc;
    const auto before = snapshot();

    QVERIFY(!isSafeMacroName(name));
    QCOMPARE(macroPath(name), QString());
    QVERIFY(!createMacroIni(name, 0));
    QVERIFY(!saveMacroIni(name, {QStringLiteral("1,B")}, 2));
    QCOMPARE(loadMacroIni(name), QStringList{});
    QVERIFY(!deleteMacroIni(name));
    QVERIFY(!loadMacroFile(nullptr, name));
    saveMacroFile(nullptr, name);
    QVERIFY(dialogs.calls.isEmpty());

    QCOMPARE(snapshot(), before);
    QCOMPARE(readAll(QStringLiteral("modules/victim.bin")), victim);
    QCOMPARE(readAll(QStringLiteral("victim.bin")), victim);
    QCOMPARE(readAll(QStringLiteral("modules/macro/sub/victim.bin")), victim);
    QCOMPARE(readAll(mc), victim);
    QCOMPARE(QDir(QStringLiteral("modules/macro")).entryList(QDir::Files), QStringList{});
}

void MacroLibrary::plainNamesAreAccepted()
{
    FixtureTree tree;
    for (const QString& name : {QStringLiteral("Macro_0"), QStringLiteral("my macro"), QStringLiteral("宏 1"), QStringLiteral("v1.2"), QStringLiteral(".hidden")}) {
        QVERIFY2(isSafeMacroName(name), qPrintable(name));
        QCOMPARE(macroPath(name), file(name));
        QVERIFY(createMacroIni(name, 0));
        QVERIFY(saveMacroIni(name, {QStringLiteral("1,A")}, 2));
        QCOMPARE(loadMacroIni(name), (QStringList{QStringLiteral("1,A"), QStringLiteral("2")}));
        QVERIFY(QFile::exists(file(name)));
    }
}

STORE_TEST_MAIN(MacroLibrary)

#include "tst_macrolibrary.moc"
