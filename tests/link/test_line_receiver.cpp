// The line's receiving side: login prompts, the switch to packets, framing
// and the bounds that keep a babbling line from filling memory.
#include "line_receiver.h"
#include "program_state.h"

#include <QTest>

namespace {

// A line receiver over its own state, whose frame handler records the
// frames and answers from a list of results (true when the list runs out).
struct Line {
    QByteArray buffer;
    Flag packetMode = kFalse;
    QByteArray lastPacket;
    QList<bool> results;
    QByteArrayList frames;
    QByteArrayList sent;
    std::function<void()> duringFrame;
    LineReceiver receiver{buffer, packetMode, lastPacket, [this](QByteArray &last, Flag &ok) {
                              frames.append(buffer);
                              const bool good = results.isEmpty() || results.takeFirst();
                              if (good)
                                  last = "reply" + QByteArray::number(frames.size());
                              if (duringFrame)
                                  duringFrame();
                              ok = ToFlag(good);
                          }};

    void receive(const QByteArray &input) {
        receiver.Receive(input, [this](const QByteArray &text) { sent.append(text); });
    }
};

const QByteArray kAnswer = kLoginAnswer;
const QByteArray kLong = QByteArray(kLongestFrame - 2, 'x');

} // namespace

class LineReceiverTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        modKestenrol::gPacketStart = 1;
        modKestenrol::gPacketEnd = 126;
        modKestenrol::gPacketEscape = 24;
    }
    void login_data();
    void login();
    void packets_data();
    void packets();
    void inputDuringAFrameWaitsItsTurn();
    void resetGivesAFreshLine();
};

void LineReceiverTest::login_data() {
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("packetMode");
    const QByteArray a300(300, 'a');
    QTest::newRow("login") << QByteArrayList{"Login: "} << QByteArrayList{kAnswer} << QByteArray()
                           << false;
    QTest::newRow("password") << QByteArrayList{"Password: "} << QByteArrayList{kAnswer}
                              << QByteArray() << false;
    QTest::newRow("split over reads")
        << QByteArrayList{"Lo", "gin", ": "} << QByteArrayList{kAnswer} << QByteArray() << false;
    QTest::newRow("text before on the line") << QByteArrayList{"\r\nWelcome to Kestrune. Login: "}
                                             << QByteArrayList{kAnswer} << QByteArray() << false;
    QTest::newRow("both in one read") << QByteArrayList{"Login: Password: "}
                                      << QByteArrayList{kAnswer, kAnswer} << QByteArray() << false;
    QTest::newRow("line end inside the prompt")
        << QByteArrayList{"Log\r\nin: "} << QByteArrayList{} << QByteArray("\nin: ") << false;
    QTest::newRow("no trailing blank")
        << QByteArrayList{"Login:"} << QByteArrayList{} << QByteArray("Login:") << false;
    QTest::newRow("prompt in other case")
        << QByteArrayList{"login: "} << QByteArrayList{} << QByteArray("login: ") << false;
    QTest::newRow("long line keeps its end")
        << QByteArrayList{a300} << QByteArrayList{} << a300.right(kLongestLoginLine) << false;
    QTest::newRow("prompt after a long line")
        << QByteArrayList{a300, "Login: "} << QByteArrayList{kAnswer} << QByteArray() << false;
    QTest::newRow("connected drops the rest") << QByteArrayList{"You are connected\x01x~Login: "}
                                              << QByteArrayList{} << QByteArray() << true;
    QTest::newRow("connected split")
        << QByteArrayList{"conn", "ected"} << QByteArrayList{} << QByteArray() << true;
    QTest::newRow("Connected in capitals")
        << QByteArrayList{"Connected"} << QByteArrayList{} << QByteArray("Connected") << false;
    QTest::newRow("the whole login")
        << QByteArrayList{"Kestrune\r\nLogin: ", "\r\nPassword: ", "\r\nconnected\r\n"}
        << QByteArrayList{kAnswer, kAnswer} << QByteArray() << true;
}

void LineReceiverTest::login() {
    QFETCH(QByteArrayList, reads);
    Line line;
    for (const QByteArray &read : reads)
        line.receive(read);
    QTEST(line.sent, "sent");
    QTEST(line.buffer, "buffer");
    QTEST(line.packetMode == kTrue, "packetMode");
    QVERIFY(line.frames.isEmpty());
}

void LineReceiverTest::packets_data() {
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QList<bool>>("results");
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArray>("buffer");
    const QByteArrayList none;
    QTest::newRow("one frame") << QByteArrayList{"\x01"
                                                 "abc~"}
                               << QList<bool>{}
                               << QByteArrayList{"\x01"
                                                 "abc~"}
                               << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("noise before the start") << QByteArrayList{"xyz\x01"
                                                              "ab~"}
                                            << QList<bool>{}
                                            << QByteArrayList{"\x01"
                                                              "ab~"}
                                            << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("no start mark")
        << QByteArrayList{"ab~"} << QList<bool>{} << QByteArrayList{"ab~"}
        << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("escaped end") << QByteArrayList{"\x01"
                                                   "a\x18~b"}
                                 << QList<bool>{} << none << none
                                 << QByteArray("\x01"
                                               "a\x18~b");
    QTest::newRow("end after escaped escape") << QByteArrayList{"\x01"
                                                                "a\x18\x18~z"}
                                              << QList<bool>{}
                                              << QByteArrayList{"\x01"
                                                                "a\x18\x18~"}
                                              << QByteArrayList{"reply1"} << QByteArray("z");
    QTest::newRow("escape pair split over reads") << QByteArrayList{"\x01"
                                                                    "a\x18",
                                                                    "~b~"}
                                                  << QList<bool>{}
                                                  << QByteArrayList{"\x01"
                                                                    "a\x18~b~"}
                                                  << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("escaped start is data") << QByteArrayList{"\x01"
                                                             "a\x18\x01"
                                                             "b~"}
                                           << QList<bool>{}
                                           << QByteArrayList{"\x01"
                                                             "a\x18\x01"
                                                             "b~"}
                                           << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("two frames in one read") << QByteArrayList{"\x01"
                                                              "a~\x01"
                                                              "b~"}
                                            << QList<bool>{}
                                            << QByteArrayList{"\x01"
                                                              "a~",
                                                              "\x01"
                                                              "b~"}
                                            << QByteArrayList{"reply1", "reply2"} << QByteArray();
    QTest::newRow("a dropped frame drops the rest of its read")
        << QByteArrayList{"\x01"
                          "a~\x01"
                          "b~",
                          "\x01"
                          "c~"}
        << QList<bool>{false}
        << QByteArrayList{"\x01"
                          "a~",
                          "\x01"
                          "c~"}
        << QByteArrayList{"reply2"} << QByteArray();
    QTest::newRow("longest frame")
        << QByteArrayList{"\x01" + kLong + "~"} << QList<bool>{}
        << QByteArrayList{"\x01" + kLong + "~"} << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("too long: skipped to its end") << QByteArrayList{"\x01" + kLong + "x", "y~\x01"
                                                                                          "ok~"}
                                                  << QList<bool>{}
                                                  << QByteArrayList{"\x01"
                                                                    "ok~"}
                                                  << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("too long: skipped to the next start")
        << QByteArrayList{"\x01" + kLong + kLong +
                          "\x01"
                          "ok~"}
        << QList<bool>{}
        << QByteArrayList{"\x01"
                          "ok~"}
        << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("too long: escapes still paired while skipping")
        << QByteArrayList{"\x01" + kLong + "xy\x18~\x18", "\x01z~\x01"
                                                          "ok~"}
        << QList<bool>{}
        << QByteArrayList{"\x01"
                          "ok~"}
        << QByteArrayList{"reply1"} << QByteArray();
    QTest::newRow("noise without marks") << QByteArrayList{QByteArray(3 * kLongestFrame + 5, 'n')}
                                         << QList<bool>{} << none << none << QByteArray();
}

void LineReceiverTest::packets() {
    QFETCH(QByteArrayList, reads);
    QFETCH(QList<bool>, results);
    Line line;
    line.packetMode = kTrue;
    line.results = results;
    for (const QByteArray &read : reads) {
        line.receive(read);
        QVERIFY(line.buffer.size() < kLongestFrame);
    }
    QTEST(line.frames, "frames");
    QTEST(line.sent, "sent");
    QTEST(line.buffer, "buffer");
    QCOMPARE(line.packetMode, kTrue);
}

// The frame handler may show a window, whose event loop reads the line again.
void LineReceiverTest::inputDuringAFrameWaitsItsTurn() {
    Line line;
    line.packetMode = kTrue;
    int nested = 0;
    line.duringFrame = [&] {
        if (nested++ == 0) {
            line.receive("\x01"
                         "c~");
            line.receive(QByteArray(2 * kLongestFrame, 'n') + "\x01"
                                                              "d~");
            QCOMPARE(line.frames.size(), 1);
        }
    };
    line.receive("\x01"
                 "a~\x01"
                 "b~");
    QCOMPARE(line.frames, (QByteArrayList{"\x01"
                                          "a~",
                                          "\x01"
                                          "b~",
                                          "\x01"
                                          "d~"}));
    QCOMPARE(line.sent, (QByteArrayList{"reply1", "reply2", "reply3"}));
}

void LineReceiverTest::resetGivesAFreshLine() {
    Line line;
    line.receive("connected");
    line.receive("\x01"
                 "a~\x01"
                 "half\x18");
    QVERIFY(line.packetMode == kTrue && !line.lastPacket.isEmpty());
    line.receiver.Reset();
    QVERIFY(line.packetMode == kFalse && line.buffer.isEmpty() && line.lastPacket.isEmpty());
    line.receive("~Login: ");
    QCOMPARE(line.sent.last(), kAnswer);
}

QTEST_GUILESS_MAIN(LineReceiverTest)
#include "test_line_receiver.moc"
