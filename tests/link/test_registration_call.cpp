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
#include "program_folder.h"
#include "program_state.h"
#include "quick_modem.h"
#include "registration_call.h"
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
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Event = std::pair<std::int32_t, std::int32_t>;

const CardDetails kCard{"4111111111111111", "1228", "MARY SMITH", "", "3"};

} // namespace

// A call on the simulator's modem, with short waits, its telephony events
// written down.
struct Caller {
    ScriptedUi ui;
    FakeCallWindow window{ui};
    RegistrationCall call{window};
    QList<Event> requests;
    QList<std::int32_t> states;

    Caller(const HostSim &sim, const QTemporaryDir &locks) {
        SaveSetting(kSettingsApp, kModemSection, "Device", sim.device());
        call.ctlTAPI.setTimings(QuickTimings());
        call.ctlTAPI.setLockFolder(QFile::encodeName(locks.path()));
        // Routed as the wizard window routes them.
        QObject::connect(&call.ctlTAPI, &Telephony::OnTapi, &call,
                         &RegistrationCall::ctlTAPI_OnTapi);
        QObject::connect(&call.ctlTAPI, &Telephony::CallState, &call,
                         &RegistrationCall::ctlTAPI_CallState);
        QObject::connect(&call.ctlCOMM, &SerialLine::OnComm, &call,
                         &RegistrationCall::ctlCOMM_OnComm);
        QObject::connect(&call.ctlTAPI, &Telephony::OnTapi,
                         [this](std::int32_t id, std::int32_t status) {
                             requests.append({id, status});
                         });
        QObject::connect(&call.ctlTAPI, &Telephony::CallState,
                         [this](std::int32_t state, std::int32_t) { states.append(state); });
        window.entries.txtFirstName = "Mary";
        window.entries.txtSurname = "Smith";
    }

    bool waitForState(std::int32_t state, int milliseconds = 5000) {
        return QTest::qWaitFor([&] { return states.contains(state); }, milliseconds);
    }
};

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
    // answered, the card from the card window, and the host's closing text
    // shown and the call hung up. The host sends a flood of requests back to
    // back and reads the answers more slowly than they come: the device fills
    // and the answers wait for it, and every request is answered, whole and
    // in order. The log holds the dialogue without the secrets.
    void wholeCall() {
        QByteArray script = kQuick + "set read-rate 60000\nset resend-after 60000\n" +
                            HostSim::Scenario(u"login.scn"_s) +
                            "send \"noise after connected\"\nwait 150\n"
                            "request 1,2,17,20\n"
                            "data 24=\"\\x02\\x04Plans 2 to 4\"\n"
                            "request 10-13,24\n"
                            "data 25=\"KESTRUNE:MARYS\" 26=\"pw\"\n";
        for (int i = 0; i < 5000; ++i)
            script += "request 1,2 await none\n";
        HostSim sim(script + "request 20\nend \"Welcome!\"\n");
        QVERIFY(SaveLocations({{{"Home", "", false}, {"Office", "0,", true}}, 1}));
        const QString log = machine_->root() + u"/support.log"_s;
        QString error;
        QVERIFY(LogToFile(log, error));
        Caller caller(sim, locks_);
        caller.window.entries.txtPassword = "SECRET";
        caller.window.cardAnswers = {kCard};
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.call.CallInProgress());
        QVERIFY(caller.requests.isEmpty() && caller.states.isEmpty()); // never from inside Dial

        QVERIFY(caller.waitForState(kCallIdle, 20000));
        QCOMPARE(caller.states, (QList<std::int32_t>{kCallDialling, kCallConnected, kCallIdle}));
        QCOMPARE(caller.window.log, (QStringList{u"status Dialing Kestrune...@0"_s, u"lock@0"_s,
                                                 u"status Dialing ...@0"_s, u"status Connected@0"_s,
                                                 u"line up@0"_s, u"bounds 2-4@0"_s, u"card@0"_s,
                                                 u"status Hanging up connection...@0"_s,
                                                 u"status Call complete@1"_s, u"line down@1"_s}));

        const QByteArrayList record = sim.record();
        QCOMPARE(record.count(kAnswer), 2);
        QVERIFY(record.contains("field 10 \"4111111111111111\""));
        QVERIFY(record.contains("field 24 \"\\x03\""));
        QByteArrayList requested;
        QByteArrayList answered;
        for (const QByteArray &line : record) {
            QVERIFY2(!line.startsWith("bad-frame") && !line.startsWith("resend"), line.constData());
            const QByteArray sequence = line.mid(line.indexOf(" seq=") + 5, 4);
            if (line.startsWith("sent kind=1 "))
                requested.append(sequence);
            else if (line.startsWith("packet kind=2 "))
                answered.append(sequence);
        }
        QCOMPARE(requested.size(), 5003);
        QCOMPARE(answered, requested);
        const LineOutputCounts &counts = caller.call.ctlCOMM.outputCounts();
        QVERIFY(counts.stalls > 0);
        QVERIFY(counts.mostWaiting > 32 * 1024);
        QCOMPARE(counts.dropped, 0);

        QCOMPARE(caller.ui.messages.size(), 1);
        QCOMPARE(caller.ui.messages[0].text,
                 QByteArray("Welcome!\r\n\r\nThe Registration program will exit."));
        // The card lived for the call only.
        QCOMPARE(caller.call.Conversation().KeptCard(), CardDetails());
        QCOMPARE(modKestenrol::gCardAccepted, kFalse);
        QVERIFY(modKestenrol::gLastPacket.isEmpty());
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
        // How the modem is set up, then the message's first
        // words and the line that names the cause (empty: none).
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("cause");
        const auto row = [](const char *name, const char *setup, const char *message,
                            const char *cause) {
            QTest::newRow(name) << QByteArray(setup) << QByteArray(message) << QByteArray(cause);
        };
        const char *refused = "The selected Modem and/or Location";
        const char *notMade = "The phone call to Kestrune could not be made.";
        row("no modem set up", "index", refused,
            "No modem is set up: name its device in the Modem Setup.");
        row("no such device", "missing", refused,
            "The modem @ does not exist: check that it is plugged in.");
        row("not a serial device", "file", refused, "");
        row("in use", "locked", refused,
            "The modem @ is in use by another program (sleep, process #).");
        row("in use, holder unknown", "fifo", refused, "The modem @ is in use by another program.");
        row("a call already up", "modem silent", refused, "");
        row("a number with a command", "command", refused,
            "The number 0395550100;ATH holds characters that are not dial characters.");
        row("a prefix with a command", "prefix", refused,
            "The location's outside-line prefix holds characters that are not dial characters.");
        // A CR in an INI value is read back as a real line end.
        row("two command lines to initialise", "init", refused,
            "The modem's initialisation string is not one line of printable characters.");
        row("silent", "modem mute", notMade,
            "The modem did not answer: check that it is switched on and connected.");
        row("ERROR to the initialisation", "modem error-all", notMade,
            "The modem answered ERROR to its initialisation string AT&F E0 V1.");
        row("no dial tone", "modem no-dialtone", notMade,
            "The modem heard no dial tone: check that the telephone line is plugged in.");
        row("ERROR to the dial", "modem error", notMade, "");
    }
    // Each cause its own line after the message; nothing reaches a modem
    // that was refused. A refused dial raises nothing afterwards, and leads
    // to the connection settings with the wizard the user's again.
    void callsThatCannotBeMade() {
        QFETCH(QByteArray, setup);
        const QByteArray number = setup == "command" ? "0395550100;ATH" : "0395550100";
        const bool modem = setup.startsWith("modem");
        HostSim sim(kQuick + (modem ? setup : QByteArray()) + '\n');
        Caller caller(sim, locks_);
        QByteArray device = sim.device();
        QProcess holder;
        const QByteArray lock = QFile::encodeName(locks_.path()) + '/' + LockFileName(device);
        if (setup == "missing") {
            device = QFile::encodeName(machine_->root()) + "/no-modem";
        } else if (setup == "file") {
            machine_->writeFile(u"modem"_s, "not a modem");
            device = QFile::encodeName(machine_->path()) + "/modem";
        } else if (setup == "fifo") {
            QCOMPARE(::mkfifo(lock.constData(), 0644), 0);
        } else if (setup == "locked") {
            holder.start(u"sleep"_s, {u"60"_s});
            QVERIFY(holder.waitForStarted());
            QFile file(QFile::decodeName(lock));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(holder.processId()).rightJustified(10, ' ') + '\n');
        }
        // Written as a user would, so that "\r" stands in the file as it is.
        QFile ini(machine_->configHome() + u"/Kestrune/KestruneRegistration.ini"_s);
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Modem]\nDevice=" + device +
                  "\nInit=" + (setup == "init" ? "ATZ\\rATDT19005550100" : "AT&F E0 V1") +
                  (setup == "prefix" ? "\n[Location]\nName=Office\nPrefix=9ATH\n" : "\n"));
        ini.close();
        if (setup == "index")
            caller.call.ctlTAPI.SetCurrentModem(1000);
        if (setup == "modem silent") { // the first call waits for the modem
            caller.call.DialService(number);
            QVERIFY(caller.waitForState(kCallDialling));
            caller.window.log.clear();
        }
        const qsizetype events = caller.requests.size() + caller.states.size();

        caller.call.DialService(number);
        QVERIFY(QTest::qWaitFor([&] { return !caller.ui.messages.isEmpty(); }, 8000));
        const QByteArrayList lines = caller.ui.messages.first().text.split('\n');
        QFETCH(QByteArray, message);
        QVERIFY2(lines.first().startsWith(message), lines.first().constData());
        QFETCH(QByteArray, cause);
        cause.replace('@', device).replace('#', QByteArray::number(holder.processId()));
        const bool dialRefused = message.startsWith("The selected");
        QCOMPARE(lines.size() > (dialRefused ? 2 : 3) ? lines.last() : QByteArray(), cause);
        if (!modem)
            QVERIFY(!sim.record().contains("line-opened"));
        if (dialRefused) {
            QCoreApplication::processEvents();
            QCOMPARE(caller.requests.size() + caller.states.size(), events);
            QCOMPARE(caller.window.log,
                     (QStringList{u"status Dialing Kestrune...@0"_s, u"lock@0"_s, u"status @1"_s,
                                  u"connection settings@1"_s, u"release@1"_s, u"status @1"_s}));
        }
        ::unlink(lock.constData());
    }

    // The carrier lost after the login while the card window is open: the
    // dial completes once, and the window is closed (with the call's card)
    // before the user is told. The call goes on to idle, the user may try
    // again, and the line and its lock are let go.
    void carrierLostWithTheCardWindowOpen() {
        HostSim sim(kQuick + HostSim::Scenario(u"login.scn"_s) +
                    "data 24=\"\\x02\\x04Plans 2 to 4\"\n"
                    "request 10-13,24 await none\nwait 200\ndrop\n");
        Caller caller(sim, locks_);
        caller.window.cardAnswers = {kCard};
        caller.window.whileCardWindowOpen = [&] {
            QVERIFY(QTest::qWaitFor(
                [&] { return caller.window.log.contains(u"status Connection disconnected@1"_s); }));
        };
        caller.call.DialService("03 9555 0100");
        QVERIFY(caller.waitForState(kCallIdle));
        QVERIFY(QTest::qWaitFor([&] { return caller.window.cardOffers.size() == 1; }));
        QCOMPARE(caller.requests.size(), 1);
        QCOMPARE(caller.requests[0].second, kRequestSucceeded);
        QCOMPARE(caller.states, (QList<std::int32_t>{kCallDialling, kCallConnected,
                                                     kCallDisconnected, kCallIdle}));
        QCOMPARE(
            caller.window.log.mid(caller.window.log.indexOf(u"card@0"_s)),
            (QStringList{u"card@0"_s, u"card closed@0"_s, u"continue hidden@1"_s, u"release@1"_s,
                         u"line down@1"_s, u"status Connection disconnected@1"_s}));
        QCOMPARE(caller.ui.messages.size(), 1);
        QCOMPARE(caller.ui.beeps, 1);
        QVERIFY(!caller.call.ctlCOMM.IsOpen());
        QVERIFY(QDir(locks_.path()).isEmpty());
    }

    // A device the user may not use names the group that may, and the
    // command that lets the user in.
    void permissionCause() {
        machine_->writeFile(u"ttyS9"_s, {});
        const QByteArray device = QFile::encodeName(machine_->path()) + "/ttyS9";
        const struct group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout != nullptr);
        QCOMPARE(::chown(device.constData(), static_cast<uid_t>(-1), dialout->gr_gid), 0);
        DialResult dial;
        dial.refusal = DialRefusal::NoPermission;
        dial.device = device;
        const QByteArray user = ::getpwuid(::geteuid())->pw_name;
        QVERIFY(DialRefusedMessage(dial).endsWith(
            "\r\nYou may not use the modem " + device +
            ": only the members of the group dialout may. Ask your "
            "administrator to add you with the command \"sudo adduser " +
            user + " dialout\", then log out and in again."));
    }

  private:
    std::unique_ptr<ProgramFolder> machine_;
    QTemporaryDir locks_;
};

QTEST_MAIN(RegistrationCallTest)
#include "test_registration_call.moc"
