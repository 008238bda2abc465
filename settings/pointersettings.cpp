#include "pointersettings.h"

#include <QDebug>

namespace {

constexpr unsigned kLastStep = 10;

PointerSettings* installed = nullptr;

} // namespace

unsigned cursorSpeedForStep(unsigned step)
{
    // Step 0 would be speed 0, which the platform refuses; it gets the slowest
    // speed instead, and the other steps spread evenly up to the fastest.
    if (step > kLastStep)
        step = kLastStep;
    return step == 0 ? 1 : 2 * step;
}

unsigned doubleClickMsForStep(unsigned step)
{
    // The slider's "Slow" end is the longest interval the user may take.
    if (step > kLastStep)
        step = kLastStep;
    return 900 - 70 * step;
}

PointerSettings& PointerSettings::current()
{
    return installed ? *installed : platform();
}

void PointerSettings::install(PointerSettings* settings)
{
    installed = settings;
}

void setCursorSpeed(unsigned step)
{
    if (!PointerSettings::current().setMouseSpeed(cursorSpeedForStep(step)))
        qDebug("setCursorSpeed Failed");
}

void setVerticalScrollLines(unsigned lines)
{
    if (!PointerSettings::current().setWheelScrollLines(lines))
        qDebug("setVerticalScrollLines Failed");
}

void setDoubleClickSpeed(unsigned step)
{
    if (!PointerSettings::current().setDoubleClickTime(doubleClickMsForStep(step)))
        qDebug("setDoubleClickSpeed Failed");
}
