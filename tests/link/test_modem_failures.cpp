// The modem call against the simulated modem on a real pseudo-terminal:
// dials that do not get through, and dials that are refused.
#include "host_sim.h"
#include "modem_caller.h"
#include "program_folder.h"
#include "program_state.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(DialRefusal)

class ModemFailuresTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }
    void init() { machine_ = std::make_unique<ProgramFolder>(); }
    void cleanup() { machine_.reset(); }

    void dialOutcomes_data();
    void dialOutcomes();
    void dialRefused_data();
    void dialRefused();
    void hangUpWhileDialling();

  private:
    std::unique_ptr<ProgramFolder> machine_;
    QTemporaryDir locks_;
};

void ModemFailuresTest::dialOutcomes_data() {
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
void ModemFailuresTest::dialOutcomes() {
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

void ModemFailuresTest::dialRefused_data() {
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
void ModemFailuresTest::dialRefused() {
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

// Hanging up cuts a dial short: the hang-up completes, the dial does not.
void ModemFailuresTest::hangUpWhileDialling() {
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

QTEST_GUILESS_MAIN(ModemFailuresTest)
#include "test_modem_failures.moc"
