#pragma once

#include <QStringList>

// The eight texts of the tray notification when the mouse's DPI button
// switches the stage (entry 0 for stage 1). They start as "DPI Switch to";
// the language file may replace them. GUI thread only.
QStringList& dpiSwitchTexts();

// The text for a reported stage: stages 1..7 their own entry, anything else the last.
QString dpiSwitchText(int stage);
