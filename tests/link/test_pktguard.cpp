// The packet-security library as loaded from the program's folder, called
// through its C functions.
#include <QCoreApplication>
#include <QLibrary>
#include <QTest>
#include <cstdint>

namespace {

using CalcCRCFunction = std::int32_t (*)(const char *, std::int32_t);
using CipherFunction = std::int32_t (*)(const char *, std::int32_t, char *, const char *,
                                        const char *);

// Twice the library's 2048-byte buffer, to see that nothing lands beyond it.
const QByteArray kUntouched(2 * 2048, '\xAA');

std::int32_t Call(CipherFunction cipher, const QByteArray &in, QByteArray &out,
                  const char *key1 = "Kestrune", const char *key2 = "qvxd5073") {
    out = kUntouched;
    return cipher(in.constData(), static_cast<std::int32_t>(in.size()), out.data(), key1, key2);
}

} // namespace

class PktGuardTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void checksumIsCrc16Arc();
    void openingGivesTheChaCha20Keystream();
    void sealingDrawsAFreshNonceAndOpeningUndoesIt();
    void nothingIsWrittenBeyondTheBuffer();
    void keyIsTheHashOfBothKeyTexts();

  private:
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

void PktGuardTest::checksumIsCrc16Arc() {
    QCOMPARE(calcCRC_("123456789", 9), 0xBB3D);
    QCOMPARE(calcCRC_("123456789\x3d\xbb", 11), 0);
    QCOMPARE(calcCRC_("", 0), 0);
    QCOMPARE(calcCRC_(nullptr, 5), 0);
}

// Opening zeros behind a chosen nonce reveals the keystream: ChaCha20 keyed
// with SHA-256("Kestrune" "qvxd5073"), counter from 0, here across the first
// block boundary. Expected bytes from an independent ChaCha20.
void PktGuardTest::openingGivesTheChaCha20Keystream() {
    QByteArray out;
    QCOMPARE(
        Call(decrypt_, QByteArray::fromHex("017e1853185400ff10203040") + QByteArray(80, '\0'), out),
        80);
    QCOMPARE(out.left(80).toHex(),
             QByteArray("2e0c96db677e0c0659f7a8d919c8d1742f8e74e6e32374c7d4b5c96a7ec533d9"
                        "bdad0b700ba667c2969bbc23d984e42727fe28f5f2c8aa471f5b685cc1dfe0d3"
                        "55970e06c66d4852ddfdc7645866f7ed"));
}

void PktGuardTest::sealingDrawsAFreshNonceAndOpeningUndoesIt() {
    const QByteArray plain("a packet string");
    QByteArray first, second, opened;
    QCOMPARE(Call(encrypt_, plain, first), plain.size() + 12);
    QCOMPARE(Call(encrypt_, plain, second), plain.size() + 12);
    QVERIFY(first.left(12) != second.left(12));
    QVERIFY(first.mid(12, plain.size()) != plain);
    QCOMPARE(Call(decrypt_, first.left(plain.size() + 12), opened), plain.size());
    QCOMPARE(opened.left(plain.size()), plain);
}

void PktGuardTest::nothingIsWrittenBeyondTheBuffer() {
    QByteArray out;
    QCOMPARE(Call(encrypt_, QByteArray(2036, 'x'), out), 2048);
    QCOMPARE(out.mid(2048), kUntouched.mid(2048));
    QCOMPARE(Call(decrypt_, QByteArray(2048, 'x'), out), 2036);
    QCOMPARE(out.mid(2048), kUntouched.mid(2048));
    // Refused outright: nothing is written at all.
    for (const qsizetype length : {2037, 4000}) {
        QCOMPARE(Call(encrypt_, QByteArray(length, 'x'), out), 0);
        QCOMPARE(out, kUntouched);
    }
    for (const qsizetype length : {0, 11, 12, 2049}) {
        QCOMPARE(Call(decrypt_, QByteArray(length, 'x'), out), 0);
        QCOMPARE(out, kUntouched);
    }
    QCOMPARE(encrypt_("x", -1, out.data(), "Kestrune", "qvxd5073"), 0);
    QCOMPARE(out, kUntouched);
}

// Only the joined key texts count. Switching pairs back and forth also
// shows that a kept key follows the pair in use.
void PktGuardTest::keyIsTheHashOfBothKeyTexts() {
    const QByteArray plain("key check");
    QByteArray sealed, out;
    Call(encrypt_, plain, sealed);
    sealed.truncate(plain.size() + 12);
    Call(decrypt_, sealed, out, "Kestrune", "qvxd5074");
    QVERIFY(out.left(plain.size()) != plain);
    Call(decrypt_, sealed, out, "qvxd5073", "Kestrune");
    QVERIFY(out.left(plain.size()) != plain);
    Call(decrypt_, sealed, out, "Kestrun", "eqvxd5073");
    QCOMPARE(out.left(plain.size()), plain);
    Call(decrypt_, sealed, out, "Kestrune", "qvxd5074");
    Call(decrypt_, sealed, out);
    QCOMPARE(out.left(plain.size()), plain);
}

QTEST_GUILESS_MAIN(PktGuardTest)
#include "test_pktguard.moc"
