// The settings files: their text format across a restart, the stores the
// bridge opens, and putting the factory copy of the global file in place.
#include "settingsfile.h"
#include "settingsstores.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

// The settings layer caches parsed files for the whole process; a restart is
// simulated by reading the file in a child process of this test.
QString readInFreshProcess(const QString& file, const QString& key)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--read"), file, key});
    child.waitForFinished(10000);
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

QString describe(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("invalid");
    if (value.metaType().id() == QMetaType::QStringList || value.metaType().id() == QMetaType::QVariantList) {
        QStringList parts;
        for (const QVariant& element : value.toList())
            parts.append(element.toString());
        return QStringLiteral("list[%1]").arg(parts.join(QLatin1Char('|')));
    }
    return QStringLiteral("%1:%2").arg(QLatin1String(value.typeName()), value.toString());
}

} // namespace

class SettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void valuesKeepTheirTypeWithinARun();
    void listsAcrossARestart();
    void listOfAValueThatIsNotAList();
    void storesOpenTheDeliveredFiles();
    void noFilesGiveDefaultsAndFirstWriteCreates();
    void resetPutsFactoryCopyInPlace();
    void resetWithoutFactoryCopyKeepsTheFile();
    void pendingWriteNeverLandsOnTheFactoryCopy();

private:
    QTemporaryDir dir;
};

void SettingsFiles::init()
{
    QVERIFY(dir.isValid());
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    QVERIFY(QDir::setCurrent(dir.path()));
}

void SettingsFiles::valuesKeepTheirTypeWithinARun()
{
    SettingsFile file(QStringLiteral("t.bin"));
    file.setValue(QStringLiteral("mouse/reportRate"), 2);
    file.setValue(QStringLiteral("mouse/lightValue"), QVariantList{3});
    file.setValue(QStringLiteral("mouse/on"), true);
    QCOMPARE(file.value(QStringLiteral("mouse/reportRate")).metaType().id(), int(QMetaType::Int));
    QCOMPARE(file.value(QStringLiteral("mouse/lightValue")), QVariant(QVariantList{3}));
    QCOMPARE(file.value(QStringLiteral("mouse/on")).metaType().id(), int(QMetaType::Bool));
    // A new write of another shape replaces the remembered one.
    file.setValue(QStringLiteral("mouse/lightValue"), QVariantList{1, 2, 3});
    QCOMPARE(file.value(QStringLiteral("mouse/lightValue")), QVariant(QVariantList{1, 2, 3}));
}

void SettingsFiles::listsAcrossARestart()
{
    {
        SettingsFile file(QStringLiteral("p.bin"));
        file.setValue(QStringLiteral("mouse/reportRate"), 2);
        file.setValue(QStringLiteral("mouse/one"), QVariantList{3});
        file.setValue(QStringLiteral("mouse/oneText"), QStringList{QStringLiteral("a, b")});
        file.setValue(QStringLiteral("mouse/empty"), QVariantList{});
        file.setValue(QStringLiteral("mouse/three"), QVariantList{1, 2, 3});
        file.setValue(QStringLiteral("mouse/comma"), QStringLiteral("x, y"));
        file.setValue(QStringLiteral("mouse/flag"), true);
    }
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/reportRate")), QStringLiteral("QString:2"));
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/one")), QStringLiteral("QString:3"));
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/oneText")), QStringLiteral("QString:a, b"));
    // An empty list comes back as no value, which reads as an empty list.
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/empty")), QStringLiteral("invalid"));
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/three")), QStringLiteral("list[1|2|3]"));
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/comma")), QStringLiteral("QString:x, y"));
    QCOMPARE(readInFreshProcess(QStringLiteral("p.bin"), QStringLiteral("mouse/flag")), QStringLiteral("QString:true"));
    // The stored text is the plain INI form other tools and older files use.
    const QByteArray text = readAll(QStringLiteral("p.bin"));
    QVERIFY(text.contains("one=3\n"));
    QVERIFY(text.contains("three=1, 2, 3\n"));
    QVERIFY(text.contains("reportRate=2\n"));
}

void SettingsFiles::listOfAValueThatIsNotAList()
{
    QCOMPARE(SettingsFile::toList(QStringLiteral("2")), QVariantList{});
    QCOMPARE(SettingsFile::toList(QVariant()), QVariantList{});
    QCOMPARE(SettingsFile::toList(QStringList{QStringLiteral("a"), QStringLiteral("b")}),
             (QVariantList{QStringLiteral("a"), QStringLiteral("b")}));
}

void SettingsFiles::storesOpenTheDeliveredFiles()
{
    writeFile(QStringLiteral("modules/setting/apConfig.bin"),
              "[mouse]\nisColorful=true\nisGun=true\nicType=560\nis55328=false\n");
    writeFile(QStringLiteral("modules/setting/pD.bin"), "[mouse]\nreportRate=3\n");
    writeFile(QStringLiteral("modules/setting/p1.bin"), "[mouse]\nreportRate=1\n");
    writeFile(QStringLiteral("modules/setting/p10.bin"), "[mouse]\nreportRate=0\n");
    SettingsStores stores;
    QVERIFY(stores.isColorful);
    QVERIFY(stores.isGun);
    QCOMPARE(stores.icType, QStringLiteral("560"));
    QVERIFY(!stores.is55328);
    QCOMPARE(stores.currentProfile(), 0);
    QCOMPARE(stores.profileStore(false)->value(QStringLiteral("mouse/reportRate")).toString(), QStringLiteral("1"));
    QCOMPARE(stores.profileStore(true)->value(QStringLiteral("mouse/reportRate")).toString(), QStringLiteral("3"));
    QCOMPARE(stores.profile(9)->value(QStringLiteral("mouse/reportRate")).toString(), QStringLiteral("0"));
    QCOMPARE(QFileInfo(stores.profile(2)->fileName()).fileName(), QStringLiteral("p3.bin"));
    stores.setCurrentProfile(2);
    stores.profileStore(false)->setValue(QStringLiteral("mouse/reportRate"), 2);
    stores.profileStore(false)->sync();
    QVERIFY(readAll(QStringLiteral("modules/setting/p3.bin")).contains("reportRate=2"));
    // Outside the ten profiles there is no store to read or write.
    for (int outside : {-1, 10, 1000}) {
        stores.setCurrentProfile(outside);
        QCOMPARE(stores.profileStore(false), nullptr);
        QVERIFY(stores.profileStore(true));
    }
    // The capability copies are taken once.
    stores.global()->setValue(QStringLiteral("mouse/icType"), QStringLiteral("553"));
    QCOMPARE(stores.icType, QStringLiteral("560"));
}

void SettingsFiles::noFilesGiveDefaultsAndFirstWriteCreates()
{
    SettingsStores stores;
    QVERIFY(!stores.isGun);
    QVERIFY(stores.icType.isEmpty());
    QVERIFY(!stores.global()->value(QStringLiteral("common/name")).isValid());
    QVERIFY(!QFile::exists(QStringLiteral("modules/setting/p1.bin")));
    QVERIFY(QDir().mkpath(QStringLiteral("modules/setting")));
    stores.profileStore(false)->setValue(QStringLiteral("mouse/reportRate"), 1);
    stores.profileStore(false)->sync();
    QVERIFY(QFile::exists(QStringLiteral("modules/setting/p1.bin")));
}

void SettingsFiles::resetPutsFactoryCopyInPlace()
{
    const QByteArray factory = "[common]\nname=Factory\ndeviceCount=2\n";
    writeFile(QStringLiteral("modules/setting/apConfigD.bin"), factory);
    writeFile(QStringLiteral("modules/setting/apConfig.bin"), "[common]\nname=Mine\ndeviceCount=2\n");
    SettingsStores stores;
    QCOMPARE(stores.global()->value(QStringLiteral("common/name")).toString(), QStringLiteral("Mine"));
    stores.resetApconfig();
    QCOMPARE(readAll(QStringLiteral("modules/setting/apConfig.bin")), factory);
    QCOMPARE(stores.global()->value(QStringLiteral("common/name")).toString(), QStringLiteral("Factory"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(readAll(QStringLiteral("modules/setting/apConfig.bin")), factory);
}

void SettingsFiles::resetWithoutFactoryCopyKeepsTheFile()
{
    const QByteArray mine = "[common]\nname=Mine\n";
    writeFile(QStringLiteral("modules/setting/apConfig.bin"), mine);
    SettingsStores stores;
    stores.resetApconfig();
    QCOMPARE(readAll(QStringLiteral("modules/setting/apConfig.bin")), mine);
    QCOMPARE(stores.global()->value(QStringLiteral("common/name")).toString(), QStringLiteral("Mine"));
}

void SettingsFiles::pendingWriteNeverLandsOnTheFactoryCopy()
{
    // Same size on purpose: the replaced file must still read as the copy.
    const QByteArray factory = "[mouse]\nprofileNo=0\n";
    writeFile(QStringLiteral("modules/setting/apConfigD.bin"), factory);
    writeFile(QStringLiteral("modules/setting/apConfig.bin"), factory);
    SettingsStores stores;
    stores.global()->setValue(QStringLiteral("mouse/profileNo"), 1);   // not yet on disk
    stores.resetApconfig();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCOMPARE(readAll(QStringLiteral("modules/setting/apConfig.bin")), factory);
    QCOMPARE(stores.global()->value(QStringLiteral("mouse/profileNo")).toString(), QStringLiteral("0"));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--read") == 0) {
        SettingsFile file(QString::fromLocal8Bit(argv[2]));
        printf("%s\n", qPrintable(describe(file.value(QString::fromLocal8Bit(argv[3])))));
        return 0;
    }
    SettingsFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfiles.moc"
