// The wizard's calls end to end: the real window dials kestrune-hostsim over
// a real pseudo-terminal; whole registrations, failures, hanging up.
#include "clock.h"
#include "entry_boxes.h"
#include "field_requests.h"
#include "frmCreditCard.h"
#include "host_sim.h"
#include "modem_settings.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "quit_signals.h"
#include "record.h"
#include "registration_call.h"
#include "registry.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"
#include "uucp_lock.h"
#include "wizard_driver.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
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
const QByteArray kCardNumber = "4111111111111111";

// The answer packet's record lines; each run of texts numbered on from its first field.
QByteArrayList Answer(const char *sequence, const QList<std::pair<int, QByteArrayList>> &runs) {
    int length = 12;
    QByteArrayList lines;
    for (const auto &[first, texts] : runs) {
        for (int i = 0; i < texts.size(); ++i) {
            length += 4 + static_cast<int>(texts[i].size() + texts[i].size() % 2);
            lines.append("field " + QByteArray::number(first + i) + ' ' + Quote(texts[i]));
        }
    }
    const QByteArray seq(sequence);
    lines.prepend("packet kind=2 tag=4b53" + seq + " seq=" + seq +
                  " length=" + QByteArray::number(length));
    return lines;
}

QByteArray Registry(const char *name) {
    QByteArray value;
    RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, name, value);
    return value;
}

void UseModem(const QByteArray &device) {
    SaveSetting(kSettingsApp, kModemSection, "Device", device);
}

// Types a whole registration and submits it, the survey declined or finished.
void SubmitRegistration(frmRegistration &window, ScriptedUi &ui, bool takeSurvey = false) {
    FillAllPages(window);
    ui.answers.append(takeSurvey ? MsgAnswer::Yes : MsgAnswer::No);
    if (takeSurvey)
        ui.modalActions.append(FinishSurvey);
    Click(window.cmdFinish);
}

// The picture that the connection indicator shows in front.
const QLabel *Indicator(const frmRegistration &window) {
    return qobject_cast<const QLabel *>(
        window.Frame1->childAt(window.imgConnected->geometry().center()));
}

bool WaitForStatus(const frmRegistration &window, const QString &text) {
    return QTest::qWaitFor([&] { return window.lblStatus->text() == text; }, 5000);
}

bool WaitForMessages(const ScriptedUi &ui, qsizetype count) {
    return QTest::qWaitFor([&] { return ui.messages.size() >= count; }, 5000);
}

// Whether a box of the wizard, its card window's included, shows the text.
bool AnyBoxHolds(const frmRegistration &window, const QByteArray &text) {
    QStringList shown;
    for (const QLineEdit *box : window.findChildren<QLineEdit *>())
        shown << box->text();
    for (const QPlainTextEdit *box : window.findChildren<QPlainTextEdit *>())
        shown << box->toPlainText();
    return !shown.filter(QString::fromLatin1(text)).isEmpty();
}

// Whether the caller answered a request of the host.
bool AnyAnswerSent(const HostSim &sim) {
    const QByteArrayList record = sim.record();
    return std::any_of(record.begin(), record.end(),
                       [](const QByteArray &line) { return line.startsWith("packet kind=2"); });
}

// The wizard is the user's again (Submit, not Continue) and the line idle.
void CheckIdle(const frmRegistration &w, const ScriptedUi &ui) {
    QVERIFY(QTest::qWaitFor([&] { return w.Call().DialRequest() == 0; }));
    QVERIFY(w.txtFirstName->isEnabled() && w.cmdStartOver->isEnabled());
    QVERIFY(w.cmdFinish->isVisible() && w.cmdFinish->isEnabled() == (w.intCurrentPage == 3));
    QCOMPARE(Indicator(w), w.imgNotConnected);
    QCOMPARE(ui.mousePointer(), MousePointer::Default);
    QVERIFY(!w.Call().CallInProgress());
}

} // namespace

class WizardCallTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ProgramFolder> machine_;
    std::unique_ptr<ScriptedUi> ui_;

  private Q_SLOTS:
    void initTestCase() {
        modKestenrol::SetFramingCharacters();
        SetToday(QDate(2025, 6, 15));
    }
    void init() {
        machine_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        modKestenrol::gAppPath = machine_->appPath();
        modKestenrol::gSurveyAnswers = {};
        QDir(machine_->root()).mkpath(u"fallback"_s);
        SetFallbackFolder(QFile::encodeName(machine_->root()) + "/fallback/");
    }
    void cleanup() {
        ui_.reset();
        machine_.reset();
    }

    void failedCalls_data() {
        // The host's script ("missing": no modem to use), then the messages after the
        // survey question, the last one's icon, the beeps, the status and the windows opened.
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
        row("no carrier", "modem no-carrier", {kDisconnected}, MsgIcon::Critical, 1, lost);
        row("no dial tone", "modem no-dialtone", {kCallNotMade}, MsgIcon::Exclamation, 0,
            u"Call not completed"_s);
        // No such device: the modem/location message, then the Connection Settings window.
        row("missing", "missing", {kModemUnavailable}, MsgIcon::Exclamation, 1, QString(),
            {"Connection Settings"});
        // The device gone in the middle of the call.
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
        HostSim sim(kQuick + (missing ? QByteArray() : script) + '\n');
        UseModem(missing ? QFile::encodeName(machine_->root()) + "/no-such-modem" : sim.device());
        const auto window = StartWizard();
        SubmitRegistration(*window, *ui_);
        QVERIFY(WaitForMessages(*ui_, messages.size() + 1));
        QTEST(window->lblStatus->text(), "status");
        CheckIdle(*window, *ui_);
        // The messages' own lines (the line naming the cause: the call's test).
        QByteArrayList shown;
        for (qsizetype i = 1; i < ui_->messages.size(); ++i)
            shown << ui_->messages[i].text.left(messages.value(i - 1).size());
        QCOMPARE(shown, messages);
        QTEST(ui_->messages.last().icon, "icon");
        QCOMPARE(ui_->messages.last().title, QByteArray("Kestrune Registration"));
        QTEST(ui_->beeps, "beeps");
        QTEST(ui_->modalTitles, "windows");
        QVERIFY(window->cmdContinue->isHidden());
    }

    void wholeRegistration();
    void cardWindowClosesWithTheCall();
    void endings_data();
    void endings();
};

// The pick's number dialled; every field asked for, in the field table's bytes; the card
// window's plan within the host's bounds; a refused nickname checked as Next checks it, from its
// page or another, and sent with Continue once corrected, Start Over not offered
// meanwhile; the host's data kept; the closing text; the program ended and the call hung
// up; the card wiped where it was kept, in no box nor file.
void WizardCallTest::wholeRegistration() {
    const QByteArray command2 = QByteArray("auth=").append(QByteArray(400, 'k'));
    HostSim sim(kQuick + "set resend-after 3000\n" + kLogin + "send \"connected\"\n" +
                "request 1-9,14-21,23\n"
                "request 16,20 reject 2\n"
                "data 24=\"\\x02\\x04Plan 2: monthly\\r\\nPlan 3: quarterly\\r\\nPlan 4: yearly\"\n"
                "request 10-13,24\n"
                "data 25=\"KESTRUNE:MARYS\" 26=\"" +
                command2 +
                "\" 30=\"ignored\"\n"
                "request 20,25,26,27\n"
                "end \"Welcome to Kestrune, MARYS!\\r\\nYour account is ready.\"\n");
    UseModem(sim.device());
    const auto window = StartWizard();
    frmRegistration &w = *window;
    CardDetails kept;

    ui_->modalActions.append(FinishSurvey);
    ui_->modalActions.append([&](QDialog &dialog) {
        auto &card = dynamic_cast<frmCreditCard &>(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(Focused(), card.txtCreditCardNumber);
        for (const QString &text :
             {QString::fromLatin1(kCardNumber), u"1228"_s, QString(), QString(), u"3"_s})
            Enter(text);
        QCOMPARE(Focused(), card.cmdOK);
        Press(Qt::Key_Return);
        // Once the card is kept: a copy that shares the memory it is kept in.
        QTimer::singleShot(0, &w, [&] { kept = w.Call().Conversation().KeptCard(); });
    });
    SubmitRegistration(w, *ui_, true);
    QVERIFY(WaitForMessages(*ui_, 3)); // the survey's thanks, then the refusal
    QCOMPARE(ui_->messages[2].text, kNickNameRefused);
    w.activateWindow(); // after the survey window
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.cmdContinue->isVisible() && w.cmdContinue->isEnabled() && w.cmdFinish->isHidden());
    QCOMPARE(w.intCurrentPage, std::int16_t(2));
    QCOMPARE(Focused(), w.txtNickName);
    QCOMPARE(w.txtNickName->selectedText(), u"MARYS"_s);
    QVERIFY(!w.cmdStartOver->isEnabled());
    PressAlt(Qt::Key_S);
    QCOMPARE(ui_->messages.size(), 3);
    QList<QWidget *> reached;
    for (int i = 0; i < 30; ++i) {
        Press(Qt::Key_Tab);
        reached.append(Focused());
    }
    QVERIFY(reached.contains(w.cmdContinue) && !reached.contains(w.cmdStartOver));
    // Blanked: Next's message, and nothing goes (the record below shows it).
    const QByteArray blank = "Please enter the Nickname you want to identified by.";
    w.txtNickName->setFocus();
    Press(Qt::Key_Backspace);
    PressAlt(Qt::Key_O);
    QCOMPARE(ui_->messages.last().text, blank);
    QCOMPARE(Focused(), w.txtNickName);
    PressAlt(Qt::Key_B);
    QCOMPARE(w.intCurrentPage, std::int16_t(1));
    PressAlt(Qt::Key_O);
    QCOMPARE(ui_->messages.size(), 5);
    QCOMPARE(ui_->messages.last().text, blank);
    QCOMPARE(w.intCurrentPage, std::int16_t(2));
    QCOMPARE(Focused(), w.txtNickName);
    QVERIFY(w.cmdContinue->isVisible() && w.cmdContinue->isEnabled());
    Type(u"maryann"_s);
    PressAlt(Qt::Key_O);
    QVERIFY(w.cmdContinue->isHidden() && !w.txtNickName->isEnabled());
    QVERIFY(sim.waitForRecord("hangup ath", 10000));
    QCOMPARE(ui_->modalTitles.size(), 2); // the survey and the card window

    // The closing text, exactly, and the program ended well.
    const ScriptedUi::Message &closing = ui_->messages.last();
    QCOMPARE(closing.text, QByteArray("Welcome to Kestrune, MARYS!\r\nYour account is ready.\r\n"
                                      "\r\nThe Registration program will exit."));
    QCOMPARE(closing.icon, MsgIcon::Exclamation);
    QVERIFY(ui_->ended && ui_->endStatus == 0);
    QVERIFY(WaitForStatus(w, u"Call complete"_s));

    const QByteArrayList details =
        Answer("0100", {{1,
                         {"Mary", "Smith", "12 High Street", "", "RICHMOND", "NSW", "2000",
                          "02 9555 1234", "mary@example.com"}},
                        {14,
                         {"02 70105678\tSydney", "", "MARYS", "SECRET", "Strategy games",
                          "0295551234", "No", "From a friend"}},
                        {23, {SurveyAnswerText()}}});
    QByteArrayList expected{"sent kind=1 seq=0100 tag=4b530100"};
    expected << details << "sent kind=1 seq=0200 tag=4b530200"
             << Answer("0200", {{16, {"MARYANN"}}, {20, {"No"}}})
             << "sent kind=2 seq=0300 tag=4b530300"
             << "packet kind=3 tag=4b530300 seq=0300 length=12"
             << "sent kind=1 seq=0400 tag=4b530400"
             << Answer("0400", {{10,
                                 {kCardNumber, "1228", "MARY SMITH",
                                  "12 High Street\r\nRICHMOND\r\nNSW    2000"}},
                                {24, {"\x03"}}})
             << "sent kind=2 seq=0500 tag=4b530500"
             << "packet kind=3 tag=4b530500 seq=0500 length=12"
             << "sent kind=1 seq=0600 tag=4b530600"
             << Answer("0600", {{20, {"No"}}, {25, {"KESTRUNE:MARYS", command2}}})
             << "sent kind=4 seq=0700 tag=4b530700";
    const QByteArrayList record = sim.record();
    QCOMPARE(record.mid(record.indexOf(expected.first()), expected.size()), expected);
    QVERIFY(record.contains("dial \"T0270105678\""));
    QCOMPARE(record.count(kAnswer), 2);
    QCOMPARE(w.mbolDoneSurvey, kTrue);
    QVERIFY(SurveyAnswerText().startsWith("16-25,M,Academic/Teacher,"));

    // The host's login texts are stored whole for the games client.
    QCOMPARE(Registry(kCommand1Value), QByteArray("KESTRUNE:MARYS"));
    QCOMPARE(Registry(kCommand2Value), command2);
    // The card lived for the call only (what the call forgets: its own test),
    // wiped where it was kept, and never reached a box or a file.
    QCOMPARE(kept.txtCreditCardNumber, QByteArray(kCardNumber.size(), '\0'));
    QVERIFY(!AnyBoxHolds(w, kCardNumber));
    for (const QString &path : {machine_->registryPath(), machine_->path() + u"/survey.txt"_s,
                                machine_->configHome() + u"/Kestrune/KestruneRegistration.ini"_s}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(!file.readAll().contains(kCardNumber), qPrintable(path));
    }
}

// The carrier lost while the user types the card: the card window closes
// with the call, wiped, and an OK pressed on its way all the same keeps
// nothing and sends nothing. The next dial starts a fresh line: its prompts
// are answered although this call had reached packets.
void WizardCallTest::cardWindowClosesWithTheCall() {
    HostSim sim(kQuick + kLogin + "send \"connected\"\ndata 24=\"\\x02\\x04Plans\"\n" +
                "request 10-13,24 await none\nwait 300\ndrop\ncall\n" + kLogin +
                "send \"connected\"\nrequest 16\n");
    UseModem(sim.device());
    const auto window = StartWizard();
    frmRegistration &w = *window;
    ui_->modalActions.append([&](QDialog &dialog) {
        auto &card = dynamic_cast<frmCreditCard &>(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        Type(QString::fromLatin1(kCardNumber.left(8)));
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
        QCOMPARE(ui_->messages.last().text, kDisconnected);
        QVERIFY(!AnyBoxHolds(w, kCardNumber.left(8)));
        SetBoxText(card.txtCreditCardNumber, kCardNumber);
        SetBoxText(card.txtExpiryDate, "1228");
        SetBoxText(card.txtNameOnCard, "MARY SMITH");
        SetBoxText(card.txtPlanNbr, "3");
        card.cmdOK->click();
        QCOMPARE(ui_->messages.last().text, kDisconnected);
    });
    SubmitRegistration(w, *ui_);
    QVERIFY(WaitForStatus(w, u"Connection disconnected"_s));
    QVERIFY(QTest::qWaitFor([&] { return ui_->modalActions.isEmpty(); }));
    CheckIdle(w, *ui_);
    QVERIFY(!AnyAnswerSent(sim));
    QCOMPARE(w.Call().Conversation().KeptCard(), CardDetails());
    QCOMPARE(modKestenrol::gCardAccepted, kFalse);
    QVERIFY(!AnyBoxHolds(w, kCardNumber));
    QVERIFY(modKestenrol::gLastPacket.isEmpty());

    ui_->answers = {MsgAnswer::No};
    Click(w.cmdFinish);
    QVERIFY(sim.waitForRecord("field 16 \"MARYS\""));
    QCOMPARE(sim.record().count(kAnswer), 4);
    QVERIFY(sim.record().contains("call 2"));
}

void WizardCallTest::endings_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("quitSignal");
    QTest::addColumn<bool>("takeSurvey");
    QTest::newRow("Cancel while connected") << HostSim::Scenario(u"login.scn"_s) << false << false;
    // The host waits for the card without limit.
    QTest::newRow("SIGTERM, card window") << kLogin + "send \"connected\"\nrequest 10-13,24\n"
                                          << true << false;
    QTest::newRow("SIGTERM, survey, before the dial") << kLogin << true << true;
}

// Cancel during a call asks first; SIGTERM while a window of the
// wizard is open does not. Either way the program ends without another word
// to the host (nor a dial) but the hang-up, which the telephony control
// finishes as the window goes.
void WizardCallTest::endings() {
    QFETCH(QByteArray, script);
    QFETCH(bool, quitSignal);
    QFETCH(bool, takeSurvey);
    HostSim sim(kQuick + script);
    UseModem(sim.device());
    auto window = StartWizard();
    FillAllPages(*window);
    ui_->answers.append(takeSurvey ? MsgAnswer::Yes : MsgAnswer::No);
    if (quitSignal) {
        ui_->modalActions.append([&](QDialog &dialog) {
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            EndProgramOnQuitSignals();
            std::raise(SIGTERM);
            QVERIFY(QTest::qWaitFor([&] { return ui_->ended; }));
            QVERIFY(!dialog.isVisible());
        });
    }
    Click(window->cmdFinish);
    if (!quitSignal) {
        QVERIFY(WaitForStatus(*window, u"Connected"_s));
        QCOMPARE(Indicator(*window), window->imgConnected);
        Click(window->cmdCancel);
        QCOMPARE(ui_->messages.last().text,
                 QByteArray("Are you sure you want to cancel the Kestrune Registration?"));
    }
    QVERIFY(QTest::qWaitFor([&] { return ui_->ended; }, 10000));
    QCOMPARE(ui_->endStatus, quitSignal ? 128 + SIGTERM : 0);
    window.reset();
    if (!takeSurvey) {
        QVERIFY(sim.waitForRecord("hangup ath"));
        QVERIFY(sim.waitForRecord("line-closed"));
        QVERIFY(!QFile::exists(
            QFile::decodeName(QByteArray(kLockFolder) + '/' + LockFileName(sim.device()))));
    }
    QVERIFY(!AnyAnswerSent(sim));
    // Ended from the survey, the modem was never even opened.
    QCOMPARE(sim.record().contains("line-opened"), !takeSurvey);
}

QTEST_MAIN(WizardCallTest)
#include "test_wizard_call.moc"
