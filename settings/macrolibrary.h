#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

// The macro library: one INI file per macro, "./modules/macro/" + name + ".bin",
// with group "config" (index, total, repeat, did) and the action strings
// "macro/0" .. "macro/(total-1)". A name is used as a file name, so every
// operation first refuses one that could leave the macro folder.
namespace macrolibrary {

// True for a plain file name: not empty, not "." or "..", no "..", no path
// separator, no drive colon and no control character.
bool isSafeMacroName(const QString& name);
// The macro's file; empty for a name that is not safe.
QString macroPath(const QString& name);

// Creates the macro file or re-initialises its config group (no actions, repeat 1).
bool createMacroIni(const QString& name, const QVariant& macroIndex);
// Replaces the actions and the repeat count of an existing macro file.
bool saveMacroIni(const QString& name, const QStringList& macros, const QVariant& repeat);
// The action strings followed by the repeat count; empty when there is no file.
QStringList loadMacroIni(const QString& name);
bool deleteMacroIni(const QString& name);

// Imports a ".mc" file chosen in the open dialog as macro `name`. An existing
// macro of that name is never overwritten (and the result is then true);
// false when the dialog was cancelled or the copy failed.
bool loadMacroFile(QWidget* dialogParent, const QString& name);
// Exports macro `name` to a ".mc" file chosen in the save dialog.
void saveMacroFile(QWidget* dialogParent, const QString& name);

} // namespace macrolibrary
