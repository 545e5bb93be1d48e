// The modem-control lines of a serial device: carrier detect waited for on
// a thread of its own, which the lines wake and stop as they go. A port is
// played by the test (the waiting call reads a pipe that announces each
// change); a pseudo-terminal shows a device without the lines.
#include "tty_modem_lines.h"

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A serial port played by the test: its lines in a number, each change
// announced by a byte on a pipe that the waiting call reads.
struct PlayedPort {
    int pipe[2]{-1, -1};
    std::atomic<int> lines = TIOCM_CAR;
    std::atomic<bool> canWait = true;
    std::atomic<int> waits = 0;       // waits begun
    std::atomic<int> interrupted = 0; // waits ended by a signal

    PlayedPort() {
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            qFatal("no pipe");
    }
    ~PlayedPort() {
        ::close(pipe[0]);
        ::close(pipe[1]);
    }
    PlayedPort(const PlayedPort &) = delete;
    PlayedPort &operator=(const PlayedPort &) = delete;

    void change(int to) {
        lines = to;
        if (::write(pipe[1], "x", 1) != 1)
            qFatal("cannot announce a change");
    }

    ModemControlCalls calls() {
        return {
            [this](int, int &now) {
                now = lines;
                return 0;
            },
            [this](int, bool raise, int which) {
                lines = raise ? (lines | which) : (lines & ~which);
                return 0;
            },
            [this](int, int) {
                if (!canWait) {
                    errno = EINVAL;
                    return -1;
                }
                ++waits;
                char byte = 0;
                if (::read(pipe[0], &byte, 1) == 1)
                    return 0;
                if (errno == EINTR)
                    ++interrupted;
                return -1;
            },
        };
    }
};

bool LastChange(QSignalSpy &spy, bool on) {
    return QTest::qWaitFor([&] { return !spy.isEmpty(); }, 5000) &&
           spy.takeFirst().at(0).toBool() == on;
}

} // namespace

class TtyModemLinesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // DTR raised, carrier detect read; each change comes through the event
    // loop, never from inside a call. A wait for the carrier to fall ends as
    // it falls, or at its time, watched or not. Going, the lines wake their
    // thread from its wait and stop it.
    void changesComeThroughTheEventLoop() {
        PlayedPort port;
        auto lines = std::make_unique<TtyModemLines>(-1, port.calls());
        QVERIFY(lines->setDtr(true));
        QCOMPARE(port.lines & TIOCM_DTR, TIOCM_DTR);
        QCOMPARE(lines->carrier(), std::optional<bool>(true));
        QVERIFY(!lines->waitForCarrierOff(20));

        QSignalSpy spy(lines.get(), &ModemLines::carrierChanged);
        lines->watchCarrier();
        lines->watchCarrier();
        QVERIFY(QTest::qWaitFor([&waits = port.waits] { return waits == 1; }, 5000));
        QVERIFY(!lines->waitForCarrierOff(20));
        port.change(0);
        QVERIFY(lines->waitForCarrierOff(5000));
        QVERIFY(LastChange(spy, false));
        port.change(TIOCM_CAR);
        QVERIFY(LastChange(spy, true));
        QVERIFY(QTest::qWaitFor([&waits = port.waits] { return waits == 3; }, 5000));
        lines.reset();
        QCOMPARE(port.interrupted, 1);
        QCOMPARE(port.waits, 3);
    }

    // A device that reports carrier detect but cannot wait for it is
    // looked at now and then.
    void aDeviceThatCannotWaitIsLookedAt() {
        PlayedPort port;
        port.canWait = false;
        TtyModemLines lines(-1, port.calls());
        QSignalSpy spy(&lines, &ModemLines::carrierChanged);
        lines.watchCarrier();
        port.lines = 0;
        QVERIFY(LastChange(spy, false));
        port.lines = TIOCM_CAR;
        QVERIFY(LastChange(spy, true));
    }

    // A pseudo-terminal has neither DTR nor carrier detect.
    void aPseudoTerminalHasNoLines() {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(slave >= 0);
        {
            TtyModemLines lines(slave);
            QVERIFY(!lines.setDtr(false));
            QCOMPARE(lines.carrier(), std::optional<bool>());
            lines.watchCarrier();
            QVERIFY(!lines.waitForCarrierOff(5000));
        }
        ::close(slave);
        ::close(master);
    }
};

QTEST_GUILESS_MAIN(TtyModemLinesTest)
#include "test_tty_modem_lines.moc"
