#include "pointersettings.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Last: Xlib defines macros (None, Bool, Status) that clash with Qt names.
#include <X11/Xlib.h>

namespace {

// The cursor speed becomes the X server's pointer acceleration speed/10:
// 10, the middle of the range, moves the pointer 1:1 once past the
// threshold; 1 slows fast motion to a tenth; 20 doubles it. The threshold is
// the user's and stays as it is.
constexpr int kAccelDenominator = 10;
constexpr unsigned kMaxSpeed = 20;

bool applyPointerAcceleration(unsigned speed)
{
    // Out of range values are refused here: X would answer them with an
    // error, and Xlib's default error handler ends the program.
    if (speed < 1 || speed > kMaxSpeed)
        return false;
    const QByteArray name = qgetenv("DISPLAY");
    if (name.isEmpty())
        return false;
    Display* display = XOpenDisplay(name.constData());
    if (!display)
        return false;
    XChangePointerControl(display, True, False, int(speed), kAccelDenominator, 0);
    // A round trip, so the change has been processed when we look at it.
    int numerator = 0, denominator = 0, threshold = 0;
    XGetPointerControl(display, &numerator, &denominator, &threshold);
    XCloseDisplay(display);
    return numerator == int(speed) && denominator == kAccelDenominator;
}

// The desktop's own settings are changed with its own command-line tools,
// found on PATH at run time; without them there is no such setting here.
bool runTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList runningDesktops()
{
    // For example "ubuntu:GNOME"; the entries are matched case-insensitively.
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

struct GSettingsKey
{
    const char* desktop;
    const char* schema;
    const char* key;
};

// Double-click time in milliseconds, per desktop. None of these desktops has
// a wheel scroll lines setting.
constexpr GSettingsKey kDoubleClickKeys[] = {
    {"gnome", "org.gnome.desktop.peripherals.mouse", "double-click"},
    {"x-cinnamon", "org.cinnamon.desktop.peripherals.mouse", "double-click"},
    {"cinnamon", "org.cinnamon.desktop.peripherals.mouse", "double-click"},
    {"mate", "org.mate.peripherals-mouse", "double-click"},
};

bool setGSettingsInt(const GSettingsKey& target, unsigned value)
{
    const QString gsettings = QStringLiteral("gsettings");
    const QString schema = QLatin1String(target.schema);
    const QString key = QLatin1String(target.key);
    QByteArray output;
    // Also fails when the schema is not installed.
    if (!runTool(gsettings, {QStringLiteral("writable"), schema, key}, &output) || output != "true")
        return false;
    if (!runTool(gsettings, {QStringLiteral("set"), schema, key, QString::number(value)}))
        return false;
    // dconf takes a write it cannot deliver (no session bus) and still exits
    // with 0; only the value read back tells whether the change was stored.
    if (!runTool(gsettings, {QStringLiteral("get"), schema, key}, &output))
        return false;
    return output.split(' ').last() == QByteArray::number(value);
}

// KDE keeps both settings in kdeglobals, group [KDE].
bool setKdeGlobal(const char* key, unsigned value)
{
    QString tool = QStringLiteral("kwriteconfig6");
    if (QStandardPaths::findExecutable(tool).isEmpty())
        tool = QStringLiteral("kwriteconfig5");
    return runTool(tool, {QStringLiteral("--file"), QStringLiteral("kdeglobals"), QStringLiteral("--group"),
                          QStringLiteral("KDE"), QStringLiteral("--key"), QLatin1String(key),
                          QString::number(value)});
}

class LinuxPointerSettings : public PointerSettings
{
public:
    bool setMouseSpeed(unsigned speed) override
    {
        return applyPointerAcceleration(speed);
    }

    bool setWheelScrollLines(unsigned lines) override
    {
        if (runningDesktops().contains(QLatin1String("kde")))
            return setKdeGlobal("WheelScrollLines", lines);
        return false;
    }

    bool setDoubleClickTime(unsigned ms) override
    {
        // The first desktop named that has the setting decides.
        for (const QString& desktop : runningDesktops()) {
            if (desktop == QLatin1String("kde"))
                return setKdeGlobal("DoubleClickInterval", ms);
            for (const GSettingsKey& target : kDoubleClickKeys) {
                if (desktop == QLatin1String(target.desktop))
                    return setGSettingsInt(target, ms);
            }
        }
        return false;
    }
};

} // namespace

PointerSettings& PointerSettings::platform()
{
    static LinuxPointerSettings settings;
    return settings;
}
