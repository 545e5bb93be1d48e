// What the simulated host does that the end-to-end calls would not notice
// going wrong, met through the raw pseudo-terminal.
#include "host_sim.h"
#include "program_state.h"
#include "wire_packets.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTest>
#include <algorithm>
#include <functional>

namespace {

// The caller's end of the line, without any of the wizard's code.
class Dte {
  public:
    explicit Dte(const QByteArray &device) : port_(QFile::decodeName(device)) {
        port_.open(QIODevice::ReadWrite);
    }

    void send(const QByteArray &bytes) {
        port_.write(bytes);
        QVERIFY(bytes.isEmpty() || port_.waitForBytesWritten(1000));
    }
    QByteArray readUntil(const QByteArray &text, int milliseconds = 3000) {
        return read(milliseconds, [&text](const QByteArray &in) {
            const qsizetype at = in.indexOf(text);
            return at < 0 ? at : at + text.size();
        });
    }
    bool waitFor(const QByteArray &text) { return readUntil(text).endsWith(text); }
    bool silentFor(int milliseconds) { return readUntil("never", milliseconds).isEmpty(); }
    // The next frame, start mark to end mark; what came before it is dropped.
    QByteArray nextFrame() {
        const QByteArray got = read(3000, [](const QByteArray &in) {
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

  private:
    // Reads until `end` finds where what is wanted ends and takes that much;
    // when the time runs out, everything that came.
    QByteArray read(int milliseconds, const std::function<qsizetype(const QByteArray &)> &end) {
        const QDeadlineTimer deadline(milliseconds);
        qsizetype at = end(pending_);
        while (at < 0 && port_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            pending_ += port_.readAll();
            at = end(pending_);
        }
        pending_ += port_.readAll();
        QByteArray taken = pending_.left(at < 0 ? pending_.size() : at);
        pending_.remove(0, taken.size());
        return taken;
    }

    QSerialPort port_;
    QByteArray pending_;
};

QByteArray Answer(const Opened &to, const QByteArray &data = {}) {
    return PacketPack(PacketString(2, to.tag, to.sequence, data));
}

const QByteArray kLogin = "send \"Login: \"\nexpect \"tarnovik\\r\"\nsend \"connected\"\n";

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

} // namespace

class HostSimTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }

    // The first request no sooner than its delay, in the agreed bytes; an
    // unanswered packet or one answered with another sequence is sent again
    // unchanged; card and rejection requests are waited for without limit;
    // a packet unanswered after its resends ends the call.
    void conversation() {
        HostSim sim("set guard 50\nset first-packet-delay 200\nset resend-after 300\n"
                    "set resends 2\n" +
                    kLogin +
                    "request 1,2,20\nrequest 10-13,24\nrequest 1 reject 2\ndata 25=\"x\"\n");
        Dte dte(sim.device());
        QVERIFY(LogIn(dte));
        QElapsedTimer sinceConnected;
        sinceConnected.start();

        const QByteArray request = dte.nextFrame();
        QVERIFY(sinceConnected.elapsed() >= 190);
        Opened p = Open(request);
        QVERIFY(p.ok == kTrue && p.kind == 1);
        QCOMPARE(p.tag + p.sequence + p.data(),
                 QByteArray::fromHex("4b530100 0100 03000800 00000000"));
        QCOMPARE(dte.nextFrame(), request);
        Opened other = p;
        other.sequence = QByteArray::fromHex("0700");
        dte.send(Answer(other, Rec(1, "wrong")));
        QCOMPARE(dte.nextFrame(), request);
        dte.send(Answer(p, Rec(1, "John") + Rec(20, "No")));

        for (const char *mask : {"001e8000", "01000000"}) {
            p = Open(dte.nextFrame());
            QCOMPARE(p.data1, QByteArray::fromHex(mask));
            QVERIFY(dte.silentFor(700));
            dte.send(Answer(p));
        }

        const QByteArray data = dte.nextFrame();
        QCOMPARE(Open(data).kind, 2);
        QCOMPARE(dte.nextFrame(), data);
        QCOMPARE(dte.nextFrame(), data);
        QVERIFY(dte.readUntil("NO CARRIER\r\n").endsWith("\r\nNO CARRIER\r\n"));
        QVERIFY(sim.waitForRecord("drop"));
        QVERIFY(sim.record().contains("gave-up seq=0400"));
    }

    // The simulator ships for support: a mistake in a scenario file is
    // named with its line, and nothing starts.
    void scenarioMistakesAreNamed() {
        for (const auto &[scenario, problem] :
             {std::pair("send \"x\"\nshout \"x\"\n", "line 2: \"shout\" is not a step or setting"),
              {"send \"x\n", "line 1: a quoted text without its closing quote"},
              {"\n\nrequest 1,40\n", "line 3: \"40\" is not a number from 1 to 32"},
              {"drop loudly\n", "line 1: drop takes nothing or \"quiet\""}}) {
            HostSim sim(scenario);
            QVERIFY(sim.device().isEmpty());
            sim.process().waitForFinished();
            QCOMPARE(sim.process().exitCode(), 2);
            QCOMPARE(sim.errors().split(':').mid(2).join(':').trimmed(), QByteArray(problem));
        }
    }
};

QTEST_GUILESS_MAIN(HostSimTest)
#include "test_hostsim.moc"
