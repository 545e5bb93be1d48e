#include "code_page.h"
#include "entry_boxes.h"
#include "field_requests.h"
#include "host_sim.h"
#include "modem_settings.h"
#include "program_files.h"
#include "program_folder.h"
#include "program_state.h"
#include "registry.h"
#include "scripted_ui.h"
#include "settings.h"
#include "startup.h"
#include "window_checks.h"
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
#include <QTest>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

// A mute modem waited for longer than any test runs: Submit leaves the call dialling.
HayesTimings PatientModem() {
    HayesTimings timings = QuickTimings();
    timings.commandWait = timings.dialWait = 60000;
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

using Change = void (*)(frmRegistration &);

QString Name(const QWidget *widget) {
    return widget != nullptr ? widget->objectName() : u"(none)"_s;
}

QByteArray Selected(const QListWidget *list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? QByteArray() : ToCodePage(items.first()->text());
}

void CheckMessage(const ScriptedUi::Message &message, const QByteArray &text, MsgIcon icon,
                  MsgButtons buttons, const QByteArray &title) {
    QCOMPARE(message.text, text);
    QVERIFY(message.icon == icon && message.buttons == buttons && message.title == title);
}

// Tab from the given control until the focus comes back, naming each stop.
QString TabStops(QWidget *start) {
    start->setFocus();
    QStringList stops;
    for (int i = 0; i < 40; ++i) {
        Press(Qt::Key_Tab);
        stops << Name(Focused());
        if (Focused() == start)
            break;
    }
    return stops.join(u' ');
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

    void keyboardWalkThroughAndSubmit() {
        const auto window = StartWizard(PatientModem());
        frmRegistration &w = *window;
        QCOMPARE(LayoutProblems(w), QString());
        QCOMPARE(w.windowTitle(), u"Kestrune Registration Wizard - Step 1 of 4"_s);
        QVERIFY(w.Frame1->isHidden() && w.cmdContinue->isHidden() && w.lblStatus->text().isEmpty());
        QVERIFY(w.optConnection[0]->isChecked() && !w.txtAlternative->isEnabled());
        QCOMPARE(Selected(w.lstExisting), kMelbourne);
        const QString rowEnd = u" cmdStartOver cmdCancel cmdTermsConditions "_s;
        QCOMPARE(TabStops(w.txtFirstName),
                 u"txtSurname txtAddress1 txtAddress2 txtAddress3 cboState txtPostcode txtPhone "
                 u"txtEmail cmdNext cmdCancel cmdTermsConditions txtFirstName"_s);

        // Each box's key filter and Enter as Tab: names proper-cased when left, capitals,
        // digits only (at most 4 in the postcode), digits and spaces, a list entry from its
        // letter, Backspace, characters the code page lacks dropped, Enter a line break in the CV.
        const auto enterAll = [](const QList<std::tuple<QWidget *, QString, QByteArray>> &entries) {
            for (const auto &[control, typed, text] : entries) {
                QCOMPARE(Focused(), control);
                Enter(typed);
                if (auto *box = qobject_cast<QLineEdit *>(control))
                    QCOMPARE(BoxText(box), text);
                else if (auto *list = qobject_cast<QComboBox *>(control))
                    QCOMPARE(ListText(list), text);
            }
        };
        enterAll({{w.txtFirstName, u"  mary ann  "_s, "Mary Ann"},
                  {w.txtSurname, u"mcDONALD"_s, "McDONALD"},
                  {w.txtAddress1, u"12 high st"_s, "12 High St"},
                  {w.txtAddress2, QString(), ""},
                  {w.txtAddress3, u"richmonx\bd"_s, "RICHMOND"},
                  {w.cboState, u"v"_s, "VIC"},
                  {w.txtPostcode, u"3a1-2 9\b1x5"_s, "3121"},
                  {w.txtPhone, u"03 9555-1234x"_s, "03 95551234"},
                  {w.txtEmail, u"mary\u2603@example.com\u20ac"_s, "mary@example.com\x80"}});
        // Enter in the last box goes to Next without pressing it.
        QCOMPARE(Focused(), w.cmdNext);
        QCOMPARE(w.intCurrentPage, std::int16_t(0));
        Press(Qt::Key_Return);

        // Page 1: arrows choose the option (the list reset, the box kept); Enter moves on.
        QCOMPARE(Focused(), w.lstExisting);
        Press(Qt::Key_Backtab);
        Press(Qt::Key_Down);
        QVERIFY(w.optConnection[1]->isChecked() && !w.lstExisting->isEnabled());
        QCOMPARE(Selected(w.lstExisting), kMelbourne);
        enterAll({{w.txtAlternative, u"02 1234-5678"_s, "02 12345678"}});
        Press(Qt::Key_Backtab);
        Press(Qt::Key_Backtab);
        Press(Qt::Key_Up);
        QVERIFY(w.optConnection[0]->isChecked() && !w.txtAlternative->isEnabled());
        QCOMPARE(BoxText(w.txtAlternative), QByteArray("02 12345678"));
        Press(Qt::Key_Backtab);
        enterAll({{w.optConnection[0], QString(), {}}});
        Press(Qt::Key_Down);
        QCOMPARE(Selected(w.lstExisting), kSydney);
        QCOMPARE(TabStops(w.lstExisting),
                 u"cmdNext cmdBack"_s + rowEnd + u"optConnection0 lstExisting"_s);
        enterAll({{w.lstExisting, QString(), {}}, {w.cmdNext, QString(), {}}});

        enterAll({{w.txtNickName, u"maryann"_s, "MARYANN"},
                  {w.txtPassword, u"secret"_s, "SECRET"},
                  {w.txtPasswordConfirm, u"secret"_s, "SECRET"},
                  {w.txtCV, u"line one"_s, {}}});
        Type(u"line two"_s);
        QCOMPARE(w.txtPassword->displayText(), u"******"_s);
        QCOMPARE(BoxText(w.txtCV), QByteArray("line one\r\nline two"));

        // Back never checks; Alt+B and Alt+N are the buttons' keys.
        SetBoxText(w.txtNickName, "SECRET");
        PressAlt(Qt::Key_B);
        QCOMPARE(w.intCurrentPage, std::int16_t(1));
        QCOMPARE(Focused(), w.lstExisting);
        SetBoxText(w.txtNickName, "MARYANN");
        PressAlt(Qt::Key_N);
        PressAlt(Qt::Key_N);

        // Page 3: the call-back number, the check box and the "heard about" list.
        QCOMPARE(TabStops(w.txtCallbackNumberArea),
                 u"txtCallbackNumber chkInformation cboHeardAbout cmdBack cmdFinish"_s + rowEnd +
                     u"txtCallbackNumberArea"_s);
        enterAll({{w.txtCallbackNumberArea, u"0a3"_s, "03"},
                  {w.txtCallbackNumber, u"9555 1234"_s, "95551234"}});
        QCOMPARE(Focused(), w.chkInformation);
        Press(Qt::Key_Space);
        QVERIFY(w.chkInformation->isChecked());
        enterAll({{w.chkInformation, QString(), {}}, {w.cboHeardAbout, u"f"_s, "From a friend"}});
        QCOMPARE(Focused(), w.cmdFinish);
        QVERIFY(ui_->messages.isEmpty());

        // Submitted, then released: the page and the pick are as they were.
        ui_->answers = {MsgAnswer::No};
        Press(Qt::Key_Return);
        w.EnableWizard(kTrue);
        QCOMPARE(w.intCurrentPage, std::int16_t(3));
        QCOMPARE(Focused(), w.txtCallbackNumberArea);
        QVERIFY(w.lstExisting->isEnabled() && !w.txtAlternative->isEnabled());
        QCOMPARE(Selected(w.lstExisting), kSydney);
        QCOMPARE(ui_->messages.size(), 1);
    }
    // One page's entries changed; the message where the wizard stops, the box that gets the
    // focus and its selected text. The rules themselves: test_entry_rules.
    void pageChecks() {
        using W = frmRegistration;
        const QList<std::tuple<int, Change, QByteArray, QLineEdit * W::*, QString>> rows{
            {0, [](W &w) { SetBoxText(w.txtFirstName, "  "); },
             "Please enter both your First Name and Surame.", &W::txtFirstName, u"  "_s},
            {1, [](W &w) { Click(w.optConnection[1]), SetBoxText(w.txtAlternative, "1234567"); },
             "The Alternative Phone Nbr must be at least 8 digits in length.", &W::txtAlternative,
             u"1234567"_s},
            {2, [](W &w) { SetBoxText(w.txtNickName, "SECRET"); },
             "The Password must be different to your Nickname.", &W::txtPassword, u"SECRET"_s},
            {3, [](W &w) { w.txtCallbackNumber->clear(); },
             "Please enter either both the Callback Area Code and Phone number.",
             &W::txtCallbackNumberArea, u"02"_s}};
        for (const auto &[page, change, message, box, selected] : rows) {
            ui_->messages.clear();
            const auto window = StartWizard(PatientModem());
            W &w = *window;
            for (int i = 0; i < 4 && ui_->messages.isEmpty(); ++i) {
                FillPage(w, i);
                if (i == page)
                    change(w);
                Click(i < 3 ? w.cmdNext : w.cmdFinish);
            }
            QCOMPARE(w.intCurrentPage, std::int16_t(page));
            QCOMPARE(ui_->messages.size(), 1);
            CheckMessage(ui_->messages[0], message, MsgIcon::Exclamation, MsgButtons::Ok,
                         "Kestrune Registration");
            QCOMPARE(Focused(), w.*box);
            QCOMPARE((w.*box)->selectedText(), selected);
        }
    }
    // The close box and Cancel ask the same; only Yes ends the program.
    void closing() {
        const auto window = StartWizard(PatientModem());
        machine_->writeFile(u"terms.txt"_s, "Play fair.\r\n");
        PressAlt(Qt::Key_T); // the terms again, only to be read
        QCOMPARE(ui_->modalTitles, QList<QByteArray>{"Kestrune - Terms and Conditions"});
        QVERIFY(ui_->messages.isEmpty());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ui_->answers = {MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes};
        for (int i = 0; i < 3; ++i) {
            if (i == 0)
                window->windowHandle()->close();
            else
                PressAlt(Qt::Key_C);
            QApplication::processEvents();
            CheckMessage(ui_->messages.last(),
                         "Are you sure you want to cancel the Kestrune Registration?",
                         MsgIcon::Question, MsgButtons::YesNo, "Cancel Registration");
            QCOMPARE(window->isVisible() && !ui_->ended, i < 2);
        }
        QVERIFY(!window->isVisible() && ui_->ended);
        QVERIFY(GetSetting(kSettingsApp, "Page1", "FirstName").isEmpty());

        // A program that is already ending closes the window without asking.
        const auto another = StartWizard(PatientModem());
        another->close();
        QVERIFY(!another->isVisible());
        QCOMPARE(ui_->messages.size(), 3);
    }
    void submit_data() {
        QTest::addColumn<bool>("surveyDone");
        QTest::addColumn<QList<MsgAnswer>>("answers");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("dials");
        QTest::addColumn<bool>("storeGone");
        using A = QList<MsgAnswer>;
        QTest::newRow("Cancel") << false << A{MsgAnswer::Cancel} << 1 << false << false;
        // The survey opens, and is cancelled with Yes to its question.
        QTest::newRow("survey cancelled")
            << false << A{MsgAnswer::Yes, MsgAnswer::Yes} << 2 << true << false;
        QTest::newRow("No") << false << A{MsgAnswer::No} << 1 << true << false;
        QTest::newRow("survey already done") << true << A{} << 0 << true << false;
        // The registry store cannot be created: the number to dial is lost.
        QTest::newRow("store gone") << false << A{MsgAnswer::No} << 2 << false << true;
    }
    // Submit asks about the survey, saves the entries, and dials.
    void submit() {
        QFETCH(bool, surveyDone);
        QFETCH(QList<MsgAnswer>, answers);
        QFETCH(bool, dials);
        QFETCH(bool, storeGone);
        if (storeGone)
            qputenv("KESTRUNE_REGISTRY",
                    QFile::encodeName(machine_->root() + u"/gone/registry.db"_s));
        const auto window = StartWizard(PatientModem());
        FillAllPages(*window);
        window->mbolDoneSurvey = surveyDone ? kTrue : kFalse;
        ui_->answers = answers;
        Click(window->cmdFinish);
        QTEST(int(ui_->messages.size()), "messages");
        if (!surveyDone)
            CheckMessage(ui_->messages[0], kSurveyQuestion, MsgIcon::Question,
                         MsgButtons::YesNoCancel, "Kestrune Survey");
        if (storeGone)
            CheckMessage(ui_->messages[1],
                         "The Kestrune connection telephone number could not be found.",
                         MsgIcon::Critical, MsgButtons::Ok, "Kestrune Registration");
        QCOMPARE(ui_->beeps, storeGone ? 1 : 0);
        QCOMPARE(ui_->modalTitles.size(), answers.value(0) == MsgAnswer::Yes ? 1 : 0);
        QCOMPARE(window->mbolDoneSurvey, surveyDone ? kTrue : kFalse);
        const bool saved = answers.value(0) != MsgAnswer::Cancel;
        QCOMPARE(GetSetting(kSettingsApp, "Page3", "NickName"),
                 saved ? QByteArray("MARYS") : QByteArray());
        QByteArray dialled;
        RegReadValue(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kDialNumberValue, dialled);
        QCOMPARE(dialled, dials ? QByteArray("02 70105678") : QByteArray());
        QCOMPARE(window->cmdFinish->isEnabled() || window->txtFirstName->isEnabled(), !dials);
        QCOMPARE(window->Frame1->isVisible(), dials);
        QCOMPARE(ui_->mousePointer(), dials ? MousePointer::BusyArrow : MousePointer::Default);
        // No answers to go as field 23 (those of a finished survey: test_wizard_call).
        QCOMPARE(SurveyAnswerText(), QByteArray(75, ','));
    }
    void saveRestoreAndStartOver() {
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

        // A restart restores every page, the Sydney pick included.
        {
            const auto window = StartWizard(PatientModem());
            frmRegistration &w = *window;
            QCOMPARE(BoxText(w.txtAddress2), QByteArray("Zo\xeb  \x80"));
            QCOMPARE(Selected(w.lstExisting), kSydney);
            QCOMPARE(BoxText(w.txtCV), QByteArray("two\r\nlines"));
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
        }
        QCOMPARE(GetSetting(kSettingsApp, "Page2", "ConnectPh"), QByteArray("  03 1234 5678"));

        // The alternative number restored as typed. Start Over: No changes nothing; Yes
        // empties the entries and removes the saved ones.
        {
            const auto window = StartWizard(PatientModem());
            frmRegistration &w = *window;
            QVERIFY(w.optConnection[1]->isChecked() && w.txtAlternative->isEnabled());
            QVERIFY(!w.lstExisting->isEnabled());
            Click(w.cmdNext);
            Click(w.cmdNext);
            SetBoxText(w.txtPasswordConfirm, "KEPT");
            ui_->messages.clear();
            ui_->answers = {MsgAnswer::No, MsgAnswer::Yes};
            PressAlt(Qt::Key_S);
            CheckMessage(ui_->messages.last(),
                         "Are you sure you want to start the Kestrune Registration over again?",
                         MsgIcon::Question, MsgButtons::YesNo, "Start Registration Over");
            QCOMPARE(w.intCurrentPage, std::int16_t(2));
            QCOMPARE(GetSetting(kSettingsApp, "Page1", "FirstName"), QByteArray("Mary"));
            PressAlt(Qt::Key_S);
            QCOMPARE(ui_->messages.size(), 2);
            QCOMPARE(w.intCurrentPage, std::int16_t(0));
            QCOMPARE(Focused(), w.txtFirstName);
            for (QLineEdit *box :
                 {w.txtFirstName, w.txtNickName, w.txtPassword, w.txtCallbackNumber})
                QVERIFY2(box->text().isEmpty(), qPrintable(Name(box)));
            QVERIFY(w.txtCV->toPlainText().isEmpty() && w.cboState->currentIndex() == -1);
            QCOMPARE(w.cboHeardAbout->currentIndex(), -1);
            QVERIFY(w.optConnection[0]->isChecked() && w.lstExisting->isEnabled());
            QCOMPARE(Selected(w.lstExisting), kMelbourne);
            QCOMPARE(BoxText(w.txtPasswordConfirm), QByteArray("KEPT"));
            QCOMPARE(BoxText(w.txtAlternative), QByteArray("  03 1234 5678"));
        }
        // Saved entries the lists do not offer: a state none, a connection choice that names
        // no option the first and the end of the restore.
        SaveSetting(kSettingsApp, "Page1", "State", "XX");
        SaveSetting(kSettingsApp, "Page2", "Connection", "2");
        SaveSetting(kSettingsApp, "Page3", "NickName", "MARYS");
        const auto window = StartWizard(PatientModem());
        QVERIFY(window->txtFirstName->text().isEmpty() && window->txtAlternative->text().isEmpty());
        QVERIFY(window->cboState->currentIndex() == -1 && window->optConnection[0]->isChecked());
        QCOMPARE(BoxText(window->txtNickName), QByteArray());
    }
    // Pick lists: program folder first, then the fall-back; comments, repeats, short lines
    // skipped; a blank web address keeps its default.
    void pickListFiles() {
        machine_->writeFile(u"heardabt.txt"_s,
                            "* choices\r\nA games shop\r\nFROM A FRIEND\r\nIn a\r\nRadio\r\nRadio");
        for (const auto &[name, bytes] :
             {std::pair{u"heardabt.txt"_s, QByteArray("Never read\n")},
              std::pair{u"contacts.txt"_s,
                        QByteArray("* labels\r\n  \r\n1300 000 000\r\nnot read")}}) {
            QFile file(machine_->root() + u"/fallback/"_s + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        const auto window = StartWizard(PatientModem());
        // After the first six built in: the file's own, none twice nor in other case; Other last.
        QList<QByteArray> choices;
        for (int i = 6; i < window->cboHeardAbout->count(); ++i)
            choices << ToCodePage(window->cboHeardAbout->itemText(i));
        QCOMPARE(choices, (QList<QByteArray>{"From a friend", "A games shop", "Radio", "Other"}));
        QCOMPARE(window->cboHeardAbout->currentIndex(), -1);
        QCOMPARE(window->lblURL->text(), u"www.kestrune.com.au"_s);
        QCOMPARE(window->lblHelpPhone->text(), u"1300 000 000"_s);
        QVERIFY(ui_->messages.isEmpty());
    }
};

QTEST_MAIN(RegistrationWizardTest)
#include "test_frmRegistration.moc"
