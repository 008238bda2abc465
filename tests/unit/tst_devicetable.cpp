// Reading the device table from the global settings file.
#include "debugcapture.h"
#include "devicedescriptor.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

DeviceList parse(const QByteArray& ini)
{
    static QTemporaryDir dir;
    static int n = 0;
    const QString path = dir.filePath(QStringLiteral("table%1.bin").arg(n++));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    QSettings settings(path, QSettings::IniFormat);
    return readDeviceTable(settings);
}

} // namespace

class DeviceTable : public QObject
{
    Q_OBJECT

private slots:
    void referenceRows();
    void missingGroupTakesDefaults();
    void missingTableIsEmpty();
    void hexadecimalFields();
    void reportLength();
    void encodeFlag_data();
    void encodeFlag();
    void groupsPastTheCountAreIgnored();
};

void DeviceTable::referenceRows()
{
    const DeviceList list = parse(
        "[common]\ndeviceCount=2\n"
        "[0]\ntype=0\nvid=04d9\npid=8008\nusagePage=ff01\nusage=0001\nusagePage2=ff02\nusage2=0001\n"
        "reportLength=64\nisEncode=false\nsCode=507326\n"
        "[1]\ntype=1\nvid=04d9\npid=a1ee\nusagePage=ff00\nusage=ff00\nusagePage2=ff01\nusage2=ff01\n"
        "reportLength=32\nisEncode=true\nsCode=Ab3$5z\n");
    QCOMPARE(list.size(), 2);
    const DeviceDescriptor& kb = list[0];
    QCOMPARE(kb.type, 0);
    QCOMPARE(kb.vid, quint16(0x04d9));
    QCOMPARE(kb.pid, quint16(0x8008));
    QCOMPARE(kb.usagePage, quint16(0xff01));
    QCOMPARE(kb.usage, quint16(0x0001));
    QCOMPARE(kb.usagePage2, quint16(0xff02));
    QCOMPARE(kb.usage2, quint16(0x0001));
    QCOMPARE(kb.reportLength, 64);
    QVERIFY(!kb.isEncode);
    const DeviceDescriptor& mouse = list[1];
    QCOMPARE(mouse.type, 1);
    QCOMPARE(mouse.pid, quint16(0xa1ee));
    QCOMPARE(mouse.usagePage, quint16(0xff00));
    QCOMPARE(mouse.usage2, quint16(0xff01));
    QCOMPARE(mouse.reportLength, 32);
    QVERIFY(mouse.isEncode);
    QCOMPARE(mouse.sCode, QStringLiteral("Ab3$5z"));
    QVERIFY(mouse.commandPath.isEmpty());
    QVERIFY(mouse.eventPath.isEmpty());
}

void DeviceTable::missingGroupTakesDefaults()
{
    const DeviceList list = parse("[common]\ndeviceCount=2\n[0]\nvid=04d9\npid=a1ee\n");
    QCOMPARE(list.size(), 2);
    const DeviceDescriptor& d = list[1];
    QCOMPARE(d.type, -1);
    QCOMPARE(d.vid, quint16(0));
    QCOMPARE(d.pid, quint16(0));
    QCOMPARE(d.usagePage, quint16(0));
    QCOMPARE(d.usage, quint16(0));
    QCOMPARE(d.usagePage2, quint16(0));
    QCOMPARE(d.usage2, quint16(0));
    QCOMPARE(d.reportLength, 32);
    QVERIFY(!d.isEncode);
    QCOMPARE(d.sCode, QStringLiteral("507326"));
    QCOMPARE(list[0].type, -1);   // an absent type reads "-1" in base 16
}

void DeviceTable::missingTableIsEmpty()
{
    DebugCapture debug;
    QVERIFY(parse("").isEmpty());
    QVERIFY(parse("[0]\nvid=04d9\n").isEmpty());   // no count, no table
    QVERIFY(parse("[common]\ndeviceCount=-3\n").isEmpty());
    QSettings absent(QStringLiteral("/nonexistent/apConfig.bin"), QSettings::IniFormat);
    QVERIFY(readDeviceTable(absent).isEmpty());
    QVERIFY(readDeviceTable(absent).isEmpty());
    // Each file without rows is named once, however often it is read.
    QCOMPARE(debug.lines().size(), 4);
    QCOMPARE(debug.lines().last(),
             QStringLiteral("No device table in /nonexistent/apConfig.bin (common/deviceCount missing or 0): no device can be found"));
    QVERIFY(parse("[common]\ndeviceCount=1\n").size() == 1);
    QCOMPARE(debug.lines().size(), 4);
    // A damaged count reads a bounded number of rows, at once.
    QCOMPARE(parse("[common]\ndeviceCount=2000000000\n").size(), kMaxDeviceCount);
}

void DeviceTable::hexadecimalFields()
{
    const DeviceList list = parse(
        "[common]\ndeviceCount=4\n"
        "[0]\nvid=4d9\npid=A1EE\ntype=1\n"
        "[1]\nvid=04d9\npid=xyz\nusage=12345\ntype=zz\n"
        "[2]\nvid=0x04d9\nusagePage=ffffff00\n"
        "[3]\nvid=\"04d9\"\nusage2=\n");
    QCOMPARE(list[0].vid, quint16(0x04d9));   // "4d9" and "04d9" are the same id
    QCOMPARE(list[0].pid, quint16(0xa1ee));
    QCOMPARE(list[1].vid, quint16(0x04d9));
    QCOMPARE(list[1].pid, quint16(0));        // not hexadecimal
    QCOMPARE(list[1].usage, quint16(0x2345)); // only the low 16 bits fit
    QCOMPARE(list[1].type, 0);
    QCOMPARE(list[2].vid, quint16(0x04d9));   // the base-16 conversion takes a 0x prefix
    QCOMPARE(list[2].usagePage, quint16(0xff00));
    QCOMPARE(list[3].vid, quint16(0x04d9));   // quoted text is still the text
    QCOMPARE(list[3].usage2, quint16(0));
}

void DeviceTable::reportLength()
{
    const DeviceList list = parse(
        "[common]\ndeviceCount=4\n[0]\nreportLength=64\n[1]\nreportLength=abc\n[2]\nreportLength=0x20\n"
        "[3]\nreportLength=-8\n");
    QCOMPARE(list[0].reportLength, 64);
    QCOMPARE(list[1].reportLength, 0);
    QCOMPARE(list[2].reportLength, 0);       // decimal only
    QCOMPARE(list[3].reportLength, -8);
}

void DeviceTable::encodeFlag_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("encoded");
    QTest::newRow("false") << QByteArray("false") << false;
    QTest::newRow("False") << QByteArray("False") << false;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("true") << QByteArray("true") << true;
    QTest::newRow("yes") << QByteArray("yes") << true;
    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("00") << QByteArray("00") << true;
}

void DeviceTable::encodeFlag()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, encoded);
    QCOMPARE(parse("[common]\ndeviceCount=1\n[0]\nisEncode=" + text + "\n").at(0).isEncode, encoded);
}

void DeviceTable::groupsPastTheCountAreIgnored()
{
    const DeviceList list = parse(
        "[common]\ndeviceCount=1\n[0]\npid=1\n[1]\npid=2\n[2]\npid=3\n");
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].pid, quint16(1));
    // Odd secrecy codes stay in the record; the link check decides what to use.
    const DeviceList codes = parse("[common]\ndeviceCount=2\n[0]\nsCode=12345\n[1]\nsCode=1234567\n");
    QCOMPARE(codes[0].sCode, QStringLiteral("12345"));
    QCOMPARE(codes[1].sCode, QStringLiteral("1234567"));
}

QTEST_GUILESS_MAIN(DeviceTable)
#include "tst_devicetable.moc"
