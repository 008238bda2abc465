#include "dpiswitchtexts.h"

QStringList& dpiSwitchTexts()
{
    static QStringList texts(8, QStringLiteral("DPI Switch to"));
    return texts;
}

QString dpiSwitchText(int stage)
{
    const QStringList& texts = dpiSwitchTexts();
    return stage >= 1 && stage <= 7 ? texts.at(stage - 1) : texts.at(7);
}
