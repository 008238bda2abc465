#include "filedialogs.h"

#include <QFileDialog>

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
FileDialogs* installed = nullptr;

} // namespace

FileDialogs& FileDialogs::current()
{
    return installed ? *installed : platformDialogs;
}

void FileDialogs::install(FileDialogs* dialogs)
{
    installed = dialogs;
}
