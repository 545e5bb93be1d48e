// The simulated modem and host as a caller meets it: through the raw
// pseudo-terminal, with the packets opened by the codec.
#include "host_sim.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "wire_packets.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const auto H = [](const char *hex) { return QByteArray::fromHex(hex); };

// The caller's end of the line, without any of the wizard's code.
class Dte {
  public:
    explicit Dte(const QByteArray &device)
        : fd_(::open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        termios settings{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~Dte() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Dte(const Dte &) = delete;
    Dte &operator=(const Dte &) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void send(const QByteArray &bytes) const {
        QCOMPARE(::write(fd_, bytes.constData(), bytes.size()), ssize_t(bytes.size()));
    }
    // What came up to and with the text; everything read when it did not
    // come in time.
    QByteArray readUntil(const QByteArray &text, int milliseconds = 3000) {
        return read(milliseconds, [&text](const QByteArray &in) {
            const qsizetype at = in.indexOf(text);
            return at < 0 ? at : at + text.size();
        });
    }
    bool waitFor(const QByteArray &text) { return readUntil(text).endsWith(text); }
    // The next frame, from its start mark to its end mark; what came
    // before it is dropped.
    QByteArray nextFrame(int milliseconds = 3000) {
        const QByteArray got = read(milliseconds, [](const QByteArray &in) {
            for (qsizetype at = in.indexOf('\x01') + 1; at > 0 && at < in.size(); ++at) {
                if (in[at] == '\x18')
                    ++at;
                else if (in[at] == '~')
                    return at + 1;
            }
            return qsizetype(-1);
        });
        return got.endsWith('~') ? got.mid(got.indexOf('\x01')) : QByteArray();
    }
    // Reads until `end` finds where what is wanted ends, and takes that
    // much; or, when the time runs out, everything that came.
    QByteArray read(int milliseconds, const std::function<qsizetype(const QByteArray &)> &end) {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            const qsizetype at = end(pending_);
            if (at >= 0)
                return take(at);
            const qint64 left = milliseconds - timer.elapsed();
            if (left <= 0 || !readSome(static_cast<int>(left)))
                return take(pending_.size());
        }
    }

  private:
    bool readSome(int milliseconds) {
        pollfd line{fd_, POLLIN, 0};
        if (::poll(&line, 1, milliseconds) <= 0 || (line.revents & POLLIN) == 0)
            return false;
        char buffer[65536];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        pending_.append(buffer, got);
        return true;
    }
    QByteArray take(qsizetype size) {
        QByteArray taken = pending_.left(size);
        pending_.remove(0, size);
        return taken;
    }

    int fd_;
    QByteArray pending_;
};

QByteArray Answer(std::int16_t kind, const Opened &to, const QByteArray &data = {}) {
    return PacketPack(PacketString(kind, to.tag, to.sequence, data));
}

// Dials and logs in; true when the host said "connected".
bool LogIn(Dte &dte) {
    const std::pair<const char *, const char *> steps[] = {{"ATZ\r", "OK\r\n"},
                                                           {"ATDT0395550100\r", "CONNECT 9600\r\n"},
                                                           {"", "Login: "},
                                                           {"tarnovik\r", "connected"}};
    return std::all_of(std::begin(steps), std::end(steps), [&dte](const auto &step) {
        dte.send(step.first);
        return dte.waitFor(step.second);
    });
}

qint64 TraceTime(const QByteArrayList &trace, const QByteArray &event) {
    for (const QByteArray &line : trace) {
        if (line.endsWith(' ' + event))
            return line.left(line.indexOf(' ')).toLongLong();
    }
    return -1;
}

const QByteArray kLogin = "send \"Login: \"\nexpect \"tarnovik\\r\"\nsend \"connected\"\n";

} // namespace

class HostSimTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }

    // Every packet step, with the host's timing, and the record and trace of it.
    void conversation() {
        HostSim sim("set guard 50\nset first-packet-delay 200\nset resend-after 300\n"
                    "set answer-wait 300\n" +
                    kLogin +
                    "request 1,2,20\ndata 24=\"\\x03\\x07A\\r\\nB\\n\" 25=\"user\" 26=\"\"\n"
                    "repeat\nack\npacket 9 \"??\" tag 01020304 seq 0900\nmalformed\n"
                    "request 10-13,24\nrequest 1 reject 2\nend \"Thank you\"\n");
        Dte dte(sim.device());
        QVERIFY(dte.isOpen());
        QVERIFY(LogIn(dte));
        QElapsedTimer sinceConnected;
        sinceConnected.start();

        // A request for fields 1, 2 and 20, no sooner than the delay; sent again
        // unchanged when unanswered; an answer with another sequence is ignored.
        const QByteArray request = dte.nextFrame();
        QVERIFY(sinceConnected.elapsed() >= 190);
        Opened p = Open(request);
        QVERIFY(p.ok == kTrue && p.kind == 1);
        QCOMPARE(p.tag + p.sequence, H("4b530100 0100"));
        QCOMPARE(p.data(), H("03000800 00000000"));
        QCOMPARE(dte.nextFrame(), request);
        Opened other = p;
        other.sequence = H("0700");
        dte.send(Answer(2, other, Rec(1, "wrong")));
        QCOMPARE(dte.nextFrame(), request);
        dte.send(Answer(2, p, Rec(1, "John") + Rec(2, "Smith ") + Rec(20, "No")));

        // Data records, byte for byte; the repeat is the same packet again.
        const QByteArray data = dte.nextFrame();
        p = Open(data);
        QVERIFY(p.ok == kTrue && p.kind == 2);
        QCOMPARE(p.data(), Rec(24, "\x03\x07"
                                   "A\r\nB\n") +
                               Rec(25, "user") + Rec(26, ""));
        // The same answer to it, byte for byte, is noted as such.
        const QByteArray acknowledgement = Answer(3, p);
        dte.send(acknowledgement);
        QCOMPARE(dte.nextFrame(), data);
        dte.send(acknowledgement);

        // An acknowledgement and an unknown kind wait for any packet, a while.
        p = Open(dte.nextFrame());
        QVERIFY(p.ok == kTrue && p.kind == 3 && p.data1.isEmpty() && p.data2.isEmpty());
        dte.send(Answer(3, p));
        p = Open(dte.nextFrame());
        QVERIFY(p.ok == kTrue && p.kind == 9);
        QCOMPARE(p.tag + p.sequence + p.data(), H("01020304 0900") + "??");

        // A malformed packet opens but does not check.
        const QByteArray malformed = dte.nextFrame(1000);
        QVERIFY(!PacketUnPack(malformed).isEmpty());
        QCOMPARE(Open(malformed).ok, kFalse);

        // A card request and a rejection are waited for without limit.
        p = Open(dte.nextFrame());
        QCOMPARE(p.data1, H("001e8000"));
        QCOMPARE(dte.readUntil("never", 700), QByteArray()); // nothing comes
        dte.send(Answer(2, p));
        p = Open(dte.nextFrame());
        QCOMPARE(p.data(), H("01000000 02000000"));
        QCOMPARE(dte.readUntil("never", 700), QByteArray()); // nothing comes
        dte.send(Answer(2, p));

        p = Open(dte.nextFrame());
        QVERIFY(p.ok == kTrue && p.kind == 4);
        QCOMPARE(p.data(), QByteArray("Thank you"));
        QVERIFY(sim.waitForRecord("script-done"));
        QTest::qWait(60);
        dte.send("+++");
        QVERIFY(dte.waitFor("OK\r\n"));
        dte.send("ATH0\r");
        QVERIFY(sim.waitForRecord("hangup ath"));

        // One line of the record each, a packet's exchange on a line here.
        const QByteArrayList expected =
            QByteArray(
                "answer \"tarnovik\\x0d\"|sent kind=1 seq=0100 tag=4b530100|resend seq=0100|"
                "packet kind=2 tag=4b530100 seq=0700 length=22|field 1 \"wrong\"|resend seq=0100|"
                "packet kind=2 tag=4b530100 seq=0100 length=36|"
                "field 1 \"John\"|field 2 \"Smith \"|field 20 \"No\"|"
                "sent kind=2 seq=0200 tag=4b530200|packet kind=3 tag=4b530200 seq=0200 length=12|"
                "sent repeat seq=0200|packet kind=3 tag=4b530200 seq=0200 length=12|same-bytes|"
                "sent kind=3 seq=0300 tag=4b530300|packet kind=3 tag=4b530300 seq=0300 length=12|"
                "sent kind=9 seq=0900 tag=01020304|no-answer seq=0900|"
                "sent kind=2 seq=0500 tag=4b530500|"
                "sent kind=1 seq=0600 tag=4b530600|packet kind=2 tag=4b530600 seq=0600 length=12|"
                "sent kind=1 seq=0700 tag=4b530700|packet kind=2 tag=4b530700 seq=0700 length=12|"
                "sent kind=4 seq=0800 tag=4b530800|script-done|escape|command \"ATH0\"|hangup ath")
                .split('|');
        const QByteArrayList record = sim.record();
        const qsizetype from = record.indexOf(expected.first());
        QVERIFY(from >= 0);
        QCOMPARE(record.mid(from, expected.size()), expected);

        QFile traceFile(sim.tracePath());
        QVERIFY(traceFile.open(QIODevice::ReadOnly));
        const QByteArrayList trace = traceFile.readAll().split('\n');
        const qint64 sent = TraceTime(trace, "sent seq=0200");
        const qint64 answered = TraceTime(trace, "first-byte seq=0200");
        QVERIFY(sent > 0 && answered > sent);
    }

    void unansweredPacketsAreSentAgainThenGivenUp() {
        HostSim sim("set first-packet-delay 0\nset resend-after 100\nset resends 2\n" + kLogin +
                    "data 25=\"x\"\n");
        Dte dte(sim.device());
        QVERIFY(LogIn(dte));
        const QByteArray first = dte.nextFrame();
        QCOMPARE(dte.nextFrame(), first);
        QCOMPARE(dte.nextFrame(), first);
        QVERIFY(dte.readUntil("NO CARRIER\r\n").endsWith("\r\nNO CARRIER\r\n"));
        QVERIFY(sim.waitForRecord("gave-up seq=0100"));
        QCOMPARE(sim.record().count("resend seq=0100"), 2);
        QVERIFY(sim.record().contains("drop"));
    }

    void babbleHasNoLineEndOrEndMark() {
        HostSim sim(kLogin + "babble 300000 random\nsend \"\\r\\nEND\"\n");
        Dte dte(sim.device());
        QVERIFY(LogIn(dte));
        const QByteArray babble = dte.readUntil("\r\nEND", 10000).chopped(5);
        QCOMPARE(babble.size(), 300000);
        QVERIFY(!babble.contains('\r') && !babble.contains('\n') && !babble.contains('~'));
    }

    void scenarioMistakesAreNamed_data() {
        QTest::addColumn<QByteArray>("scenario");
        QTest::addColumn<QByteArray>("problem");
        const auto row = [](const char *name, const char *scenario, const char *problem) {
            QTest::newRow(name) << QByteArray(scenario) << QByteArray(problem);
        };
        row("unknown step", "send \"x\"\nshout \"x\"\n",
            "line 2: \"shout\" is not a step or setting");
        row("open quote", "send \"x\n", "line 1: a quoted text without its closing quote");
        row("bad field", "\n\nrequest 1,40\n", "line 3: \"40\" is not a number from 1 to 32");
        row("bad escape", "send \"\\q\"\n", "line 1: a quoted text with an unknown escape");
        row("bad tag", "ack tag 0102\n", "line 1: \"0102\" is not 4 bytes in hexadecimal");
    }

    void scenarioMistakesAreNamed() {
        QFETCH(QByteArray, scenario);
        HostSim sim(scenario);
        QVERIFY(sim.device().isEmpty());
        sim.process().waitForFinished();
        QCOMPARE(sim.process().exitCode(), 2);
        QTEST(sim.errors().split(':').mid(2).join(':').trimmed(), "problem");
    }

  private:
    ScriptedUi ui_;
};

QTEST_GUILESS_MAIN(HostSimTest)
#include "test_hostsim.moc"
