#include "uisetup.h"

#include <QFont>
#include <QFontDatabase>
#include <QQmlEngine>
#include <QStringList>

void substituteThemeFont()
{
    const QString theme = QStringLiteral("微软雅黑");
    if (QFontDatabase::families().contains(theme))
        return;
    QFont::insertSubstitutions(theme, {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                                       QStringLiteral("Noto Sans SC"), QStringLiteral("Droid Sans Fallback")});
}

void prepareUiEngine(QQmlEngine* engine)
{
    substituteThemeFont();
    engine->addImportPath(QStringLiteral("qrc:/"));
}
