#include "packet_codec.h"
#include "pktguard_library.h"
#include "program_state.h"
#include "scripted_ui.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A packet string whose length field is right and whose checksum is not.
const QByteArray kPacket("\x0c\x00\x01\x00"
                         "tag!"
                         "sq"
                         "xx",
                         12);

Flag UnString(const QByteArray &packet) {
    std::int16_t length = 0;
    std::int16_t kind = 0;
    QByteArray tag, sequence, data1, data2;
    return PacketUnString(packet, length, kind, tag, sequence, data1, data2);
}

} // namespace

class PktGuardLoadingTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void missingLibraryIsReportedOnce();
    void libraryLackingFunctionsIsReportedOnceAndNotUsed();

  private:
    void expectCodecFails();

    ScriptedUi ui_;
};

void PktGuardLoadingTest::initTestCase() {
    modKestenrol::gPacketStart = 1;
    modKestenrol::gPacketEnd = 126;
    modKestenrol::gPacketEscape = 24;
}

void PktGuardLoadingTest::init() {
    ui_.messages.clear();
}

// A failed load is not the end: loading the real library afterwards works.
void PktGuardLoadingTest::cleanup() {
    QVERIFY(LoadPktGuard(QCoreApplication::applicationDirPath(), PktGuardSearch::FolderOnly));
    QCOMPARE(UnString(PacketUnPack(PacketPack(PacketString(3, "tag!", "sq", QByteArray())))),
             kTrue);
}

void PktGuardLoadingTest::expectCodecFails() {
    QCOMPARE(PacketString(1, "tag!", "sq", "data"), QByteArray());
    QCOMPARE(PacketPack(kPacket), QByteArray());
    QCOMPARE(PacketUnPack("\x01" + QByteArray(20, 'x') + "\x7e"), QByteArray());
    QCOMPARE(UnString(kPacket), kFalse);
    QCOMPARE(ui_.messages.size(), 1);
}

void PktGuardLoadingTest::missingLibraryIsReportedOnce() {
    const QTemporaryDir empty;
    QVERIFY(!LoadPktGuard(empty.path(), PktGuardSearch::FolderOnly));
    QCOMPARE(ui_.messages.size(), 1);
    const ScriptedUi::Message message = ui_.messages[0];
    QVERIFY(message.text.startsWith("The packet-security library libpktguard.so could not be "
                                    "loaded from the folder " +
                                    empty.path().toLatin1() + "."));
    QCOMPARE(message.icon, MsgIcon::Critical);
    QCOMPARE(message.title, QByteArray("Kestrune Registration"));
    expectCodecFails();
}

void PktGuardLoadingTest::libraryLackingFunctionsIsReportedOnceAndNotUsed() {
    QVERIFY(!LoadPktGuard(QStringLiteral(FAKE_PKTGUARD_DIR), PktGuardSearch::FolderOnly));
    QCOMPARE(ui_.messages.size(), 1);
    QVERIFY(ui_.messages[0].text.startsWith(
        "The packet-security library libpktguard.so found in the folder " FAKE_PKTGUARD_DIR
        " lacks GetEncryptData, GetDecryptData."));
    QCOMPARE(ui_.messages[0].icon, MsgIcon::Critical);
    expectCodecFails();
}

QTEST_MAIN(PktGuardLoadingTest)
#include "test_pktguard_loading.moc"
