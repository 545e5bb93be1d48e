// The registration call with no window: the telephony layer, its serial
// line, the line receiver and the conversation against the simulated modem
// and host on a real pseudo-terminal, a stand-in for the wizard window
// taking the user's part.
#include "dialling_locations.h"
#include "fake_call_window.h"
#include "host_sim.h"
#include "modem_settings.h"
#include "program_folder.h"
#include "program_state.h"
#include "quick_modem.h"
#include "registration_call.h"
#include "registry.h"
#include "scripted_ui.h"
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

using namespace Qt::StringLiterals;

namespace {

using Event = std::pair<std::int32_t, std::int32_t>;

const CardDetails kCard{"4111111111111111", "1228", "MARY SMITH", "", "3"};

// A call on the simulator's modem, with short waits, its telephony events
// written down.
struct Caller {
    ScriptedUi ui;
    FakeCallWindow window{ui};
    RegistrationCall call{window};
    QList<Event> requests;
    QList<Event> states;

    Caller(const HostSim &sim, const QTemporaryDir &locks) {
        SaveSetting(kSettingsApp, kModemSection, "Device", sim.device());
        call.ctlTAPI.setTimings(QuickTimings());
        call.ctlTAPI.setLockFolder(QFile::encodeName(locks.path()));
        FakeCallWindow::Route(call);
        QObject::connect(&call.ctlTAPI, &Telephony::OnTapi,
                         [this](std::int32_t id, std::int32_t status) {
                             requests.append({id, status});
                         });
        QObject::connect(&call.ctlTAPI, &Telephony::CallState,
                         [this](std::int32_t state, std::int32_t extra) {
                             states.append({state, extra});
                         });
        window.entries.txtFirstName = "Mary";
        window.entries.txtSurname = "Smith";
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
    // The statuses the window showed, in order.
    QStringList statuses() const {
        QStringList shown;
        for (const QString &line : window.log) {
            if (line.startsWith(u"status "_s))
                shown.append(line.mid(7, line.lastIndexOf(u'@') - 7));
        }
        return shown;
    }
};

QString LockPath(const QTemporaryDir &locks, const QByteArray &device) {
    return locks.filePath(QString::fromLatin1(LockFileName(device)));
}

QByteArray Registry(const char *name) {
    QByteArray value;
    RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, name, value);
    return value;
}

} // namespace

class RegistrationCallTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }
    void init() {
        machine_ = std::make_unique<ProgramFolder>();
        modKestenrol::gLastPacket.clear();
    }
    void cleanup() { machine_.reset(); }

    // The whole way, with no widget: dialling, connected, both prompts
    // answered, what follows "connected" dropped, the host's requests
    // answered, the card from the card window, the host's data kept, and its
    // closing text ending the program and the call. A stale lock does not
    // stand in the way, our own is kept for the call, and the hang-up goes
    // through the escape sequence, since a pseudo-terminal has no DTR.
    void wholeCall() {
        HostSim sim(kQuick + HostSim::Scenario(u"login.scn"_s) +
                    "send \"noise after connected\"\nwait 150\n"
                    "request 1,2,20\n"
                    "data 24=\"\\x02\\x04Plans 2 to 4\"\n"
                    "request 10-13,24\n"
                    "data 25=\"KESTRUNE:MARYS\" 26=\"pw\"\n"
                    "end \"Welcome!\"\n");
        QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
        QFile stale(LockPath(locks_, sim.device()));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("    999999\n");
        stale.close();

        Caller caller(sim, locks_);
        caller.window.cardAnswers = {kCard};
        caller.window.whileCardWindowOpen = [&] {
            // The stale lock is gone; ours, Qt Serial Port's in the system's
            // lock folder, stands while the call is up.
            QVERIFY(!QFile::exists(stale.fileName()));
            QFile lock(
                QFile::decodeName(QByteArray(kLockFolder) + '/' + LockFileName(sim.device())));
            QVERIFY(lock.open(QIODevice::ReadOnly));
            QCOMPARE(LockFilePid(lock.readAll()),
                     std::optional<long>(QCoreApplication::applicationPid()));
        };
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.call.DialRequest() < 0); // the pending mark in the top bit
        QVERIFY(caller.call.CallInProgress());
        QVERIFY(caller.requests.isEmpty() && caller.states.isEmpty()); // never from inside Dial
        QVERIFY(!caller.window.enabled);

        QVERIFY(sim.waitForRecord("hangup ath", 10000));
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.requests.first().second, kRequestSucceeded);
        QCOMPARE(caller.stateList(),
                 (QList<std::int32_t>{kCallDialling, kCallConnected, kCallIdle}));
        QCOMPARE(caller.states[1].second, 9600);
        QCOMPARE(caller.statuses(),
                 (QStringList{u"Dialing Kestrune..."_s, u"Dialing ..."_s, u"Connected"_s,
                              u"Hanging up connection..."_s, u"Call complete"_s}));
        QVERIFY(!caller.window.lineUp);

        const QByteArrayList record = sim.record();
        QVERIFY(record.contains("dial \"P0,0395550100\""));
        QCOMPARE(record.count(kAnswer), 2);
        QVERIFY(record.contains("field 1 \"Mary\""));
        QVERIFY(record.contains("field 10 \"4111111111111111\""));
        QVERIFY(record.contains("field 24 \"\\x03\""));
        QVERIFY(record.contains("escape"));
        QVERIFY(std::none_of(record.begin(), record.end(), [](const QByteArray &line) {
            return line.startsWith("bad-frame") || line.startsWith("resend");
        }));
        QCOMPARE(caller.window.cardOffers.size(), 1);
        QCOMPARE(caller.window.cardOffers[0].txtNameOnCard, QByteArray("MARY SMITH"));
        QCOMPARE(caller.window.planLists, QList<QByteArray>{"Plans 2 to 4"});
        QVERIFY(caller.window.log.contains(u"bounds 2-4@0"_s));
        QCOMPARE(Registry(kCommand1Value) + '|' + Registry(kCommand2Value),
                 QByteArray("KESTRUNE:MARYS|pw"));

        QCOMPARE(caller.ui.messages.size(), 1);
        QCOMPARE(caller.ui.messages[0].text,
                 QByteArray("Welcome!\r\n\r\nThe Registration program will exit."));
        QVERIFY(caller.ui.ended);
        QCOMPARE(caller.call.PacketMode(), kTrue);
        // The card lived for the call only.
        QCOMPARE(caller.call.Conversation().KeptCard(), CardDetails());
        QCOMPARE(modKestenrol::gCardAccepted, kFalse);
        QVERIFY(modKestenrol::gLastPacket.isEmpty());
        QVERIFY(!caller.call.ctlCOMM.IsOpen());
        QVERIFY(QDir(locks_.path()).isEmpty());
        QVERIFY(!QFile::exists(
            QFile::decodeName(QByteArray(kLockFolder) + '/' + LockFileName(sim.device()))));
    }

    // The carrier lost after the login: the dial completes once, the call goes
    // on to idle, the user is told and may try again, and the line and its
    // lock are let go.
    void carrierLostLetsTheLineGo() {
        HostSim sim(kQuick + HostSim::Scenario(u"carrier-lost.scn"_s));
        Caller caller(sim, locks_);
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.requests.size(), 1);
        QCOMPARE(caller.requests[0].second, kRequestSucceeded);
        QCOMPARE(caller.stateList(), (QList<std::int32_t>{kCallDialling, kCallConnected,
                                                          kCallDisconnected, kCallIdle}));
        QCOMPARE(caller.call.PacketMode(), kTrue);
        QCOMPARE(caller.ui.messages.size(), 1);
        QCOMPARE(caller.ui.beeps, 1);
        QCOMPARE(caller.window.status, u"Connection disconnected"_s);
        QVERIFY(caller.window.enabled && !caller.window.lineUp);
        QVERIFY(!caller.call.CallInProgress());
        QVERIFY(!caller.call.ctlCOMM.IsOpen());
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

    // The carrier lost while the card window is open: the window is closed
    // before the user is told, and the card its OK gives all the same is
    // neither kept nor sent.
    void cardWindowGoesWithTheCall() {
        HostSim sim(kQuick + HostSim::Scenario(u"login.scn"_s) +
                    "data 24=\"\\x02\\x04Plans 2 to 4\"\n"
                    "request 10-13,24 await none\nwait 200\ndrop\n");
        Caller caller(sim, locks_);
        caller.window.cardAnswers = {kCard};
        caller.window.whileCardWindowOpen = [&] {
            QVERIFY(QTest::qWaitFor(
                [&] { return caller.window.status == u"Connection disconnected"_s; }));
        };
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.waitForState(kCallIdle));
        QVERIFY(QTest::qWaitFor([&] { return caller.window.cardOffers.size() == 1; }));
        const qsizetype closed = caller.window.log.indexOf(u"card closed@0"_s);
        QVERIFY(closed > caller.window.log.indexOf(u"card@0"_s));
        QCOMPARE(caller.ui.messages.size(), 1);
        QVERIFY(caller.window.enabled);
        const QByteArrayList record = sim.record();
        QVERIFY(record.contains("drop"));
        QVERIFY(std::none_of(record.begin(), record.end(), [](const QByteArray &line) {
            return line.startsWith("packet kind=2");
        }));
        QCOMPARE(caller.call.Conversation().KeptCard(), CardDetails());
        QCOMPARE(modKestenrol::gCardAccepted, kFalse);
        QVERIFY(modKestenrol::gLastPacket.isEmpty());
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
    // raised afterwards; the call reports it and offers the connection
    // settings, and the wizard is the user's again.
    void dialRefused() {
        QFETCH(QByteArray, setup);
        HostSim sim(kQuick + "modem silent\n");
        Caller caller(sim, locks_);
        if (setup == "file") {
            machine_->writeFile(u"modem"_s, "not a modem");
            SaveSetting(kSettingsApp, kModemSection, "Device",
                        QFile::encodeName(machine_->path() + u"/modem"_s));
        } else if (setup == "index") {
            caller.call.ctlTAPI.SetCurrentModem(1000);
        } else if (setup == "prefix") {
            SaveSetting(kSettingsApp, "Location", "Name", "Office");
            SaveSetting(kSettingsApp, "Location", "Prefix", "0;ATH");
        } else if (setup == "twice") {
            caller.call.DialService("123");
            QVERIFY(caller.waitForState(kCallDialling));
        }
        const QList<Event> before = caller.requests + caller.states;
        const DialResult result = caller.call.ctlTAPI.Dial("123");
        QVERIFY(!result.placed());
        QTEST(result.refusal, "refusal");
        QCoreApplication::processEvents();
        QCOMPARE(caller.requests + caller.states, before);
        QCOMPARE(caller.call.CallInProgress(), setup == "twice");
        if (setup == "twice")
            return;

        caller.window.log.clear();
        caller.call.DialService("123");
        QCOMPARE(caller.ui.beeps, 1);
        QCOMPARE(caller.ui.messages.size(), 1);
        QVERIFY(caller.ui.messages[0].text.startsWith("The selected Modem and/or Location"));
        QCOMPARE(caller.window.log,
                 (QStringList{u"status Dialing Kestrune...@0"_s, u"lock@0"_s, u"status @1"_s,
                              u"connection settings@1"_s, u"release@1"_s, u"status @1"_s}));
        QCOMPARE(caller.call.DialRequest(), 0);
    }

    // Hanging up cuts a dial short: the hang-up completes, the dial does not.
    void hangUpWhileDialling() {
        HostSim sim(kQuick + "modem silent\n");
        Caller caller(sim, locks_);
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.waitForState(kCallDialling));
        caller.call.HangUp();
        const std::int32_t hangup = caller.call.HangupRequest();
        QCOMPARE(caller.call.ctlTAPI.HangUp(), hangup);
        QVERIFY(caller.waitForState(kCallIdle));
        QCOMPARE(caller.requests, (QList<Event>{{hangup, kRequestSucceeded}}));
        QVERIFY(sim.waitForRecord("command \"ATH0\""));
        QVERIFY(sim.record().contains("dial-aborted"));

        // With no call, a hang-up simply completes.
        caller.requests.clear();
        const std::int32_t idle = caller.call.ctlTAPI.HangUp();
        QVERIFY(caller.requests.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !caller.requests.isEmpty(); }, 1000));
        QCOMPARE(caller.requests, (QList<Event>{{idle, kRequestSucceeded}}));
    }

  private:
    std::unique_ptr<ProgramFolder> machine_;
    QTemporaryDir locks_;
};

QTEST_MAIN(RegistrationCallTest)
#include "test_registration_call.moc"
