#pragma once

class QQmlEngine;

// What every engine that shows the UI documents needs, in the program and in
// the tests alike.
void prepareUiEngine(QQmlEngine* engine);

// The theme's font is a Windows font; elsewhere an installed CJK-capable font
// stands in for it, so Chinese texts never show as empty boxes.
void substituteThemeFont();
