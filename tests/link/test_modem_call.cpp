// The modem call and its line, end to end: the telephony layer, the serial
// line and the line receiver against the simulated modem and host on a
// real pseudo-terminal. Calls that get through.
#include "dialling_locations.h"
#include "host_sim.h"
#include "modem_caller.h"
#include "program_folder.h"
#include "program_state.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

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
        QVERIFY(!sim.device().isEmpty());
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
        QCOMPARE(caller.frames.size(), 1);
        QVERIFY(caller.frames[0].startsWith('\x01') && caller.frames[0].endsWith('~'));
        QCOMPARE(sim.record().count(kAnswer), 2);
        QVERIFY(sim.record().contains("command \"ATZ\""));
        QVERIFY(sim.record().contains("dial \"P0,0395550100\""));
        QFile lock(LockPath(locks_, sim.device()));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(LockFilePid(lock.readAll()),
                 std::optional<long>(QCoreApplication::applicationPid()));

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

    void promptsAnsweredHoweverTheyArrive_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("split over writes") << QByteArray(
            "send \"\\r\\nLog\" \"in\" \": \"\nexpect \"tarnovik\\r\"\n"
            "send \"Pass\" \"word: \"\nexpect \"tarnovik\\r\"\nsend \"conn\" \"ected\"\n");
        QTest::newRow("text before them on the line") << QByteArray(
            "send \"Kestrune host v2 -- Login: \"\nexpect \"tarnovik\\r\"\n"
            "send \"\\r\\nbad luck, try again\\rPassword: \"\nexpect \"tarnovik\\r\"\n"
            "send \"\\n\\rThe host is connected now\\r\\n\"\n");
        QTest::newRow("with the connect message")
            << QByteArray("send \"Login: \"\nexpect \"tarnovik\\r\"\nsend \"Password: \"\n"
                          "expect \"tarnovik\\r\"\nsend \"connected\"\n");
    }

    void promptsAnsweredHoweverTheyArrive() {
        QFETCH(QByteArray, script);
        HostSim sim(kQuick + script + "request 20\n");
        Caller caller(sim, locks_);
        QVERIFY(caller.dial() > 0);
        QVERIFY(sim.waitForRecord("sent kind=1 seq=0100 tag=4b530100"));
        QVERIFY(QTest::qWaitFor([&] { return !caller.frames.isEmpty(); }, 3000));
        QCOMPARE(sim.record().count(kAnswer), 2);
        QCOMPARE(caller.packetMode, kTrue);
    }

    // Each dial starts a fresh line, so the second call's prompts are answered
    // though the first call had reached packets.
    void retryAfterADroppedCallLogsInAgain() {
        HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("carrier-lost.scn")) + "call\n" +
                    HostSim::Scenario(QStringLiteral("login.scn")));
        Caller caller(sim, locks_);
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

    // A call still up when the layer goes (the program ends) is hung up.
    void hangUpOnTheWayOut() {
        HostSim sim(kQuick + HostSim::Scenario(QStringLiteral("login.scn")));
        auto caller = std::make_unique<Caller>(sim, locks_);
        QVERIFY(caller->dial() > 0);
        QVERIFY(sim.waitForRecord("script-done"));
        caller.reset();
        QVERIFY(sim.waitForRecord("hangup ath"));
        QVERIFY(sim.waitForRecord("line-closed"));
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

  private:
    std::unique_ptr<ProgramFolder> machine_;
    QTemporaryDir locks_;
};

QTEST_GUILESS_MAIN(ModemCallTest)
#include "test_modem_call.moc"
