// Helpers shared by the settings-operation tests: file contents, a fresh
// parse of a settings file in a child process, and scripted file dialogs.
#pragma once

#include "filedialogs.h"
#include "settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <cstdio>

namespace storetest {

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Contents of every file below ./modules, to show that an operation left
// the whole tree alone.
inline QMap<QString, QByteArray> snapshot()
{
    QMap<QString, QByteArray> files;
    QDir root(QStringLiteral("modules"));
    const QStringList names = root.entryList(QDir::Files, QDir::Name);
    for (const QString& sub : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir dir(root.filePath(sub));
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
            files.insert(sub + QLatin1Char('/') + name, readAll(dir.filePath(name)));
    }
    for (const QString& name : names)
        files.insert(name, readAll(root.filePath(name)));
    return files;
}

inline QString describe(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("invalid");
    const int type = value.metaType().id();
    if (type == QMetaType::QStringList || type == QMetaType::QVariantList) {
        QStringList parts;
        for (const QVariant& element : value.toList())
            parts.append(element.toString());
        return QStringLiteral("list[%1]").arg(parts.join(QLatin1Char('|')));
    }
    return QStringLiteral("%1:%2").arg(QLatin1String(value.typeName()), value.toString());
}

// The settings layer caches parsed files for the whole process; a restart is
// a child process of the test that parses the file afresh.
inline QString childRun(const QStringList& args)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(10000))
        return QStringLiteral("child did not finish");
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

// The value of `key` in `file` as a fresh start reads it.
inline QString readAfterRestart(const QString& file, const QString& key)
{
    return childRun({QStringLiteral("--read"), QFileInfo(file).absoluteFilePath(), key});
}

// The keys of `group` in `file` as a fresh start sees them, joined by '|'.
inline QString keysAfterRestart(const QString& file, const QString& group)
{
    return childRun({QStringLiteral("--keys"), QFileInfo(file).absoluteFilePath(), group});
}

// Serves the child side of readAfterRestart and keysAfterRestart.
inline bool childMode(int argc, char** argv, int& rc)
{
    if (argc != 4)
        return false;
    const SettingsFile file(QString::fromLocal8Bit(argv[2]));
    const QString what = QString::fromLocal8Bit(argv[3]);
    if (qstrcmp(argv[1], "--read") == 0)
        std::printf("%s\n", describe(file.value(what)).toUtf8().constData());
    else if (qstrcmp(argv[1], "--keys") == 0)
        std::printf("%s\n", file.childKeys(what).join(QLatin1Char('|')).toUtf8().constData());
    else
        return false;
    rc = 0;
    return true;
}

// File dialogs that answer from a script and remember how they were asked.
class ScriptedDialogs : public FileDialogs
{
public:
    struct Call {
        QString kind;   // "open" or "save"
        QString caption;
        QString dir;
        QString filter;
    };

    QString answer;   // empty: the user cancels
    QList<Call> calls;

    ScriptedDialogs() { FileDialogs::install(this); }
    ~ScriptedDialogs() override { FileDialogs::install(nullptr); }

    QString openFile(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        calls.append({QStringLiteral("open"), caption, dir, filter});
        return answer;
    }
    QString saveFile(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        calls.append({QStringLiteral("save"), caption, dir, filter});
        return answer;
    }
};

} // namespace storetest

#define STORE_TEST_MAIN(TestClass)                                  \
    int main(int argc, char** argv)                                 \
    {                                                               \
        QCoreApplication app(argc, argv);                           \
        int rc = 0;                                                 \
        if (storetest::childMode(argc, argv, rc))                   \
            return rc;                                              \
        TestClass test;                                             \
        return QTest::qExec(&test, argc, argv);                     \
    }
