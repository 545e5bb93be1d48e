// The registration call with no window: the telephony layer, its serial
// line, the line receiver and the conversation against the simulated modem
// and host on a real pseudo-terminal, a stand-in for the wizard window
// taking the user's part.
#include "call_messages.h"
#include "dialling_locations.h"
#include "fake_call_window.h"
#include "host_sim.h"
#include "logging.h"
#include "modem_settings.h"
#include "number_codec.h"
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
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
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
                    "request 1,2,17,20\n"
                    "data 24=\"\\x02\\x04Plans 2 to 4\"\n"
                    "request 10-13,24\n"
                    "data 25=\"KESTRUNE:MARYS\" 26=\"pw\"\n"
                    "end \"Welcome!\"\n");
        QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
        QFile stale(LockPath(locks_, sim.device()));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("    999999\n");
        stale.close();

        const QString log = machine_->root() + u"/support.log"_s;
        QString error;
        QVERIFY(LogToFile(log, error));
        Caller caller(sim, locks_);
        caller.window.entries.txtPassword = "SECRET";
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
        // The log holds the modem's dialogue and the conversation, not the
        // card, the password or the account's login texts.
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        for (const char *line :
             {"kestrune.modem: sent ATZ\\r", "kestrune.modem: heard OK",
              "kestrune.modem: sent ATDP0,0395550100\\r", "kestrune.line: connected", "1=\"Mary\"",
              "10=(16 characters)", "17=(6 characters)"})
            QVERIFY2(written.contains(line), line);
        for (const QByteArray &secret : {kCard.txtCreditCardNumber, kCard.txtNameOnCard,
                                         QByteArray("SECRET"), QByteArray("KESTRUNE:MARYS")})
            QVERIFY2(!written.contains(secret), secret.constData());
        QCOMPARE(QFile::permissions(log) & 0x0077, QFileDevice::Permissions());
    }

    void callsThatCannotBeMade_data() {
        // How the modem is set up, the number dialled, then the message's first
        // words and the line that names the cause (empty: none).
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("cause");
        const auto row = [](const char *name, const char *setup, const char *number,
                            const char *message, const char *cause) {
            QTest::newRow(name) << QByteArray(setup) << QByteArray(number) << QByteArray(message)
                                << QByteArray(cause);
        };
        const char *refused = "The selected Modem and/or Location";
        const char *notMade = "The phone call to Kestrune could not be made.";
        row("no such device", "missing", "0395550100", refused,
            "The modem @ does not exist: check that it is plugged in.");
        row("in use", "locked", "0395550100", refused,
            "The modem @ is in use by another program (sleep, process #).");
        row("in use, holder unknown", "fifo", "0395550100", refused,
            "The modem @ is in use by another program.");
        row("a number with a command", "", "0395550100;ATH", refused,
            "The number 0395550100;ATH holds characters that are not dial characters.");
        row("a prefix with a command", "prefix", "0395550100", refused,
            "The location's outside-line prefix holds characters that are not dial characters.");
        // A CR in an INI value is read back as a real line end.
        row("two command lines to initialise", "init", "0395550100", refused,
            "The modem's initialisation string is not one line of printable characters.");
        row("silent", "modem mute", "0395550100", notMade,
            "The modem did not answer: check that it is switched on and connected.");
        row("ERROR to the initialisation", "modem error-all", "0395550100", notMade,
            "The modem answered ERROR to its initialisation string AT&F E0 V1.");
        row("no dial tone", "modem no-dialtone", "0395550100", notMade,
            "The modem heard no dial tone: check that the telephone line is plugged in.");
        row("ERROR to the dial", "modem error", "0395550100", notMade, "");
    }
    // Each cause its own line after the message; nothing reaches a modem
    // that was refused.
    void callsThatCannotBeMade() {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, number);
        const bool modem = setup.startsWith("modem");
        HostSim sim(kQuick + (modem ? setup : QByteArray()) + '\n');
        Caller caller(sim, locks_);
        QByteArray device = sim.device();
        QProcess holder;
        const QByteArray lock = QFile::encodeName(locks_.path()) + '/' + LockFileName(device);
        if (setup == "missing") {
            device = QFile::encodeName(machine_->root()) + "/no-modem";
        } else if (setup == "locked" || setup == "fifo") {
            if (setup == "fifo") {
                QCOMPARE(::mkfifo(lock.constData(), 0644), 0);
            } else {
                holder.start(u"sleep"_s, {u"60"_s});
                QVERIFY(holder.waitForStarted());
                QFile file(QFile::decodeName(lock));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(QByteArray::number(holder.processId()).rightJustified(10, ' ') + '\n');
            }
        }
        // Written as a user would, so that "\r" stands in the file as it is.
        QFile ini(machine_->configHome() + u"/Kestrune/KestruneRegistration.ini"_s);
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Modem]\nDevice=" + device +
                  "\nInit=" + (setup == "init" ? "ATZ\\rATDT19005550100" : "AT&F E0 V1") +
                  (setup == "prefix" ? "\n[Location]\nName=Office\nPrefix=9ATH\n" : "\n"));
        ini.close();

        caller.call.DialService(number);
        QVERIFY(QTest::qWaitFor([&] { return !caller.ui.messages.isEmpty(); }, 8000));
        const QByteArrayList lines = caller.ui.messages.first().text.split('\n');
        QFETCH(QByteArray, message);
        QVERIFY2(lines.first().startsWith(message), lines.first().constData());
        QFETCH(QByteArray, cause);
        cause.replace('@', device).replace('#', QByteArray::number(holder.processId()));
        const qsizetype ownLines = message.startsWith("The selected") ? 2 : 3;
        QCOMPARE(lines.size() > ownLines ? lines.last() : QByteArray(), cause);
        if (!modem)
            QVERIFY(!sim.record().contains("line-opened"));
        holder.kill();
        holder.waitForFinished();
        ::unlink(lock.constData());
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

    // A device the user may not use names the group that may, and the
    // command that lets the user in.
    void permissionCause() {
        const QTemporaryDir folder;
        const QByteArray device = QFile::encodeName(folder.filePath(u"ttyS9"_s));
        QFile file(QFile::decodeName(device));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const struct group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout != nullptr);
        QCOMPARE(::chown(device.constData(), static_cast<uid_t>(-1), dialout->gr_gid), 0);
        DialResult dial;
        dial.refusal = DialRefusal::NoPermission;
        dial.device = device;
        const QByteArray user = ::getpwuid(::geteuid())->pw_name;
        QVERIFY(DialRefusedMessage(dial).endsWith(
            "\r\nYou may not use the modem " + device +
            ": only the members of the group dialout may. Ask your administrator to add you "
            "with the command \"sudo adduser " +
            user + " dialout\", then log out and in again."));
    }

    void flood_data() {
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("survives");
        QTest::newRow("answered to the last")
            << QByteArray("request 20\nend \"Welcome!\"\n") << true;
        QTest::newRow("the line going mid-flood") << QByteArray("wait 1000\nclose\n") << false;
    }

    // The host sends its requests back to back and reads the answers more
    // slowly than they come: the device fills and the answers wait for it.
    // The call goes on, and every request is answered, whole and in order;
    // only the device going away ends it, as a lost call.
    void flood() {
        QFETCH(QByteArray, after);
        QFETCH(bool, survives);
        constexpr int kRequests = 5000;
        QByteArray script = kQuick + "set read-rate 60000\nset resend-after 60000\n" +
                            HostSim::Scenario(u"login.scn"_s) + "wait 150\n";
        for (int i = 0; i < kRequests; ++i)
            script += "request 1,2 await none\n";
        HostSim sim(script + after);
        Caller caller(sim, locks_);
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.waitForState(kCallIdle, 20000));
        QVERIFY(!caller.call.CallInProgress());
        QCOMPARE(caller.ui.messages.size(), 1);
        if (survives) {
            QCOMPARE(caller.stateList(),
                     (QList<std::int32_t>{kCallDialling, kCallConnected, kCallIdle}));
            QCOMPARE(caller.ui.messages[0].text,
                     QByteArray("Welcome!\r\n\r\nThe Registration program will exit."));
            QByteArrayList answered;
            QByteArrayList expected;
            for (const QByteArray &line : sim.record()) {
                if (line.startsWith("packet kind=2 "))
                    answered.append(line.mid(line.indexOf(" seq=") + 5, 4));
                QVERIFY2(!line.startsWith("bad-frame"), line.constData());
            }
            for (int sequence = 1; sequence <= kRequests + 1; ++sequence)
                expected.append(IntToBytes(sequence).toHex());
            QCOMPARE(answered.size(), expected.size());
            QCOMPARE(answered, expected);
        } else {
            QCOMPARE(caller.stateList(), (QList<std::int32_t>{kCallDialling, kCallConnected,
                                                              kCallDisconnected, kCallIdle}));
            QVERIFY(caller.ui.messages[0].text.startsWith(
                "The call to Kestrune has been unexpectedly disconnected."));
        }
        // The answers did wait for the device, and none was given up.
        const LineOutputCounts &counts = caller.call.ctlCOMM.outputCounts();
        QVERIFY(counts.stalls > 0);
        QVERIFY(!survives || counts.mostWaiting > 32 * 1024);
        QCOMPARE(counts.dropped, 0);
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
