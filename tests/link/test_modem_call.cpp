// The modem call and its line, end to end: the telephony layer, the serial
// line and the line receiver against the simulated modem and host on a
// real pseudo-terminal.
#include "dialling_locations.h"
#include "hayes_telephony.h"
#include "host_sim.h"
#include "line_receiver.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "program_state.h"
#include "settings.h"
#include "startup.h"
#include "uucp_lock.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <utility>

using Event = std::pair<std::int32_t, std::int32_t>;
Q_DECLARE_METATYPE(DialRefusal)

namespace {

// Short waits, so that failures come quickly; the simulator's guard time is
// shorter still than the one the layer keeps.
HayesTimings QuickTimings() {
    HayesTimings timings;
    timings.commandWait = 800;
    timings.dialWait = 800;
    timings.guardTime = 120;
    timings.dtrDropTime = 50;
    timings.exitWait = 500;
    return timings;
}
const QByteArray kQuick = "set guard 50\nset dial-delay 20\nset first-packet-delay 100\n"
                          "set split-pause 40\n";
const QByteArray kAnswer = "answer \"tarnovik\\x0d\"";

// A caller as the wizard window will be one: the telephony layer, its line
// and the line receiver, with every event written down. Frames are kept
// and dropped.
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

    explicit Caller(const QByteArray &lockFolder) {
        tapi.setTimings(QuickTimings());
        tapi.setLockFolder(lockFolder);
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

void UseModem(const QByteArray &device) {
    SaveSetting(kSettingsApp, kModemSection, "Device", device);
}

QString LockPath(const QTemporaryDir &locks, const QByteArray &device) {
    return locks.filePath(QString::fromLatin1(LockFileName(device)));
}

} // namespace

class ModemCallTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        modKestenrol::gPacketStart = 1;
        modKestenrol::gPacketEnd = 126;
        modKestenrol::gPacketEscape = 24;
    }
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }

    void callLogsInReachesPacketsAndHangsUp();
    void promptsAnsweredHoweverTheyArrive_data();
    void promptsAnsweredHoweverTheyArrive();
    void dialOutcomes_data();
    void dialOutcomes();
    void dialRefused_data();
    void dialRefused();
    void carrierLostAfterConnect_data();
    void carrierLostAfterConnect();
    void retryAfterADroppedCallLogsInAgain();
    void hangUpWhileDialling();
    void hangUpOnTheWayOut();

  private:
    std::unique_ptr<ProgramFolder> machine_;
    QTemporaryDir locks_;
};

// The whole way: dialling, connected, both prompts answered, what follows
// "connected" dropped, a packet framed; a stale lock does not stand in the
// way, our own is kept for the call; then hung up through the escape
// sequence, since a pseudo-terminal has no DTR.
void ModemCallTest::callLogsInReachesPacketsAndHangsUp() {
    HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("login.scn")) +
                "send \"noise after connected\"\nwait 150\nrequest 1,2,20\n");
    QVERIFY(!sim.device().isEmpty());
    UseModem(sim.device());
    QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
    QFile stale(LockPath(locks_, sim.device()));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("    999999\n");
    stale.close();

    Caller caller(QFile::encodeName(locks_.path()));
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
    QCOMPARE(caller.frames.size(), 1);
    QVERIFY(caller.frames[0].startsWith('\x01') && caller.frames[0].endsWith('~'));
    QCOMPARE(sim.record().count(kAnswer), 2);
    QVERIFY(sim.record().contains("command \"ATZ\""));
    QVERIFY(sim.record().contains("dial \"P0,0395550100\""));
    QFile lock(LockPath(locks_, sim.device()));
    QVERIFY(lock.open(QIODevice::ReadOnly));
    QCOMPARE(LockFilePid(lock.readAll()), std::optional<long>(QCoreApplication::applicationPid()));

    caller.states.clear();
    const std::int32_t hangup = caller.tapi.HangUp();
    QVERIFY(caller.waitForState(kCallIdle));
    QCOMPARE(caller.requests.last(), Event(hangup, kRequestSucceeded));
    QCOMPARE(caller.stateList(), QList<std::int32_t>{kCallIdle});
    QVERIFY(!caller.tapi.CallInProgress());
    QVERIFY(sim.waitForRecord("hangup ath"));
    QVERIFY(sim.record().contains("escape"));
    QVERIFY(!QFile::exists(lock.fileName()));
}

void ModemCallTest::promptsAnsweredHoweverTheyArrive_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("split over writes") << QByteArray("send \"\\r\\nLog\" \"in\" \": \"\n"
                                                     "expect \"tarnovik\\r\"\n"
                                                     "send \"Pass\" \"word: \"\n"
                                                     "expect \"tarnovik\\r\"\n"
                                                     "send \"conn\" \"ected\"\n");
    QTest::newRow("text before them on the line")
        << QByteArray("send \"Kestrune host v2 -- Login: \"\n"
                      "expect \"tarnovik\\r\"\n"
                      "send \"\\r\\nbad luck, try again\\rPassword: \"\n"
                      "expect \"tarnovik\\r\"\n"
                      "send \"\\n\\rThe host is connected now\\r\\n\"\n");
    QTest::newRow("with the connect message")
        << QByteArray("send \"Login: \"\nexpect \"tarnovik\\r\"\nsend \"Password: \"\n"
                      "expect \"tarnovik\\r\"\nsend \"connected\"\n");
}

void ModemCallTest::promptsAnsweredHoweverTheyArrive() {
    QFETCH(QByteArray, script);
    HostSim sim(kQuick + script + "request 20\n");
    UseModem(sim.device());
    Caller caller(QFile::encodeName(locks_.path()));
    QVERIFY(caller.dial() > 0);
    QVERIFY(sim.waitForRecord("sent kind=1 seq=0100 tag=4b530100"));
    QVERIFY(QTest::qWaitFor([&] { return !caller.frames.isEmpty(); }, 3000));
    QCOMPARE(sim.record().count(kAnswer), 2);
    QCOMPARE(caller.packetMode, kTrue);
}

void ModemCallTest::dialOutcomes_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<std::int32_t>("status");
    QTest::addColumn<QList<std::int32_t>>("states");
    QTest::newRow("busy") << HostSim::Scenario(QStringLiteral("busy.scn")) << kRequestSucceeded
                          << QList<std::int32_t>{kCallDialling, kCallBusy, kCallIdle};
    QTest::newRow("no carrier") << HostSim::Scenario(QStringLiteral("no-carrier.scn"))
                                << kRequestSucceeded
                                << QList<std::int32_t>{kCallDialling, kCallDisconnected, kCallIdle};
    QTest::newRow("no answer") << QByteArray("modem no-answer\n") << kRequestSucceeded
                               << QList<std::int32_t>{kCallDialling, kCallDisconnected, kCallIdle};
    QTest::newRow("no dial tone") << HostSim::Scenario(QStringLiteral("no-dialtone.scn"))
                                  << kRequestNoDialTone << QList<std::int32_t>{kCallDialling};
    QTest::newRow("error") << QByteArray("modem error\n") << kRequestModemError
                           << QList<std::int32_t>{kCallDialling};
    QTest::newRow("silent modem") << HostSim::Scenario(QStringLiteral("silent-modem.scn"))
                                  << kRequestModemSilent << QList<std::int32_t>{};
    QTest::newRow("no answer to the dial command")
        << QByteArray("modem silent\n") << kRequestModemSilent
        << QList<std::int32_t>{kCallDialling};
}

// Each dial ends with one completion of its request; busy and dropped
// calls go on to idle, failures do not need to.
void ModemCallTest::dialOutcomes() {
    QFETCH(QByteArray, script);
    QFETCH(std::int32_t, status);
    HostSim sim(kQuick + script);
    UseModem(sim.device());
    Caller caller(QFile::encodeName(locks_.path()));
    const std::int32_t id = caller.dial();
    QVERIFY(id > 0);
    QVERIFY(QTest::qWaitFor([&] { return !caller.requests.isEmpty(); }, 5000));
    QTest::qWait(100);
    QCOMPARE(caller.requests, (QList<Event>{{id, status}}));
    QTEST(caller.stateList(), "states");
    QVERIFY(!caller.tapi.CallInProgress());
    QVERIFY(QDir(locks_.path()).isEmpty());
}

void ModemCallTest::dialRefused_data() {
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<DialRefusal>("refusal");
    QTest::newRow("missing device")
        << QByteArray("missing") << QByteArray("123") << DialRefusal::DeviceMissing;
    QTest::newRow("locked by another program")
        << QByteArray("locked") << QByteArray("123") << DialRefusal::DeviceLocked;
    QTest::newRow("not a serial device")
        << QByteArray("file") << QByteArray("123") << DialRefusal::DeviceUnavailable;
    QTest::newRow("no such modem")
        << QByteArray("index") << QByteArray("123") << DialRefusal::NoModem;
    QTest::newRow("a number with commands in it")
        << QByteArray("") << QByteArray("123;H") << DialRefusal::BadNumber;
    QTest::newRow("a prefix with commands in it")
        << QByteArray("prefix") << QByteArray("123") << DialRefusal::BadLocation;
    QTest::newRow("a call already up")
        << QByteArray("twice") << QByteArray("123") << DialRefusal::CallActive;
}

// A modem that cannot be used makes the dial itself fail, with nothing
// raised afterwards.
void ModemCallTest::dialRefused() {
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, number);
    HostSim sim(kQuick + "modem silent\n");
    UseModem(sim.device());
    Caller caller(QFile::encodeName(locks_.path()));
    if (setup == "missing") {
        UseModem("/dev/kestrune-no-such-modem");
    } else if (setup == "locked") {
        QFile lock(LockPath(locks_, sim.device()));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(sim.process().processId()) + '\n');
    } else if (setup == "file") {
        machine_->writeFile(QStringLiteral("modem"), "not a modem");
        UseModem(QFile::encodeName(machine_->path() + QStringLiteral("/modem")));
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
    const DialResult result = caller.tapi.Dial(number);
    QVERIFY(!result.placed());
    QTEST(result.refusal, "refusal");
    QTest::qWait(50);
    QCOMPARE(caller.requests + caller.states, before);
    QCOMPARE(caller.tapi.CallInProgress(), setup == "twice");
}

void ModemCallTest::carrierLostAfterConnect_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("NO CARRIER from the modem")
        << HostSim::Scenario(QStringLiteral("carrier-lost.scn"));
    QTest::newRow("the device going away") << QByteArray("send \"connected\"\nwait 200\nclose\n");
}

void ModemCallTest::carrierLostAfterConnect() {
    QFETCH(QByteArray, script);
    HostSim sim(kQuick + script);
    UseModem(sim.device());
    Caller caller(QFile::encodeName(locks_.path()));
    QVERIFY(caller.dial() > 0);
    QVERIFY(QTest::qWaitFor([&] { return caller.packetMode == kTrue; }, 5000));
    QVERIFY(caller.waitForState(kCallIdle));
    QCOMPARE(caller.stateList(),
             (QList<std::int32_t>{kCallDialling, kCallConnected, kCallDisconnected, kCallIdle}));
    QVERIFY(!caller.tapi.CallInProgress());
    QVERIFY(!caller.tapi.Line().IsOpen());
    QVERIFY(QDir(locks_.path()).isEmpty());
}

// Each dial starts a fresh line, so the second call's prompts are answered
// though the first call had reached packets.
void ModemCallTest::retryAfterADroppedCallLogsInAgain() {
    HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("carrier-lost.scn")) + "call\n" +
                HostSim::Scenario(QStringLiteral("login.scn")));
    UseModem(sim.device());
    Caller caller(QFile::encodeName(locks_.path()));
    QVERIFY(caller.dial() > 0);
    QVERIFY(caller.waitForState(kCallIdle));
    QCOMPARE(caller.packetMode, kTrue);
    caller.states.clear();
    QVERIFY(caller.dial() > 0);
    QVERIFY(sim.waitForRecord("call 2"));
    QVERIFY(sim.waitForRecord("script-done"));
    QCOMPARE(sim.record().count(kAnswer), 4);
    QVERIFY(QTest::qWaitFor([&] { return caller.packetMode == kTrue; }, 3000));
    QCOMPARE(caller.stateList(), (QList<std::int32_t>{kCallDialling, kCallConnected}));
}

// Hanging up cuts a dial short: the hang-up completes, the dial does not.
void ModemCallTest::hangUpWhileDialling() {
    HostSim sim(kQuick + "modem silent\n");
    UseModem(sim.device());
    Caller caller(QFile::encodeName(locks_.path()));
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

// A call still up when the layer goes (the program ends) is hung up.
void ModemCallTest::hangUpOnTheWayOut() {
    HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("login.scn")));
    UseModem(sim.device());
    auto caller = std::make_unique<Caller>(QFile::encodeName(locks_.path()));
    QVERIFY(caller->dial() > 0);
    QVERIFY(sim.waitForRecord("script-done"));
    caller.reset();
    QVERIFY(sim.waitForRecord("hangup ath"));
    QVERIFY(sim.waitForRecord("line-closed"));
    QVERIFY(QDir(locks_.path()).isEmpty());
}

QTEST_GUILESS_MAIN(ModemCallTest)
#include "test_modem_call.moc"
