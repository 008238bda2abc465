#pragma once

#include <QString>
#include <QStringList>

// The texts of section `typeStr` in "./modules/i18n/" + langCode + ".ini"
// (UTF-8): entries 0 .. total-1, an absent entry as empty text. Reading
// section "other" also replaces the DPI switch texts, as many of the eight
// as the section holds. A code that is not a plain file name reads nothing.
QStringList getLangStrings(const QString& typeStr, const QString& langCode);
