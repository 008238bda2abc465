#pragma once

// What the end-to-end tests share: a private copy of the program with the
// virtual mouse preloaded, the display's pointer and keyboard, readers of
// the wire record, the firmware's state and the stored settings, and the
// main screen's places.
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "programcopy.h"
#include "programlog.h"
#include "screenpicture.h"
#include "xvfbserver.h"

inline const QString kBin = QStringLiteral(KESTREL_BIN_DIR);

// A mouse model: the virtual mouse's controller family and the global
// file's flags that go with it.
struct MouseModel
{
    const char* name;
    const char* family;   // "553" or "560"
    bool gun;
    bool colourful;
};
Q_DECLARE_METATYPE(MouseModel)

// The delivered model, and the plainest one.
inline constexpr MouseModel kGunColourful560{"560 gun colourful", "560", true, true};
inline constexpr MouseModel kPlain553{"553 without gun and colour", "553", false, false};

// Each model a data row, with the column "model".
inline void mouseModels()
{
    QTest::addColumn<MouseModel>("model");
    QTest::newRow(kGunColourful560.name) << kGunColourful560;
    QTest::newRow(kPlain553.name) << kPlain553;
}

// One installed copy of the program (executable and modules/ side by side)
// in a temporary directory, run with the virtual mouse preloaded.
class Program
{
public:
    explicit Program(const QString& display, const MouseModel& model = kGunColourful560)
    {
        copyProgram(kBin, dir.path());
        setModel(model);
        socket = dir.filePath(QStringLiteral("vmouse.sock"));
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        // A sanitizer build names its runtime first: it must load before anything else.
        environment.insert(QStringLiteral("LD_PRELOAD"),
                           QStringLiteral(KESTREL_PRELOAD_PREFIX) + kBin + QStringLiteral("/libvmouse.so"));
        environment.insert(QStringLiteral("VMOUSE_CONTROL"), socket);
        environment.insert(QStringLiteral("VMOUSE_CONFIG"), QStringLiteral("family=") + QLatin1String(model.family));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    // Started from elsewhere, with `environment` as it is by then: the
    // program finds modules/ by itself.
    void start()
    {
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QDir::tempPath());
        process.start(executable());
    }
    // Started, in `language` if one is given, and waited for until the main
    // screen is up and usable: the first stage shown and the first
    // protection period over.
    bool startShown(const QString& language = QString())
    {
        if (!language.isEmpty() && !useLanguage(language))
            return false;
        start();
        return waitForMainScreen();
    }
    bool waitForMainScreen()
    {
        return waitForLine(QStringLiteral("qml: DPI stage 1")) && waitForLine(QStringLiteral("qml: main screen shown"));
    }

    QString executable() const { return dir.filePath(QStringLiteral("kestrel-orbit")); }
    // A file of this copy, relative to the executable.
    QString file(const QString& relative) const { return dir.filePath(relative); }

    // True once the program has ended (already, or within 10 s).
    bool waitForEnd() { return process.state() == QProcess::NotRunning || process.waitForFinished(10000); }

    // Waits until the program's log has `line` `count` times.
    bool waitForLine(const QString& line, int timeoutMs = 10000, int count = 1)
    {
        return log.waitForLine(line, timeoutMs, count);
    }
    QStringList lines() { return log.lines(); }

    QStringList vmousectl(const QStringList& request)
    {
        QProcess tool;
        QProcessEnvironment env = environment;
        env.remove(QStringLiteral("LD_PRELOAD"));
        tool.setProcessEnvironment(env);
        tool.start(kBin + QStringLiteral("/vmousectl"), QStringList{QStringLiteral("--socket"), socket} + request);
        tool.waitForFinished(10000);
        return QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Empties the wire record, so that what follows stands alone.
    void clearRecord() { vmousectl({QStringLiteral("record"), QStringLiteral("clear")}); }

    QProcess process;
    QProcessEnvironment environment;

private:
    // The language the next start shows ("English", "ChineseSimplified").
    bool useLanguage(const QString& language) { return setGlobal({{QStringLiteral("language"), language}}); }
    void setModel(const MouseModel& model)
    {
        const auto flag = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
        QVERIFY(setGlobal({{QStringLiteral("icType"), QLatin1String(model.family)},
                           {QStringLiteral("isGun"), flag(model.gun)},
                           {QStringLiteral("isColorful"), flag(model.colourful)}}));
    }
    // Rewrites lines "key=..." of the global file in place, keeping its comments.
    bool setGlobal(const QList<std::pair<QString, QString>>& values)
    {
        QFile config(file(QStringLiteral("modules/setting/apConfig.bin")));
        if (!config.open(QIODevice::ReadOnly))
            return false;
        QString text = QString::fromUtf8(config.readAll());
        config.close();
        for (const auto& [key, value] : values)
            text.replace(QRegularExpression(QStringLiteral("(?m)^%1=.*$").arg(key)), key + QLatin1Char('=') + value);
        return config.open(QIODevice::WriteOnly | QIODevice::Truncate) && config.write(text.toUtf8()) >= 0;
    }

    QTemporaryDir dir;
    QString socket;
    ProgramLog log{process};
};

inline void screenshot(const QString& display, const QString& name)
{
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    runOnDisplay(QStringLiteral("import"),
        {QStringLiteral("-display"), display, QStringLiteral("-window"), QStringLiteral("root"),
         QStringLiteral(KESTREL_SCREENSHOT_DIR "/") + name},
        display);
}

// A display's pointer and keyboard, driven with xdotool, and its picture.
// Each action waits until what it set off has settled (a drop-down's slide,
// a slider's glide, keys the capture hands on): the picture has changed and
// then holds still.
class Screen
{
public:
    explicit Screen(const QString& display) : display(display) {}
    QString name() const { return display; }

    QString xdotool(const QStringList& arguments) const
    {
        return runOnDisplay(QStringLiteral("xdotool"), arguments, display);
    }
    void move(QPoint at) const { xdotool(QStringList{QStringLiteral("mousemove")} + coordinates(at)); }
    // Button 1 left, 3 right.
    void click(QPoint at, int button = 1) const
    {
        const QByteArray before = picture();
        xdotool(QStringList{QStringLiteral("mousemove")} + coordinates(at)
                + QStringList{QStringLiteral("click"), QString::number(button)});
        settle(before);
    }
    // Presses at `from`, moves to `to` in `steps` even steps and lets go.
    // Sliders and handles start dragging with the first move, which is lost.
    void drag(QPoint from, QPoint to, int steps = 4) const
    {
        xdotool(QStringList{QStringLiteral("mousemove")} + coordinates(from)
                + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")});
        for (int step = 1; step <= steps; ++step) {
            const QByteArray before = picture();
            move(from + (to - from) * step / steps);
            settle(before);
        }
        const QByteArray before = picture();
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        settle(before);
    }
    // Wheel notches at `at`: positive scrolls down.
    void wheel(QPoint at, int notches) const
    {
        move(at);
        const QByteArray before = picture();
        for (int i = 0; i < qAbs(notches); ++i)
            xdotool({QStringLiteral("click"), notches > 0 ? QStringLiteral("5") : QStringLiteral("4")});
        settle(before);
    }
    // Keys by X name ("a", "ctrl+shift+a+b", "KP_Enter"), one after another.
    void keys(const QStringList& names) const
    {
        const QByteArray before = picture();
        xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150")} + names);
        settle(before);
    }
    void type(const QString& text) const { xdotool({QStringLiteral("type"), text}); }
    // A screenshot into the build tree, once the last change has been drawn.
    void shot(const QString& fileName) const
    {
        settle(QByteArray());
        screenshot(display, fileName);
    }

    // The window's picture (at 0,0: no window manager), as a digest.
    QByteArray picture() const { return screenPicture(display, QRect(0, 0, 1024, 640)); }

    // Waits until what the last action set off is over: the picture has left
    // `before` (an action that changes nothing to see has a second to show
    // it) and then stays the same for a few frames; all within 5 s.
    void settle(const QByteArray& before) const
    {
        const QDeadlineTimer toChange(1000);
        QByteArray last = picture();
        bool changed = last != before;
        QElapsedTimer unchanged;
        unchanged.start();
        // A picture that never settles (an animation) is not a failure of the step: go on after 5 s.
        (void)QTest::qWaitFor([&] {
            const QByteArray now = picture();
            if (now != last) {
                last = now;
                changed = true;
                unchanged.restart();
                return false;
            }
            return (changed || toChange.hasExpired()) && unchanged.elapsed() >= kStillMs;
        }, 5000);
    }

private:
    static constexpr int kStillMs = 200;   // a dozen frames without a change
    static QStringList coordinates(QPoint at) { return {QString::number(at.x()), QString::number(at.y())}; }

    QString display;
};

// The program's window on `display`, waited for up to 10 s (xdotool's own
// wait for it to appear); empty if none.
inline QString windowOf(const QString& display)
{
    return Screen(display)
        .xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--name"), QStringLiteral("^Kestrel Orbit$")})
        .section(QLatin1Char('\n'), 0, 0);
}

// Quits through the window's shortcut; true once the program has ended.
inline bool quit(Program& program, const Screen& screen)
{
    screen.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowOf(screen.name())});
    screen.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")});
    return program.waitForEnd();
}

// The wire record's feature reports, as hex, in order.
inline QStringList featureReports(Program& program)
{
    QStringList out;
    for (const QString& line : program.vmousectl({QStringLiteral("record")})) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() > 3 && words[1] == QLatin1String("hid_send_feature_report"))
            out.append(words[3]);
    }
    return out;
}

// The bulk data sent after the last feature report that starts with
// `command` (hex), as far as it has gone out.
inline QByteArray bulkAfter(Program& program, const QString& command)
{
    QByteArray data;
    bool found = false;
    for (const QString& line : program.vmousectl({QStringLiteral("record")})) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() < 4)
            continue;
        if (words[1] == QLatin1String("hid_send_feature_report")) {
            if (words[3].startsWith(command)) {
                found = true;
                data.clear();
            } else if (found) {
                break;
            }
        } else if (found && words[1] == QLatin1String("hid_write")) {
            data += QByteArray::fromHex(words[3].toLatin1()).mid(1);   // after the report ID
        }
    }
    return data;
}

// The firmware's view of a 560 profile block, from vmousectl's state dump.
inline QByteArray profileBlock(Program& program, int number)
{
    QByteArray block;
    const QString prefix = QStringLiteral("profile-block %1 +").arg(number);
    for (const QString& line : program.vmousectl({QStringLiteral("state")})) {
        if (!line.startsWith(prefix))
            continue;
        for (const QString& byte : line.section(QLatin1Char(':'), 1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            block.append(char(byte.toInt(nullptr, 16)));
    }
    return block;
}

// One line of vmousectl's state dump ("report-rate: 1=2 ..."), after its name.
inline QString stateLine(Program& program, const QString& name)
{
    for (const QString& line : program.vmousectl({QStringLiteral("state")})) {
        if (line.startsWith(name + QLatin1String(": ")))
            return line.mid(name.size() + 2);
    }
    return QString();
}

// One value of a settings file of the program's copy, as written on disk;
// a list's items joined with ", ".
inline QString storedValue(const Program& program, const QString& file, const QString& key)
{
    return QSettings(program.file(file), QSettings::IniFormat).value(key).toStringList().join(QLatin1String(", "));
}

// The main screen's places, in scene coordinates, which are screen
// coordinates here: Xvfb has no window manager and the window sits at 0,0.
namespace scene {

// The row `row` (from 0) of a drop-down list whose closed box is centred at
// `box`: the rows, 24 high, open below the box.
inline QPoint listRow(QPoint box, int row) { return box + QPoint(0, 24 * (row + 1)); }

// The left panel (232 wide at x 24) stacks, 8 px apart from y 88: the button
// matrix (eight buttons), the editor box (100 high on a gun mouse), the
// report-rate box and the system-setting button.
constexpr int leftPanelTop = 88;
constexpr int leftPanelCentreX = 24 + 232 / 2;
constexpr int keyMatrixHeight = 40 + 24 * 8 + 2 * 7 + 8;
constexpr int editorBoxTop = leftPanelTop + keyMatrixHeight + 8;
constexpr int reportBoxTop = editorBoxTop + 100 + 8;
constexpr int systemButtonTop = reportBoxTop + 42 + 8;
// Without the gun feature the editor box has no gun row: 76 high.
constexpr int withoutGunRow = 100 - 76;

// Button `n`'s row of the matrix: rows 24 high, 2 apart, below a 40 px title.
inline QPoint keyButton(int n) { return QPoint(leftPanelCentreX, leftPanelTop + 40 + 26 * (n - 1) + 12); }
// The editor box's second row, below its title and the macro editor row.
inline const QPoint gunEditorRow(24 + 8 + 36, editorBoxTop + 40 + 24 + 1 + 12);
// The report-rate list (120 wide, 8 from the box's right edge); its rows
// are 125, 250, 500 and 1000 Hz.
inline const QPoint reportRateList(24 + 232 - 8 - 60, reportBoxTop + 21);
inline QPoint reportRateListOf(const MouseModel& model)
{
    return reportRateList - QPoint(0, model.gun ? 0 : withoutGunRow);
}
inline const QPoint systemSettingButton(leftPanelCentreX, systemButtonTop + 12);

// The right panel at 768,56: the DPI page, below it the lighting page.
// With four stages shown the first stage's slider runs at x 825 from y 99
// (top) to y 275 (bottom); here a place on its track, a little below halfway.
inline const QPoint dpiStageOneTrack(825, 200);
inline const QPoint effectList(908, 340);
// Colour 1's handle with two sliders hidden (page 224 high), red at the
// colour bar's left end.
inline const QPoint colourHandleRed(793, 453);

// The bottom bar's buttons, 64 x 24 and 16 apart, 24 from the right edge
// and 8 from the bottom: Configure, Reset, Save.
inline const QPoint saveButton(1024 - 24 - 32, 640 - 8 - 12);
inline const QPoint configButton(saveButton.x() - 2 * (64 + 16), saveButton.y());

// The title bar's profile list, left of its icons at 920,16.
inline const QPoint titleProfileList(920 - 16 - 144 / 2, 16 + 8);

} // namespace scene

// The base of each executable's test class: an X display of its own, so
// that the executables run side by side.
class EndToEndTest : public QObject
{
    Q_OBJECT

protected:
    XvfbServer xvfb;
    const Screen screen{xvfb.name()};

private slots:
    void initTestCase() { QVERIFY2(!xvfb.name().isEmpty(), "Xvfb did not start"); }
};
