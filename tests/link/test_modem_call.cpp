// The telephony layer, its serial line and the line receiver against the
// simulated modem and host on a real pseudo-terminal.
#include "dialling_locations.h"
#include "hayes_telephony.h"
#include "host_sim.h"
#include "line_receiver.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "program_state.h"
#include "quick_modem.h"
#include "settings.h"
#include "startup.h"
#include "uucp_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <utility>

Q_DECLARE_METATYPE(DialRefusal)

namespace {

using Event = std::pair<std::int32_t, std::int32_t>;

// The three as the wizard window holds them, with short waits; every event
// and completed frame written down, the frames dropped.
struct Caller {
    HayesTelephony tapi;
    QList<Event> requests;
    QList<Event> states;
    QByteArray buffer;
    Flag packetMode = kFalse;
    QByteArray lastPacket;
    QByteArrayList frames;
    LineReceiver receiver{buffer, packetMode, lastPacket, [this](QByteArray &, Flag &ok) {
                              frames.append(buffer);
                              ok = kFalse;
                          }};

    // The simulator's modem is the one to use.
    Caller(const HostSim &sim, const QTemporaryDir &locks) {
        SaveSetting(kSettingsApp, kModemSection, "Device", sim.device());
        tapi.setTimings(QuickTimings());
        tapi.setLockFolder(QFile::encodeName(locks.path()));
        QObject::connect(&tapi, &Telephony::OnTapi, [this](std::int32_t id, std::int32_t status) {
            requests.append({id, status});
        });
        QObject::connect(&tapi, &Telephony::CallState,
                         [this](std::int32_t state, std::int32_t extra) {
                             states.append({state, extra});
                         });
        QObject::connect(&tapi.Line(), &SerialLine::OnComm, [this] {
            if (tapi.Line().CommEvent() != comEvReceive)
                return;
            receiver.Receive(tapi.Line().Input(),
                             [this](const QByteArray &text) { tapi.Line().Output(text); });
        });
    }

    std::int32_t dial(const char *number = "03 9555 0100") {
        receiver.Reset();
        const DialResult result = tapi.Dial(number);
        return result.placed() ? result.requestId : -1;
    }
    bool waitForState(std::int32_t state, int milliseconds = 5000) {
        return QTest::qWaitFor(
            [&] {
                return std::any_of(states.begin(), states.end(),
                                   [state](const Event &e) { return e.first == state; });
            },
            milliseconds);
    }
    QList<std::int32_t> stateList() const {
        QList<std::int32_t> list;
        for (const Event &e : states)
            list.append(e.first);
        return list;
    }
};

QString LockPath(const QTemporaryDir &locks, const QByteArray &device) {
    return locks.filePath(QString::fromLatin1(LockFileName(device)));
}

} // namespace

class ModemCallTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }

    // The whole way: dialling, connected, both prompts answered, what follows
    // "connected" dropped, a packet framed; a stale lock does not stand in the
    // way, our own is kept for the call; then hung up through the escape
    // sequence, since a pseudo-terminal has no DTR.
    void callLogsInReachesPacketsAndHangsUp() {
        HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("login.scn")) +
                    "send \"noise after connected\"\nwait 150\nrequest 1,2,20\n");
        QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
        QFile stale(LockPath(locks_, sim.device()));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("    999999\n");
        stale.close();

        Caller caller(sim, locks_);
        const std::int32_t id = caller.dial();
        QVERIFY(id > 0);
        QVERIFY(caller.tapi.CallInProgress());
        QVERIFY(caller.requests.isEmpty() && caller.states.isEmpty()); // never from inside Dial

        QVERIFY(caller.waitForState(kCallConnected));
        QCOMPARE(caller.requests, (QList<Event>{{id, kRequestSucceeded}}));
        QCOMPARE(caller.states, (QList<Event>{{kCallDialling, 0}, {kCallConnected, 9600}}));
        QVERIFY(sim.waitForRecord("sent kind=1 seq=0100 tag=4b530100"));
        QVERIFY(QTest::qWaitFor([&] { return !caller.frames.isEmpty(); }, 3000));
        QCOMPARE(caller.packetMode, kTrue);
        QVERIFY(sim.record().contains("dial \"P0,0395550100\""));
        QVERIFY(!QFile::exists(stale.fileName()));
        // Qt Serial Port's, in the system's lock folder.
        QFile lock(QFile::decodeName(QByteArray(kLockFolder) + '/' + LockFileName(sim.device())));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(LockFilePid(lock.readAll()),
                 std::optional<long>(QCoreApplication::applicationPid()));

        caller.states.clear();
        const std::int32_t hangup = caller.tapi.HangUp();
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.requests.last(), Event(hangup, kRequestSucceeded));
        QCOMPARE(caller.stateList(), QList<std::int32_t>{kCallIdle});
        QVERIFY(sim.waitForRecord("hangup ath"));
        QVERIFY(sim.record().contains("escape"));
        QVERIFY(!QFile::exists(lock.fileName()));
    }

    // The carrier lost after the login: the dial completes once, the call goes
    // on to idle, and the line and its lock are let go. (What each failure
    // means to the user: the wizard's call tests.)
    void carrierLostLetsTheLineGo() {
        HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("carrier-lost.scn")));
        Caller caller(sim, locks_);
        const std::int32_t id = caller.dial();
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.requests, (QList<Event>{{id, kRequestSucceeded}}));
        QCOMPARE(caller.stateList(), (QList<std::int32_t>{kCallDialling, kCallConnected,
                                                          kCallDisconnected, kCallIdle}));
        QCOMPARE(caller.packetMode, kTrue);
        QVERIFY(!caller.tapi.CallInProgress());
        QVERIFY(!caller.tapi.Line().IsOpen());
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

    void dialRefused_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<DialRefusal>("refusal");
        const auto row = [](const char *name, const char *setup, DialRefusal refusal) {
            QTest::newRow(name) << QByteArray(setup) << refusal;
        };
        row("not a serial device", "file", DialRefusal::DeviceUnavailable);
        row("no such modem", "index", DialRefusal::NoModem);
        row("a prefix with commands in it", "prefix", DialRefusal::BadLocation);
        row("a call already up", "twice", DialRefusal::CallActive);
    }

    // A modem that cannot be used makes the dial itself fail, with nothing
    // raised afterwards.
    void dialRefused() {
        QFETCH(QByteArray, setup);
        HostSim sim(kQuick + "modem silent\n");
        Caller caller(sim, locks_);
        if (setup == "file") {
            machine_->writeFile(QStringLiteral("modem"), "not a modem");
            SaveSetting(kSettingsApp, kModemSection, "Device",
                        QFile::encodeName(machine_->path() + QStringLiteral("/modem")));
        } else if (setup == "index") {
            caller.tapi.SetCurrentModem(1000);
        } else if (setup == "prefix") {
            SaveSetting(kSettingsApp, "Location", "Name", "Office");
            SaveSetting(kSettingsApp, "Location", "Prefix", "0;ATH");
        } else if (setup == "twice") {
            QVERIFY(caller.dial() > 0);
            QVERIFY(caller.waitForState(kCallDialling));
        }
        const QList<Event> before = caller.requests + caller.states;
        const DialResult result = caller.tapi.Dial("123");
        QVERIFY(!result.placed());
        QTEST(result.refusal, "refusal");
        QCoreApplication::processEvents();
        QCOMPARE(caller.requests + caller.states, before);
        QCOMPARE(caller.tapi.CallInProgress(), setup == "twice");
    }

    // Hanging up cuts a dial short: the hang-up completes, the dial does not.
    void hangUpWhileDialling() {
        HostSim sim(kQuick + "modem silent\n");
        Caller caller(sim, locks_);
        QVERIFY(caller.dial() > 0);
        QVERIFY(caller.waitForState(kCallDialling));
        const std::int32_t hangup = caller.tapi.HangUp();
        QCOMPARE(caller.tapi.HangUp(), hangup);
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.requests, (QList<Event>{{hangup, kRequestSucceeded}}));
        QVERIFY(sim.waitForRecord("command \"ATH0\""));
        QVERIFY(sim.record().contains("dial-aborted"));

        // With no call, a hang-up simply completes.
        caller.requests.clear();
        const std::int32_t idle = caller.tapi.HangUp();
        QVERIFY(caller.requests.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !caller.requests.isEmpty(); }, 1000));
        QCOMPARE(caller.requests, (QList<Event>{{idle, kRequestSucceeded}}));
    }

  private:
    std::unique_ptr<ProgramFolder> machine_;
    QTemporaryDir locks_;
};

QTEST_GUILESS_MAIN(ModemCallTest)
#include "test_modem_call.moc"
