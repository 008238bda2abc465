// Language sections: their texts by position, UTF-8, the DPI switch texts
// that section "other" replaces, and codes that name no language file.
#include "dpiswitchtexts.h"
#include "fixturetree.h"
#include "languagestrings.h"
#include "storetest.h"

using namespace storetest;

namespace {

const QString kInitial = QStringLiteral("DPI Switch to");

void writeLanguage(const QString& code, const QByteArray& text)
{
    QVERIFY(writeFile(QStringLiteral("modules/i18n/") + code + QStringLiteral(".ini"), text));
}

QStringList stages(int count, const QString& prefix)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts.append(prefix + QString::number(i));
    return texts;
}

QByteArray otherSection(const QStringList& texts)
{
    QByteArray ini = "[other]\ntotal=" + QByteArray::number(texts.size()) + "\n";
    for (int i = 0; i < texts.size(); ++i)
        ini += QByteArray::number(i) + "=" + texts.at(i).toUtf8() + "\n";
    return ini;
}

} // namespace

class LanguageStrings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textsArePositional();
    void nonAsciiTextsComeBackUnchanged();
    void otherReplacesTheDpiSwitchTexts();
    void shortOtherReplacesOnlyWhatItHas();
    void codesOutsideTheLanguageFolderReadNothing_data();
    void codesOutsideTheLanguageFolderReadNothing();
    void deliveredLanguagesHaveEveryPageSection();
};

void LanguageStrings::init()
{
    dpiSwitchTexts() = QStringList(8, kInitial);
}

void LanguageStrings::textsArePositional()
{
    FixtureTree tree;
    writeLanguage(QStringLiteral("Test"),
                  "[gap]\ntotal=3\n0=first\n2=third\n"
                  "[noTotal]\n0=a\n1=b\n"
                  "[badTotal]\ntotal=many\n0=a\n"
                  "[comma]\ntotal=1\n0=\"one, two\"\n"
                  "[huge]\ntotal=2000000000\n0=a\n"
                  "[overflowing]\ntotal=1967447537212660849\n0=a\n");
    QCOMPARE(getLangStrings(QStringLiteral("gap"), QStringLiteral("Test")),
             (QStringList{QStringLiteral("first"), QString(), QStringLiteral("third")}));
    QCOMPARE(getLangStrings(QStringLiteral("noTotal"), QStringLiteral("Test")), QStringList{});
    QCOMPARE(getLangStrings(QStringLiteral("badTotal"), QStringLiteral("Test")), QStringList{});
    QCOMPARE(getLangStrings(QStringLiteral("comma"), QStringLiteral("Test")), QStringList{QStringLiteral("one, two")});
    QCOMPARE(getLangStrings(QStringLiteral("absent"), QStringLiteral("Test")), QStringList{});
    // A count no section could have reads a bounded number of texts, at once.
    QVERIFY(getLangStrings(QStringLiteral("overflowing"), QStringLiteral("Test")).size() <= 4096);
    const QStringList huge = getLangStrings(QStringLiteral("huge"), QStringLiteral("Test"));
    QCOMPARE(huge.size(), 4096);
    QCOMPARE(huge.first(), QStringLiteral("a"));
    QCOMPARE(getLangStrings(QStringLiteral("gap"), QStringLiteral("NoSuchLanguage")), QStringList{});
    // Reading never writes the file.
    QCOMPARE(readAll(QStringLiteral("modules/i18n/Test.ini")).left(5), QByteArray("[gap]"));
    QVERIFY(!QFile::exists(QStringLiteral("modules/i18n/NoSuchLanguage.ini")));
}

void LanguageStrings::nonAsciiTextsComeBackUnchanged()
{
    FixtureTree tree;
    const QString chinese = QStringLiteral("简体中文");
    const QString accents = QStringLiteral("Empfindlichkeit – Ä ö ü ß é");
    writeLanguage(QStringLiteral("Mixed"), "[main]\ntotal=2\n0=" + chinese.toUtf8() + "\n1=" + accents.toUtf8() + "\n");
    QCOMPARE(getLangStrings(QStringLiteral("main"), QStringLiteral("Mixed")), (QStringList{chinese, accents}));
}

void LanguageStrings::otherReplacesTheDpiSwitchTexts()
{
    FixtureTree tree;
    const QStringList eight = stages(8, QStringLiteral("级别 "));
    writeLanguage(QStringLiteral("Stages"), otherSection(eight) + "[main]\ntotal=1\n0=x\n");
    QCOMPARE(getLangStrings(QStringLiteral("other"), QStringLiteral("Stages")), eight);
    QCOMPARE(dpiSwitchTexts(), eight);
    QCOMPARE(dpiSwitchText(1), eight.at(0));
    QCOMPARE(dpiSwitchText(8), eight.at(7));
    // Other sections, and a file without "other", leave them for the rest of the run.
    getLangStrings(QStringLiteral("main"), QStringLiteral("Stages"));
    getLangStrings(QStringLiteral("other"), QStringLiteral("NoSuchLanguage"));
    QCOMPARE(dpiSwitchTexts(), eight);
    // More than eight: the first eight are the stages.
    const QStringList ten = stages(10, QStringLiteral("Stage "));
    writeLanguage(QStringLiteral("Ten"), otherSection(ten));
    QCOMPARE(getLangStrings(QStringLiteral("other"), QStringLiteral("Ten")).size(), 10);
    QCOMPARE(dpiSwitchTexts(), ten.mid(0, 8));
}

void LanguageStrings::shortOtherReplacesOnlyWhatItHas()
{
    FixtureTree tree;
    const QStringList three = stages(3, QStringLiteral("Stage "));
    writeLanguage(QStringLiteral("Short"), otherSection(three));
    QCOMPARE(getLangStrings(QStringLiteral("other"), QStringLiteral("Short")), three);
    QCOMPARE(dpiSwitchTexts().size(), 8);
    QCOMPARE(dpiSwitchTexts().mid(0, 3), three);
    QCOMPARE(dpiSwitchTexts().mid(3), QStringList(5, kInitial));
    QCOMPARE(dpiSwitchText(8), kInitial);
}

void LanguageStrings::codesOutsideTheLanguageFolderReadNothing_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("parent") << QStringLiteral("../leak");
    QTest::newRow("backslash") << QStringLiteral("..\\leak");
    QTest::newRow("subfolder") << QStringLiteral("sub/leak");
    QTest::newRow("absolute") << QStringLiteral("/tmp/leak");
    QTest::newRow("empty") << QString();
}

void LanguageStrings::codesOutsideTheLanguageFolderReadNothing()
{
    QFETCH(QString, code);
    FixtureTree tree;
    const QByteArray leak = otherSection(stages(8, QStringLiteral("Leak ")));
    QVERIFY(writeFile(QStringLiteral("modules/leak.ini"), leak));
    QVERIFY(writeFile(QStringLiteral("modules/i18n/sub/leak.ini"), leak));
    QVERIFY(writeFile(QStringLiteral("modules/i18n/.ini"), leak));
    QCOMPARE(getLangStrings(QStringLiteral("other"), code), QStringList{});
    QCOMPARE(dpiSwitchTexts(), QStringList(8, kInitial));
}

void LanguageStrings::deliveredLanguagesHaveEveryPageSection()
{
    FixtureTree tree;
    const QStringList sections{QStringLiteral("main"), QStringLiteral("keyMatrix"), QStringLiteral("keyAssigment"),
                               QStringLiteral("dpiSetting"), QStringLiteral("lightControl"), QStringLiteral("macroEditor"),
                               QStringLiteral("systemSetting"), QStringLiteral("gunControl"), QStringLiteral("profile"),
                               QStringLiteral("keyCode"), QStringLiteral("other")};
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("ChineseSimplified")}) {
        for (const QString& section : sections) {
            const QStringList texts = getLangStrings(section, language);
            QVERIFY2(!texts.isEmpty(), qPrintable(language + QLatin1Char('/') + section));
        }
        QCOMPARE(getLangStrings(QStringLiteral("other"), language).size(), 8);
    }
}

STORE_TEST_MAIN(LanguageStrings)

#include "tst_languagestrings.moc"
