// The packet-security library as loaded from the program's folder, called
// through its C functions.
#include <QCoreApplication>
#include <QLibrary>
#include <QRandomGenerator>
#include <QTest>
#include <cstdint>

namespace {

using CalcCRCFunction = std::int32_t (*)(const char *, std::int32_t);
using CipherFunction = std::int32_t (*)(const char *, std::int32_t, char *, const char *,
                                        const char *);

constexpr int kBuffer = 2048;
constexpr char kSentinel = '\xAA';
const char *const kKey1 = "Kestrune";
const char *const kKey2 = "qvxd5073";

// Room beyond the library's 2048-byte buffer, to see that nothing lands there.
QByteArray GuardedBuffer() {
    return QByteArray(2 * kBuffer, kSentinel);
}

} // namespace

class PktGuardTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void checksumIsCrc16Arc();
    void checksumOfDataWithItsChecksumIsZero();
    void openingGivesTheChaCha20Keystream();
    void sealingDrawsAFreshNonceAndOpeningUndoesIt();
    void sealingRefusesWhatWouldNotFitTheBuffer();
    void openingRefusesBadLengths();
    void keysComeFromBothKeyTexts();

  private:
    std::int32_t seal(const QByteArray &plain, QByteArray &out, const char *key1 = kKey1,
                      const char *key2 = kKey2) const;
    std::int32_t open(const QByteArray &sealed, QByteArray &out, const char *key1 = kKey1,
                      const char *key2 = kKey2) const;

    QLibrary library_;
    CalcCRCFunction calcCRC_ = nullptr;
    CipherFunction encrypt_ = nullptr;
    CipherFunction decrypt_ = nullptr;
};

void PktGuardTest::initTestCase() {
    library_.setFileName(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/libpktguard.so"));
    QVERIFY2(library_.load(), qPrintable(library_.errorString()));
    calcCRC_ = reinterpret_cast<CalcCRCFunction>(library_.resolve("CalcCRC"));
    encrypt_ = reinterpret_cast<CipherFunction>(library_.resolve("GetEncryptData"));
    decrypt_ = reinterpret_cast<CipherFunction>(library_.resolve("GetDecryptData"));
    QVERIFY(calcCRC_ != nullptr && encrypt_ != nullptr && decrypt_ != nullptr);
}

std::int32_t PktGuardTest::seal(const QByteArray &plain, QByteArray &out, const char *key1,
                                const char *key2) const {
    return encrypt_(plain.constData(), static_cast<std::int32_t>(plain.size()), out.data(), key1,
                    key2);
}

std::int32_t PktGuardTest::open(const QByteArray &sealed, QByteArray &out, const char *key1,
                                const char *key2) const {
    return decrypt_(sealed.constData(), static_cast<std::int32_t>(sealed.size()), out.data(), key1,
                    key2);
}

void PktGuardTest::checksumIsCrc16Arc() {
    QCOMPARE(calcCRC_("123456789", 9), 0xBB3D);
    QCOMPARE(calcCRC_("", 0), 0);
    const QByteArray request = QByteArray::fromHex("140001000102030405000300080000000000");
    QCOMPARE(calcCRC_(request.constData(), 18), 0x9EC3);
    QCOMPARE(calcCRC_(nullptr, 5), 0);
}

void PktGuardTest::checksumOfDataWithItsChecksumIsZero() {
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray data(random.bounded(1, 2048), '\0');
        for (char &byte : data)
            byte = static_cast<char>(random.bounded(256));
        const std::int32_t crc = calcCRC_(data.constData(), static_cast<std::int32_t>(data.size()));
        QVERIFY(crc >= 0 && crc <= 0xFFFF);
        data.append(static_cast<char>(crc & 0xFF)).append(static_cast<char>(crc >> 8));
        QCOMPARE(calcCRC_(data.constData(), static_cast<std::int32_t>(data.size())), 0);
    }
}

// Opening zeros behind a chosen nonce reveals the keystream: ChaCha20 with
// key SHA-256("Kestrune" "qvxd5073"), counter from 0, across the first block
// boundary. Expected bytes computed with an independent ChaCha20.
void PktGuardTest::openingGivesTheChaCha20Keystream() {
    const QByteArray sealed =
        QByteArray::fromHex("017e1853185400ff10203040") + QByteArray(80, '\0');
    QByteArray out = GuardedBuffer();
    QCOMPARE(open(sealed, out), 80);
    QCOMPARE(out.left(80).toHex(),
             QByteArray("2e0c96db677e0c0659f7a8d919c8d1742f8e74e6e32374c7d4b5c96a7ec533d9"
                        "bdad0b700ba667c2969bbc23d984e42727fe28f5f2c8aa471f5b685cc1dfe0d3"
                        "55970e06c66d4852ddfdc7645866f7ed"));
    QVERIFY(out.mid(80) == QByteArray(out.size() - 80, kSentinel));
}

void PktGuardTest::sealingDrawsAFreshNonceAndOpeningUndoesIt() {
    const QByteArray plain("a packet string");
    QByteArray first = GuardedBuffer();
    QByteArray second = GuardedBuffer();
    QCOMPARE(seal(plain, first), plain.size() + 12);
    QCOMPARE(seal(plain, second), plain.size() + 12);
    QVERIFY(first.left(12) != second.left(12));
    QVERIFY(first.mid(12, plain.size()) != plain);

    QByteArray opened = GuardedBuffer();
    QCOMPARE(open(first.left(plain.size() + 12), opened), plain.size());
    QCOMPARE(opened.left(plain.size()), plain);
}

void PktGuardTest::sealingRefusesWhatWouldNotFitTheBuffer() {
    QByteArray out = GuardedBuffer();
    QCOMPARE(seal(QByteArray(2036, 'x'), out), kBuffer);
    QVERIFY(out.mid(kBuffer) == QByteArray(kBuffer, kSentinel));

    for (const int length : {2037, 2048, 4000}) {
        out = GuardedBuffer();
        QCOMPARE(seal(QByteArray(length, 'x'), out), 0);
        QVERIFY(out == GuardedBuffer());
    }
    out = GuardedBuffer();
    QCOMPARE(encrypt_("x", -1, out.data(), kKey1, kKey2), 0);
    QCOMPARE(encrypt_(nullptr, 4, out.data(), kKey1, kKey2), 0);
    QVERIFY(out == GuardedBuffer());
}

void PktGuardTest::openingRefusesBadLengths() {
    QByteArray out = GuardedBuffer();
    QCOMPARE(open(QByteArray(11, 'x'), out), 0);
    QCOMPARE(open(QByteArray(12, 'x'), out), 0);
    QCOMPARE(open(QByteArray(2049, 'x'), out), 0);
    QVERIFY(out == GuardedBuffer());
    QCOMPARE(open(QByteArray(2048, 'x'), out), 2036);
    QVERIFY(out.mid(kBuffer) == QByteArray(kBuffer, kSentinel));
}

// The key is the hash of key 1 followed directly by key 2. Switching pairs
// back and forth also shows that a kept key follows the pair in use.
void PktGuardTest::keysComeFromBothKeyTexts() {
    const QByteArray plain("key check");
    QByteArray sealed = GuardedBuffer();
    QCOMPARE(seal(plain, sealed), plain.size() + 12);
    sealed.truncate(plain.size() + 12);

    QByteArray out = GuardedBuffer();
    open(sealed, out, "Kestrune", "qvxd5074");
    QVERIFY(out.left(plain.size()) != plain);
    open(sealed, out, "qvxd5073", "Kestrune");
    QVERIFY(out.left(plain.size()) != plain);
    open(sealed, out, "Kestrun", "eqvxd5073");
    QCOMPARE(out.left(plain.size()), plain);
    open(sealed, out, "Kestrune", "qvxd5074");
    open(sealed, out);
    QCOMPARE(out.left(plain.size()), plain);
}

QTEST_GUILESS_MAIN(PktGuardTest)
#include "test_pktguard.moc"
