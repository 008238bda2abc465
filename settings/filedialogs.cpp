#include "filedialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QStandardPaths>

#include <utility>

namespace {

class PlatformDialogs : public FileDialogs
{
public:
    QString openFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }
    QString saveFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    }
};

PlatformDialogs platformDialogs;

QString tr(const char* text)
{
    return QCoreApplication::translate("myQQuickView", text);
}

QString desktop()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}
FileDialogs* installed = nullptr;

} // namespace

FileDialogs& FileDialogs::current()
{
    return installed ? *installed : platformDialogs;
}

FileDialogs* FileDialogs::install(FileDialogs* dialogs)
{
    return std::exchange(installed, dialogs);
}

QString FileDialogs::chooseImport(QWidget* parent, const char* filter)
{
    return current().openFile(parent, tr("Open File"), desktop(), tr(filter));
}

QString FileDialogs::chooseExport(QWidget* parent, const char* filter)
{
    return current().saveFile(parent, tr("Save File"), desktop(), tr(filter));
}
