#pragma once

#include <QString>

class QWidget;

// The platform's file dialogs, behind a seam: tests install their own
// choice (a path, or an empty string for a cancelled dialog).
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // Empty when the user cancels.
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& dir, const QString& filter) = 0;

    // The dialogs in force: the platform's unless a test installed others.
    static FileDialogs& current();
    // nullptr restores the platform's; returns the ones in force before.
    static FileDialogs* install(FileDialogs* dialogs);

    // The exchange-file dialogs of the import and export operations: caption
    // "Open File" or "Save File", starting on the user's desktop, with
    // `filter` (e.g. "Macro(*.mc)"); texts through the bridge's translations.
    static QString chooseImport(QWidget* parent, const char* filter);
    static QString chooseExport(QWidget* parent, const char* filter);
};
