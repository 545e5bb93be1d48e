// The line's receiving side: login, packets, framing, and the bounds on it.
#include "line_receiver.h"
#include "program_state.h"

#include <QTest>

namespace {

// "{" stands for the start mark, "^" for the escape, "|" between pieces.
QByteArray Marks(QByteArray text) {
    return text.replace('{', '\x01').replace('^', '\x18');
}
QByteArrayList Pieces(const QByteArray &text) {
    return text.isEmpty() ? QByteArrayList() : Marks(text).split('|');
}

const QByteArray kLong = QByteArray(kLongestFrame - 2, 'x');

} // namespace

// A receiver whose frame handler records the frames and answers by results.
struct Line {
    QByteArray buffer;
    Flag packetMode = kFalse;
    QByteArray lastPacket;
    QByteArray results; // "n" refuses a frame, one letter each; none left accepts
    QByteArrayList frames;
    QByteArrayList sent;
    std::function<void()> duringFrame;
    LineReceiver receiver{buffer, packetMode, lastPacket,
                          [this](const QByteArray &frame, QByteArray &last) {
                              frames.append(frame);
                              const bool good = !results.startsWith('n');
                              results.remove(0, 1);
                              if (good)
                                  last = "reply" + QByteArray::number(frames.size());
                              if (duringFrame)
                                  duringFrame();
                              return ToFlag(good);
                          }};

    void receive(const QByteArray &input) {
        receiver.Receive(input, [this](const QByteArray &text) { sent.append(text); });
    }
};

class LineReceiverTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }

    // Reads between "|", from the login on or in packet mode, written as
    // Marks() reads them; the frame handler's results; the frames handed
    // over, the texts sent, what the buffer keeps, and whether packet mode
    // was reached.
    void receive_data() {
        QTest::addColumn<bool>("packetMode");
        QTest::addColumn<QByteArray>("reads");
        QTest::addColumn<QByteArray>("results");
        QTest::addColumn<QByteArray>("frames");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("packetsAfter");
        // The login sends so many answers and hands over no frame.
        const auto login = [](const char *name, const QByteArray &reads, int answers,
                              const QByteArray &buffer = {}, bool packets = false) {
            QTest::newRow(name) << false << reads << QByteArray() << QByteArray()
                                << QByteArrayList(answers, kLoginAnswer).join('|') << buffer
                                << packets;
        };
        const auto packets = [](const char *name, const QByteArray &reads, const char *results,
                                const QByteArray &frames, const char *sent,
                                const char *buffer = "") {
            QTest::newRow(name) << true << reads << QByteArray(results) << frames
                                << QByteArray(sent) << QByteArray(buffer) << true;
        };
        const QByteArray a300(300, 'a');
        login("split over reads", "Lo|gin|: ", 1);
        login("both in one read", "Login: Password: ", 2);
        login("line end inside the prompt", "Log\r\nin: ", 0, "\nin: ");
        login("no trailing blank", "Login:", 0, "Login:");
        login("prompt in other case", "login: ", 0, "login: ");
        login("long line keeps its end", a300, 0, a300.right(kLongestLoginLine));
        login("connected drops the rest", "You are connected\x01x~Login: ", 0, {}, true);
        login("the whole login", "Kestrune\r\nLogin: |\r\nPassword: |\r\nconnected\r\n", 2, {},
              true);
        const QByteArray longest = "{" + kLong + "~";
        packets("noise before the start", "xyz{ab~", "", "{ab~", "reply1");
        packets("no start mark", "ab~", "", "ab~", "reply1");
        packets("escaped end", "{a^~b", "", "", "", "{a^~b");
        packets("end after escaped escape", "{a^^~z", "", "{a^^~", "reply1", "z");
        packets("escape pair split over reads", "{a^|~b~", "", "{a^~b~", "reply1");
        packets("two frames in one read", "{a~{b~", "", "{a~|{b~", "reply1|reply2");
        packets("a dropped frame drops the rest of its read", "{a~{b~|{c~", "n", "{a~|{c~",
                "reply2");
        packets("longest frame", longest, "", longest, "reply1");
        packets("too long: skipped to its end", "{" + kLong + "x|y~{ok~", "", "{ok~", "reply1");
        packets("too long: skipped to the next start", "{" + kLong + kLong + "{ok~", "", "{ok~",
                "reply1");
        packets("too long: escapes still paired while skipping", "{" + kLong + "xy^~^|{z~{ok~", "",
                "{ok~", "reply1");
        packets("noise without marks", QByteArray(3 * kLongestFrame + 5, 'n'), "", "", "");
    }

    void receive() {
        QFETCH(bool, packetMode);
        QFETCH(QByteArray, reads);
        QFETCH(QByteArray, results);
        Line line;
        line.packetMode = ToFlag(packetMode);
        line.results = results;
        for (const QByteArray &read : Pieces(reads)) {
            line.receive(read);
            QVERIFY(line.buffer.size() < kLongestFrame);
        }
        QFETCH(QByteArray, frames);
        QCOMPARE(line.frames, Pieces(frames));
        QFETCH(QByteArray, sent);
        QCOMPARE(line.sent, Pieces(sent));
        QFETCH(QByteArray, buffer);
        QCOMPARE(line.buffer, Marks(buffer));
        QTEST(line.packetMode == kTrue, "packetsAfter");
    }

    // The frame handler may show a window, whose event loop reads the line
    // again.
    void inputDuringAFrameWaitsItsTurn() {
        Line line;
        line.packetMode = kTrue;
        int nested = 0;
        line.duringFrame = [&] {
            if (nested++ == 0) {
                line.receive(Marks("{c~"));
                line.receive(QByteArray(2 * kLongestFrame, 'n') + Marks("{d~"));
                QCOMPARE(line.frames.size(), 1);
            }
        };
        line.receive(Marks("{a~{b~"));
        QCOMPARE(line.frames, Pieces("{a~|{b~|{d~"));
        QCOMPARE(line.sent, Pieces("reply1|reply2|reply3"));
    }
};

QTEST_GUILESS_MAIN(LineReceiverTest)
#include "test_line_receiver.moc"
