// The firmware's block transform against the byte-by-byte reference.
#include "reference_cipher.h"
#include "scramble.h"
#include "virtual_mouse.h"

#include <QtTest>

#include <random>

using reference::Block;

Q_DECLARE_METATYPE(Block)

namespace {

Block library(Block b, const std::string& code, bool encipher)
{
    if (encipher)
        vmouse::encipherBlock(b.data(), code);
    else
        vmouse::decipherBlock(b.data(), code);
    return b;
}

QByteArray hex(const Block& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), 8).toHex(' ');
}

} // namespace

class TestScramble : public QObject {
    Q_OBJECT
private slots:
    void rotationMovesBitsAcrossTheWholeBlock();
    void matchesReference_data();
    void matchesReference();
    void randomBlocksAgreeAndRoundTrip();
    void codeKeysOnlyWhenSixCharacters();
};

// The known vector: the top bit of byte 0 wraps into byte 7.
void TestScramble::rotationMovesBitsAcrossTheWholeBlock()
{
    using namespace vmouse::detail;
    std::uint8_t in[8] = {0x80, 0, 0, 0, 0, 0, 0, 0x01};
    std::uint8_t out[8];
    storeBlock(rotateBlockLeft3(loadBlock(in)), out);
    const std::uint8_t expected[8] = {0, 0, 0, 0, 0, 0, 0, 0x0C};
    QVERIFY(std::equal(out, out + 8, expected));
    storeBlock(rotateBlockRight3(loadBlock(out)), out);
    QVERIFY(std::equal(out, out + 8, in));
}

void TestScramble::matchesReference_data()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<QString>("code");
    QTest::newRow("echo, default code") << Block{0x00, 0x11, 0x22, 0x33, 0x44, 0, 0, 0x56} << "507326";
    // Every lane overflows in the table addition and underflows when undone.
    QTest::newRow("all ones") << Block{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff} << "zzzzzz";
    QTest::newRow("all zeros, other code") << Block{} << "123456";
    QTest::newRow("high bits") << Block{0x80, 0x7f, 0x80, 0x7f, 0x80, 0x7f, 0x80, 0x7f} << "A~b}C|";
}

void TestScramble::matchesReference()
{
    QFETCH(Block, block);
    QFETCH(QString, code);
    const std::string key = code.toStdString();
    const Block wire = library(block, key, true);
    QCOMPARE(hex(wire), hex(reference::encipher(block, key)));
    QVERIFY(wire != block);
    QCOMPARE(hex(library(wire, key, false)), hex(block));
    // Deciphering arbitrary wire bytes must also agree (the firmware's path).
    QCOMPARE(hex(library(block, key, false)), hex(reference::decipher(block, key)));
}

void TestScramble::randomBlocksAgreeAndRoundTrip()
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 2000; ++round) {
        Block b;
        for (auto& x : b)
            x = static_cast<std::uint8_t>(rng());
        std::string code(6, ' ');
        for (auto& c : code)
            c = static_cast<char>(0x21 + rng() % 94);
        QCOMPARE(hex(library(b, code, true)), hex(reference::encipher(b, code)));
        QCOMPARE(hex(library(b, code, false)), hex(reference::decipher(b, code)));
        QCOMPARE(hex(library(library(b, code, true), code, false)), hex(b));
        QCOMPARE(hex(library(library(b, code, false), code, true)), hex(b));
    }
}

void TestScramble::codeKeysOnlyWhenSixCharacters()
{
    const Block b{1, 2, 3, 4, 5, 6, 7, 8};
    const Block unkeyed = library(b, std::string(6, '\0'), true);
    QCOMPARE(hex(library(b, "12345", true)), hex(unkeyed));
    QCOMPARE(hex(library(b, "1234567", true)), hex(unkeyed));
    QVERIFY(library(b, "123456", true) != unkeyed);
    // Two codes differing in the last character give different blocks.
    QVERIFY(library(b, "123456", true) != library(b, "123457", true));
}

QTEST_APPLESS_MAIN(TestScramble)
#include "tst_scramble.moc"
