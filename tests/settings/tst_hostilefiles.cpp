// Hostile files and surroundings: exchange files that are empty, binary,
// gigantic, folders, links, pipes or unreadable are refused before a byte is
// copied; a read-only or full settings folder leaves the program running,
// reported on the debug channel, with nothing it had lost.
#include "debugcapture.h"
#include "environmentskip.h"
#include "fixturetree.h"
#include "importcheck.h"
#include "macrolibrary.h"
#include "profilefiles.h"
#include "settingsstores.h"
#include "storetest.h"

#include <QDirIterator>
#include <csignal>
#include <functional>
#include <optional>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace storetest;

namespace {

const QString kReportRate = QStringLiteral("mouse/reportRate");
const QString kDpiCount = QStringLiteral("mouse/dpiCount");
constexpr uid_t kNobody = 65534;
const char* const kChildTree = "KESTREL_UNPRIVILEGED_TREE";

// Lets the deferred writes of the stores run.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The lines that name `path` as refused.
int refusals(const DebugCapture& debug, const QString& path)
{
    int count = 0;
    for (const QString& line : debug.lines())
        count += line.startsWith(QStringLiteral("Import refused: ") + path + QStringLiteral(": "));
    return count;
}

bool chownTree(const QString& root, uid_t uid)
{
    bool ok = ::chown(QFile::encodeName(root).constData(), uid, uid) == 0;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = ::lchown(QFile::encodeName(it.next()).constData(), uid, uid) == 0 && ok;
    return ok;
}

// Runs test function `function` of this executable as an unprivileged user:
// directly when this process is not root, else as "nobody" through setpriv,
// in a copy of the delivered tree and of this executable that nobody may
// use. Permissions mean nothing to root, so these cases need another user.
// Returns false (with the reason in *skip) when no such run is possible.
bool runUnprivileged(const char* function, QString* skip, QString* failure)
{
    if (qEnvironmentVariableIsSet(kChildTree) || ::geteuid() != 0)
        return true;   // the caller runs the case itself
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        *skip = QStringLiteral("running as root and no setpriv to become another user");
        return false;
    }
    QTemporaryDir base;
    base.setAutoRemove(true);
    const QString tree = base.filePath(QStringLiteral("tree"));
    FixtureTree::copyDeliveredTree(tree + QStringLiteral("/modules"));
    const QString program = base.filePath(QStringLiteral("tst_hostilefiles"));
    QFile::copy(QCoreApplication::applicationFilePath(), program);
    QFile(program).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                  | QFileDevice::ExeOther);
    ::chmod(QFile::encodeName(base.path()).constData(), 0755);
    if (!chownTree(tree, kNobody)) {
        *skip = QStringLiteral("cannot hand a tree to user nobody (uid 65534)");
        return false;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A sanitizer's suppression file may sit where nobody cannot read it.
    for (const QString& variable : {QStringLiteral("LSAN_OPTIONS"), QStringLiteral("TSAN_OPTIONS")}) {
        QStringList options = env.value(variable).split(QLatin1Char(':'), Qt::SkipEmptyParts);
        for (QString& option : options) {
            if (!option.startsWith(QLatin1String("suppressions=")))
                continue;
            const QString copy = base.filePath(variable + QStringLiteral(".supp"));
            QFile::copy(option.mid(int(qstrlen("suppressions="))), copy);
            QFile(copy).setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
            option = QStringLiteral("suppressions=") + copy;
        }
        if (!options.isEmpty())
            env.insert(variable, options.join(QLatin1Char(':')));
    }
    env.insert(QString::fromLatin1(kChildTree), tree);
    env.insert(QStringLiteral("HOME"), tree);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                          QStringLiteral("--"), program, QString::fromLatin1(function)});
    if (!child.waitForFinished(60000)) {
        child.kill();
        *failure = QStringLiteral("the unprivileged run did not finish");
        return false;
    }
    const QString output = QString::fromUtf8(child.readAll());
    const QString passed = QStringLiteral("PASS   : HostileFiles::%1()").arg(QLatin1String(function));
    if (child.exitCode() != 0 || !output.contains(passed))
        *failure = QStringLiteral("the unprivileged run failed:\n") + output;
    // The copy runs the case; this process has nothing more to do.
    *skip = QString();
    return false;
}

// Opens a test function whose case must run as an unprivileged user: in
// this process (in a fixture tree of its own unless a parent prepared one)
// or, for root, in a copy run as nobody, whose verdict this one reports.
#define UNPRIVILEGED_CASE(function, tree)                                    \
    std::optional<FixtureTree> tree;                                         \
    {                                                                        \
        QString skip, failure;                                               \
        if (!runUnprivileged(function, &skip, &failure)) {                   \
            QVERIFY2(failure.isEmpty(), qPrintable(failure));                \
            if (!skip.isEmpty())                                             \
                ENVIRONMENT_SKIP(skip);                                      \
            return;                                                          \
        }                                                                    \
        if (!qEnvironmentVariableIsSet(kChildTree))                          \
            tree.emplace();                                                  \
    }

// One hostile exchange file, made in `dir`; returns its path.
struct Hostile
{
    const char* name;
    std::function<QString(const QString& dir)> make;
};

QList<Hostile> hostileFiles()
{
    const auto path = [](const QString& dir, const char* name) { return dir + QLatin1Char('/') + QLatin1String(name); };
    return {
        {"empty", [=](const QString& dir) { writeFile(path(dir, "empty.pf"), {}); return path(dir, "empty.pf"); }},
        {"binary garbage", [=](const QString& dir) {
             QByteArray data(4096, '\0');
             for (int i = 0; i < data.size(); ++i)
                 data[i] = char((i * 131 + 7) % 251);
             writeFile(path(dir, "garbage.pf"), data);
             return path(dir, "garbage.pf");
         }},
        {"text without a single setting", [=](const QString& dir) {
             writeFile(path(dir, "prose.pf"), "just some words\nand more words\n");
             return path(dir, "prose.pf");
         }},
        {"gigantic (sparse, 4 GiB)", [=](const QString& dir) {
             QFile file(path(dir, "huge.pf"));
             file.open(QIODevice::WriteOnly);
             file.write("[mouse]\nreportRate=1\n");
             file.resize(qint64(4) << 30);
             return file.fileName();
         }},
        {"just over the cap", [=](const QString& dir) {
             writeFile(path(dir, "big.pf"), "[mouse]\nreportRate=1\n" + QByteArray(importcheck::kMaxBytes, '#'));
             return path(dir, "big.pf");
         }},
        {"a folder", [=](const QString& dir) { QDir().mkpath(path(dir, "folder.pf")); return path(dir, "folder.pf"); }},
        {"a pipe", [=](const QString& dir) {
             ::mkfifo(QFile::encodeName(path(dir, "pipe.pf")).constData(), 0600);
             return path(dir, "pipe.pf");
         }},
        {"a link to a folder", [=](const QString& dir) {
             QFile::link(dir, path(dir, "linkdir.pf"));
             return path(dir, "linkdir.pf");
         }},
        {"a link to a device", [=](const QString& dir) {
             QFile::link(QStringLiteral("/dev/zero"), path(dir, "zero.pf"));
             return path(dir, "zero.pf");
         }},
        {"a dangling link", [=](const QString& dir) {
             QFile::link(path(dir, "nowhere"), path(dir, "dangling.pf"));
             return path(dir, "dangling.pf");
         }},
        {"a link loop", [=](const QString& dir) {
             QFile::link(path(dir, "loop2.pf"), path(dir, "loop1.pf"));
             QFile::link(path(dir, "loop1.pf"), path(dir, "loop2.pf"));
             return path(dir, "loop1.pf");
         }},
    };
}

} // namespace

class HostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void hostileImportsAreRefused();
    void unreadableImportIsRefused();
    void readOnlySettingsFolder();
    void fullSettingsFolder();
};

void HostileFiles::hostileImportsAreRefused()
{
    FixtureTree tree;
    QTemporaryDir outside;
    SettingsStores stores;
    ScriptedDialogs dialogs;
    stores.profile(3)->setValue(kReportRate, 2);   // pending: must survive every refusal
    SettingsFile* store = stores.profile(3);
    settle();
    const QMap<QString, QByteArray> before = snapshot();

    for (const Hostile& hostile : hostileFiles()) {
        const QString file = hostile.make(outside.path());
        DebugCapture debug;
        dialogs.answer = file;
        QVERIFY2(!profilefiles::loadProfile(stores, nullptr, 3), hostile.name);
        QVERIFY2(!macrolibrary::loadMacroFile(nullptr, QStringLiteral("imported")), hostile.name);
        QCOMPARE(refusals(debug, file), 2);
        QCOMPARE(debug.lines().size(), 2);
        QCOMPARE(stores.profile(3), store);
        QCOMPARE(store->value(kReportRate), QVariant(2));
        settle();
        QVERIFY2(snapshot() == before, hostile.name);
    }

    // A good file, and a link to one, still come in.
    writeFile(outside.filePath(QStringLiteral("good.pf")), "[mouse]\nreportRate=1\n");
    QFile::link(outside.filePath(QStringLiteral("good.pf")), outside.filePath(QStringLiteral("link.pf")));
    for (const QString& name : {QStringLiteral("good.pf"), QStringLiteral("link.pf")}) {
        DebugCapture debug;
        dialogs.answer = outside.filePath(name);
        QVERIFY(profilefiles::loadProfile(stores, nullptr, 3));
        QCOMPARE(stores.profile(3)->value(kReportRate).toString(), QStringLiteral("1"));
        QVERIFY(debug.lines().isEmpty());
    }
    dialogs.answer = outside.filePath(QStringLiteral("link.pf"));
    QVERIFY(macrolibrary::loadMacroFile(nullptr, QStringLiteral("imported")));
    QCOMPARE(readAll(macrolibrary::macroPath(QStringLiteral("imported"))), QByteArray("[mouse]\nreportRate=1\n"));
}

void HostileFiles::unreadableImportIsRefused()
{
    UNPRIVILEGED_CASE("unreadableImportIsRefused", tree);
    SettingsStores stores;
    ScriptedDialogs dialogs;
    const QString file = QDir::current().filePath(QStringLiteral("secret.pf"));
    QVERIFY(writeFile(file, "[mouse]\nreportRate=1\n"));
    QVERIFY(QFile(file).setPermissions({}));
    const QMap<QString, QByteArray> before = snapshot();
    DebugCapture debug;
    dialogs.answer = file;
    QVERIFY(!profilefiles::loadProfile(stores, nullptr, 0));
    QVERIFY(!macrolibrary::loadMacroFile(nullptr, QStringLiteral("secret")));
    QCOMPARE(refusals(debug, file), 2);
    QVERIFY(debug.lines().constFirst().contains(QStringLiteral("cannot be read")));
    QVERIFY(snapshot() == before);
}

void HostileFiles::readOnlySettingsFolder()
{
    UNPRIVILEGED_CASE("readOnlySettingsFolder", tree);
    const QString folder = QStringLiteral("modules/setting");
    const QString p1 = SettingsStores::profilePath(0);
    auto stores = std::make_unique<SettingsStores>();
    ScriptedDialogs dialogs;
    // What the program had: a value still pending when the folder turns read-only.
    stores->profile(0)->setValue(kReportRate, 2);
    const QMap<QString, QByteArray> before = snapshot();
    QVERIFY(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        QVERIFY(QFile(folder + QLatin1Char('/') + name).setPermissions(QFileDevice::ReadOwner));

    DebugCapture debug;
    stores->profile(0)->setValue(kDpiCount, 5);
    settle();
    QVERIFY2(debug.lines().contains(QStringLiteral("Settings not saved: %1: the file or its folder is read-only").arg(QFileInfo(p1).absoluteFilePath())),
             qPrintable(debug.lines().join(QLatin1Char('\n'))));
    QCOMPARE(debug.lines().count(), 1);
    // Further writes say nothing new; the store still answers with every value.
    stores->profile(0)->setValue(kDpiCount, 6);
    settle();
    QCOMPARE(debug.lines().count(), 1);
    QCOMPARE(stores->profile(0)->value(kReportRate), QVariant(2));
    QCOMPARE(stores->profile(0)->value(kDpiCount), QVariant(6));

    // Whole-file operations fail without touching anything, and say so.
    writeFile(QDir::current().filePath(QStringLiteral("in.pf")), "[mouse]\nreportRate=1\n");
    dialogs.answer = QDir::current().filePath(QStringLiteral("in.pf"));
    QVERIFY(!profilefiles::loadProfile(*stores, nullptr, 1));
    profilefiles::resetProfile(*stores, 2);
    QCOMPARE(debug.lines().filter(QStringLiteral("Copy failed: ")).size(), 2);
    QVERIFY(snapshot() == before);   // not a byte changed on disk

    // The folder comes back: the next write puts down everything kept meanwhile.
    QVERIFY(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        QVERIFY(QFile(folder + QLatin1Char('/') + name).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    stores->profile(0)->sync();
    stores.reset();
    QCOMPARE(readAfterRestart(p1, kReportRate), QStringLiteral("QString:2"));
    QCOMPARE(readAfterRestart(p1, kDpiCount), QStringLiteral("QString:6"));
}

namespace {

// A full disk for this process: every write that would make a file longer
// than `bytes` fails, as a write to a full folder does (EFBIG instead of
// ENOSPC; the signal it would raise is ignored). Nothing is mounted, so it
// runs for any user. The old limit comes back when the object goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        ok = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok = false;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace

void HostileFiles::fullSettingsFolder()
{
    FixtureTree tree;
    const QString p1 = SettingsStores::profilePath(0);
    auto stores = std::make_unique<SettingsStores>();
    stores->profile(0)->setValue(kReportRate, 2);
    settle();
    const QMap<QString, QByteArray> before = snapshot();

    DebugCapture debug;
    {
        // Far shorter than any settings file: the new file cannot be written whole.
        FileSizeLimit full(64);
        QVERIFY(full.ok);
        stores->profile(0)->setValue(kDpiCount, 5);
        settle();
    }
    QVERIFY2(debug.lines().contains(QStringLiteral("Settings not saved: %1: the write failed (disk full?)").arg(QFileInfo(p1).absoluteFilePath())),
             qPrintable(debug.lines().join(QLatin1Char('\n'))));
    QCOMPARE(stores->profile(0)->value(kDpiCount), QVariant(5));
    QVERIFY(snapshot() == before);   // the old file is whole, not cut short

    // Space again: nothing was lost.
    stores->profile(0)->sync();
    stores.reset();
    QCOMPARE(readAfterRestart(p1, kReportRate), QStringLiteral("QString:2"));
    QCOMPARE(readAfterRestart(p1, kDpiCount), QStringLiteral("QString:5"));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rc = 0;
    if (storetest::childMode(argc, argv, rc))
        return rc;
    // The unprivileged copy works in the tree its parent prepared.
    if (qEnvironmentVariableIsSet(kChildTree))
        QDir::setCurrent(qEnvironmentVariable(kChildTree));
    HostileFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilefiles.moc"
