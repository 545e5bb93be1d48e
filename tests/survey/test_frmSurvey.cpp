#include "frmSurvey.h"
#include "program_folder.h"
#include "program_state.h"
#include "scripted_ui.h"
#include "window_checks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <csignal>
#include <map>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using modKestenrol::gAppPath;
using modKestenrol::gSurveyAnswers;

namespace {

// A file answering every list, with no dependent box in use.
const std::map<int, QByteArray> kListAnswers{
    {3, "Student"}, {4, "Over 5 years"}, {5, "486"},   {77, "Up to 16Mb"}, {8, "1 - 2Gb"},
    {9, "0"},       {30, "ISDN"},        {32, "Home"}, {39, "Sport"},      {47, "0"},
    {48, "TV"},     {55, "0"},           {56, "21 +"}, {62, "Mail Order"}};

QByteArray answersFile() {
    QByteArray text;
    for (const auto &[code, value] : kListAnswers)
        text += '"' + QByteArray::number(code).rightJustified(2, '0') + value + "\"\r\n";
    return text;
}

// Control names; "chkTried*12" stands for chkTried(0) to chkTried(11).
QStringList names(const char *blankSeparated) {
    QStringList list;
    for (const QString &name :
         QString::fromLatin1(blankSeparated).split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype star = name.indexOf(u'*');
        if (star < 0)
            list << name;
        for (int i = 0; star >= 0 && i < name.mid(star + 1).toInt(); ++i)
            list << u"%1(%2)"_s.arg(name.left(star)).arg(i);
    }
    return list;
}

// The dependent boxes, and the answers that put each in use and out of use.
const char *const kBoxes = "txtComputerTypeOther txtSoundCardType txt3DCardType "
                           "txtPeripheralsOther txtConnectSpeedOther txtConnectOther "
                           "txtBuyFromOther txtTriedOther";
const QString kInUse = u"cboComputerType=Other;chkPeripherals(0)=Y;chkPeripherals(3)=Y;"
                       u"chkPeripherals(7)=Y;cboConnectSpeed=Other;chkConnect(4)=Y;"
                       u"cboBuyFrom=Other;chkTried(11)=Y"_s;
const QString kOutOfUse = u"cboComputerType=Pentium Duo;chkPeripherals(0)=N;"
                          u"chkPeripherals(3)=N;chkPeripherals(7)=N;cboConnectSpeed=ISDN;"
                          u"chkConnect(4)=N;cboBuyFrom=Toy Store;chkTried(11)=N"_s;

// What the user sees of every answer control: a choice as Y or N, a list's
// picked text, a box's text.
QMap<QString, QString> everyAnswer(const frmSurvey &survey) {
    QMap<QString, QString> answers;
    for (const QWidget *control : survey.findChildren<QWidget *>()) {
        const auto *button = qobject_cast<const QAbstractButton *>(control);
        if (button != nullptr && qobject_cast<const QPushButton *>(control) == nullptr)
            answers.insert(control->objectName(), button->isChecked() ? u"Y"_s : u"N"_s);
        else if (const auto *list = qobject_cast<const QComboBox *>(control))
            answers.insert(control->objectName(), list->currentText());
        else if (const auto *box = qobject_cast<const QLineEdit *>(control))
            answers.insert(control->objectName(), box->text());
    }
    return answers;
}

// "name=value" for each control that is not as a new survey without an
// answers file shows it (16 - 25, Male, every list empty, every box clear).
QString changes(const frmSurvey &survey) {
    QStringList changed;
    const QMap<QString, QString> answers = everyAnswer(survey);
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        const bool chosen = it.key() == u"optAge(2)"_s || it.key() == u"optGender(0)"_s;
        const bool text = it.key().startsWith(u"cbo"_s) || it.key().startsWith(u"txt"_s);
        if (it.value() != (text ? QString() : chosen ? u"Y"_s : u"N"_s))
            changed << it.key() + u'=' + it.value();
    }
    return changed.join(u';');
}

void answer(frmSurvey &survey, const QString &answers) {
    for (const QString &given : answers.split(u';')) {
        auto *control = survey.findChild<QWidget *>(given.section(u'=', 0, 0));
        const QString value = given.section(u'=', 1);
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            button->setChecked(value == u"Y"_s);
        else if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentIndex(list->findText(value));
        else
            qobject_cast<QLineEdit *>(control)->setText(value);
    }
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The answer string of field 23: every slot but 69, joined by commas.
QByteArray answerString() {
    QList<QByteArray> slots(gSurveyAnswers.begin(), gSurveyAnswers.end());
    slots.removeAt(69);
    return slots.join(',');
}

QString focusName() {
    const QWidget *focused = QApplication::focusWidget();
    return focused != nullptr ? focused->objectName() : u"<none>"_s;
}

void press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

// The controls Tab visits from the start until it comes round again. Enter
// on each answer control among them moves on to the next, and from the last
// answer to the step's forward button; it changes no answer.
void tabAndEnter(frmSurvey &survey, const QString &start, QStringList &cycle) {
    survey.findChild<QWidget *>(start)->setFocus();
    cycle = QStringList{focusName()};
    for (press(Qt::Key_Tab); focusName() != cycle.first() && cycle.size() < 40; press(Qt::Key_Tab))
        cycle << focusName();
    const QString forward = survey.cmdNext->isEnabled() ? u"cmdNext"_s : u"cmdFinish"_s;
    for (qsizetype i = 0; i + 1 < cycle.size() && !cycle[i].startsWith(u"cmd"_s); ++i) {
        survey.findChild<QWidget *>(cycle[i])->setFocus();
        const QMap<QString, QString> before = everyAnswer(survey);
        press(Qt::Key_Return);
        const QString next = cycle[i + 1].startsWith(u"cmd"_s) ? forward : cycle[i + 1];
        QCOMPARE(cycle[i] + u'>' + focusName(), cycle[i] + u'>' + next);
        QCOMPARE(everyAnswer(survey), before);
    }
}

// Alt and the underlined letter of a button's caption; the button goes
// down and comes up again before it acts.
void mnemonic(QPushButton *button) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    const QString caption = button->text();
    const QChar letter = caption.at(caption.indexOf(u'&') + 1).toUpper();
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(letter.unicode()),
                    Qt::AltModifier);
    QVERIFY2(clicked.wait(2000), qPrintable(caption));
}

void checkMessage(const ScriptedUi::Message &message, const QByteArray &text,
                  const QByteArray &title, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) {
    QCOMPARE(std::tuple(message.text, message.title, int(message.icon), int(message.buttons)),
             std::tuple(text, title, int(icon), int(buttons)));
}

// Each dependent box's state and colour.
QStringList boxStates(const frmSurvey &survey) {
    QStringList states;
    for (const QString &name : names(kBoxes)) {
        const auto *box = survey.findChild<QLineEdit *>(name);
        states << (box->isEnabled() ? u"enabled "_s : u"grey "_s) +
                      box->palette().color(QPalette::Base).name();
    }
    return states;
}

const QString kGrey = u"grey #c0c0c0"_s;
const QString kEnabled = u"enabled #ffffff"_s; // the window colour

} // namespace

class SurveyWindowTest : public QObject {
    Q_OBJECT

  private:
    // Writes the answers file if one is given, opens the survey as the wizard
    // does, makes it the active window and moves on to the page.
    frmSurvey &open(const QByteArray &file = {}, int page = 0) {
        if (!file.isNull())
            folder_->writeFile(u"survey.txt"_s, file);
        delete survey_;
        survey_ = new frmSurvey(*wizard_, done_);
        survey_->show();
        QApplication::setActiveWindow(survey_);
        (void)QTest::qWaitForWindowActive(survey_);
        for (int i = 0; i < page; ++i)
            survey_->cmdNext->click();
        return *survey_;
    }

    QString surveyPath() const { return folder_->path() + u"/survey.txt"_s; }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<QWidget> wizard_;
    Flag done_ = kFalse;
    frmSurvey *survey_ = nullptr;

  private Q_SLOTS:
    void init() {
        folder_ = std::make_unique<ProgramFolder>();
        ui_ = std::make_unique<ScriptedUi>();
        gAppPath = folder_->appPath();
        gSurveyAnswers.fill("earlier");
        done_ = kFalse;
        wizard_ = std::make_unique<QWidget>();
        wizard_->move(210, 120);
    }

    void cleanup() {
        survey_ = nullptr;
        wizard_.reset();
        ui_.reset();
        folder_.reset();
    }

    // Every answer saved and shown again at the next opening; Start Over.
    void everyAnswerSavedAndRestored() {
        // The file's lines without their quotes and line ends. The box to buy
        // from is out of use, but its text still counts.
        const QByteArray lines =
            "0125-35|02F|03Lawyer|04Less than 3 years|05Other|06Cyrix 6x86|07Y|77Up to 32b|"
            "08500Mb to 1Gb|092|10Y|11Y|12Gravis Ultrasound|13N|14Y|15N|16|17N|18Y|19N|20Y|"
            "21Light gun|22N|23Y|24N|25N|26N|27N|28N|29Y|3028.8k modem|31|32Friend's house|"
            "33Y|34N|35N|36N|37Y|38Library|39Role Playing/Adventure|40N|41N|42N|43Y|44N|45N|"
            "46Y|47100 +|48Magazines|49N|50Y|51N|52N|53N|54N|5521 +|566 - 10|57Y|58N|59N|60N|"
            "61Y|62Via the Internet|63Swap meet|64N|65N|66N|67N|68N|69Y|70N|71N|72N|73N|74N|"
            "75Y|76TEN";
        QByteArray expected;
        for (const QByteArray &line : lines.split('|'))
            expected += '"' + line + "\"\r\n";
        // Loaded, and two answers changed in the window.
        frmSurvey &survey = open(
            QByteArray(expected).replace("\"0125-35\"", "\"01<8\"").replace("\"13N", "\"13Y"), 7);
        answer(survey, u"optAge(3)=Y;chkPeripherals(1)=N"_s);
        const QMap<QString, QString> given = everyAnswer(survey);
        survey.cmdFinish->click();
        QCOMPARE(done_, kTrue);
        QCOMPARE(readAll(surveyPath()), expected);
        const QByteArray string = answerString();
        QVERIFY(string.startsWith("25-35,F,Lawyer,Less than 3 years,Other,Cyrix 6x86,Y,Up to 32b,"
                                  "500Mb to 1Gb,15\",Y,Y,Gravis Ultrasound,N,"));

        // The next opening shows every answer as it was given.
        done_ = kFalse;
        frmSurvey &again = open({}, 7);
        QCOMPARE(everyAnswer(again), given);
        QCOMPARE(boxStates(again).mid(6), QStringList({kGrey, kEnabled}));

        // Without IGZ the file changes in that line only, the answer string not at
        // all; an unanswered monitor list is position -1.
        again.chkTried[5]->click();
        again.cboMonitor->setCurrentIndex(-1);
        again.cmdFinish->click();
        QCOMPARE(readAll(surveyPath()),
                 expected.replace("\"69Y\"", "\"69N\"").replace("\"092\"", "\"09-1\""));
        QCOMPARE(answerString(), QByteArray(string).replace(",15\",", ",,"));

        // Start Over: No changes nothing; Yes shows a new survey at step 1.
        frmSurvey &third = open({}, 1);
        const QMap<QString, QString> loaded = everyAnswer(third);
        ui_->messages.clear();
        ui_->answers = {MsgAnswer::No};
        mnemonic(third.cmdStartOver);
        QCOMPARE(ui_->messages.size(), 1);
        checkMessage(ui_->messages[0],
                     "Are you sure you want to start the Kestrune Survey over again?",
                     "Start Survey Over", MsgIcon::Question, MsgButtons::YesNo);
        QCOMPARE(everyAnswer(third), loaded);
        QCOMPARE(third.intCurrentPage, 1);
        mnemonic(third.cmdStartOver);
        QCOMPARE(third.intCurrentPage, 0);
        QCOMPARE(QApplication::focusWidget(), third.optAge[2]);
        QCOMPARE(changes(third), QString());
        QCOMPARE(boxStates(third), QStringList(8, kGrey));
        QCOMPARE(readAll(surveyPath()), expected);
    }

    // Each step: its caption, buttons and first control. Tab goes round
    // the step's controls, a choice group being one stop at its choice. Enter
    // moves on, with every dependent box in use and with none. Next checks the
    // step's required lists in order, every list of the step unanswered, the
    // optional ones too; Back never checks.
    void stepsAndKeys() {
        const QList<std::pair<const char *, QByteArrayList>> required{
            {"cboOccupation", {"Please select your occupation from the drop-down list."}},
            {"cboHowLong cboRAM cboHDD cboMonitor",
             {"Please select how long you have been using computers from the drop-down list.",
              "Please select the amount of RAM your computer has from the drop-down list.",
              "Please select the size of your computer's hard disk your computer has from the "
              "drop-down list.",
              "Please select your monitor type from the drop-down list."}},
            {"", {}},
            {"", {}},
            {"cboFavouriteGameType cboHoursMonth",
             {"Please select your favourite game type from the drop-down list.",
              "Please select the number of hours per month you play games from the drop-down "
              "list."}},
            {"cboInfluence cboGamesOwned cboPlanToBuy",
             {"Please select your game purchasing influence from the drop-down list.",
              "Please select the number of games you own from the drop-down list.",
              "Please select the number of games you play to buy from the drop-down list."}},
            {"cboBuyFrom", {"Please select where you purchase games from the drop-down list."}},
            {"", {}}};
        // Each step's tab order, every dependent box in use.
        const std::array<const char *, 8> order{
            "optAge(2) optGender(0) cboOccupation",
            "cboHowLong cboComputerType txtComputerTypeOther chkMMX cboRAM cboHDD cboMonitor "
            "chkCDROM",
            "chkPeripherals(0) txtSoundCardType chkPeripherals(1) chkPeripherals(2) "
            "chkPeripherals(3) txt3DCardType chkPeripherals(4) chkPeripherals(5) "
            "chkPeripherals(6) chkPeripherals(7) txtPeripheralsOther",
            "chkConsoles*8 cboConnectSpeed txtConnectSpeedOther cboConnectFrom chkConnect*5 "
            "txtConnectOther",
            "cboFavouriteGameType chkGameType*7 cboHoursMonth",
            "cboInfluence chkInfluence*6 cboGamesOwned cboPlanToBuy",
            "chkPrefer*5 cboBuyFrom txtBuyFromOther",
            "chkTried*12 txtTriedOther"};
        frmSurvey &survey = open(answersFile());
        qsizetype messages = 0;
        for (int page = 0; page < 8; ++page) {
            QCOMPARE(survey.windowTitle(),
                     u"Kestrune Survey Wizard - Step %1 of 8"_s.arg(page + 1));
            // The buttons Tab reaches are the enabled ones.
            const QStringList buttons =
                names(page == 0   ? "cmdCancel cmdNext cmdFinish"
                      : page == 7 ? "cmdCancel cmdStartOver cmdBack cmdFinish"
                                  : "cmdCancel cmdStartOver cmdBack cmdNext");
            const QStringList controls = names(order.at(page));
            QCOMPARE(focusName(), controls.first());

            QStringList cycle;
            answer(survey, kInUse);
            tabAndEnter(survey, controls.first(), cycle);
            QCOMPARE(cycle, controls + buttons);
            answer(survey, kOutOfUse);
            tabAndEnter(survey, controls.first(), cycle);

            for (QComboBox *list : survey.picPage[page]->findChildren<QComboBox *>())
                list->setCurrentIndex(-1);
            const QStringList lists = names(required[page].first);
            // Finish on the first step checks that step only.
            for (qsizetype i = 0; i < lists.size(); ++i) {
                mnemonic(page == 0 ? survey.cmdFinish : survey.cmdNext);
                QCOMPARE(ui_->messages.size(), ++messages);
                checkMessage(ui_->messages.last(), required[page].second[i], "Kestrune Survey",
                             MsgIcon::Exclamation);
                QCOMPARE(focusName(), lists[i]);
                press(Qt::Key_Down);
            }
            if (page < 7)
                mnemonic(survey.cmdNext);
        }
        QCOMPARE(ui_->messages.size(), messages);
        survey.cboBuyFrom->setCurrentIndex(-1);
        survey.cboInfluence->setCurrentIndex(-1);
        for (int page = 6; page >= 0; --page) {
            mnemonic(survey.cmdBack);
            QCOMPARE(survey.intCurrentPage, page);
        }
        QCOMPARE(ui_->messages.size(), messages);
    }

    // A new window: the usual pointer, every answer as a new survey shows
    // it, the logo, nothing clipped and every entry named.
    // Each answer governs its own box only: out of use, the box is grey and
    // disabled and keeps its text; back in use, it is enabled again. Typing.
    void newWindowAndDependentBoxes() {
        folder_->writeFile(u"kestrune.bmp"_s,
                           readAll(QStringLiteral(KESTRUNE_SAMPLE_DIR "/kestrune.bmp")));
        ui_->setMousePointer(MousePointer::Hourglass);
        frmSurvey &survey = open();
        QCOMPARE(ui_->mousePointer(), MousePointer::Default);
        // 500 twips right of the wizard and below it.
        QCOMPARE(survey.pos(), wizard_->pos() + QPoint(33, 33));
        QCOMPARE(changes(survey), QString());
        QVERIFY(!survey.imgKestrune->pixmap().isNull());
        QCOMPARE(LayoutProblems(survey), QString());

        // Neighbouring ticks govern nothing.
        answer(survey, u"chkPeripherals(1)=Y;chkConnect(3)=Y;chkTried(10)=Y"_s);
        QCOMPARE(boxStates(survey), QStringList(8, kGrey));
        answer(survey, kInUse);
        for (QLineEdit *box : survey.findChildren<QLineEdit *>())
            box->setText(box->objectName().right(5));
        const QStringList inUse = kInUse.split(u';');
        const QStringList outOfUse = kOutOfUse.split(u';');
        for (qsizetype i = 0; i < inUse.size(); ++i) {
            QStringList expected(8, kEnabled);
            expected[i] = kGrey;
            answer(survey, outOfUse[i]);
            QCOMPARE(boxStates(survey), expected);
            answer(survey, inUse[i]);
        }
        QCOMPARE(boxStates(survey), QStringList(8, kEnabled));
        for (QLineEdit *box : survey.findChildren<QLineEdit *>())
            QCOMPARE(box->text(), box->objectName().right(5));

        // Letters, digits and blanks only, typed or pasted, 30 at most.
        QLineEdit *box = survey.txtBuyFromOther;
        box->clear();
        box->setFocus();
        QTest::keyClicks(box, u"Ab 1,\".;'-x"_s);
        QKeyEvent accented(QEvent::KeyPress, 0, Qt::NoModifier, u"\u00e9"_s);
        QApplication::sendEvent(box, &accented);
        QCOMPARE(box->text(), u"Ab 1x"_s);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, QString(40, u'z'));
        QCOMPARE(box->text(), u"Ab "_s + QString(27, u'z'));
        box->clear();
        box->insert(u"Mail, \"or\" phone."_s);
        QCOMPARE(box->text(), u"Mail or phone"_s);
        // The focus selects the whole text.
        survey.cboBuyFrom->setFocus();
        box->setFocus();
        QCOMPARE(box->selectedText(), u"Mail or phone"_s);
    }

    // The usable lines of an answers file fill the window in file order, the
    // rest are skipped. Cancel, the close box and Escape each ask: No keeps the
    // survey open, Yes closes it leaving the file and the answers as they were.
    void loadingCancellingAndAFullDisk() {
        const char odd[] =
            "\"03sales\"\n\"07Y\"\r\"07y\"\r\n\"10y\"\n\"10Y\"\n\x89PNG\r\n\x1a\n\0\0\n"
            "\"0913\"\n\"093\"\n\"0145+\"\n\"0116 - 25\"\n\"02f\"\n\"06Bad, text\"\n"
            "\"78Y\"\n\"00Y\"\n07Y\n\"60Y\"\n\"31ISDN 2\"\n\"64";
        const QByteArray content(odd, sizeof odd - 1);
        const QString shown =
            u"cboMonitor=17\";cboOccupation=Sales/Marketing;chkCDROM=Y;chkPrefer(3)=Y;"
            u"optAge(2)=N;optAge(5)=Y;txtConnectSpeedOther=ISDN 2"_s;
        for (int how = 0; how < 3; ++how) {
            frmSurvey &survey = open(content);
            QCOMPARE(changes(survey), shown);
            ui_->messages.clear();
            ui_->answers = {MsgAnswer::No, MsgAnswer::Yes};
            for (int asked = 1; asked <= 2; ++asked) {
                if (how == 0)
                    mnemonic(survey.cmdCancel);
                else if (how == 1)
                    survey.close();
                else
                    press(Qt::Key_Escape);
                QCOMPARE(ui_->messages.size(), asked);
                checkMessage(ui_->messages.last(),
                             "Are you sure you want to cancel the Kestrune Survey?",
                             "Cancel Survey", MsgIcon::Question, MsgButtons::YesNo);
                QCOMPARE(survey.isVisible(), asked == 1);
            }
            QCOMPARE(changes(survey), shown);
            QCOMPARE(done_, kFalse);
            QCOMPARE(readAll(surveyPath()), content);
            QCOMPARE(answerString().count("earlier"), 76);
        }

        // Finish on the first step checks that step only. A disk that fills
        // half-way through the new file leaves the old one, and the answers still
        // go to the host, those of steps never shown too.
        frmSurvey &survey = open();
        survey.chkMMX->setChecked(true);
        survey.txtSoundCardType->setText(QString(30, u'x'));
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{256, limit.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        mnemonic(survey.cmdFinish);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(ui_->messages.size(), 3);
        checkMessage(ui_->messages.last(),
                     "Thank-you for completing this survey. Your responses are valuable to us, and "
                     "will help us to improve the Kestrune service.\r\n\r\nThe completion of your "
                     "registration with Kestrune will now continue.",
                     "Kestrune Registration", MsgIcon::Information);
        QVERIFY(!survey.isVisible());
        QCOMPARE(done_, kTrue);
        QVERIFY(answerString().startsWith("45+,M,Sales/Marketing,,,,Y,,,17\",Y,N," +
                                          QByteArray(30, 'x') + ",N,N,N,,N,N,N,N,"));
        QCOMPARE(readAll(surveyPath()), content);
        QCOMPARE(QDir(folder_->path()).entryList(QDir::Files), QStringList{u"survey.txt"_s});
    }
};

QTEST_MAIN(SurveyWindowTest)
#include "test_frmSurvey.moc"
