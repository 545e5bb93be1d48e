// The registration link's codec, and the packet-security library under it.
#include "field_records.h"
#include "line_breaks.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "packet_framing.h"
#include "pktguard.h"
#include "pktguard_library.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "wire_packets.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

namespace {

const auto H = [](const char *hex) { return QByteArray::fromHex(hex); };
const auto N = [](std::optional<qint64> n) { return n ? QByteArray::number(*n) : "none"; };

// A request for fields 1, 2 and 20 as the host agreement gives it.
const QByteArray kRequest = H("1400 0100 01020304 0500 0300 0800 00000000 c39e");
const QByteArray kTag("\x01\x02\x03\x04");
const QByteArray kSequence("\x05\x00", 2);

// The bytes followed by their checksum, low byte first.
const auto WithCrc = [](const QByteArray &b) { return b + IntToBytes(*PktGuardCalcCRC(b)); };

// The records handed over, each as "number=text;", then how the walk ended.
QByteArray Walk(const QByteArray &data1, const QByteArray &data2 = {}) {
    QByteArray seen;
    const Flag ok =
        PacketProcessFields(data1, data2, [&seen](std::int16_t nbr, const QByteArray &t) {
            seen += QByteArray::number(nbr) + '=' + t + ';';
        });
    return seen + (ok == kTrue ? "ok" : "stopped");
}

const QByteArray kOverflow("An unexpected error occurred in PacketUnString.\r\nErr: 6\r\n"
                           "Error: Overflow");

} // namespace

class LinkTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }
    void init() { ui_.messages.clear(); }

    void cleanup() {
        // The codec goes on with the real library.
        if (QTest::currentTestFunction() == QByteArray("unusableLibraryIsReportedOnce"))
            QVERIFY(LoadPktGuard(QCoreApplication::applicationDirPath(),
                                 PktGuardSearch::FolderThenSystemPath));
    }

    // First, before the system's library path meets the library: where it is
    // looked for, and the problem reported with why each place failed.
    void unusableLibraryIsReportedOnce_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("problem");
        const auto whyNot = [](const QString &file) {
            QLibrary library(file);
            return library.load() ? QByteArray("loaded") : library.errorString().toLatin1();
        };
        QTest::newRow("missing everywhere")
            << empty_.path()
            << "could not be loaded from the folder " + empty_.path().toLatin1() +
                   " nor from the system's library path.\r\n" +
                   whyNot(empty_.path() + QStringLiteral("/libpktguard.so")) + "\r\n" +
                   whyNot(QStringLiteral("pktguard")) + "\r\n";
        QTest::newRow("lacking calls") << QStringLiteral(FAKE_PKTGUARD_DIR)
                                       << QByteArray("found in the folder " FAKE_PKTGUARD_DIR
                                                     " lacks GetEncryptData, GetDecryptData.\r\n");
    }

    // Reported once; then every call fails without the library (the fake
    // one's checksum would pass anything).
    void unusableLibraryIsReportedOnce() {
        QFETCH(QString, folder);
        QFETCH(QByteArray, problem);
        if (problem.contains("\r\nloaded\r\n"))
            QSKIP("A libpktguard.so is installed on the system's library path");
        QVERIFY(!LoadPktGuard(folder, PktGuardSearch::FolderThenSystemPath));
        QCOMPARE(ui_.messages.size(), 1);
        QCOMPARE(ui_.messages[0].text, "The packet-security library libpktguard.so " + problem +
                                           "Registration packets can be neither sent nor read.");
        QCOMPARE(PacketString(1, kTag, kSequence, "data"), QByteArray());
        QCOMPARE(PacketPack(kRequest), QByteArray());
        QCOMPARE(PacketUnPack(H("01") + QByteArray(20, 'x') + H("7e")), QByteArray());
        QCOMPARE(UnString(H("0c00 0100") + kTag + kSequence + "xx").ok, kFalse);
        QCOMPARE(ui_.messages.size(), 1);
    }

    // Each row holds what a call gave and what it should give.
    void encodings_data() {
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<QByteArray>("want");
        const auto row = [](const char *name, const QByteArray &got, const QByteArray &want) {
            QTest::newRow(name) << got << want;
        };
        const auto unframe = [](const char *hex) { return UnframeBytes(H(hex)).value_or("none"); };
        row("IntToBytes largest", IntToBytes(0xFFFF), H("ffff"));
        row("IntToBytes too large", IntToBytes(0x10000), H("0000"));
        row("LongToBytes negative", LongToBytes(-2), H("feffffff"));
        row("BytesToInt largest", N(BytesToInt(H("ff7f"))), "32767");
        row("BytesToInt 16-bit overflow", N(BytesToInt(H("0080"))), "none");
        row("BytesToLong 32-bit overflow", N(BytesToLong(H("00000080"))), "none");
        row("BytesToLong short", N(BytesToLong(H("0102"))), "513");
        row("ByteToInt high", N(ByteToInt(H("ff41"))), "255");
        row("ByteToInt empty", N(ByteToInt({})), "0");
        row("HexPairToInt either case", N(HexPairToInt("aF")), "175");
        row("HexPairToInt not a digit", N(HexPairToInt("G1")), "1");
        row("HexPairToInt only 2 read", N(HexPairToInt("123")), "18");
        row("line breaks mixed", NormaliseLineBreaks("a\n\rb\rc"), "a\r\nbc");
        row("line breaks pair, lone", NormaliseLineBreaks("\r\n\r"), "\r\n");
        row("FieldEncode odd padded", FieldEncode("5", " abcde "), H("05000500") + "abcde ");
        row("FieldEncode empty", FieldEncode("7", "   "), H("07000000"));
        row("FieldEncode not a nbr", FieldEncode("x", "ab"), H("00000200") + "ab");
        row("fields in two halves",
            Walk(H("1800 0600 0103 506c"), H("616e 1900 0300 61626320 1a00 0000")),
            "24=\x01\x03Plan;25=abc;26=;ok");
        row("fields text cut", Walk(H("1900 0a00 616263")), "25=abc;ok");
        row("fields lone byte", Walk(H("0100 0100 6120 02")), "1=a;2=;ok");
        row("fields nbr overflow", Walk(H("0100 0200 6162 0080 0000 0300 0200 6364")),
            "1=ab;stopped");
        row("fields length overflow", Walk(H("0100 ffff 6162")), "stopped");
        row("FrameBytes", FrameBytes(H("61 01 7e 1853 1854 1818 7a")),
            H("01 61 1853 1854 1818 53 1818 54 1818 1818 7a 7e"));
        row("unframe last start", unframe("01 6162 01 6364 7e"), "cd");
        row("unframe first end", unframe("01 6162 7e 6364 7e"), "ab");
        row("unframe no start", unframe("6162 7e"), "ab");
        row("unframe no end", unframe("01 6162"), "none");
        row("unframe escaped end", unframe("01 6162 187e"), "none");
    }

    void encodings() {
        QFETCH(QByteArray, got);
        QFETCH(QByteArray, want);
        QCOMPARE(got, want);
    }

    // A request as the host agreement gives it. A length or kind field above
    // 32767 is reported, a kind that does not decode read as 0; whatever the
    // kind, a packet whose length holds hands out its tag.
    void packetStrings() {
        QCOMPARE(PacketString(1, kTag, kSequence, H("03000800 00000000")), kRequest);
        const Opened s = UnString(kRequest);
        QVERIFY(s.ok == kTrue && s.length == 20 && s.kind == 1);
        QCOMPARE(s.tag + s.sequence, kTag + kSequence);
        QCOMPARE(s.data1 + "|" + s.data2, H("03000800") + "|" + H("00000000"));
        const Opened odd = UnString(PacketString(2, kTag, kSequence, "abcde"));
        QCOMPARE(odd.data1 + "|" + odd.data2, QByteArray("ab|cde"));

        const auto split = [](const QByteArray &packet) {
            const Opened o = UnString(packet);
            return QByteArray::number(o.ok == kTrue) + ' ' + QByteArray::number(o.length) + ' ' +
                   QByteArray::number(o.kind) + ' ' + o.tag.toHex();
        };
        const QByteArray header = kTag + kSequence;
        QCOMPARE(split(WithCrc(H("0c80 0100") + header)), "0 0 -1 ");
        QCOMPARE(split(WithCrc(H("0c00 0180") + header)), "1 12 0 01020304");
        QCOMPARE(split(H("0c00 ffff") + header + H("0000")), "0 12 0 01020304");
        QCOMPARE(Shown(ui_), QByteArrayList(3, kOverflow));
        QCOMPARE(split(PacketString(32767, kTag, kSequence, "x")), "1 13 32767 01020304");
    }

    // A high byte of 128 or more in the length or kind field is also reported:
    // 128 changes of each.
    void everySingleByteChangeIsRefused() {
        for (qsizetype at = 0; at < kRequest.size(); ++at) {
            for (int delta = 1; delta < 256; ++delta) {
                QByteArray changed = kRequest;
                changed[at] = static_cast<char>(changed[at] + delta);
                QVERIFY2(UnString(changed).ok == kFalse, changed.toHex().constData());
            }
        }
        QCOMPARE(Shown(ui_), QByteArrayList(2 * 128, kOverflow));
    }

    // A 72-byte packet string sealed by an independent ChaCha20 behind the
    // nonce 01 7e 18 53 18 54 00 ff 10 20 30 40 (both marks, the escape, and
    // escapes followed by "S" and "T"), so past the cipher's first 64-byte
    // block, framed, opens. The longest packet string, every byte value in
    // it, goes through the line and back with a fresh nonce each time
    // (arbitrary bytes are the fuzz target's); a longer one is refused, bytes
    // before the start mark not counted.
    void packetsOnTheLine() {
        const QByteArray known =
            H("011853185418185318185400ff10203040660c94db667c0f025cf798e82bfbe5"
              "4119b94cdfd31246f4e080ff5d46fc03e88f9e3f453d915ffba6aa8e10edb1d2"
              "101fc71818c4c0fb9e72296c5065f1eed2e061a23831fe5454147e");
        QCOMPARE(PacketUnPack("line noise" + known + "more"),
                 PacketString(2, kTag, kSequence, QByteArray("0123456789").repeated(6)));

        QByteArray packet(kLongestPacketString, '\0');
        for (qsizetype i = 0; i < packet.size(); ++i)
            packet[i] = static_cast<char>(i * 7);
        const QByteArray wire = PacketPack(packet);
        QCOMPARE(PacketUnPack(wire), packet);
        QVERIFY(PacketPack(packet) != wire);
        const QByteArray sealed = "\x18S\x18T\x18" + packet;
        QCOMPARE(UnframeBytes(FrameBytes(sealed)), sealed);

        const QByteArray fullest = H("01") + QByteArray(2048, 'x') + H("7e");
        QCOMPARE(PacketUnPack(QByteArray(2049, 'x') + fullest).size(), 2036);
        QCOMPARE(PacketUnPack(H("01") + QByteArray(2049, 'x') + H("7e")), QByteArray());
        QCOMPARE(PacketPack(QByteArray(2037, 'x')), QByteArray());
        QCOMPARE(Shown(ui_).size(), 1);
        QVERIFY(Shown(ui_)[0].startsWith(
            "An unexpected error occurred in PacketPack.\r\nErr: 6\r\nError: "));
    }

    // The library's own calls, with a buffer twice the 2048 bytes they may
    // fill. (The known sealed packet holds them to their keys.)
    void libraryKeepsToItsBuffer() {
        using Cipher = decltype(&GetEncryptData);
        QLibrary library(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/libpktguard.so"));
        const auto seal = reinterpret_cast<Cipher>(library.resolve("GetEncryptData"));
        const auto open = reinterpret_cast<Cipher>(library.resolve("GetDecryptData"));
        QVERIFY(seal != nullptr && open != nullptr);
        const QByteArray untouched(2 * kPktGuardBufferSize, '\xAA');
        for (const auto &[cipher, length, written] :
             {std::tuple(seal, 2036, 2048), std::tuple(open, 2048, 2036), std::tuple(seal, 2037, 0),
              std::tuple(seal, -1, 0), std::tuple(open, 11, 0), std::tuple(open, 2049, 0)}) {
            QByteArray out = untouched;
            QCOMPARE(cipher(untouched.constData(), length, out.data(), "Kestrune", "qvxd5073"),
                     written);
            QCOMPARE(out.mid(written), untouched.mid(written));
        }
    }

  private:
    ScriptedUi ui_;
    QTemporaryDir empty_;
};

QTEST_MAIN(LinkTest)
#include "test_link.moc"
