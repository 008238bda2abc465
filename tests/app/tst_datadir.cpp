// Where the program keeps ./modules/: next to a writable executable as it
// always did; for an installed program, in a per-user copy seeded from the
// read-only delivered tree without ever replacing what the user has.
#include "datadir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kDelivered = QStringLiteral(KESTREL_DATA_DIR);

QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// The delivered tree as a package installs it: files and folders read-only.
void installTree(const QString& target)
{
    QDirIterator it(kDelivered, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = QDir(kDelivered).relativeFilePath(file);
        if (relative.endsWith(QLatin1String(".gitkeep")))
            continue;
        write(QDir(target).filePath(relative), contents(file));
    }
    QDir(target).mkpath(QStringLiteral("macro"));
    QDirIterator all(target, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QString path = all.next();
        QFile::setPermissions(path, all.fileInfo().isDir()
                                        ? QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                                        : QFile::ReadOwner | QFile::ReadOther);
    }
}

} // namespace

class DataDirTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writableTreeNextToTheExecutableIsUsedAsIs();
    void nothingDeliveredKeepsTheExecutablesFolder();
    void installedTreeIsSeededPerUser();
    void laterStartsKeepTheUsersFilesAndAddNewOnes();
    void treeFromAnEarlierBuildIsUpdatedWhereItStillMatches();
    void noUserFolderReadsTheDeliveredTree();

private:
    std::unique_ptr<QTemporaryDir> dir;
    DataLocations where;
};

void DataDirTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    where = {dir->filePath(QStringLiteral("usr/bin")), dir->filePath(QStringLiteral("usr/share/kestrel-orbit/modules")),
             dir->filePath(QStringLiteral("home/.local/share/kestrel-orbit"))};
    QDir().mkpath(where.exeDir);
}

void DataDirTest::cleanup()
{
    // Read-only folders would keep the temporary directory from going.
    QDirIterator it(dir->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::setPermissions(it.next(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dir.reset();
}

void DataDirTest::writableTreeNextToTheExecutableIsUsedAsIs()
{
    // The build tree or a portable copy; an installed tree exists as well.
    write(where.exeDir + QStringLiteral("/modules/setting/p1.bin"), "[mouse]\nreportRate=1\n");
    installTree(where.deliveredTree);
    QCOMPARE(prepareDataDir(where), where.exeDir);
    QVERIFY(!QFileInfo::exists(where.userDir));
    QCOMPARE(filesBelow(where.exeDir), QStringList{QStringLiteral("modules/setting/p1.bin")});
}

void DataDirTest::nothingDeliveredKeepsTheExecutablesFolder()
{
    // Every file then reads as absent, as it always has.
    QCOMPARE(prepareDataDir(where), where.exeDir);
    QVERIFY(!QFileInfo::exists(where.userDir));
}

void DataDirTest::installedTreeIsSeededPerUser()
{
    installTree(where.deliveredTree);
    const QStringList delivered = filesBelow(where.deliveredTree);
    QVERIFY(delivered.contains(QStringLiteral("setting/apConfig.bin")));

    QCOMPARE(prepareDataDir(where), where.userDir);
    const QString copy = where.userDir + QStringLiteral("/modules");
    QCOMPARE(filesBelow(copy), delivered);
    for (const QString& file : delivered) {
        QCOMPARE(contents(copy + QLatin1Char('/') + file), contents(where.deliveredTree + QLatin1Char('/') + file));
        // The user's copy is the user's to change.
        QVERIFY2(QFileInfo(copy + QLatin1Char('/') + file).isWritable(), qPrintable(file));
    }
    // Importing a macro needs the folder even while it is empty.
    QVERIFY(QFileInfo(copy + QStringLiteral("/macro")).isDir());
    // The bookkeeping lives beside modules/, where no folder listing sees it.
    QCOMPARE(filesBelow(where.userDir).filter(QRegularExpression(QStringLiteral("^[^/]*$"))),
             QStringList{QStringLiteral(".delivered-files")});
    QCOMPARE(filesBelow(where.deliveredTree), delivered);
}

void DataDirTest::laterStartsKeepTheUsersFilesAndAddNewOnes()
{
    const QString copy = where.userDir + QStringLiteral("/modules/");
    // A file the user had before the first seeding is theirs as well.
    write(copy + QStringLiteral("setting/name.bin"), "[macro]\nmacroName=mine\n");
    installTree(where.deliveredTree);
    QCOMPARE(prepareDataDir(where), where.userDir);
    QCOMPARE(contents(copy + QStringLiteral("setting/name.bin")), QByteArray("[macro]\nmacroName=mine\n"));

    // The user changes one file and deletes another; a package upgrade
    // then changes those two, one the user never touched and one the user
    // had before seeding, and adds a new one.
    write(copy + QStringLiteral("setting/p1.bin"), "[mouse]\nreportRate=0\n");
    QVERIFY(QFile::remove(copy + QStringLiteral("gun/gunData.bin")));
    QFile::setPermissions(where.deliveredTree + QStringLiteral("/setting"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(where.deliveredTree + QStringLiteral("/i18n"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(where.deliveredTree + QStringLiteral("/gun"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const char* file : {"setting/apConfig.bin", "setting/p1.bin", "setting/name.bin", "gun/gunData.bin",
                             "i18n/English.ini"}) {
        QFile::remove(where.deliveredTree + QLatin1Char('/') + QLatin1String(file));
        write(where.deliveredTree + QLatin1Char('/') + QLatin1String(file), "[common]\nname=Upgraded\n");
    }
    write(where.deliveredTree + QStringLiteral("/i18n/French.ini"), "[main]\ntotal=0\n");

    QCOMPARE(prepareDataDir(where), where.userDir);
    QCOMPARE(contents(copy + QStringLiteral("setting/p1.bin")), QByteArray("[mouse]\nreportRate=0\n"));
    QVERIFY2(!QFileInfo::exists(copy + QStringLiteral("gun/gunData.bin")), "a deleted file came back");
    QCOMPARE(contents(copy + QStringLiteral("setting/apConfig.bin")), QByteArray("[common]\nname=Upgraded\n"));
    QCOMPARE(contents(copy + QStringLiteral("i18n/English.ini")), QByteArray("[common]\nname=Upgraded\n"));
    QCOMPARE(contents(copy + QStringLiteral("i18n/French.ini")), QByteArray("[main]\ntotal=0\n"));
    QCOMPARE(contents(copy + QStringLiteral("setting/name.bin")), QByteArray("[macro]\nmacroName=mine\n"));
}

void DataDirTest::treeFromAnEarlierBuildIsUpdatedWhereItStillMatches()
{
    // An earlier build recorded the paths alone. Of its copies, the one
    // that is what this build delivers is known untouched from now on;
    // the one that differs may be the user's work and is kept.
    installTree(where.deliveredTree);
    const QString copy = where.userDir + QStringLiteral("/modules/");
    const QStringList delivered = filesBelow(where.deliveredTree);
    for (const QString& file : delivered)
        write(copy + file, contents(where.deliveredTree + QLatin1Char('/') + file));
    write(copy + QStringLiteral("setting/p1.bin"), "[mouse]\nreportRate=2\n");
    write(where.userDir + QStringLiteral("/.delivered-files"), (delivered.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    const QByteArray english = contents(copy + QStringLiteral("i18n/English.ini"));

    QCOMPARE(prepareDataDir(where), where.userDir);
    QCOMPARE(contents(copy + QStringLiteral("setting/p1.bin")), QByteArray("[mouse]\nreportRate=2\n"));
    QCOMPARE(contents(copy + QStringLiteral("i18n/English.ini")), english);

    // The next build changes both.
    QFile::setPermissions(where.deliveredTree + QStringLiteral("/setting"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(where.deliveredTree + QStringLiteral("/i18n"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const char* file : {"setting/p1.bin", "i18n/English.ini"}) {
        QFile::remove(where.deliveredTree + QLatin1Char('/') + QLatin1String(file));
        write(where.deliveredTree + QLatin1Char('/') + QLatin1String(file), "[main]\ntotal=1\n0=New\n");
    }
    QCOMPARE(prepareDataDir(where), where.userDir);
    QCOMPARE(contents(copy + QStringLiteral("i18n/English.ini")), QByteArray("[main]\ntotal=1\n0=New\n"));
    QCOMPARE(contents(copy + QStringLiteral("setting/p1.bin")), QByteArray("[mouse]\nreportRate=2\n"));
    // The record now holds a checksum per file.
    const QList<QByteArray> lines = contents(where.userDir + QStringLiteral("/.delivered-files")).split('\n');
    QCOMPARE(lines.size(), delivered.size() + 1);
    QVERIFY(lines.contains(QByteArray("f0f6e3ebb46f6a6c2372abd83742bd4b209992f6abe3dcc31ee22ac75b4eb2ca  i18n/English.ini")));
}

void DataDirTest::noUserFolderReadsTheDeliveredTree()
{
    // Home unwritable (here: a file where the folder should be): the program
    // still starts on the delivered settings, it only cannot keep changes.
    installTree(where.deliveredTree);
    write(dir->filePath(QStringLiteral("home/.local")), "not a folder");
    QCOMPARE(prepareDataDir(where), QFileInfo(where.deliveredTree).absolutePath());
}

QTEST_GUILESS_MAIN(DataDirTest)
#include "tst_datadir.moc"
