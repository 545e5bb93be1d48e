// Whole registrations, end to end: the real wizard window types its way to
// Submit, calls kestrune-hostsim over a real pseudo-terminal and holds the
// whole packet conversation, the card window included, up to the host's
// closing text.
#include "call_driver.h"
#include "clock.h"
#include "code_page.h"
#include "entry_boxes.h"
#include "field_requests.h"
#include "frmCreditCard.h"
#include "host_sim.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "registry.h"
#include "settings.h"
#include "wizard_driver.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kLogin = "send \"\\r\\nKestrune registration\\r\\nLogin: \"\n"
                          "expect \"tarnovik\\r\"\nsend \"Password: \"\nexpect \"tarnovik\\r\"\n"
                          "send \"\\r\\nconnected\\r\\n\"\n";
const QByteArray kCardNumber = "4111111111111111";
const QByteArray kPlanRefused = "The Plan Number must be in the range of plan numbers listed.";
const QByteArray kExit = "\r\n\r\nThe Registration program will exit.";

// A text as the simulator's record quotes it.
QByteArray Quoted(const QByteArray &bytes) {
    QByteArray quoted("\"");
    for (const char c : bytes) {
        if (c == '\\' || c == '"')
            quoted.append('\\').append(c);
        else if (c >= ' ' && c <= '~')
            quoted.append(c);
        else
            quoted.append("\\x").append(
                QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0'));
    }
    return quoted.append('"');
}

QByteArray Field(int number, const QByteArray &text) {
    return "field " + QByteArray::number(number) + ' ' + Quoted(text);
}

// The answer packet line and its fields, as the record shows them; each run
// of texts goes to fields numbered on from its first.
QByteArrayList Answer(const char *sequence, const QList<std::pair<int, QByteArrayList>> &runs) {
    int length = 12;
    QByteArrayList lines;
    for (const auto &[first, texts] : runs) {
        for (int i = 0; i < texts.size(); ++i) {
            length += 4 + static_cast<int>(texts[i].size() + texts[i].size() % 2);
            lines.append(Field(first + i, texts[i]));
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

bool FileHolds(const QString &path, const QByteArray &text) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
}

} // namespace

class RegistrationCallTest : public QObject {
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

    void wholeRegistration();
    void refusedFieldCorrectedWithContinue();
};

// Every field the host asks for, in the bytes the field table gives; the
// card window opened and answered within its plan bounds; the host's data
// kept; repeats, acknowledgements, an unknown kind and a malformed packet
// on the way; the closing text; the program ended and the call hung up.
void RegistrationCallTest::wholeRegistration() {
    const QByteArray command2 = QByteArray("auth=").append(QByteArray(400, 'k'));
    HostSim sim(kQuick + "set resend-after 3000\n" + kLogin +
                "request 1-9,14-21,23\n"
                "repeat\n"
                "data 24=\"\\x02\\x04Plan 2: monthly\\r\\nPlan 3: quarterly\\r\\nPlan 4: yearly\"\n"
                "request 10-13,24\n"
                "data 25=\"KESTRUNE:MARYS\" 26=\"" +
                command2 +
                "\" 30=\"ignored\"\n"
                "ack\n"
                "packet 9 \"??\"\n"
                "malformed\n"
                "wait 100\n"
                "request 20,25,26,27\n"
                "end \"Welcome to Kestrune, MARYS!\\r\\nYour account is ready.\"\n");
    UseModem(sim.device());
    const auto window = StartWizard();
    frmRegistration &w = *window;

    ui_->modalActions.append(FinishSurvey);
    QByteArrayList cardChecks;
    ui_->modalActions.append([&](QDialog &dialog) {
        auto &card = dynamic_cast<frmCreditCard &>(dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(card.mintPlanNbrLo, std::int16_t(2));
        QCOMPARE(card.mintPlanNbrHi, std::int16_t(4));
        QCOMPARE(BoxText(card.txtPlan), QByteArray("Plan 2: monthly\r\nPlan 3: quarterly\r\n"
                                                   "Plan 4: yearly"));
        QCOMPARE(BoxText(card.txtNameOnCard), QByteArray("MARY SMITH"));
        QCOMPARE(Focused(), card.txtCreditCardNumber);
        for (const QString &text :
             {QString::fromLatin1(kCardNumber), u"1228"_s, QString(), QString()})
            Enter(text);
        QCOMPARE(Focused(), card.txtPlanNbr);
        // A plan outside the offer is refused.
        Enter(u"5"_s);
        Press(Qt::Key_Return);
        QCOMPARE(ui_->messages.last().text, kPlanRefused);
        QCOMPARE(Focused(), card.txtPlanNbr);
        Enter(u"3"_s);
        QCOMPARE(Focused(), card.cmdOK);
        Press(Qt::Key_Return);
        cardChecks.append("done");
    });
    SubmitRegistration(w, *ui_, true);
    QVERIFY(sim.waitForRecord("hangup ath", 10000));
    QCOMPARE(cardChecks, QByteArrayList{"done"});

    // The closing text, exactly, and the program ended well.
    const ScriptedUi::Message &closing = ui_->messages.last();
    QCOMPARE(closing.text, "Welcome to Kestrune, MARYS!\r\nYour account is ready." + kExit);
    QCOMPARE(closing.icon, MsgIcon::Exclamation);
    QCOMPARE(closing.title, QByteArray("Kestrune Registration"));
    QVERIFY(ui_->ended);
    QCOMPARE(ui_->endStatus, 0);
    QVERIFY(WaitForStatus(w, u"Call complete"_s));
    QCOMPARE(Indicator(w), w.imgNotConnected);

    const QByteArrayList details =
        Answer("0100", {{1,
                         {"Mary", "Smith", "12 High Street", "", "RICHMOND", "NSW", "2000",
                          "02 9555 1234", "mary@example.com"}},
                        {14,
                         {"02 70105678\tSydney", "", "MARYS", "SECRET", "Strategy games",
                          "0295551234", "No", "From a friend"}},
                        {23, {SurveyAnswerText()}}});
    QByteArrayList expected{"sent kind=1 seq=0100 tag=4b530100"};
    expected << details << "sent repeat seq=0100" << details << "same-bytes"
             << "sent kind=2 seq=0200 tag=4b530200"
             << "packet kind=3 tag=4b530200 seq=0200 length=12"
             << "sent kind=1 seq=0300 tag=4b530300"
             << Answer("0300", {{10,
                                 {kCardNumber, "1228", "MARY SMITH",
                                  "12 High Street\r\nRICHMOND\r\nNSW    2000"}},
                                {24, {"\x03"}}})
             << "sent kind=2 seq=0400 tag=4b530400"
             << "packet kind=3 tag=4b530400 seq=0400 length=12"
             // An acknowledgement and an unknown kind: the last packet again.
             << "sent kind=3 seq=0500 tag=4b530500"
             << "packet kind=3 tag=4b530400 seq=0400 length=12"
             << "same-bytes"
             << "sent kind=9 seq=0600 tag=4b530600"
             << "packet kind=3 tag=4b530400 seq=0400 length=12"
             << "same-bytes"
             // The malformed packet is not answered; the next request is.
             << "sent kind=2 seq=0700 tag=4b530700"
             << "sent kind=1 seq=0800 tag=4b530800"
             << Answer("0800", {{20, {"No"}}, {25, {"KESTRUNE:MARYS", command2}}})
             << "sent kind=4 seq=0900 tag=4b530900";
    const QByteArrayList record = sim.record();
    const qsizetype from = record.indexOf(expected.first());
    QVERIFY(from >= 0);
    QCOMPARE(record.mid(from, expected.size()), expected);
    QCOMPARE(record.count(kAnswer), 2);
    QCOMPARE(SurveyAnswerText().count(','), 75);

    // The host's login texts are stored whole for the games client.
    QCOMPARE(Registry(kCommand1Value), QByteArray("KESTRUNE:MARYS"));
    QCOMPARE(Registry(kCommand2Value), command2);
    // The card lived for the call only, and never reached a file.
    QVERIFY(w.txtCreditCardNumber.isEmpty() && w.txtExpiryDate.isEmpty());
    QCOMPARE(modKestenrol::gCardAccepted, kFalse);
    QVERIFY(!FileHolds(machine_->registryPath(), kCardNumber));
    QVERIFY(
        !FileHolds(machine_->configHome() + u"/Kestrune/KestruneRegistration.ini"_s, kCardNumber));
    QVERIFY(!FileHolds(machine_->path() + u"/survey.txt"_s, kCardNumber));
}

// The host refuses the nickname: the wizard shows why and where, the user
// corrects it and presses Continue, and the corrected answer goes.
void RegistrationCallTest::refusedFieldCorrectedWithContinue() {
    HostSim sim(kQuick + kLogin +
                "request 1,2,16,20\n"
                "request 16,20 reject 2\n"
                "end \"Done\"\n");
    UseModem(sim.device());
    const auto window = StartWizard();
    frmRegistration &w = *window;
    SubmitRegistration(w, *ui_);

    QVERIFY(WaitForMessages(*ui_, 2));
    QCOMPARE(ui_->messages[1].text,
             QByteArray("The Nick Name entered is not valid - please re-enter."));
    QCOMPARE(ui_->messages[1].icon, MsgIcon::Exclamation);
    QVERIFY(w.cmdContinue->isVisible() && w.cmdContinue->isEnabled());
    QVERIFY(w.cmdFinish->isHidden());
    QCOMPARE(w.intCurrentPage, std::int16_t(2));
    QCOMPARE(Focused(), w.txtNickName);
    QCOMPARE(w.txtNickName->selectedText(), u"MARYS"_s);

    Type(u"maryann"_s);
    PressAlt(Qt::Key_O);
    QVERIFY(w.cmdContinue->isHidden());
    QVERIFY(!w.txtNickName->isEnabled());
    QVERIFY(sim.waitForRecord("hangup ath"));

    QByteArrayList expected{"sent kind=1 seq=0200 tag=4b530200"};
    expected << Answer("0200", {{16, {"MARYANN"}}, {20, {"No"}}})
             << "sent kind=4 seq=0300 tag=4b530300";
    const QByteArrayList record = sim.record();
    const qsizetype from = record.indexOf(expected.first());
    QVERIFY(from >= 0);
    QCOMPARE(record.mid(from, expected.size()), expected);
    QCOMPARE(ui_->messages.last().text, "Done" + kExit);
    QVERIFY(ui_->ended);
    QCOMPARE(ui_->endStatus, 0);
}

QTEST_MAIN(RegistrationCallTest)
#include "tst_registration_call.moc"
