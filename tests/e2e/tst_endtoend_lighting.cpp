// The lighting page and the system settings page: an effect and a colour
// reach the mouse on Save, colourful or not, the cursor-speed slider sets the X server's
// pointer acceleration; both pages in Simplified Chinese for a person to see.
#include <QRegularExpression>
#include <QTest>

#include "endtoend.h"

namespace {

// The system settings page (centred): its cursor-speed slider's track
// starts at 336,251; the handle's left edge runs from 3 to 337 on it, its
// middle 6 further on.
const QPoint kCursorTrack(336, 251);
const QPoint kCursorHandleStored = kCursorTrack + QPoint(170 + 6, 0);   // at the stored position 170
const QPoint kCursorHandleSlowest = kCursorTrack + QPoint(3 + 6, 0);    // at the left end

// The effect list's rows.
constexpr int kBreath = 1;
constexpr int kNeon = 2;
constexpr int kWave = 5;

// The X server's pointer acceleration as "numerator/denominator".
QString pointerAcceleration(const QString& display)
{
    static const QRegularExpression acceleration(QStringLiteral("acceleration:\\s+(\\d+/\\d+)"));
    return acceleration.match(runOnDisplay(QStringLiteral("xset"), {QStringLiteral("q")}, display)).captured(1);
}

} // namespace

class Lighting : public EndToEndTest
{
    Q_OBJECT

private slots:
    void lightingEffectAndColourReachTheMouse_data() { mouseModels(); }
    void lightingEffectAndColourReachTheMouse();
    void cursorSpeedSliderSetsPointerAcceleration();
    void lightingAndSystemPagesInChinese();
};

void Lighting::lightingEffectAndColourReachTheMouse()
{
    QFETCH(MouseModel, model);
    const bool is560 = QLatin1String(model.family) == QLatin1String("560");
    Program program(screen.name(), model);
    QVERIFY(program.startShown());
    screen.shot(QStringLiteral("lighting-%1.png").arg(model.family));
    program.clearRecord();

    screen.click(scene::effectList);
    screen.shot(QStringLiteral("lighting-effects-%1.png").arg(model.family));
    screen.click(scene::listRow(scene::effectList, kBreath));   // the speed slider only, the colour usable
    // Red at the bar's left end, dragged 60 pixels on: the second sixth begins, green.
    screen.drag(scene::colourHandleRed, scene::colourHandleRed + QPoint(60, 0));
    screen.shot(QStringLiteral("lighting-breath-green-%1.png").arg(model.family));
    QCOMPARE(featureReports(program), QStringList());   // nothing before Save

    screen.click(scene::saveButton);
    // Colour 1 green, the others as delivered.
    const QByteArray colours("00ff00" "00ff00" "0000ff" "ff00ff" "00ffff" "ff7f00" "6000ff" "ffffff");
    if (is560) {
        // The effect goes into the blocks of profiles 1 to 4 (a gun mouse),
        // the colours into block 0.
        QTRY_VERIFY_WITH_TIMEOUT(featureReports(program).size() >= 5, 10000);
        QStringList commands;
        for (const QString& report : featureReports(program))
            commands.append(report.left(6));
        QCOMPARE(commands, QStringList({QStringLiteral("000c01"), QStringLiteral("000c02"), QStringLiteral("000c03"),
                                        QStringLiteral("000c04"), QStringLiteral("000c00")}));
        for (int block = 1; block <= 4; ++block)   // Breath at speed 0, colourful: mode 3, 0, 10
            QCOMPARE(profileBlock(program, block).mid(71, 3).toHex(), QByteArray("03000a"));
        // Block 0 goes last; its bulk packets take a while.
        QTRY_COMPARE_WITH_TIMEOUT(profileBlock(program, 0).mid(24, 24).toHex(), colours, 5000);
    } else {
        // Breath at speed 0 on a basic mouse: 2, 1, 2; the eight colours
        // go twice with 10H, type 1.
        QTRY_COMPARE_WITH_TIMEOUT(featureReports(program), QStringList({QStringLiteral("000d020102000000ed"),
                                                                        QStringLiteral("0010011800000000d6"),
                                                                        QStringLiteral("0010011800000000d6")}),
                                  10000);
        QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("00100118")).size(), 32, 5000);
        QCOMPARE(bulkAfter(program, QStringLiteral("00100118")).left(24).toHex(), colours);
        QCOMPARE(stateLine(program, QStringLiteral("rgb-effect")), QStringLiteral("02 01 02"));
    }

    screen.click(scene::effectList);
    screen.click(scene::listRow(scene::effectList, is560 ? kWave : kNeon));   // the colour area is covered
    screen.shot(QStringLiteral("lighting-covered-%1.png").arg(model.family));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void Lighting::cursorSpeedSliderSetsPointerAcceleration()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    QVERIFY2(!pointerAcceleration(screen.name()).isEmpty(), "xset q reports no acceleration");
    screen.click(scene::systemSettingButton);
    screen.shot(QStringLiteral("system-setting.png"));

    // The stored position 170 is step 5; dragged well past the left end it
    // is step 0, the slowest speed; past the right end step 10, the fastest.
    screen.drag(kCursorHandleStored, kCursorTrack - QPoint(150, 0));
    QTRY_COMPARE_WITH_TIMEOUT(pointerAcceleration(screen.name()), QStringLiteral("1/10"), 3000);
    screen.drag(kCursorHandleSlowest, kCursorTrack + QPoint(500, 0));
    QTRY_COMPARE_WITH_TIMEOUT(pointerAcceleration(screen.name()), QStringLiteral("20/10"), 3000);
    screen.shot(QStringLiteral("system-setting-fast.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void Lighting::lightingAndSystemPagesInChinese()
{
    Program program(screen.name());
    QVERIFY(program.startShown(QStringLiteral("ChineseSimplified")));
    screen.click(scene::effectList);
    screen.shot(QStringLiteral("lighting-effects-zh.png"));
    screen.click(scene::listRow(scene::effectList, kBreath));
    screen.shot(QStringLiteral("lighting-breath-zh.png"));
    screen.click(scene::systemSettingButton);
    screen.shot(QStringLiteral("system-setting-zh.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(Lighting)
#include "tst_endtoend_lighting.moc"
