#include "number_codec.h"
#include "packet_codec.h"
#include "pktguard_library.h"
#include "program_state.h"
#include "scripted_ui.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <numeric>

namespace {

// A request for fields 1, 2 and 20, rejection value 0, tag 01 02 03 04 and
// sequence 05 00, as the host agreement gives it.
const QByteArray kRequest = QByteArray::fromHex("14000100010203040500030008000000000"
                                                "0c39e");
const QByteArray kTag("\x01\x02\x03\x04");
const QByteArray kSequence("\x05\x00", 2);

struct Split {
    Flag ok = kFalse;
    std::int16_t length = 0;
    std::int16_t kind = 0;
    QByteArray tag, sequence, data1, data2;
};

Split UnString(const QByteArray &packet) {
    Split s;
    s.ok = PacketUnString(packet, s.length, s.kind, s.tag, s.sequence, s.data1, s.data2);
    return s;
}

// Random bytes holding every byte value once the text is 256 bytes or more.
QByteArray RandomBytes(QRandomGenerator &random, qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i < 256 ? i : random.bounded(256));
    std::shuffle(bytes.begin(), bytes.end(), random);
    return bytes;
}

} // namespace

class PacketCodecTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void init();
    void requestMatchesTheHostAgreement();
    void dataSplitsIntoHalves();
    void everySingleByteChangeIsRefused();
    void wrongLengthsAreRefused();
    void kindAboveSignedRangeIsRefusedAndReported();
    void knownSealedPacketUnpacks();
    void randomPacketStringsSurviveTheLine();
    void overlongPacketStringIsNotSent();
    void incompleteOrOverfullFramesGiveNothing();

  private:
    ScriptedUi ui_;
};

void PacketCodecTest::initTestCase() {
    modKestenrol::gPacketStart = 1;
    modKestenrol::gPacketEnd = 126;
    modKestenrol::gPacketEscape = 24;
}

void PacketCodecTest::init() {
    ui_.messages.clear();
}

void PacketCodecTest::requestMatchesTheHostAgreement() {
    const QByteArray data = LongToBytes((1 << 0) | (1 << 1) | (1 << 19)) + LongToBytes(0);
    QCOMPARE(PacketString(1, kTag, kSequence, data).toHex(' '),
             QByteArray("14 00 01 00 01 02 03 04 05 00 03 00 08 00 00 00 00 00 c3 9e"));
}

void PacketCodecTest::dataSplitsIntoHalves() {
    Split s = UnString(kRequest);
    QCOMPARE(s.ok, kTrue);
    QCOMPARE(s.length, 20);
    QCOMPARE(s.kind, 1);
    QCOMPARE(s.tag, kTag);
    QCOMPARE(s.sequence, kSequence);
    QCOMPARE(s.data1, QByteArray("\x03\x00\x08\x00", 4));
    QCOMPARE(s.data2, QByteArray(4, '\0'));
    s = UnString(PacketString(2, kTag, kSequence, "abcde"));
    QCOMPARE(s.data1 + "|" + s.data2, QByteArray("ab|cde"));
    s = UnString(PacketString(3, kTag, kSequence, QByteArray()));
    QCOMPARE(s.ok, kTrue);
    QVERIFY(s.data1.isEmpty() && s.data2.isEmpty());
    QVERIFY(ui_.messages.isEmpty());
}

void PacketCodecTest::everySingleByteChangeIsRefused() {
    for (qsizetype at = 0; at < kRequest.size(); ++at) {
        for (int delta = 1; delta < 256; ++delta) {
            QByteArray changed = kRequest;
            changed[at] =
                static_cast<char>((static_cast<unsigned char>(changed[at]) + delta) & 0xFF);
            if (UnString(changed).ok != kFalse)
                QFAIL(qPrintable(QStringLiteral("byte %1 + %2 accepted").arg(at).arg(delta)));
        }
    }
    QVERIFY(ui_.messages.isEmpty());
}

void PacketCodecTest::wrongLengthsAreRefused() {
    QCOMPARE(UnString(kRequest.chopped(1)).ok, kFalse);
    QCOMPARE(UnString(kRequest + "x").ok, kFalse);
    // Shorter than the packet header and checksum, even with a length field
    // that matches: nothing is read or handed out.
    for (qsizetype size = 0; size < 12; ++size) {
        QByteArray shortPacket = kRequest.left(size);
        if (size >= 2)
            shortPacket.replace(0, 2, IntToBytes(static_cast<std::int32_t>(size)));
        Split s;
        s.kind = 99;
        s.ok = PacketUnString(shortPacket, s.length, s.kind, s.tag, s.sequence, s.data1, s.data2);
        QCOMPARE(s.ok, kFalse);
        QCOMPARE(s.kind, 99);
    }
    QByteArray highLength = kRequest;
    highLength[1] = '\x80';
    QCOMPARE(UnString(highLength).ok, kFalse);
    QVERIFY(ui_.messages.isEmpty());
}

void PacketCodecTest::kindAboveSignedRangeIsRefusedAndReported() {
    const QByteArray body = QByteArray("\x0c\x00\x01\x80", 4) + kTag + kSequence;
    const QByteArray packet = body + IntToBytes(*PktGuardCalcCRC(body));
    QCOMPARE(UnString(packet).ok, kFalse);
    QCOMPARE(ui_.messages.size(), 1);
    QCOMPARE(
        ui_.messages[0].text,
        QByteArray("An unexpected error occurred in PacketUnString.\r\nErr: 6\r\nError: Overflow"));
    QCOMPARE(ui_.messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(ui_.messages[0].title, QByteArray("Kestrune Registration"));

    QCOMPARE(UnString(PacketString(32767, kTag, kSequence, "x")).kind, 32767);
}

// The request sealed by an independent ChaCha20 behind the nonce
// 01 7e 18 53 18 54 00 ff 10 20 30 40 (both marks, the escape, and escapes
// followed by "S" and "T"), framed.
void PacketCodecTest::knownSealedPacketUnpacks() {
    const QByteArray wire =
        QByteArray::fromHex("01185318541818531818540"
                            "0ff102030403a0c97db667c0f025cf7abd911c8d1742f8eb7787e");
    QCOMPARE(PacketUnPack("line noise" + wire + "more"), kRequest);
    QCOMPARE(UnString(PacketUnPack(wire)).ok, kTrue);
}

// Packet strings of random bytes, and packets around random data, through
// the line and back.
void PacketCodecTest::randomPacketStringsSurviveTheLine() {
    QRandomGenerator random(2036);
    QList<qsizetype> sizes{12, 13, 256, 2035, 2036};
    for (int i = 0; i < 150; ++i)
        sizes.append(random.bounded(12, 2037));
    for (const qsizetype size : sizes) {
        const QByteArray packet = RandomBytes(random, size);
        const QByteArray wire = PacketPack(packet);
        QCOMPARE(wire.count('\x01'), 1);
        QCOMPARE(wire.count('\x7e'), 1);
        QCOMPARE(PacketUnPack(wire), packet);

        const QByteArray data = packet.mid(kPacketOverhead);
        const Split s = UnString(PacketUnPack(PacketPack(PacketString(4, kTag, kSequence, data))));
        QCOMPARE(s.ok, kTrue);
        QCOMPARE(s.data1 + s.data2, data);
    }
    QVERIFY(ui_.messages.isEmpty());
}

void PacketCodecTest::overlongPacketStringIsNotSent() {
    QCOMPARE(PacketPack(QByteArray(2037, 'x')), QByteArray());
    QCOMPARE(ui_.messages.size(), 1);
    QVERIFY(ui_.messages[0].text.startsWith(
        "An unexpected error occurred in PacketPack.\r\nErr: 6\r\nError: "));
    QCOMPARE(ui_.messages[0].icon, MsgIcon::Exclamation);
    const QByteArray longest(2036, 'x');
    QCOMPARE(PacketUnPack(PacketPack(longest)), longest);
}

void PacketCodecTest::incompleteOrOverfullFramesGiveNothing() {
    QCOMPARE(PacketUnPack(PacketPack(kRequest).chopped(1)), QByteArray());
    QCOMPARE(PacketUnPack("\x01" + QByteArray(11, 'x') + "\x7e"), QByteArray());
    QCOMPARE(PacketUnPack("\x01" + QByteArray(2048, 'x') + "\x7e").size(), 2036);
    QCOMPARE(PacketUnPack("\x01" + QByteArray(2049, 'x') + "\x7e"), QByteArray());
    QCOMPARE(PacketUnPack(QByteArray(5000, 'x') + "\x01" + QByteArray(20, 'x') + "\x7e").size(), 8);
    QVERIFY(ui_.messages.isEmpty());
}

QTEST_MAIN(PacketCodecTest)
#include "test_packet_codec.moc"
