// The block scrambling: a known vector, and both directions undoing each
// other, checked against the firmware's own, independently written transform.
#include "scrambling.h"
#include "virtual_mouse.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Block = scrambling::Block;

Block randomBlock(QRandomGenerator& random)
{
    Block b;
    for (uchar& byte : b)
        byte = uchar(random.generate());
    return b;
}

std::string randomCode(QRandomGenerator& random)
{
    std::string code;
    for (int i = 0; i < 6; ++i)
        code += char(0x21 + random.bounded(0x5e));   // printable ASCII
    return code;
}

scrambling::SecrecyCode load(const std::string& text)
{
    scrambling::SecrecyCode code{};
    scrambling::loadSecrecyCode(QString::fromStdString(text), code);
    return code;
}

} // namespace

class Scrambling : public QObject
{
    Q_OBJECT

private slots:
    void knownVector();
    void zeroCodeStillScrambles();
    void roundTripsBothWays();
    void agreesWithTheFirmware();
    void codeLoading();
};

void Scrambling::knownVector()
{
    // With an all-zero code the pair exchange turns 00 00 01 00 00 80 00 00
    // into 80 00 00 00 00 00 00 01; rotated left by 3 bits that is
    // 00 00 00 00 00 00 00 0C; adding the nibble-swapped letters of
    // "VeQdaHub" (65 56 15 46 16 84 57 26) gives the result.
    Block b = {0x00, 0x00, 0x01, 0x00, 0x00, 0x80, 0x00, 0x00};
    const scrambling::SecrecyCode zero{};
    scrambling::encrypt(b.data(), zero.data());
    QCOMPARE(b, (Block{0x65, 0x56, 0x15, 0x46, 0x16, 0x84, 0x57, 0x32}));
    scrambling::decipher(b.data(), zero.data());
    QCOMPARE(b, (Block{0x00, 0x00, 0x01, 0x00, 0x00, 0x80, 0x00, 0x00}));

    // The code takes part through bytes 1..6 only.
    scrambling::SecrecyCode code{};
    code[0] = 0xFF;
    code[7] = 0xFF;
    Block c = {0x00, 0x00, 0x01, 0x00, 0x00, 0x80, 0x00, 0x00};
    scrambling::encrypt(c.data(), code.data());
    QCOMPARE(c, (Block{0x65, 0x56, 0x15, 0x46, 0x16, 0x84, 0x57, 0x32}));
}

void Scrambling::zeroCodeStillScrambles()
{
    const scrambling::SecrecyCode zero{};
    QRandomGenerator random(7);
    for (int i = 0; i < 200; ++i) {
        Block plain = randomBlock(random);
        Block b = plain;
        scrambling::encrypt(b.data(), zero.data());
        QVERIFY(b != plain);
    }
}

void Scrambling::roundTripsBothWays()
{
    QRandomGenerator random(20261208);
    for (int i = 0; i < 5000; ++i) {
        const auto code = load(randomCode(random));
        const Block start = randomBlock(random);
        Block b = start;
        scrambling::encrypt(b.data(), code.data());
        scrambling::decipher(b.data(), code.data());
        QCOMPARE(b, start);
        scrambling::decipher(b.data(), code.data());
        scrambling::encrypt(b.data(), code.data());
        QCOMPARE(b, start);
    }
}

void Scrambling::agreesWithTheFirmware()
{
    QRandomGenerator random(99);
    for (int i = 0; i < 2000; ++i) {
        const std::string text = randomCode(random);
        const auto code = load(text);
        const Block start = randomBlock(random);
        Block ours = start;
        Block theirs = start;
        scrambling::encrypt(ours.data(), code.data());
        vmouse::encipherBlock(theirs.data(), text);
        QCOMPARE(ours, theirs);
        scrambling::decipher(ours.data(), code.data());
        vmouse::decipherBlock(theirs.data(), text);
        QCOMPARE(ours, start);
        QCOMPARE(theirs, start);
    }
}

void Scrambling::codeLoading()
{
    scrambling::SecrecyCode code{};
    QVERIFY(scrambling::loadSecrecyCode(QStringLiteral("507326"), code));
    QCOMPARE(code, (scrambling::SecrecyCode{0, '5', '0', '7', '3', '2', '6', 0}));
    for (const char* other : {"50732", "5073261", ""}) {
        QVERIFY(!scrambling::loadSecrecyCode(QLatin1String(other), code));
        QCOMPARE(code, (scrambling::SecrecyCode{0, '5', '0', '7', '3', '2', '6', 0}));
    }
}

QTEST_GUILESS_MAIN(Scrambling)
#include "tst_scrambling.moc"
