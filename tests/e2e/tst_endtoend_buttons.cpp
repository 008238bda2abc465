// The button assignment dialog and the macro editor: a macro recorded from
// the keyboard and given to a button, a key combination typed for another;
// the mouse gets the bytes worked out by hand, in English and in Simplified
// Chinese and on both controller families, with the dialog's categories for
// a person to see.
#include <QSettings>
#include <QTest>

#include "endtoend.h"

namespace {

// The assignment dialog (416 x 404) opens centred, at 304,118. Its column
// scrolls; "scrolled" places are those with the column 5 wheel notches
// (240 px) down.
namespace assignment {
const QPoint wheelPlace(500, 350);          // over the column
const QPoint macroEditorButton(555, 341);   // scrolled
const QPoint macroList(400, 341);           // scrolled
const QPoint repeatUntilReleased(325, 411); // scrolled
const QPoint comboField(444, 441);
const QPoint comboConfirm(587, 441);
// With the column 4 notches (192 px) down, the media group's grid button;
// with the column at its end, the shortcut group's.
const QPoint mediaGrid(380, 319);
const QPoint shortcutGrid(380, 383);
const QPoint offTheGrids(650, 200);         // where no cell shows the pointer
const QPoint close(695, 138);
} // namespace assignment

// The macro editor (640 x 448) opens centred, at 192,96, over the dialog.
namespace macroEditor {
const QPoint newButton(246, 515);
const QPoint recordButton(441, 515);
const QPoint delayBox(640, 515);            // on its text, whatever the language
const QPoint close(807, 116);
} // namespace macroEditor

void languages()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("tag");
    QTest::newRow("English") << QStringLiteral("English") << QStringLiteral("en");
    QTest::newRow("Simplified Chinese") << QStringLiteral("ChineseSimplified") << QStringLiteral("zh");
}

} // namespace

class Buttons : public EndToEndTest
{
    Q_OBJECT

private slots:
    void recordAMacroForButtonFour_data();
    void recordAMacroForButtonFour();
    void typeACombinationForButtonFive_data() { languages(); }
    void typeACombinationForButtonFive();
};

void Buttons::recordAMacroForButtonFour_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<MouseModel>("model");
    QTest::newRow("English, 560") << QStringLiteral("English") << QStringLiteral("en") << kGunColourful560;
    QTest::newRow("Simplified Chinese, 560") << QStringLiteral("ChineseSimplified") << QStringLiteral("zh") << kGunColourful560;
    QTest::newRow("English, 553") << QStringLiteral("English") << QStringLiteral("en-553") << kPlain553;
}

// A macro recorded from the keyboard without its pauses, given to button 4
// with repeat mode 2: the mouse gets it as macro 4 at once, and Save sends
// the button as 09 02 04 00, with the command of the mouse's family.
void Buttons::recordAMacroForButtonFour()
{
    QFETCH(QString, language);
    QFETCH(QString, tag);
    QFETCH(MouseModel, model);
    const bool is560 = QLatin1String(model.family) == QLatin1String("560");
    Program program(screen.name(), model);
    QVERIFY(program.startShown(language));
    screen.click(scene::keyButton(4));
    screen.wheel(assignment::wheelPlace, 5);
    screen.click(assignment::macroEditorButton);
    screen.click(macroEditor::newButton);
    screen.click(macroEditor::recordButton);
    screen.keys({QStringLiteral("a"), QStringLiteral("b")});
    screen.shot(QStringLiteral("macro-editor-recording-%1.png").arg(tag));
    screen.click(macroEditor::recordButton);
    screen.click(macroEditor::close);
    screen.click(assignment::repeatUntilReleased);
    screen.click(assignment::macroList);
    screen.click(scene::listRow(assignment::macroList, 0));   // settles once the list has shut
    screen.shot(QStringLiteral("assign-macro-%1.png").arg(tag));
    screen.click(assignment::close);

    const QSettings recorded(program.file(QStringLiteral("modules/macro/Macro_0.bin")), QSettings::IniFormat);
    QCOMPARE(recorded.value(QStringLiteral("config/total")).toInt(), 4);   // A, B pressed and released
    QCOMPARE(recorded.value(QStringLiteral("macro/0")).toString(), QStringLiteral("1,A"));
    QCOMPARE(recorded.value(QStringLiteral("macro/3")).toString(), QStringLiteral("2,B"));
    // Repeat count 1; A (04) pressed, released (bit 7), B (05) pressed,
    // released, each with the shortest pause, 1; the end mark 00 00.
    const QByteArray expected = QByteArray("00 01 01 04 81 04 01 05 81 05 00 00 ") + QByteArray("00 ").repeated(115) + "00";
    const QString macroCommand = is560 ? QStringLiteral("000f04") : QStringLiteral("001304");
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, macroCommand).size(), 128, 5000);
    QCOMPARE(bulkAfter(program, macroCommand).toHex(' '), expected);

    // The matrix: 128 bytes with 0DH, 64 with 12H.
    screen.click(scene::saveButton);
    const QString matrixCommand = is560 ? QStringLiteral("000d01") : QStringLiteral("001201");
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, matrixCommand).size(), is560 ? 128 : 64, 5000);
    const QByteArray matrix = bulkAfter(program, matrixCommand);
    QCOMPARE(matrix.mid(12, 4).toHex(' '), QByteArray("09 02 04 00"));
    QCOMPARE(matrix.left(4).toHex(' '), QByteArray("01 00 f0 00"));   // button 1 is still the left button
    QVERIFY(quit(program, screen));
}

// LCtrl+LShift+A+B typed into the combination field of button 5; on the way,
// the dialog's categories for a person to look at.
void Buttons::typeACombinationForButtonFive()
{
    QFETCH(QString, language);
    QFETCH(QString, tag);
    Program program(screen.name());
    QVERIFY(program.startShown(language));
    screen.click(scene::keyButton(5));
    screen.shot(QStringLiteral("assign-mouse-fire-%1.png").arg(tag));
    // Column offset 192: the media grid opened.
    screen.wheel(assignment::wheelPlace, 4);
    screen.click(assignment::mediaGrid);
    screen.move(assignment::offTheGrids);
    screen.shot(QStringLiteral("assign-group-media-macro-%1.png").arg(tag));
    screen.click(assignment::mediaGrid);
    // Offset 384: macro, DPI and Windows functions.
    screen.wheel(assignment::wheelPlace, 4);
    screen.shot(QStringLiteral("assign-macro-dpi-windows-%1.png").arg(tag));
    // The end: the shortcut grid opened over the gun functions.
    screen.wheel(assignment::wheelPlace, 4);
    screen.click(assignment::shortcutGrid);
    screen.move(assignment::offTheGrids);
    screen.shot(QStringLiteral("assign-shortcut-gun-%1.png").arg(tag));
    screen.click(assignment::shortcutGrid);
    screen.wheel(assignment::wheelPlace, -20);

    screen.click(assignment::comboField);
    screen.keys({QStringLiteral("ctrl+shift+a+b")});
    screen.shot(QStringLiteral("assign-combination-%1.png").arg(tag));
    screen.click(assignment::comboConfirm);
    screen.click(assignment::close);
    screen.click(scene::saveButton);
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000d01")).size(), 128, 5000);
    const QByteArray matrix = bulkAfter(program, QStringLiteral("000d01"));
    QCOMPARE(matrix.mid(16, 4).toHex(' '), QByteArray("00 03 04 05"));
    QVERIFY(quit(program, screen));
}

QTEST_GUILESS_MAIN(Buttons)
#include "tst_endtoend_buttons.moc"
