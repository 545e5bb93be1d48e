#include "code_page.h"
#include "entry_boxes.h"
#include "field_records.h"
#include "field_requests.h"
#include "frmRegistration.h"
#include "frmTerms.h"
#include "host_sim.h"
#include "modem_settings.h"
#include "number_codec.h"
#include "packet_codec.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "registry.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"
#include "wizard_driver.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QWindow>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kApp = "KestruneRegistration";

// The modem answers nothing, and the wizard waits for it longer than any
// test here runs: Submit leaves the call being dialled. Hanging it up on
// the way out hardly waits.
HayesTimings PatientModem() {
    HayesTimings timings = QuickTimings();
    timings.commandWait = 60000;
    timings.dialWait = 60000;
    timings.exitWait = 20;
    return timings;
}
const QByteArray kMelbourne = "03 70101234\tMelbourne";
const QByteArray kSydney = "02 70105678\tSydney";
const QByteArray kSurveyQuestion =
    "Thanks for filling out these registration details. You will be able to complete your "
    "registration in a moment.\r\n\r\nTo help us deliver better service to all Kestrune users, "
    "we would appreciate it if you could take 5 minutes to complete an easy survey.\r\n\r\nWould "
    "you like to complete the survey now?";
const QByteArray kCancelQuestion = "Are you sure you want to cancel the Kestrune Registration?";
const QByteArray kBuiltInChoices[] = {
    "In a games magazine", "Through a game CD", "At an exhibition", "In a computer magazine",
    "In a newspaper",      "On television",     "From a friend"};

// Control name and text; "-" picks nothing, "opt1" chooses the alternative number.
using Changes = QList<std::pair<const char *, const char *>>;

QString Name(const QWidget *widget) {
    return widget != nullptr ? widget->objectName() : u"(none)"_s;
}

QByteArray Selected(const QListWidget *list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? QByteArray() : ToCodePage(items.first()->text());
}

QList<QByteArray> Choices(const QComboBox *list) {
    QList<QByteArray> choices;
    for (int i = 0; i < list->count(); ++i)
        choices << ToCodePage(list->itemText(i));
    return choices;
}

QByteArray Dialled() {
    QByteArray number;
    RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kDialNumberValue, number);
    return number;
}

void CheckMessage(const ScriptedUi::Message &message, const QByteArray &text, MsgIcon icon,
                  MsgButtons buttons, const QByteArray &title) {
    QCOMPARE(message.text, text);
    QCOMPARE(message.icon, icon);
    QCOMPARE(message.buttons, buttons);
    QCOMPARE(message.title, title);
}

// Tab from the given control until the focus comes back, naming each stop.
QStringList TabStops(QWidget *start) {
    start->setFocus();
    QStringList stops;
    for (int i = 0; i < 40; ++i) {
        Press(Qt::Key_Tab);
        stops << Name(Focused());
        if (Focused() == start)
            break;
    }
    return stops;
}

} // namespace

class RegistrationWizardTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ProgramFolder> machine_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<HostSim> modem_;

  private Q_SLOTS:
    void initTestCase() { modKestenrol::SetFramingCharacters(); }
    void init() {
        machine_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        // Submit dials a modem that is switched off.
        modem_ = std::make_unique<HostSim>("modem mute\n");
        SaveSetting(kSettingsApp, kModemSection, "Device", modem_->device());
        modKestenrol::gAppPath = machine_->appPath();
        modKestenrol::gSurveyAnswers = {};
        QDir(machine_->root()).mkpath(u"fallback"_s);
        SetFallbackFolder(QFile::encodeName(machine_->root()) + "/fallback/");
    }

    void cleanup() {
        modem_.reset();
        ui_.reset();
        machine_.reset();
    }

    void keyboardWalkThroughAndSubmit();
    void tabOrder_data();
    void tabOrder();
    void pageChecks_data();
    void pageChecks();
    void closing_data();
    void closing();
    void submit_data();
    void submit();
    void saveRestoreAndStartOver();
    void pickListFiles_data();
    void pickListFiles();
};

void RegistrationWizardTest::keyboardWalkThroughAndSubmit() {
    const auto window = StartWizard(PatientModem());
    frmRegistration &w = *window;
    QCOMPARE(w.windowTitle(), u"Kestrune Registration Wizard - Step 1 of 4"_s);
    QCOMPARE(Focused(), w.txtFirstName);
    QVERIFY(!w.cmdStartOver->isEnabled() && !w.cmdBack->isEnabled());
    QVERIFY(w.cmdNext->isEnabled() && !w.cmdFinish->isEnabled());
    QVERIFY(w.Frame1->isHidden() && w.cmdContinue->isHidden() && w.lblStatus->text().isEmpty());
    QVERIFY(w.optConnection[0]->isChecked() && !w.txtAlternative->isEnabled());
    QCOMPARE(Selected(w.lstExisting), kMelbourne);
    QCOMPARE(w.cboState->currentIndex(), -1);
    // No kestrune.bmp in the program folder: no logo, and no message.
    QVERIFY(w.imgKestrune->pixmap().isNull());

    // Page 0: Enter moves on as Tab; names are proper-cased when left.
    Enter(u"  mary ann  "_s);
    QCOMPARE(Focused(), w.txtSurname);
    QCOMPARE(BoxText(w.txtFirstName), QByteArray("Mary Ann"));
    Type(u"mcDONALD"_s);
    Press(Qt::Key_Enter);
    QCOMPARE(BoxText(w.txtSurname), QByteArray("McDONALD"));
    Enter(u"12 high st"_s);
    Press(Qt::Key_Return);
    QCOMPARE(Focused(), w.txtAddress3);
    // Letters become capitals; Backspace still works.
    Type(u"richmonx"_s);
    Press(Qt::Key_Backspace);
    Enter(u"d"_s);
    QCOMPARE(BoxText(w.txtAddress3), QByteArray("RICHMOND"));
    // The state list takes its entry from the typed letter.
    QCOMPARE(Focused(), w.cboState);
    Enter(u"v"_s);
    QCOMPARE(ListText(w.cboState), QByteArray("VIC"));
    // Only digits in the postcode (4 at most), digits and spaces in the phone.
    QCOMPARE(Focused(), w.txtPostcode);
    Type(u"3a1-2 9"_s);
    Press(Qt::Key_Backspace);
    Enter(u"1x5"_s);
    QCOMPARE(BoxText(w.txtPostcode), QByteArray("3121"));
    Enter(u"03 9555-1234x"_s);
    QCOMPARE(BoxText(w.txtPhone), QByteArray("03 95551234"));
    // Characters the code page lacks never reach a box.
    Type(u"mary\u2603@example.com\u20ac"_s);
    QCOMPARE(BoxText(w.txtEmail), QByteArray("mary@example.com\x80"));
    Press(Qt::Key_Backspace);
    // Enter in the last box goes to Next without pressing it.
    Press(Qt::Key_Return);
    QCOMPARE(Focused(), w.cmdNext);
    QCOMPARE(w.intCurrentPage, std::int16_t(0));
    Press(Qt::Key_Return);

    // Page 1: the dial-in point.
    QCOMPARE(w.windowTitle(), u"Kestrune Registration Wizard - Step 2 of 4"_s);
    QCOMPARE(Focused(), w.lstExisting);
    QVERIFY(w.cmdStartOver->isEnabled() && w.cmdBack->isEnabled());
    Press(Qt::Key_Down);
    QCOMPARE(Selected(w.lstExisting), kSydney);
    // Tab reaches the chosen option; the arrow keys choose the other one.
    Press(Qt::Key_Backtab);
    QCOMPARE(Focused(), w.optConnection[0]);
    Press(Qt::Key_Down);
    QVERIFY(w.optConnection[1]->isChecked());
    QCOMPARE(Focused(), w.txtAlternative);
    QVERIFY(!w.lstExisting->isEnabled() && w.txtAlternative->isEnabled());
    QCOMPARE(Selected(w.lstExisting), kMelbourne);
    Type(u"02 1234-5678"_s);
    QCOMPARE(BoxText(w.txtAlternative), QByteArray("02 12345678"));
    Press(Qt::Key_Backtab);
    Press(Qt::Key_Up);
    QVERIFY(w.optConnection[0]->isChecked());
    QCOMPARE(Focused(), w.lstExisting);
    QVERIFY(w.lstExisting->isEnabled() && !w.txtAlternative->isEnabled());
    QCOMPARE(BoxText(w.txtAlternative), QByteArray("02 12345678"));
    // Enter on an option moves on as Tab.
    Press(Qt::Key_Backtab);
    Press(Qt::Key_Return);
    QCOMPARE(Focused(), w.lstExisting);
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    QCOMPARE(Focused(), w.cmdNext);
    PressAlt(Qt::Key_N);

    // Page 2: capitals in the nickname and passwords, Enter a line break in the CV.
    QCOMPARE(w.intCurrentPage, std::int16_t(2));
    QCOMPARE(Focused(), w.txtNickName);
    for (const QString &text : {u"maryann"_s, u"secret"_s, u"secret"_s, u"line one"_s})
        Enter(text);
    Type(u"line two"_s);
    QCOMPARE(BoxText(w.txtNickName), QByteArray("MARYANN"));
    QCOMPARE(BoxText(w.txtPasswordConfirm), QByteArray("SECRET"));
    QCOMPARE(w.txtPassword->displayText(), u"******"_s);
    QCOMPARE(BoxText(w.txtCV), QByteArray("line one\r\nline two"));
    QCOMPARE(Focused(), w.txtCV);

    // Back never checks; Alt+B and Alt+N are the buttons' keys.
    SetBoxText(w.txtNickName, "SECRET");
    PressAlt(Qt::Key_B);
    QCOMPARE(w.intCurrentPage, std::int16_t(1));
    QCOMPARE(Focused(), w.lstExisting);
    SetBoxText(w.txtNickName, "MARYANN");
    PressAlt(Qt::Key_N);
    PressAlt(Qt::Key_N);

    // Page 3: the call-back number, the check box and the "heard about" list.
    QCOMPARE(w.windowTitle(), u"Kestrune Registration Wizard - Step 4 of 4"_s);
    QCOMPARE(Focused(), w.txtCallbackNumberArea);
    QVERIFY(!w.cmdNext->isEnabled() && w.cmdFinish->isEnabled());
    Enter(u"0a3"_s);
    QCOMPARE(BoxText(w.txtCallbackNumberArea), QByteArray("03"));
    Enter(u"9555 1234"_s);
    QCOMPARE(BoxText(w.txtCallbackNumber), QByteArray("95551234"));
    QCOMPARE(Focused(), w.chkInformation);
    Press(Qt::Key_Space);
    QVERIFY(w.chkInformation->isChecked());
    Press(Qt::Key_Return);
    QCOMPARE(Focused(), w.cboHeardAbout);
    Enter(u"f"_s);
    QCOMPARE(ListText(w.cboHeardAbout), QByteArray("From a friend"));
    QCOMPARE(Focused(), w.cmdFinish);
    QVERIFY(ui_->messages.isEmpty());

    // Submit: No to the survey question, the wizard locked for the call.
    ui_->answers = {MsgAnswer::No};
    Press(Qt::Key_Return);
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(GetSetting(kApp, "Page1", "FirstName"), QByteArray("Mary Ann"));
    for (QWidget *locked : std::initializer_list<QWidget *>{
             w.cmdBack, w.cmdNext, w.cmdFinish, w.cmdStartOver, w.cmdTermsConditions,
             w.txtFirstName, w.cboState, w.optConnection[0], w.optConnection[1], w.txtCV,
             w.chkInformation, w.cboHeardAbout, w.lstExisting, w.txtAlternative})
        QVERIFY2(!locked->isEnabled(), qPrintable(Name(locked)));
    QVERIFY(w.cmdCancel->isEnabled());
    QCOMPARE(w.txtFirstName->palette().color(QPalette::Base), QColor(192, 192, 192));
    // The pick the host will ask for is the one dialled.
    QCOMPARE(Selected(w.lstExisting), kSydney);

    // Released after a failed call: the page as it was, the pick kept.
    w.EnableWizard(kTrue);
    QCOMPARE(w.intCurrentPage, std::int16_t(3));
    QVERIFY(w.cmdFinish->isEnabled() && !w.cmdNext->isEnabled() && w.cmdStartOver->isEnabled());
    QCOMPARE(Focused(), w.txtCallbackNumberArea);
    QVERIFY(w.lstExisting->isEnabled() && !w.txtAlternative->isEnabled());
    QCOMPARE(Selected(w.lstExisting), kSydney);
    QCOMPARE(w.txtFirstName->palette().color(QPalette::Base), QColor(255, 255, 255));
    QCOMPARE(ui_->messages.size(), 1);
}

void RegistrationWizardTest::tabOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("stops");
    const auto row = [](const char *name, int page, const QString &stops) {
        QTest::newRow(name) << page << stops.split(u' ');
    };
    const QString rowEnd = u" cmdStartOver cmdCancel cmdTermsConditions "_s;
    row("contact details", 0,
        u"txtSurname txtAddress1 txtAddress2 txtAddress3 cboState txtPostcode txtPhone txtEmail "
        "cmdNext cmdCancel cmdTermsConditions txtFirstName"_s);
    row("dial-in point", 1, u"lstExisting cmdNext cmdBack"_s + rowEnd + u"optConnection0"_s);
    row("nickname", 2,
        u"txtPassword txtPasswordConfirm txtCV cmdNext cmdBack"_s + rowEnd + u"txtNickName"_s);
    row("call-back", 3,
        u"txtCallbackNumber chkInformation cboHeardAbout cmdBack cmdFinish"_s + rowEnd +
            u"txtCallbackNumberArea"_s);
}

void RegistrationWizardTest::tabOrder() {
    QFETCH(int, page);
    const auto window = StartWizard(PatientModem());
    for (int i = 0; i < page; ++i) {
        FillPage(*window, i);
        Click(window->cmdNext);
    }
    QCOMPARE(window->intCurrentPage, std::int16_t(page));
    QWidget *first = page == 1 ? static_cast<QWidget *>(window->optConnection[0]) : Focused();
    QTEST(TabStops(first), "stops");
}

void RegistrationWizardTest::pageChecks_data() {
    // Entries changed from a valid registration (control name, text; "-" picks nothing, "opt1"
    // chooses the alternative number), then where the wizard stops, what it says, the focus and
    // the focused box's selected text. No message: the registration is submitted.
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<int>("page");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("selected");
    const auto row = [](const char *name, const Changes &changes, int page, const char *message,
                        const char *focus = "", const char *selected = "") {
        QTest::newRow(name) << changes << page << QByteArray(message) << QString::fromUtf8(focus)
                            << QString::fromUtf8(selected);
    };
    const char *names = "Please enter both your First Name and Surame.";
    const char *street = "Please enter at least your Street AND Suburb.";
    const char *password = "txtPassword";
    const char *alternative = "txtAlternative";
    row("first name blank", {{"txtFirstName", "  "}}, 0, names, "txtFirstName", "  ");
    row("surname empty, state none", {{"txtSurname", ""}, {"cboState", "-"}}, 0, names,
        "txtFirstName", "Mary");
    row("street blank", {{"txtAddress1", " "}}, 0, street, "txtAddress1", " ");
    row("suburb empty", {{"txtAddress3", ""}}, 0, street, "txtAddress1", "12 High Street");
    row("no state", {{"cboState", "-"}}, 0, "Please select your state.", "cboState");
    row("3-digit postcode", {{"txtPostcode", "312"}}, 0, "The Postcode must be 4 digits long.",
        "txtPostcode", "312");
    row("no dial-in point", {{"lstExisting", "-"}}, 1,
        "Please select an Existing Connection point.", "lstExisting");
    row("alternative blank", {{"opt1", ""}, {alternative, "  "}}, 1,
        "Please enter the Alternative Connection telephone number.", alternative, "  ");
    row("alternative of 7 digits", {{"opt1", ""}, {alternative, "1234567"}}, 1,
        "The Alternative Phone Nbr must be at least 8 digits in length.", alternative, "1234567");
    row("no nickname", {{"txtNickName", ""}}, 2,
        "Please enter the Nickname you want to identified by.", "txtNickName");
    row("password blank", {{password, "   "}}, 2,
        "Please enter the Password to use with your Nickname.", password, "   ");
    row("password of 4", {{password, "ABCD"}}, 2,
        "The Password must be between 5 and 8 characters.", password, "ABCD");
    row("no confirmation", {{"txtPasswordConfirm", ""}}, 2,
        "Please re-enter the Password to use with your Nickname, for confirmation.",
        "txtPasswordConfirm");
    row("password is the nickname", {{"txtNickName", "SECRET"}}, 2,
        "The Password must be different to your Nickname.", password, "SECRET");
    row("confirmation differs", {{"txtPasswordConfirm", "SECRE"}}, 2,
        "The Re-Entered Password must be the same as the Password.", "txtPasswordConfirm", "SECRE");
    row("area code 3", {{"txtCallbackNumberArea", "3"}}, 3,
        "The Callback Area Code must be 2 digits in length.", "txtCallbackNumberArea", "3");
    row("area code only", {{"txtCallbackNumber", ""}}, 3,
        "Please enter either both the Callback Area Code and Phone number.",
        "txtCallbackNumberArea", "02");
    row("no heard about", {{"cboHeardAbout", "-"}}, 3,
        "Please indicate how you heard about Kestrune.", "cboHeardAbout");
    row("optional entries empty",
        {{"txtPostcode", ""},
         {"txtCallbackNumberArea", ""},
         {"txtCallbackNumber", ""},
         {"txtPhone", ""},
         {"txtCV", ""}},
        3, "");
    row("alternative of area and 8 digits", {{"opt1", ""}, {alternative, "02 12345678"}}, 3, "");
}

void RegistrationWizardTest::pageChecks() {
    QFETCH(Changes, changes);
    QFETCH(int, page);
    QFETCH(QByteArray, message);
    const auto window = StartWizard(PatientModem());
    frmRegistration &w = *window;
    // Page by page: the valid entries, the changes, then Next or Submit; nothing answers the
    // survey question.
    ui_->answers = {MsgAnswer::Cancel};
    for (int i = 0; i < 4 && ui_->messages.isEmpty(); ++i) {
        FillPage(w, i);
        for (const auto &[name, text] : changes) {
            if (qstrcmp(name, "opt1") == 0) {
                if (i == 1)
                    Click(w.optConnection[1]);
                continue;
            }
            QWidget *control = w.findChild<QWidget *>(QString::fromLatin1(name));
            QVERIFY2(control != nullptr, name);
            if (control->parentWidget() != w.picPage.at(i))
                continue;
            if (auto *box = qobject_cast<QLineEdit *>(control))
                box->setText(QString::fromLatin1(text));
            else if (auto *cv = qobject_cast<QPlainTextEdit *>(control))
                cv->setPlainText(QString::fromLatin1(text));
            else if (auto *list = qobject_cast<QComboBox *>(control))
                list->setCurrentIndex(-1);
            else
                qobject_cast<QListWidget *>(control)->clearSelection();
        }
        Click(i < 3 ? w.cmdNext : w.cmdFinish);
    }
    QCOMPARE(w.intCurrentPage, std::int16_t(page));
    QCOMPARE(ui_->messages.size(), 1);
    if (message.isEmpty()) {
        QCOMPARE(ui_->messages[0].title, QByteArray("Kestrune Survey"));
        return;
    }
    CheckMessage(ui_->messages[0], message, MsgIcon::Exclamation, MsgButtons::Ok,
                 "Kestrune Registration");
    QTEST(Name(Focused()), "focus");
    if (auto *box = qobject_cast<QLineEdit *>(Focused()))
        QTEST(box->selectedText(), "selected");
}

void RegistrationWizardTest::closing_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("close box") << true;
}

void RegistrationWizardTest::closing() {
    QFETCH(bool, closeBox);
    const auto window = StartWizard(PatientModem());
    // The terms again, only to be read.
    machine_->writeFile(u"terms.txt"_s, "Play fair.\r\n");
    ui_->modalActions.append([](QDialog &dialog) {
        const auto &terms = dynamic_cast<frmTerms &>(dialog);
        QVERIFY(terms.cmdClose->isVisible());
        QVERIFY(!terms.cmdAccept->isVisible() && !terms.cmdReject->isVisible());
        QCOMPARE(terms.txtTerms->toPlainText(), u"Play fair."_s);
    });
    PressAlt(Qt::Key_T);
    QCOMPARE(ui_->modalTitles, QList<QByteArray>{"Kestrune - Terms and Conditions"});
    QVERIFY(ui_->messages.isEmpty());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const auto close = [&] {
        if (closeBox)
            window->windowHandle()->close();
        else
            PressAlt(Qt::Key_C);
        QApplication::processEvents();
    };
    ui_->answers = {MsgAnswer::No, MsgAnswer::Yes};
    close();
    QCOMPARE(ui_->messages.size(), 1);
    CheckMessage(ui_->messages[0], kCancelQuestion, MsgIcon::Question, MsgButtons::YesNo,
                 "Cancel Registration");
    QVERIFY(window->isVisible() && !ui_->ended);
    close();
    QCOMPARE(ui_->messages.size(), 2);
    QVERIFY(!window->isVisible() && ui_->ended);
    QVERIFY(GetSetting(kApp, "Page1", "FirstName").isEmpty());

    // A program that is already ending closes the window without asking.
    const auto another = StartWizard(PatientModem());
    another->close();
    QVERIFY(!another->isVisible());
    QCOMPARE(ui_->messages.size(), 2);
}

void RegistrationWizardTest::submit_data() {
    QTest::addColumn<bool>("surveyDone");
    QTest::addColumn<QList<MsgAnswer>>("answers");
    QTest::addColumn<bool>("finishSurvey");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("dials");
    QTest::addColumn<bool>("storeGone");
    QTest::newRow("Cancel") << false << QList{MsgAnswer::Cancel} << false << 1 << false << false;
    // The survey opens; cancelled with Yes to its question, or finished.
    QTest::newRow("Yes, survey cancelled")
        << false << QList{MsgAnswer::Yes, MsgAnswer::Yes} << false << 2 << true << false;
    QTest::newRow("Yes, survey finished")
        << false << QList{MsgAnswer::Yes} << true << 2 << true << false;
    QTest::newRow("No") << false << QList{MsgAnswer::No} << false << 1 << true << false;
    QTest::newRow("survey already done")
        << true << QList<MsgAnswer>{} << false << 0 << true << false;
    // The registry store cannot be created: the number to dial is lost.
    QTest::newRow("store gone") << false << QList{MsgAnswer::No} << false << 2 << false << true;
}

// Submit asks about the survey, saves the entries, and dials; the survey's
// answers are what the host gets for field 23.
void RegistrationWizardTest::submit() {
    QFETCH(bool, surveyDone);
    QFETCH(QList<MsgAnswer>, answers);
    QFETCH(bool, finishSurvey);
    QFETCH(bool, dials);
    QFETCH(bool, storeGone);
    if (storeGone)
        qputenv("KESTRUNE_REGISTRY", QFile::encodeName(machine_->root() + u"/gone/registry.db"_s));
    const auto window = StartWizard(PatientModem());
    FillAllPages(*window);
    window->mbolDoneSurvey = surveyDone ? kTrue : kFalse;
    ui_->answers = answers;
    if (finishSurvey)
        ui_->modalActions.append(FinishSurvey);
    Click(window->cmdFinish);
    QTEST(int(ui_->messages.size()), "messages");
    if (!surveyDone)
        CheckMessage(ui_->messages[0], kSurveyQuestion, MsgIcon::Question, MsgButtons::YesNoCancel,
                     "Kestrune Survey");
    if (storeGone)
        CheckMessage(ui_->messages[1],
                     "The Kestrune connection telephone number could not be found.",
                     MsgIcon::Critical, MsgButtons::Ok, "Kestrune Registration");
    QCOMPARE(ui_->beeps, storeGone ? 1 : 0);
    QCOMPARE(ui_->modalTitles.size(), answers.value(0) == MsgAnswer::Yes ? 1 : 0);
    QCOMPARE(window->mbolDoneSurvey, surveyDone || finishSurvey ? kTrue : kFalse);
    const bool saved = answers.value(0) != MsgAnswer::Cancel;
    QCOMPARE(GetSetting(kApp, "Page3", "NickName"), saved ? QByteArray("MARYS") : QByteArray());
    QCOMPARE(Dialled(), dials ? QByteArray("02 70105678") : QByteArray());
    QCOMPARE(window->lblStatus->text(), dials ? u"Dialing Kestrune..."_s : QString());
    QCOMPARE(window->cmdFinish->isEnabled(), !dials);
    QCOMPARE(window->txtFirstName->isEnabled(), !dials);
    QCOMPARE(window->Frame1->isVisible(), dials);
    QCOMPARE(ui_->mousePointer(), dials ? MousePointer::BusyArrow : MousePointer::Default);
    QCOMPARE(window->intCurrentPage, std::int16_t(3));
    if (!dials)
        return;

    // The host asks for field 23 alone.
    window->mReceiveBuffer =
        PacketPack(PacketString(1, "tag!", "s1", LongToBytes(1 << 22) + LongToBytes(0)));
    QByteArray reply;
    QCOMPARE(window->PacketProcess(reply), kTrue);
    std::int16_t length = 0;
    std::int16_t kind = 0;
    QByteArray tag, sequence, data1, data2;
    QCOMPARE(PacketUnString(PacketUnPack(reply), length, kind, tag, sequence, data1, data2), kTrue);
    const QByteArray surveyAnswers = surveyDone || finishSurvey ? SurveyAnswerText() : QByteArray();
    QCOMPARE(data1 + data2, FieldEncode("23", surveyAnswers));
    if (finishSurvey)
        QVERIFY(surveyAnswers.startsWith("16-25,M,Academic/Teacher,"));
}

void RegistrationWizardTest::saveRestoreAndStartOver() {
    {
        const auto window = StartWizard(PatientModem());
        frmRegistration &w = *window;
        FillAllPages(w);
        // A name pasted with a character the code page lacks keeps the rest.
        QApplication::clipboard()->setText(u"Zo\u00eb \u2603 \u20ac"_s);
        w.txtAddress2->setFocus();
        Press(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(BoxText(w.txtAddress2), QByteArray("Zo\xeb  \x80"));
        SetBoxText(w.txtCV, "two\r\nlines");
        ui_->answers = {MsgAnswer::No};
        Click(w.cmdFinish);
    }
    const QString file = machine_->configHome() + u"/Kestrune/KestruneRegistration.ini"_s;
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    QCOMPARE(GetSetting(kApp, "Page1", "Address2"), QByteArray("Zo\xeb  \x80"));
    QCOMPARE(GetSetting(kApp, "Page2", "Connection"), QByteArray("0"));
    QCOMPARE(GetSetting(kApp, "Page2", "ConnectPh"), kSydney);
    QCOMPARE(GetSetting(kApp, "Page3", "Password"), QByteArray("SECRET"));
    QCOMPARE(GetSetting(kApp, "Page4", "HeardAbout"), QByteArray("From a friend"));
    QCOMPARE(Dialled(), QByteArray("02 70105678"));

    // A restart restores every page, the Sydney pick included.
    {
        const auto window = StartWizard(PatientModem());
        frmRegistration &w = *window;
        QCOMPARE(w.intCurrentPage, std::int16_t(0));
        QCOMPARE(Focused(), w.txtFirstName);
        QCOMPARE(BoxText(w.txtAddress1), QByteArray("12 High Street"));
        QCOMPARE(BoxText(w.txtAddress2), QByteArray("Zo\xeb  \x80"));
        QCOMPARE(ListText(w.cboState), QByteArray("NSW"));
        QCOMPARE(BoxText(w.txtPhone), QByteArray("02 9555 1234"));
        QVERIFY(w.optConnection[0]->isChecked());
        QCOMPARE(Selected(w.lstExisting), kSydney);
        QCOMPARE(BoxText(w.txtPasswordConfirm), QByteArray("SECRET"));
        QCOMPARE(BoxText(w.txtCV), QByteArray("two\r\nlines"));
        QCOMPARE(BoxText(w.txtCallbackNumber), QByteArray("95551234"));
        QVERIFY(!w.chkInformation->isChecked());
        QCOMPARE(ListText(w.cboHeardAbout), QByteArray("From a friend"));

        // The alternative number, typed with leading blanks.
        Click(w.cmdNext);
        Click(w.optConnection[1]);
        QCOMPARE(Focused(), w.txtAlternative);
        Type(u"  03 1234 5678"_s);
        Click(w.cmdNext);
        Click(w.cmdNext);
        ui_->answers = {MsgAnswer::No};
        Click(w.cmdFinish);
        QCOMPARE(ui_->messages.size(), 2);
    }
    QCOMPARE(Dialled(), QByteArray("03 1234 5678"));
    QCOMPARE(GetSetting(kApp, "Page2", "ConnectPh"), QByteArray("  03 1234 5678"));
    {
        const auto window = StartWizard(PatientModem());
        QVERIFY(window->optConnection[1]->isChecked());
        QCOMPARE(BoxText(window->txtAlternative), QByteArray("  03 1234 5678"));
        QVERIFY(!window->lstExisting->isEnabled() && window->txtAlternative->isEnabled());
    }

    // Entries the lists no longer offer.
    SaveSetting(kApp, "Page1", "State", "XX");
    SaveSetting(kApp, "Page2", "Connection", "0");
    SaveSetting(kApp, "Page2", "ConnectPh", "08 11111111\tPerth");
    SaveSetting(kApp, "Page4", "HeardAbout", "On the radio");
    {
        const auto window = StartWizard(PatientModem());
        QCOMPARE(window->cboState->currentIndex(), -1);
        QCOMPARE(Selected(window->lstExisting), kMelbourne);
        QCOMPARE(window->cboHeardAbout->currentIndex(), -1);
        QCOMPARE(BoxText(window->txtNickName), QByteArray("MARYS"));
    }
    // A connection choice that names no option ends the restore there.
    SaveSetting(kApp, "Page2", "Connection", "2");
    {
        const auto window = StartWizard(PatientModem());
        QCOMPARE(BoxText(window->txtEmail), QByteArray("mary@example.com"));
        QVERIFY(window->optConnection[0]->isChecked());
        QCOMPARE(BoxText(window->txtNickName), QByteArray());
        QCOMPARE(BoxText(window->txtAlternative), QByteArray());
    }

    // Start Over: No changes nothing; Yes empties the entries and removes the saved ones.
    SaveSetting(kApp, "Page1", "State", "NSW");
    SaveSetting(kApp, "Page2", "Connection", "1");
    SaveSetting(kApp, "Page2", "ConnectPh", "  03 1234 5678");
    {
        const auto window = StartWizard(PatientModem());
        frmRegistration &w = *window;
        Click(w.cmdNext);
        Click(w.cmdNext);
        SetBoxText(w.txtPasswordConfirm, "KEPT");
        ui_->messages.clear();
        ui_->answers = {MsgAnswer::No, MsgAnswer::Yes};
        PressAlt(Qt::Key_S);
        QCOMPARE(ui_->messages.size(), 1);
        CheckMessage(ui_->messages[0],
                     "Are you sure you want to start the Kestrune Registration over again?",
                     MsgIcon::Question, MsgButtons::YesNo, "Start Registration Over");
        QCOMPARE(w.intCurrentPage, std::int16_t(2));
        QCOMPARE(BoxText(w.txtNickName), QByteArray("MARYS"));
        QCOMPARE(GetSetting(kApp, "Page1", "FirstName"), QByteArray("Mary"));
        PressAlt(Qt::Key_S);
        QCOMPARE(ui_->messages.size(), 2);
        QCOMPARE(w.intCurrentPage, std::int16_t(0));
        QVERIFY(!w.cmdStartOver->isEnabled() && !w.cmdBack->isEnabled());
        QCOMPARE(Focused(), w.txtFirstName);
        for (QLineEdit *box : {w.txtFirstName, w.txtAddress3, w.txtEmail, w.txtNickName,
                               w.txtPassword, w.txtCallbackNumber})
            QVERIFY2(box->text().isEmpty(), qPrintable(Name(box)));
        QVERIFY(w.txtCV->toPlainText().isEmpty());
        QCOMPARE(w.cboState->currentIndex(), -1);
        QCOMPARE(w.cboHeardAbout->currentIndex(), -1);
        QVERIFY(w.optConnection[0]->isChecked() && w.lstExisting->isEnabled());
        QCOMPARE(Selected(w.lstExisting), kMelbourne);
        QCOMPARE(BoxText(w.txtPasswordConfirm), QByteArray("KEPT"));
        QCOMPARE(BoxText(w.txtAlternative), QByteArray("  03 1234 5678"));
        QVERIFY(QSettings(file, QSettings::IniFormat).childGroups().filter(u"Page"_s).isEmpty());
        QCOMPARE(Dialled(), QByteArray("03 1234 5678"));
    }
    const auto window = StartWizard(PatientModem());
    QVERIFY(window->txtFirstName->text().isEmpty());
    QVERIFY(window->txtAlternative->text().isEmpty());
}

void RegistrationWizardTest::pickListFiles_data() {
    // Where the files lie, their lines, then the choices added before "Other" and the two
    // labels.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("heardabt");
    QTest::addColumn<QByteArray>("contacts");
    QTest::addColumn<QList<QByteArray>>("added");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("phone");
    const QString url = u"www.kestrune.com.au"_s;
    const QString phone = u"1300 975 711"_s;
    QTest::newRow("no files") << QString() << QByteArray() << QByteArray() << QList<QByteArray>{}
                              << url << phone;
    QTest::newRow("program folder")
        << u"program"_s
        << QByteArray("* choices\r\nA games shop\r\nFROM A FRIEND\r\nIn a\r\nRadio\r\nRadio")
        << QByteArray("* labels\r\nwww.example.au\r\n1300 000 000\r\nignored\r\n")
        << QList<QByteArray>{"A games shop", "Radio"} << u"www.example.au"_s << u"1300 000 000"_s;
    QTest::newRow("fall-back folder")
        << u"fallback"_s << QByteArray("Radio\n") << QByteArray("www.example.au")
        << QList<QByteArray>{"Radio"} << u"www.example.au"_s << phone;
    QTest::newRow("blank web address")
        << u"program"_s << QByteArray("*only a comment\r\n") << QByteArray("  \r\n1300 000 000\r\n")
        << QList<QByteArray>{} << url << u"1300 000 000"_s;
}

void RegistrationWizardTest::pickListFiles() {
    QFETCH(QString, folder);
    QFETCH(QByteArray, heardabt);
    QFETCH(QByteArray, contacts);
    QFETCH(QList<QByteArray>, added);
    if (!folder.isEmpty()) {
        // The program folder is looked in first.
        for (const auto &[name, bytes] :
             {std::pair{u"heardabt.txt"_s, heardabt}, std::pair{u"contacts.txt"_s, contacts}}) {
            QFile file(machine_->root() + u'/' + folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        if (folder == u"fallback"_s)
            machine_->writeFile(u"heardabt.txt.bak"_s, "Never read");
    }
    const auto window = StartWizard(PatientModem());
    QList<QByteArray> expected(std::begin(kBuiltInChoices), std::end(kBuiltInChoices));
    expected += added;
    expected << "Other";
    QCOMPARE(Choices(window->cboHeardAbout), expected);
    QCOMPARE(window->cboHeardAbout->currentIndex(), -1);
    QTEST(window->lblURL->text(), "url");
    QTEST(window->lblHelpPhone->text(), "phone");
    QCOMPARE(ui_->mousePointer(), MousePointer::Default);
    QVERIFY(ui_->messages.isEmpty());
}

QTEST_MAIN(RegistrationWizardTest)
#include "tst_frmRegistration.moc"
