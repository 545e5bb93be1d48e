#include "packet_framing.h"
#include "program_state.h"

#include <QTest>

namespace {

const QByteArray kStart("\x01");
const QByteArray kEnd("\x7e");
const QByteArray kEsc("\x18");

} // namespace

class PacketFramingTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void marksAndEscapesAreStuffed();
    void unframing_data();
    void unframing();
};

void PacketFramingTest::initTestCase() {
    modKestenrol::gPacketStart = 1;
    modKestenrol::gPacketEnd = 126;
    modKestenrol::gPacketEscape = 24;
}

void PacketFramingTest::marksAndEscapesAreStuffed() {
    const QByteArray sealed = "a" + kStart + kEnd + kEsc + "S" + kEsc + "T" + kEsc + kEsc + "z";
    const QByteArray wire = kStart + "a" + kEsc + "S" + kEsc + "T" + kEsc + kEsc + "S" + kEsc +
                            kEsc + "T" + kEsc + kEsc + kEsc + kEsc + "z" + kEnd;
    QCOMPARE(FrameBytes(sealed), wire);
    QCOMPARE(UnframeBytes(wire), sealed);
    QCOMPARE(FrameBytes(QByteArray()), kStart + kEnd);
}

void PacketFramingTest::unframing_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<std::optional<QByteArray>>("collected");
    QTest::newRow("noise before start")
        << "noise" + kStart + "ab" + kEnd << std::optional(QByteArray("ab"));
    QTest::newRow("last start wins")
        << kStart + "ab" + kStart + "cd" + kEnd << std::optional(QByteArray("cd"));
    QTest::newRow("first end closes")
        << kStart + "ab" + kEnd + "cd" + kEnd << std::optional(QByteArray("ab"));
    QTest::newRow("no start mark") << "ab" + kEnd << std::optional(QByteArray("ab"));
    QTest::newRow("escaped marks are bytes")
        << kStart + kEsc + kStart + kEsc + kEnd + kEnd << std::optional(kStart + kEnd);
    QTest::newRow("escape of other byte")
        << kStart + kEsc + "x" + kEnd << std::optional(QByteArray("x"));
    QTest::newRow("no end mark") << kStart + "ab" << std::optional<QByteArray>();
    QTest::newRow("escaped end mark only")
        << kStart + "ab" + kEsc + kEnd << std::optional<QByteArray>();
    QTest::newRow("escape at the end") << kStart + "ab" + kEsc << std::optional<QByteArray>();
    QTest::newRow("empty") << QByteArray() << std::optional<QByteArray>();
}

void PacketFramingTest::unframing() {
    QFETCH(QByteArray, received);
    QFETCH(std::optional<QByteArray>, collected);
    QCOMPARE(UnframeBytes(received), collected);
}

QTEST_GUILESS_MAIN(PacketFramingTest)
#include "test_packet_framing.moc"
