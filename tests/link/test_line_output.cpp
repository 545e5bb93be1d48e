// What the call sends on its line, written to a real pseudo-terminal whose
// other side the test reads only when it chooses: a full device makes the
// texts wait, in order and whole, up to the bound; a device that goes away
// ends the writing.
#include "line_output.h"

#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// A pseudo-terminal in raw mode: the slave side written by the line, the
// master side read by the test.
struct Pty {
    int master = -1;
    int slave = -1;

    Pty() {
        termios raw{};
        cfmakeraw(&raw);
        if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
            qFatal("no pseudo-terminal");
        ::fcntl(slave, F_SETFL, ::fcntl(slave, F_GETFL) | O_NONBLOCK);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    void closeMaster() { ::close(std::exchange(master, -1)); }
    // What arrives until there are at least so many bytes, letting events
    // run: the line writes as the device takes more.
    QByteArray read(qsizetype size, int milliseconds = 10000) const {
        QByteArray got;
        char buffer[4096];
        static_cast<void>(QTest::qWaitFor(
            [&] {
                for (ssize_t n = 0; (n = ::read(master, buffer, sizeof buffer)) > 0;)
                    got.append(buffer, n);
                return got.size() >= size;
            },
            milliseconds));
        return got;
    }
};

// The i-th text: its number, then filler up to the size.
QByteArray Text(int i, qsizetype size) {
    QByteArray text = QByteArray::number(i) + ':';
    return text.leftJustified(size, static_cast<char>('a' + i % 26));
}

} // namespace

class LineOutputTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // Nobody reads at first: the device fills and the texts wait, until one
    // would take what waits past the bound; it is dropped whole, and so is
    // every later one until the device takes more. Read at last, the line
    // carries exactly the texts kept, whole and in order, and takes new ones.
    // Stopped, it drops what waits and writes nothing more: the device gives
    // up only what it had taken before.
    void fullDeviceWaitsUpToTheBound() {
        Pty pty;
        LineOutput output;
        QSignalSpy failed(&output, &LineOutput::failed);
        output.start(pty.slave);
        constexpr qsizetype kSize = 1000;
        const int texts = static_cast<int>(LineOutput::kMostWaiting / kSize) + 1000;
        QByteArray kept;
        int dropped = 0;
        for (int i = 0; i < texts; ++i) {
            if (output.send(Text(i, kSize)))
                kept += Text(i, kSize);
            else
                ++dropped;
        }
        QCOMPARE(output.counts().stalls, 1);
        QVERIFY(output.waiting() <= LineOutput::kMostWaiting);
        QVERIFY(output.waiting() > LineOutput::kMostWaiting - kSize);
        QCOMPARE(output.counts().mostWaiting, output.waiting());
        QVERIFY(dropped >= 900);
        QCOMPARE(output.counts().dropped, dropped);

        QCOMPARE(pty.read(kept.size()), kept);
        QCOMPARE(output.waiting(), 0);
        QVERIFY(output.send("after"));
        QCOMPARE(pty.read(5), QByteArray("after"));
        QCOMPARE(failed.size(), 0);

        qsizetype sent = 0;
        for (; output.counts().stalls == 1; sent += 4096)
            QVERIFY(output.send(QByteArray(4096, 'x')));
        QByteArray line = pty.read(1);
        const qsizetype taken = sent - output.waiting();
        output.stop();
        QCOMPARE(output.waiting(), 0);
        QVERIFY(!output.send("late"));
        line += pty.read(taken - line.size() + 1, 500);
        QCOMPARE(line, QByteArray(taken, 'x'));
    }

    // The other side going away is a failure, raised once, whether texts
    // wait for the device or the next one finds it gone; nothing more is
    // written, and starting again begins afresh.
    void deviceGone() {
        Pty pty;
        LineOutput output;
        QSignalSpy failed(&output, &LineOutput::failed);
        output.start(pty.slave);
        while (output.counts().stalls == 0)
            QVERIFY(output.send(QByteArray(4096, 'x')));
        pty.closeMaster();
        QVERIFY(failed.wait(5000));
        QCOMPARE(output.waiting(), 0);
        QVERIFY(!output.send("more"));

        Pty other;
        output.start(other.slave);
        QCOMPARE(output.counts().stalls, 0);
        QVERIFY(output.send("fresh"));
        QCOMPARE(other.read(5), QByteArray("fresh"));
        other.closeMaster();
        QVERIFY(!output.send("hello"));
        QVERIFY(!output.send("more"));
        QCoreApplication::processEvents();
        QCOMPARE(failed.size(), 2);
    }
};

QTEST_GUILESS_MAIN(LineOutputTest)
#include "test_line_output.moc"
