// Whole-profile operations: reset, copy, export and import, and what they
// leave behind when a copy cannot be made.
#include "fixturetree.h"
#include "profilefiles.h"
#include "settingsfile.h"
#include "settingsstores.h"
#include "storetest.h"

#include <QStandardPaths>

using namespace storetest;

namespace {

const QString kReportRate = QStringLiteral("mouse/reportRate");

QString desktop()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

// Lets the event loop delete replaced stores, as it would in the program.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class ProfileFiles : public QObject
{
    Q_OBJECT

private slots:
    void resetPutsTheFactoryProfileInPlace();
    void copyGoesOneWayAndCarriesPendingWrites();
    void copyOntoItselfKeepsTheProfile();
    void exportReplacesAnExistingExchangeFile();
    void exportThatCannotCopyKeepsTheExchangeFile();
    void importReplacesTheProfileAndItsStore();
    void cancelledOrFailedImportKeepsTheProfile();
    void resetWithoutFactoryFileKeepsTheProfile();
    void profilesOutsideTheTenDoNothing();
};

void ProfileFiles::resetPutsTheFactoryProfileInPlace()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.setCurrentProfile(2);
    stores.profileStore(false)->setValue(kReportRate, 0);
    stores.profileStore(false)->sync();
    // A write the deferred save has not yet put on disk must not resurface.
    stores.profileStore(false)->setValue(QStringLiteral("mouse/scrollRate"), 9);
    QVERIFY(readAll(SettingsStores::profilePath(2)) != readAll(SettingsStores::defaultProfilePath()));

    profilefiles::resetProfile(stores, 2);
    QCOMPARE(readAll(SettingsStores::profilePath(2)), readAll(SettingsStores::defaultProfilePath()));
    QCOMPARE(stores.profileStore(false)->value(kReportRate).toString(), QStringLiteral("3"));
    QCOMPARE(stores.profileStore(false)->value(QStringLiteral("mouse/scrollRate")).toString(), QStringLiteral("3"));
    settle();
    QCOMPARE(readAll(SettingsStores::profilePath(2)), readAll(SettingsStores::defaultProfilePath()));
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(2), kReportRate), QStringLiteral("QString:3"));
    // The new store serves later writes to the same file.
    stores.profileStore(false)->setValue(kReportRate, 1);
    stores.profileStore(false)->sync();
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(2), kReportRate), QStringLiteral("QString:1"));
    QCOMPARE(QFileInfo(stores.profile(2)->fileName()).fileName(), QStringLiteral("p3.bin"));
}

void ProfileFiles::copyGoesOneWayAndCarriesPendingWrites()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.profile(4)->setValue(kReportRate, 1);
    stores.profile(4)->sync();
    const QByteArray p5Before = readAll(SettingsStores::profilePath(4));
    // Written but not yet saved by the event loop: the copy still has it.
    stores.profile(4)->setValue(QStringLiteral("mouse/mouseRate"), 42);

    profilefiles::copyProfile(stores, 1, 4);
    const QByteArray p5 = readAll(SettingsStores::profilePath(4));
    QVERIFY(p5 != p5Before);
    QCOMPARE(readAll(SettingsStores::profilePath(1)), p5);
    QCOMPARE(stores.profile(1)->value(QStringLiteral("mouse/mouseRate")).toString(), QStringLiteral("42"));
    QCOMPARE(stores.profile(1)->value(kReportRate).toString(), QStringLiteral("1"));
    settle();
    QCOMPARE(readAll(SettingsStores::profilePath(4)), p5);

    stores.profile(1)->setValue(kReportRate, 2);
    profilefiles::copyProfile(stores, 4, 1);
    QCOMPARE(readAll(SettingsStores::profilePath(4)), readAll(SettingsStores::profilePath(1)));
    QCOMPARE(stores.profile(4)->value(kReportRate).toString(), QStringLiteral("2"));
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(4), kReportRate), QStringLiteral("QString:2"));
}

void ProfileFiles::copyOntoItselfKeepsTheProfile()
{
    FixtureTree tree;
    SettingsStores stores;
    SettingsFile* store = stores.profile(3);
    store->setValue(kReportRate, 2);
    profilefiles::copyProfile(stores, 3, 3);
    QCOMPARE(stores.profile(3), store);
    QCOMPARE(store->value(kReportRate), QVariant(2));
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(3), kReportRate), QStringLiteral("QString:2"));
}

void ProfileFiles::exportReplacesAnExistingExchangeFile()
{
    FixtureTree tree;
    SettingsStores stores;
    ScriptedDialogs dialogs;
    const QString pf = tree.path() + QStringLiteral("/mine.pf");
    QVERIFY(writeFile(pf, "[mouse]\nreportRate=0\nsomethingElse=1\nthat=makes it longer than a profile would be if it were short\n"));
    dialogs.answer = pf;
    stores.profile(0)->setValue(kReportRate, 1);   // not yet on disk

    profilefiles::saveProfile(stores, nullptr, 0);
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].kind, QStringLiteral("save"));
    QCOMPARE(dialogs.calls[0].caption, QStringLiteral("Save File"));
    QCOMPARE(dialogs.calls[0].filter, QStringLiteral("Profile(*.pf)"));
    QCOMPARE(dialogs.calls[0].dir, desktop());
    QCOMPARE(readAll(pf), readAll(SettingsStores::profilePath(0)));
    QCOMPARE(readAfterRestart(pf, kReportRate), QStringLiteral("QString:1"));

    // Cancelling writes nothing.
    const QByteArray exported = readAll(pf);
    stores.profile(0)->setValue(kReportRate, 2);
    dialogs.answer.clear();
    profilefiles::saveProfile(stores, nullptr, 0);
    QCOMPARE(dialogs.calls.size(), 2);
    QCOMPARE(readAll(pf), exported);
}

void ProfileFiles::exportThatCannotCopyKeepsTheExchangeFile()
{
    FixtureTree tree;
    QVERIFY(QFile::remove(SettingsStores::profilePath(0)));
    SettingsStores stores;
    ScriptedDialogs dialogs;
    const QString pf = tree.path() + QStringLiteral("/keep.pf");
    const QByteArray kept = "[mouse]\nreportRate=2\n";
    QVERIFY(writeFile(pf, kept));
    dialogs.answer = pf;
    profilefiles::saveProfile(stores, nullptr, 0);
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(readAll(pf), kept);
    // A folder that does not exist cannot take the copy either; nothing appears.
    stores.profile(1)->sync();
    dialogs.answer = tree.path() + QStringLiteral("/no/such/folder/x.pf");
    profilefiles::saveProfile(stores, nullptr, 1);
    QVERIFY(!QFile::exists(dialogs.answer));
}

void ProfileFiles::importReplacesTheProfileAndItsStore()
{
    FixtureTree tree;
    SettingsStores stores;
    ScriptedDialogs dialogs;
    const QString pf = tree.path() + QStringLiteral("/in.pf");
    const QByteArray imported = "[mouse]\nreportRate=1\ndpiValueArray=100, 200\n";
    QVERIFY(writeFile(pf, imported));
    dialogs.answer = pf;
    stores.setCurrentProfile(5);
    stores.profileStore(false)->setValue(QStringLiteral("mouse/scrollRate"), 7);   // pending, overwritten by the import

    QVERIFY(profilefiles::loadProfile(stores, nullptr, 5));
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].kind, QStringLiteral("open"));
    QCOMPARE(dialogs.calls[0].caption, QStringLiteral("Open File"));
    QCOMPARE(dialogs.calls[0].filter, QStringLiteral("Profile(*.pf)"));
    QCOMPARE(dialogs.calls[0].dir, desktop());
    QCOMPARE(readAll(SettingsStores::profilePath(5)), imported);
    QCOMPARE(stores.profileStore(false)->value(kReportRate).toString(), QStringLiteral("1"));
    QVERIFY(!stores.profileStore(false)->value(QStringLiteral("mouse/scrollRate")).isValid());
    settle();
    QCOMPARE(readAll(SettingsStores::profilePath(5)), imported);
    QCOMPARE(readAll(pf), imported);
}

void ProfileFiles::cancelledOrFailedImportKeepsTheProfile()
{
    FixtureTree tree;
    SettingsStores stores;
    ScriptedDialogs dialogs;
    SettingsFile* store = stores.profile(5);
    store->setValue(kReportRate, 2);   // pending: must survive
    const QByteArray before = readAll(SettingsStores::profilePath(5));

    dialogs.answer.clear();
    QVERIFY(!profilefiles::loadProfile(stores, nullptr, 5));
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(readAll(SettingsStores::profilePath(5)), before);
    QCOMPARE(stores.profile(5), store);

    dialogs.answer = tree.path() + QStringLiteral("/gone.pf");
    QVERIFY(!profilefiles::loadProfile(stores, nullptr, 5));
    QCOMPARE(stores.profile(5), store);
    QCOMPARE(store->value(kReportRate), QVariant(2));
    settle();
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(5), kReportRate), QStringLiteral("QString:2"));
    QCOMPARE(readAfterRestart(SettingsStores::profilePath(5), QStringLiteral("mouse/dpiCount")), QStringLiteral("QString:8"));
}

void ProfileFiles::resetWithoutFactoryFileKeepsTheProfile()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.profile(2)->setValue(kReportRate, 0);
    stores.profile(2)->sync();
    const QByteArray before = readAll(SettingsStores::profilePath(2));
    QVERIFY(QFile::remove(SettingsStores::defaultProfilePath()));
    SettingsFile* store = stores.profile(2);
    profilefiles::resetProfile(stores, 2);
    QCOMPARE(readAll(SettingsStores::profilePath(2)), before);
    QCOMPARE(stores.profile(2), store);
    QCOMPARE(store->value(kReportRate), QVariant(0));
}

void ProfileFiles::profilesOutsideTheTenDoNothing()
{
    FixtureTree tree;
    SettingsStores stores;
    ScriptedDialogs dialogs;
    const QString pf = tree.path() + QStringLiteral("/x.pf");
    QVERIFY(writeFile(pf, "[mouse]\nreportRate=0\n"));
    dialogs.answer = pf;
    const auto before = snapshot();
    for (int outside : {-1, 10, 11, 1000}) {
        profilefiles::saveProfile(stores, nullptr, outside);
        QVERIFY(!profilefiles::loadProfile(stores, nullptr, outside));
        profilefiles::resetProfile(stores, outside);
        profilefiles::copyProfile(stores, outside, 0);
        profilefiles::copyProfile(stores, 0, outside);
        QVERIFY(!stores.replaceProfile(outside, pf));
    }
    QVERIFY(dialogs.calls.isEmpty());
    QCOMPARE(readAll(pf), QByteArray("[mouse]\nreportRate=0\n"));
    QCOMPARE(snapshot(), before);
    for (int n = 0; n < SettingsStores::kProfileCount; ++n)
        QVERIFY(stores.profile(n));
}

STORE_TEST_MAIN(ProfileFiles)

#include "tst_profilefiles.moc"
