#include "line_breaks.h"
#include "number_codec.h"

#include <QTest>

class NumberCodecTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void twoByteNumbersGoLowByteFirst_data();
    void twoByteNumbersGoLowByteFirst();
    void fourByteNumbersAndShortTexts();
    void numbersAboveSignedRangeDoNotDecode();
    void singleBytes();
    void hexPairs_data();
    void hexPairs();
    void lineBreaks_data();
    void lineBreaks();
};

void NumberCodecTest::twoByteNumbersGoLowByteFirst_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero") << 0 << QByteArray("\x00\x00", 2);
    QTest::newRow("one hex digit") << 0xA << QByteArray("\x0a\x00", 2);
    QTest::newRow("two hex digits") << 0xFF << QByteArray("\xff\x00", 2);
    QTest::newRow("three hex digits") << 0x123 << QByteArray("\x23\x01", 2);
    QTest::newRow("four hex digits") << 0xBEEF << QByteArray("\xef\xbe", 2);
    QTest::newRow("largest") << 0xFFFF << QByteArray("\xff\xff", 2);
    QTest::newRow("too large") << 0x10000 << QByteArray("\x00\x00", 2);
    QTest::newRow("negative") << -1 << QByteArray("\x00\x00", 2);
}

void NumberCodecTest::twoByteNumbersGoLowByteFirst() {
    QFETCH(int, number);
    QFETCH(QByteArray, bytes);
    QCOMPARE(IntToBytes(number), bytes);
    if (number >= 0 && number <= 0x7FFF)
        QCOMPARE(BytesToInt(bytes), std::optional<std::int16_t>(number));
}

void NumberCodecTest::fourByteNumbersAndShortTexts() {
    QCOMPARE(LongToBytes(0x12345678), QByteArray("\x78\x56\x34\x12"));
    QCOMPARE(LongToBytes(-1), QByteArray("\xff\xff\xff\xff"));
    QCOMPARE(BytesToLong(QByteArray("\x78\x56\x34\x12")), 0x12345678);
    QCOMPARE(BytesToLong(QByteArray("\x01\x02")), 0x0201);
    QCOMPARE(BytesToLong(QByteArray()), 0);
    // Missing characters of a short text count as 0.
    QCOMPARE(BytesToInt(QByteArray(" \0", 2)), 32);
    QCOMPARE(BytesToInt(QByteArray("A\0", 2)), 65);
    QCOMPARE(BytesToInt(QByteArray("A")), 65);
    QCOMPARE(BytesToInt(QByteArray()), 0);
}

void NumberCodecTest::numbersAboveSignedRangeDoNotDecode() {
    QCOMPARE(BytesToInt(QByteArray("\xff\x7f")), 32767);
    QCOMPARE(BytesToInt(QByteArray("\x00\x80", 2)), std::nullopt);
    QCOMPARE(BytesToInt(QByteArray("\xff\xff")), std::nullopt);
    QCOMPARE(BytesToLong(QByteArray("\xff\xff\xff\x7f")), 0x7FFFFFFF);
    QCOMPARE(BytesToLong(QByteArray("\x00\x00\x00\x80", 4)), std::nullopt);
}

void NumberCodecTest::singleBytes() {
    QCOMPARE(IntToByte(0), QByteArray(1, '\0'));
    QCOMPARE(IntToByte(255), QByteArray("\xff"));
    QCOMPARE(ByteToInt(QByteArray("\xff")), 255);
    QCOMPARE(ByteToInt(QByteArray("AB")), 65);
    QCOMPARE(ByteToInt(QByteArray()), 0);
}

void NumberCodecTest::hexPairs_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("one digit") << QByteArray("7") << 7;
    QTest::newRow("upper case") << QByteArray("AF") << 0xAF;
    QTest::newRow("lower case") << QByteArray("af") << 0xAF;
    QTest::newRow("not a digit counts 0") << QByteArray("G1") << 0x01;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("only two read") << QByteArray("123") << 0x12;
}

void NumberCodecTest::hexPairs() {
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(HexPairToInt(text), value);
}

void NumberCodecTest::lineBreaks_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("normalised");
    QTest::newRow("mixed") << QByteArray("a\n\rb\rc") << QByteArray("a\r\nbc");
    QTest::newRow("pairs kept") << QByteArray("a\r\nb") << QByteArray("a\r\nb");
    QTest::newRow("pair then lone") << QByteArray("\r\n\r") << QByteArray("\r\n");
    QTest::newRow("two pairs") << QByteArray("\n\r\n\r") << QByteArray("\r\n\r\n");
    QTest::newRow("lone at end") << QByteArray("x\n") << QByteArray("x");
    QTest::newRow("no breaks") << QByteArray("plain\ttext") << QByteArray("plain\ttext");
}

void NumberCodecTest::lineBreaks() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, normalised);
    QCOMPARE(NormaliseLineBreaks(text), normalised);
}

QTEST_GUILESS_MAIN(NumberCodecTest)
#include "test_number_codec.moc"
