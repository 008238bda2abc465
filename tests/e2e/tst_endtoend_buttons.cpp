// The button assignment dialog and the macro editor: a macro recorded from
// the keyboard and given to a button, a key combination typed for another;
// the mouse gets what the UI's own encoder makes, in English and in
// Simplified Chinese, with the dialog's categories for a person to see.
#include <QJSEngine>
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

// The block the UI's own encoder (ui/js) makes of a macro file.
QByteArray encoderBlock(const QString& macroFile)
{
    QJSEngine js;
    for (const char* script : {"keycodes.js", "macroblock.js"}) {
        QFile file(QStringLiteral(KESTREL_UI_JS_DIR "/") + QLatin1String(script));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        js.evaluate(QString::fromUtf8(file.readAll()).remove(QStringLiteral(".pragma library")), file.fileName());
    }
    const QSettings ini(macroFile, QSettings::IniFormat);
    const int total = ini.value(QStringLiteral("config/total")).toInt();
    QJSValue actions = js.newArray(uint(total));
    for (int i = 0; i < total; ++i)
        actions.setProperty(uint(i), js.globalObject().property(QStringLiteral("parseAction"))
                                         .call({ini.value(QStringLiteral("macro/%1").arg(i)).toString()}));
    const QJSValue codeOf = js.evaluate(QStringLiteral("(function (name) { return strTokeycode(defaultNames, name) })"));
    const QJSValue bytes = js.globalObject().property(QStringLiteral("block"))
                               .call({actions, ini.value(QStringLiteral("config/repeat")).toInt(), codeOf});
    QByteArray out;
    for (uint i = 0; i < bytes.property(QStringLiteral("length")).toUInt(); ++i)
        out.append(char(bytes.property(i).toInt()));
    return out;
}

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
    void recordAMacroForButtonFour_data() { languages(); }
    void recordAMacroForButtonFour();
    void typeACombinationForButtonFive_data() { languages(); }
    void typeACombinationForButtonFive();
};

// A macro recorded from the keyboard, given to button 4 with repeat mode 2:
// the mouse gets the encoder's block as macro 4 at once, and Save sends the
// button as 09 02 04 00.
void Buttons::recordAMacroForButtonFour()
{
    QFETCH(QString, language);
    QFETCH(QString, tag);
    Program program(screen.name());
    QVERIFY(program.startShown(language));
    screen.click(scene::keyButton(4));
    screen.wheel(assignment::wheelPlace, 5);
    screen.click(assignment::macroEditorButton);
    screen.click(macroEditor::newButton);
    screen.click(macroEditor::delayBox);
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

    const QString macroFile = program.file(QStringLiteral("modules/macro/Macro_0.bin"));
    const QSettings recorded(macroFile, QSettings::IniFormat);
    QCOMPARE(recorded.value(QStringLiteral("config/total")).toInt(), 7);   // A, B pressed and released, 3 delays
    QCOMPARE(recorded.value(QStringLiteral("macro/0")).toString(), QStringLiteral("1,A"));
    QCOMPARE(recorded.value(QStringLiteral("macro/6")).toString(), QStringLiteral("2,B"));
    const QByteArray expected = encoderBlock(macroFile);
    QCOMPARE(expected.size(), 128);
    QCOMPARE(expected.left(2).toHex(' '), QByteArray("00 01"));   // repeat count 1
    QCOMPARE(expected.at(3), char(0x04));                          // then the press of A
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000f04")).size(), 128, 5000);
    QCOMPARE(bulkAfter(program, QStringLiteral("000f04")).toHex(' '), expected.toHex(' '));

    screen.click(scene::saveButton);
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000d01")).size(), 128, 5000);
    const QByteArray matrix = bulkAfter(program, QStringLiteral("000d01"));
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
