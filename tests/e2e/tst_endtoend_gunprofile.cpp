// The gun editor and the profile page: a mode's gun, period and Y go into
// the mouse's profile blocks when the editor closes; a new profile is
// chosen from the title bar and its settings re-sent; both pages in
// Simplified Chinese for a person to see.
#include <QElapsedTimer>
#include <QTest>

#include "endtoend.h"

namespace {

// The gun editor (640 x 448) opens centred, at 192,96.
namespace gunEditor {
const QPoint modeList(747, 156);
const QPoint unp9(340, 437);              // in the list of guns
const QPoint targetDot(588, 316);         // on the target, at Y 10
const QPoint rateBox(658, 470);           // the rate slider's box
const QPoint rateKnob(596, 494);          // its knob, once open, at 10 MS
const QPoint close(807, 116);             // the title bar's close mark
} // namespace gunEditor

// The profile page opens centred, at 305,176.
namespace profilePage {
const QPoint newButton(353, 284);
const QPoint secondRow(400, 274);
const QPoint close(695, 196);
} // namespace profilePage

// The windows of the program shown on `screen`.
int visibleWindows(Program& program, const Screen& screen)
{
    return screen.xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                           QString::number(program.process.processId())})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
        .size();
}

} // namespace

class GunAndProfile : public EndToEndTest
{
    Q_OBJECT

private slots:
    void gunEditorSendsTheModesOnClosing();
    void profileCreatedAndSwitchedFromTheTitleBar();
    void gunAndProfilePagesInChinese();
    void quitDuringAProfileSwitch();
};

// Gun mode 2 gets another gun with a new period and Y; closing the page
// sends the three modes' data, here into the 560's profile blocks 2, 3, 4,
// and then the key matrix with the new periods.
void GunAndProfile::gunEditorSendsTheModesOnClosing()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    screen.click(scene::gunEditorRow);
    screen.shot(QStringLiteral("gun-editor.png"));
    screen.click(gunEditor::modeList);
    screen.click(scene::listRow(gunEditor::modeList, 1));   // "Gun2"
    screen.click(gunEditor::unp9);
    screen.drag(gunEditor::targetDot, gunEditor::targetDot + QPoint(0, 44));   // down
    screen.click(gunEditor::rateBox);
    screen.drag(gunEditor::rateKnob, gunEditor::rateKnob + QPoint(104, 0));    // right
    screen.shot(QStringLiteral("gun-editor-changed.png"));
    program.clearRecord();
    screen.click(gunEditor::close);
    // Each block takes a command and four paced packets; the key matrix,
    // last of all, its own command and 128 bytes.
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000d01")).size(), 128, 10000);

    const QStringList unp9 = storedValue(program, QStringLiteral("modules/gun/gunData.bin"), QStringLiteral("gunData/4"))
                                 .split(QLatin1String(", "));
    QCOMPARE(unp9.size(), 6);
    const int period = unp9[2].toInt();
    const int y = unp9[4].toInt();
    QVERIFY2(period > 10 && period <= 90, qPrintable(unp9.join(QLatin1Char(' '))));
    QVERIFY2(y > 10 && y <= 64, qPrintable(unp9.join(QLatin1Char(' '))));
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/selectGun")),
             QStringLiteral("0, 4, 2"));

    // Three profile-block writes, modes 1, 2, 3 in order, then matrix 1 (no
    // gun switch in the layout): nothing else.
    const QStringList reports = featureReports(program);
    QCOMPARE(reports.size(), 4);
    for (int mode = 1; mode <= 3; ++mode)
        QVERIFY2(reports[mode - 1].startsWith(QStringLiteral("000c0%1").arg(mode + 1)), qPrintable(reports.join(' ')));
    QVERIFY2(reports[3].startsWith(QStringLiteral("000d0180")), qPrintable(reports.join(' ')));
    // Bytes 78..81 of each block: the left button, times, X, Y of the mode's gun.
    const QList<QByteArray> expected = {QByteArray::fromHex("f0000005"), QByteArray::fromHex("f00000") + char(y),
                                        QByteArray::fromHex("f0000008")};
    for (int mode = 1; mode <= 3; ++mode)
        QCOMPARE(profileBlock(program, mode + 1).mid(78, 4).toHex(), expected[mode - 1].toHex());
    QVERIFY(quit(program, screen));
}

// A new profile starts from the factory profile; choosing it in the title
// bar re-sends its settings: here its report rate of 1000 Hz after 500 Hz.
void GunAndProfile::profileCreatedAndSwitchedFromTheTitleBar()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    screen.click(scene::reportRateList);
    screen.click(scene::listRow(scene::reportRateList, 2));   // "500Hz"
    QTRY_COMPARE_WITH_TIMEOUT(stateLine(program, QStringLiteral("report-rate")).section(QLatin1Char(' '), 0, 0),
                              QStringLiteral("1=2"), 5000);

    screen.click(scene::configButton);
    screen.click(profilePage::newButton);
    screen.shot(QStringLiteral("profile-page.png"));
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/name.bin"), QStringLiteral("profile/profileName")),
             QStringLiteral("Standard0, profile_01"));
    screen.click(profilePage::close);
    screen.click(scene::titleProfileList);
    screen.shot(QStringLiteral("profile-title-list.png"));
    program.clearRecord();
    screen.click(scene::listRow(scene::titleProfileList, 1));   // "profile_0"
    QTRY_COMPARE_WITH_TIMEOUT(stateLine(program, QStringLiteral("report-rate")).section(QLatin1Char(' '), 0, 0),
                              QStringLiteral("1=1"), 10000);
    const QStringList reports = featureReports(program);
    QVERIFY2(reports.contains(QStringLiteral("0003010100000000fa")), qPrintable(reports.join(' ')));
    screen.shot(QStringLiteral("profile-switched.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/profileNo")),
             QStringLiteral("1"));
}

void GunAndProfile::gunAndProfilePagesInChinese()
{
    Program program(screen.name());
    QVERIFY(program.startShown(QStringLiteral("ChineseSimplified")));
    screen.shot(QStringLiteral("main-zh.png"));
    screen.click(scene::gunEditorRow);
    screen.click(gunEditor::modeList);
    screen.shot(QStringLiteral("gun-editor-zh.png"));
    screen.click(gunEditor::modeList);
    screen.click(gunEditor::close);
    screen.click(scene::configButton);
    screen.click(profilePage::newButton);   // a second row
    screen.click(profilePage::secondRow, 3);   // its context menu
    screen.shot(QStringLiteral("profile-menu-zh.png"));
    // The page's own menu, without the window's beside it.
    QCOMPARE(visibleWindows(program, screen), 1);
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/name.bin"), QStringLiteral("profile/profileName")),
             QStringLiteral("\u6807\u51c60, profile_01"));
    QVERIFY(quit(program, screen));
}

// SIGTERM while a profile switch is sending: the window goes at once (the
// event loop turns within the switch's pauses); the switch still finishes,
// so the process ends later, with code 0 and the new profile stored.
void GunAndProfile::quitDuringAProfileSwitch()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    screen.click(scene::configButton);
    screen.click(profilePage::newButton);
    screen.click(profilePage::close);
    screen.click(scene::titleProfileList);
    program.clearRecord();
    screen.click(scene::listRow(scene::titleProfileList, 1));
    QTRY_VERIFY_WITH_TIMEOUT(!featureReports(program).isEmpty(), 5000);
    QElapsedTimer sinceQuit;
    sinceQuit.start();
    program.process.terminate();
    while (visibleWindows(program, screen) > 0 && sinceQuit.elapsed() < 5000) {
    }
    const qint64 windowGoneMs = sinceQuit.elapsed();
    const bool runningAfterTheWindow = program.process.state() != QProcess::NotRunning;
    QVERIFY(program.process.waitForFinished(20000));
    const qint64 endedMs = sinceQuit.elapsed();
    qInfo("quit during a profile switch: window gone after %lld ms, process ended after %lld ms", windowGoneMs,
          endedMs);
    // Far below the seconds the switch still takes; the 200 ms goal is measured, not asserted.
    QVERIFY2(windowGoneMs < 2000, qPrintable(QString::number(windowGoneMs)));
    QVERIFY(runningAfterTheWindow);
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/profileNo")),
             QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(GunAndProfile)
#include "tst_endtoend_gunprofile.moc"
