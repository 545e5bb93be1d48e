// The modem call against the simulated modem on a real pseudo-terminal:
// dials that do not get through, calls dropped, and dials that are refused.
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

    void dialOutcomes_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<std::int32_t>("status");
        QTest::addColumn<QList<std::int32_t>>("states");
        const auto row = [](const char *name, const QByteArray &script, std::int32_t status,
                            const QList<std::int32_t> &states) {
            QTest::newRow(name) << script << status << states;
        };
        const auto scn = [](const char *file) {
            return HostSim::Scenario(QString::fromLatin1(file));
        };
        const QList<std::int32_t> dropped{kCallDialling, kCallDisconnected, kCallIdle};
        const QList<std::int32_t> lost{kCallDialling, kCallConnected, kCallDisconnected, kCallIdle};
        row("busy", scn("busy.scn"), kRequestSucceeded, {kCallDialling, kCallBusy, kCallIdle});
        row("no carrier", scn("no-carrier.scn"), kRequestSucceeded, dropped);
        row("no answer", "modem no-answer\n", kRequestSucceeded, dropped);
        row("no dial tone", scn("no-dialtone.scn"), kRequestNoDialTone, {kCallDialling});
        row("error", "modem error\n", kRequestModemError, {kCallDialling});
        row("silent modem", scn("silent-modem.scn"), kRequestModemSilent, {});
        row("no answer to the dial command", "modem silent\n", kRequestModemSilent,
            {kCallDialling});
        row("carrier lost after login", scn("carrier-lost.scn"), kRequestSucceeded, lost);
        row("device gone after login", "send \"connected\"\nwait 200\nclose\n", kRequestSucceeded,
            lost);
    }

    // Each dial ends with one completion of its request; busy and dropped
    // calls go on to idle, failures do not need to; the line and its lock
    // are let go either way.
    void dialOutcomes() {
        QFETCH(QByteArray, script);
        QFETCH(std::int32_t, status);
        QFETCH(QList<std::int32_t>, states);
        HostSim sim(kQuick + script);
        Caller caller(sim, locks_);
        const std::int32_t id = caller.dial();
        QVERIFY(id > 0);
        QVERIFY(QTest::qWaitFor([&] { return !caller.requests.isEmpty(); }, 5000));
        if (states.contains(kCallIdle))
            QVERIFY(caller.waitForState(kCallIdle));
        QTest::qWait(100);
        QCOMPARE(caller.requests, (QList<Event>{{id, status}}));
        QCOMPARE(caller.stateList(), states);
        QCOMPARE(caller.packetMode == kTrue, states.contains(kCallConnected));
        QVERIFY(!caller.tapi.CallInProgress());
        QVERIFY(!caller.tapi.Line().IsOpen());
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

    void dialRefused_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<DialRefusal>("refusal");
        const auto row = [](const char *name, const char *setup, DialRefusal refusal,
                            const char *number = "123") {
            QTest::newRow(name) << QByteArray(setup) << QByteArray(number) << refusal;
        };
        row("missing device", "missing", DialRefusal::DeviceMissing);
        row("locked by another program", "locked", DialRefusal::DeviceLocked);
        row("not a serial device", "file", DialRefusal::DeviceUnavailable);
        row("no such modem", "index", DialRefusal::NoModem);
        row("a number with commands in it", "", DialRefusal::BadNumber, "123;H");
        row("a prefix with commands in it", "prefix", DialRefusal::BadLocation);
        row("a call already up", "twice", DialRefusal::CallActive);
    }

    // A modem that cannot be used makes the dial itself fail, with nothing
    // raised afterwards.
    void dialRefused() {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, number);
        HostSim sim(kQuick + "modem silent\n");
        Caller caller(sim, locks_);
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

QTEST_GUILESS_MAIN(ModemFailuresTest)
#include "test_modem_failures.moc"
