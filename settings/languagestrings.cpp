#include "languagestrings.h"

#include "dpiswitchtexts.h"
#include "settingsfile.h"

namespace {

// The code names a file in the language folder and nothing else.
bool isPlainCode(const QString& code)
{
    if (code.isEmpty() || code.contains(QLatin1String("..")))
        return false;
    for (const QChar c : code) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20)
            return false;
    }
    return true;
}

constexpr int kMaxTexts = 4096;

} // namespace

QStringList getLangStrings(const QString& typeStr, const QString& langCode)
{
    if (!isPlainCode(langCode))
        return {};
    // Qt 6 reads INI files as UTF-8, the encoding the language files are written in.
    const SettingsFile file(QStringLiteral("./modules/i18n/") + langCode + QStringLiteral(".ini"));
    // A damaged or hostile count must not make a load run for hours: no
    // section comes near this many texts.
    const int total = qMin(file.value(typeStr + QStringLiteral("/total")).toInt(), kMaxTexts);
    QStringList texts;
    for (int i = 0; i < total; ++i)
        texts.append(file.value(typeStr + QLatin1Char('/') + QString::number(i), QString()).toString());
    if (typeStr == QLatin1String("other")) {
        QStringList& switchTexts = dpiSwitchTexts();
        for (int i = 0; i < qMin(texts.size(), int(switchTexts.size())); ++i)
            switchTexts[i] = texts.at(i);
    }
    return texts;
}
