// The wizard's call to the registration host, end to end: the real window
// dials kestrune-hostsim over a real pseudo-terminal. Calls that log in,
// calls that fail, hanging up on the way out.
#include "call_driver.h"
#include "host_sim.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "quit_signals.h"
#include "uucp_lock.h"
#include "wizard_driver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kModemUnavailable =
    "The selected Modem and/or Location are not available to make a call from, or are "
    "incorrectly configured.\r\nOn the next form, please ensure the modem and/or telephone line "
    "are switched on and not already being used, and that the selected Location is correct, and "
    "try again.";
const QByteArray kCallNotMade =
    "The phone call to Kestrune could not be made.\r\nPlease check that the modem is working "
    "correctly, and try again.\r\nIf you continue to experience problems, please contact the "
    "Help Desk.";
const QByteArray kBusy =
    "The Kestrune service is busy at this moment.\r\nPlease wait a short time and try again.";
const QByteArray kDisconnected = "The call to Kestrune has been unexpectedly disconnected.\r\n"
                                 "Please wait a short time and try again.";
const QByteArray kNickNameRefused = "The Nick Name entered is not valid - please re-enter.";
const QByteArray kLogin = "send \"Login: \"\nexpect \"tarnovik\\r\"\n"
                          "send \"Password: \"\nexpect \"tarnovik\\r\"\n";

// The bytes as a scenario's quoted text writes them.
QByteArray Escaped(const QByteArray &bytes) {
    QByteArray text;
    for (const char c : bytes)
        text +=
            "\\x" + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
    return text;
}

// The wizard is the user's again and the line idle.
void CheckIdle(const frmRegistration &w, const ScriptedUi &ui) {
    QVERIFY(QTest::qWaitFor([&] { return w.mDialRequest == 0; }));
    QVERIFY(Released(w));
    QCOMPARE(Indicator(w), w.imgNotConnected);
    QCOMPARE(ui.mousePointer(), MousePointer::Default);
    QVERIFY(!w.ctlTAPI.CallInProgress());
}

} // namespace

class WizardCallTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ProgramFolder> machine_;
    std::unique_ptr<ScriptedUi> ui_;

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }
    void init() {
        machine_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        modKestenrol::gAppPath = machine_->appPath();
        QDir(machine_->root()).mkpath(u"fallback"_s);
        SetFallbackFolder(QFile::encodeName(machine_->root()) + "/fallback/");
    }
    void cleanup() {
        ui_.reset();
        machine_.reset();
    }

    void callLogsInAndAnswersTheHost_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("prompts on lines of their own")
            << HostSim::Scenario(u"login.scn"_s) + "send \"Kestrune\\r\\n\"\n";
        QTest::newRow("prompts split across reads")
            << QByteArray("send \"\\r\\nLog\" \"in\" \": \"\nexpect \"tarnovik\\r\"\n"
                          "send \"Pass\" \"word: \"\nexpect \"tarnovik\\r\"\n"
                          "send \"conn\" \"ected\"\n");
        QTest::newRow("text before the prompts on their line") << QByteArray(
            "send \"Kestrune host v2 -- Login: \"\nexpect \"tarnovik\\r\"\n"
            "send \"\\r\\nbad luck, try again\\rPassword: \"\n"
            "expect \"tarnovik\\r\"\nsend \"\\n\\rThe host is connected now\\r\\n\"\n");
        // A whole request in the read that says "connected": dropped with it.
        const QByteArray early =
            PacketPack(PacketString(1, "JUNK", "\x77\x77", LongToBytes(1 << 19) + LongToBytes(0)));
        QTest::newRow("a packet after connected in the same read")
            << kLogin + "send \"connected" + Escaped(early) + "\"\n";
    }
    // Dialling, connected, both prompts answered, packets: the host's request
    // is answered while the wizard stays locked for the call.
    void callLogsInAndAnswersTheHost() {
        QFETCH(QByteArray, script);
        HostSim sim(kQuick + "set dial-delay 150\n" + script + "request 20\n");
        UseModem(sim.device());
        const auto window = StartWizard();
        frmRegistration &w = *window;
        SubmitRegistration(w, *ui_);

        QVERIFY(w.mDialRequest < 0); // the pending mark in the top bit
        QCOMPARE(Indicator(w), w.imgNotConnected);
        QVERIFY(WaitForStatus(w, u"Dialing ..."_s));
        QVERIFY(WaitForStatus(w, u"Connected"_s));
        QCOMPARE(Indicator(w), w.imgConnected);
        QCOMPARE(w.mDialRequest, 0);

        QVERIFY(sim.waitForRecord("field 20 \"No\""));
        const QByteArrayList record = sim.record();
        QVERIFY(record.contains("dial \"T0270105678\""));
        QCOMPARE(record.count(kAnswer), 2);
        QVERIFY(record.contains("packet kind=2 tag=4b530100 seq=0100 length=18"));
        QVERIFY(std::none_of(record.begin(), record.end(),
                             [](const QByteArray &line) { return line.contains("7777"); }));
        QCOMPARE(w.mPacketMode, kTrue);
        // Locked for the call, Cancel aside; only the survey question was asked.
        QVERIFY(!w.cmdFinish->isEnabled() && !w.txtFirstName->isEnabled());
        QVERIFY(w.cmdCancel->isEnabled());
        QCOMPARE(ui_->messages.size(), 1);
        QCOMPARE(ui_->beeps, 0);
    }
    void failedCalls_data() {
        // The host's script ("missing" and "locked": the modem cannot be used at all), then
        // the messages after the survey question, the last one's icon, the beeps, the status
        // line and the windows opened.
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArrayList>("messages");
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArrayList>("windows");
        const auto row = [](const char *name, const QByteArray &script,
                            const QByteArrayList &messages, MsgIcon icon, int beeps,
                            const QString &status, const QByteArrayList &windows = {}) {
            QTest::newRow(name) << script << messages << icon << beeps << status << windows;
        };
        const QString lost = u"Connection disconnected"_s;
        row("busy", "modem busy", {kBusy}, MsgIcon::Critical, 1, u"Kestrune Busy"_s);
        for (const char *script : {"modem no-carrier", "modem no-answer"})
            row(script, script, {kDisconnected}, MsgIcon::Critical, 1, lost);
        // A silent or switched-off modem gets no answer to the dial command.
        for (const char *script :
             {"modem no-dialtone", "modem error", "modem silent", "modem mute"})
            row(script, script, {kCallNotMade}, MsgIcon::Exclamation, 0, u"Call not completed"_s);
        // The modem/location message, then the Connection Settings window.
        for (const char *device : {"missing", "locked"})
            row(device, device, {kModemUnavailable}, MsgIcon::Exclamation, 1, QString(),
                {"Connection Settings"});
        // The carrier lost once connected.
        row("NO CARRIER from the modem", HostSim::Scenario(u"carrier-lost.scn"_s), {kDisconnected},
            MsgIcon::Critical, 1, lost);
        row("the device closing", kLogin + "send \"connected\"\nwait 200\nclose\n", {kDisconnected},
            MsgIcon::Critical, 1, lost);
        // The refused field can no longer be sent: Continue goes with the call.
        row("while a refused field waits",
            kLogin + "send \"connected\"\nrequest 16 reject 2 await none\nwait 300\ndrop\n",
            {kNickNameRefused, kDisconnected}, MsgIcon::Critical, 1, lost);
    }
    // The messages once each; the wizard released once the line is idle again.
    void failedCalls() {
        QFETCH(QByteArray, script);
        QFETCH(QByteArrayList, messages);
        const bool missing = script == "missing";
        const bool locked = script == "locked";
        HostSim sim(missing || locked ? QByteArray("modem mute\n") : kQuick + script + '\n');
        QByteArray device = sim.device();
        QFile lock(QDir::temp().filePath(QString::fromLatin1(LockFileName(device))));
        if (missing)
            device = QFile::encodeName(machine_->root()) + "/no-such-modem";
        if (locked) {
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(sim.process().processId()).rightJustified(10) + '\n');
            lock.close();
        }
        UseModem(device);
        // A silent modem is given up sooner still.
        HayesTimings timings = QuickTimings();
        timings.commandWait = 400;
        timings.dialWait = 600;
        const auto window = StartWizard(timings);
        SubmitRegistration(*window, *ui_);
        QVERIFY(WaitForMessages(*ui_, messages.size() + 1));
        if (locked)
            lock.remove();
        QTEST(window->lblStatus->text(), "status");
        CheckIdle(*window, *ui_);
        QCOMPARE(ui_->messages.mid(1).size(), messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i)
            QCOMPARE(ui_->messages[i + 1].text, messages[i]);
        QTEST(ui_->messages.last().icon, "icon");
        QCOMPARE(ui_->messages.last().title, QByteArray("Kestrune Registration"));
        QTEST(ui_->beeps, "beeps");
        QTEST(ui_->modalTitles, "windows");
        QVERIFY(window->cmdContinue->isHidden());
        // The carrier was lost after the login, where the host logs one.
        QCOMPARE(sim.record().count(kAnswer), script.contains("tarnovik") ? 2 : 0);
        if (missing || locked)
            QVERIFY(!sim.record().contains("line-opened"));
    }

    // Each dial starts a fresh line: the second call's prompts are answered
    // although the first call had reached packets.
    void retryAfterADroppedCallLogsInAgain() {
        HostSim sim(kQuick + HostSim::Scenario(u"carrier-lost.scn"_s) + "call\n" + kLogin +
                    "send \"connected\"\nrequest 16\n");
        UseModem(sim.device());
        const auto window = StartWizard();
        SubmitRegistration(*window, *ui_);
        QVERIFY(WaitForStatus(*window, u"Connection disconnected"_s));
        QCOMPARE(window->mPacketMode, kTrue);
        ui_->answers = {MsgAnswer::No};
        Click(window->cmdFinish);
        QVERIFY(sim.waitForRecord("field 16 \"MARYS\""));
        QCOMPARE(sim.record().count(kAnswer), 4);
        QVERIFY(sim.record().contains("call 2"));
        QCOMPARE(ui_->messages.size(), 3);
    }
    void hangUpOnClose_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("quitSignal");
        QTest::addColumn<QByteArray>("ending");
        const QByteArray login = HostSim::Scenario(u"login.scn"_s);
        QTest::newRow("connected") << login << u"Connected"_s << false << QByteArray("hangup ath");
        QTest::newRow("dialling") << QByteArray("set dial-delay 5000\n") << u"Dialing ..."_s
                                  << false << QByteArray("dial-aborted");
        // Last: the handler stays installed.
        QTest::newRow("SIGTERM") << login << u"Connected"_s << true << QByteArray("hangup ath");
    }
    // Closing the window asks, starts the hang-up and ends the program; SIGTERM
    // ends it through the event loop. The telephony control finishes the
    // hang-up as the window goes.
    void hangUpOnClose() {
        QFETCH(QByteArray, script);
        QFETCH(QString, status);
        QFETCH(bool, quitSignal);
        QFETCH(QByteArray, ending);
        HostSim sim(kQuick + script);
        UseModem(sim.device());
        auto window = StartWizard();
        SubmitRegistration(*window, *ui_);
        QVERIFY(WaitForStatus(*window, status));
        if (quitSignal) {
            EndProgramOnQuitSignals();
            std::raise(SIGTERM);
            QVERIFY(QTest::qWaitFor([&] { return ui_->ended; }));
            QCOMPARE(ui_->endStatus, 128 + SIGTERM);
        } else {
            window->close();
            QCOMPARE(ui_->messages.last().text,
                     QByteArray("Are you sure you want to cancel the Kestrune Registration?"));
            QVERIFY(ui_->ended);
            QCOMPARE(ui_->endStatus, 0);
            QCOMPARE(window->lblStatus->text(), u"Hanging up connection..."_s);
            QVERIFY(window->mHangupRequest != 0);
        }
        window.reset();
        QVERIFY(sim.waitForRecord(ending));
        QVERIFY(sim.waitForRecord("line-closed"));
        QVERIFY(
            !QFile::exists(QDir::temp().filePath(QString::fromLatin1(LockFileName(sim.device())))));
    }
};

QTEST_MAIN(WizardCallTest)
#include "tst_wizard_call.moc"
