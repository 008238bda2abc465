#include "macrolibrary.h"

#include "filedialogs.h"
#include "importcheck.h"
#include "settingsfile.h"
#include "settingsstores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace macrolibrary {

namespace {

// Far more actions than a 128-byte macro block can hold; a file claiming
// more (a damaged or foreign ".mc") must not make a load run away.
constexpr int kMaxActions = 4096;

} // namespace

bool isSafeMacroName(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return name != QLatin1String(".");
}

QString macroPath(const QString& name)
{
    return isSafeMacroName(name) ? QStringLiteral("./modules/macro/") + name + QStringLiteral(".bin") : QString();
}

bool createMacroIni(const QString& name, const QVariant& macroIndex)
{
    const QString path = macroPath(name);
    if (path.isEmpty())
        return false;
    SettingsFile file(path);
    file.setValue(QStringLiteral("config/index"), macroIndex.toUInt());
    file.setValue(QStringLiteral("config/total"), 0);
    file.setValue(QStringLiteral("config/repeat"), 1);
    file.setValue(QStringLiteral("config/did"), -1);
    file.sync();
    return file.status() == QSettings::NoError;
}

bool saveMacroIni(const QString& name, const QStringList& macros, const QVariant& repeat)
{
    const QString path = macroPath(name);
    if (path.isEmpty() || !QFile::exists(path))
        return false;
    SettingsFile file(path);
    // Every old action goes, so a shorter macro leaves nothing stale behind.
    file.remove(QStringLiteral("macro"));
    file.setValue(QStringLiteral("config/total"), int(macros.size()));
    file.setValue(QStringLiteral("config/repeat"), repeat);
    for (int i = 0; i < macros.size(); ++i)
        file.setValue(QStringLiteral("macro/%1").arg(i), macros.at(i));
    file.sync();
    return file.status() == QSettings::NoError;
}

QStringList loadMacroIni(const QString& name)
{
    const QString path = macroPath(name);
    if (path.isEmpty() || !QFile::exists(path))
        return {};
    SettingsFile file(path);
    const int total = qMin(file.value(QStringLiteral("config/total")).toInt(), kMaxActions);
    QStringList result;
    for (int i = 0; i < total; ++i)
        result.append(file.value(QStringLiteral("macro/%1").arg(i), QStringLiteral("0")).toString());
    result.append(file.value(QStringLiteral("config/repeat"), QStringLiteral("0")).toString());
    return result;
}

bool deleteMacroIni(const QString& name)
{
    const QString path = macroPath(name);
    return !path.isEmpty() && QFile::exists(path) && QFile::remove(path);
}

bool loadMacroFile(QWidget* dialogParent, const QString& name)
{
    const QString target = macroPath(name);
    if (target.isEmpty())
        return false;
    const QString source = FileDialogs::chooseImport(dialogParent, "Macro(*.mc)");
    if (source.isEmpty())
        return false;
    // An existing macro is kept as it is; the editor must not then create an
    // empty one over it, so this still counts as done.
    if (QFile::exists(target))
        return true;
    if (!importcheck::accept(source))
        return false;
    // The folder may be missing (nothing was created yet); the first macro makes it.
    QDir().mkpath(QFileInfo(target).path());
    // QFile::copy writes a temporary file and renames it without replacing,
    // so a failed copy leaves no partial macro behind.
    return QFile::copy(source, target);
}

void saveMacroFile(QWidget* dialogParent, const QString& name)
{
    const QString source = macroPath(name);
    if (source.isEmpty())
        return;
    const QString target = FileDialogs::chooseExport(dialogParent, "Macro(*.mc)");
    if (target.isEmpty())
        return;
    replaceFileWithCopy(source, target);
}

} // namespace macrolibrary
