#include "frmSurvey.h"
#include "program_folder.h"
#include "program_state.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <map>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using modKestenrol::gAppPath;
using modKestenrol::gSurveyAnswers;

namespace {

// Controls and what they show: "name=value;name=value".
using Answers = QString;

// A file answering every list, with no dependent box in use.
const std::map<int, QByteArray> kListAnswers{
    {3, "Student"}, {4, "Over 5 years"}, {5, "486"},   {77, "Up to 16Mb"}, {8, "1 - 2Gb"},
    {9, "0"},       {30, "ISDN"},        {32, "Home"}, {39, "Sport"},      {47, "0"},
    {48, "TV"},     {55, "0"},           {56, "21 +"}, {62, "Mail Order"}};

QByteArray answersFile(const std::map<int, QByteArray> &values = kListAnswers) {
    QByteArray text;
    for (const auto &[code, value] : values)
        text += '"' + QByteArray::number(code).rightJustified(2, '0') + value + "\"\r\n";
    return text;
}

// Every list answered, every dependent box in use and filled.
QByteArray everyBoxInUse() {
    std::map<int, QByteArray> answers{{1, "35-45"}, {2, "F"},  {5, "Other"},  {6, "x"},
                                      {11, "Y"},    {15, "Y"}, {20, "Y"},     {30, "Other"},
                                      {31, "x"},    {37, "Y"}, {62, "Other"}, {75, "Y"}};
    answers.insert(kListAnswers.begin(), kListAnswers.end());
    return answersFile(answers);
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

// A table row's blank-separated fields, '_' standing for a blank within one.
QStringList fields(const char *row) {
    return QString::fromLatin1(row).split(u' ').replaceInStrings(u"_"_s, u" "_s);
}

// What the user would see of a control: a choice as Y or N, a list's
// picked text, a box's text.
QString shown(const QWidget *control) {
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->isChecked() ? u"Y"_s : u"N"_s;
    if (const auto *list = qobject_cast<const QComboBox *>(control))
        return list->currentText();
    return qobject_cast<const QLineEdit *>(control)->text();
}

QMap<QString, QString> everyAnswer(const frmSurvey &survey) {
    QMap<QString, QString> answers;
    for (const QWidget *control : survey.findChildren<QWidget *>()) {
        const bool choice = qobject_cast<const QAbstractButton *>(control) != nullptr &&
                            qobject_cast<const QPushButton *>(control) == nullptr;
        if (choice || qobject_cast<const QComboBox *>(control) != nullptr ||
            qobject_cast<const QLineEdit *>(control) != nullptr)
            answers.insert(control->objectName(), shown(control));
    }
    return answers;
}

QList<std::pair<QString, QString>> pairs(const Answers &answers) {
    QList<std::pair<QString, QString>> list;
    for (const QString &given : answers.split(u';'))
        list.append({given.section(u'=', 0, 0), given.section(u'=', 1)});
    return list;
}

void answer(frmSurvey &survey, const Answers &answers) {
    for (const auto &[name, value] : pairs(answers)) {
        auto *control = survey.findChild<QWidget *>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            button->setChecked(value == u"Y"_s);
        } else if (auto *list = qobject_cast<QComboBox *>(control)) {
            list->setCurrentIndex(list->findText(value));
            QVERIFY2(list->currentIndex() >= 0 || value.isEmpty(), qPrintable(value));
        } else {
            qobject_cast<QLineEdit *>(control)->setText(value);
        }
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
    QCOMPARE(message.text, text);
    QCOMPARE(message.title, title);
    QCOMPARE(message.icon, icon);
    QCOMPARE(message.buttons, buttons);
}

// Grey and disabled, or enabled with the window colour.
QString boxState(const QLineEdit *box) {
    const QColor base = box->palette().color(QPalette::Base);
    if (!box->isEnabled())
        return base == QColor(192, 192, 192) ? u"grey"_s : u"disabled, "_s + base.name();
    return base == QApplication::palette(box).color(QPalette::Base) ? u"enabled"_s
                                                                    : u"enabled, "_s + base.name();
}

// The controls that are not as a newly opened survey shows them without an
// answers file: 16 - 25, Male, every list empty, every box clear.
QStringList notInitial(const frmSurvey &survey) {
    QStringList changed;
    const QMap<QString, QString> answers = everyAnswer(survey);
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        const bool chosen = it.key() == u"optAge(2)"_s || it.key() == u"optGender(0)"_s;
        const bool text = it.key().startsWith(u"cbo"_s) || it.key().startsWith(u"txt"_s);
        if (it.value() != (text ? QString() : chosen ? u"Y"_s : u"N"_s))
            changed << it.key();
    }
    return changed;
}

const QByteArray kSurvey = "Kestrune Survey";

} // namespace

class SurveyWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup();
    void finishOnStepOneChecksThatStepOnly();
    void everyAnswerSavedAndRestored();
    void stepsInOrder();
    void keyboard_data();
    void keyboard();
    void dependentBoxes_data();
    void dependentBoxes();
    void typingIntoBoxes();
    void oddAnswersFiles_data();
    void oddAnswersFiles();
    void cancelKeepsEverything_data();
    void cancelKeepsEverything();
    void startOver();
    void failedWriteLosesNothing_data();
    void failedWriteLosesNothing();
    void nothingClippedAndEveryControlNamed();

  private:
    frmSurvey &open(const QByteArray &file = {}, int page = 0);
    void goToPage(int page);
    QString surveyPath() const { return folder_->path() + u"/survey.txt"_s; }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedUi> ui_;
    std::unique_ptr<QWidget> wizard_;
    Flag done_ = kFalse;
    frmSurvey *survey_ = nullptr;
};

void SurveyWindowTest::init() {
    folder_ = std::make_unique<ProgramFolder>();
    ui_ = std::make_unique<ScriptedUi>();
    gAppPath = folder_->appPath();
    gSurveyAnswers.fill("earlier");
    done_ = kFalse;
    wizard_ = std::make_unique<QWidget>();
    wizard_->move(210, 120);
}

void SurveyWindowTest::cleanup() {
    survey_ = nullptr;
    wizard_.reset();
    ui_.reset();
    folder_.reset();
}

// Writes the answers file if one is given, opens the survey as the wizard
// does, makes it the active window and moves on to the page.
frmSurvey &SurveyWindowTest::open(const QByteArray &file, int page) {
    if (!file.isNull())
        folder_->writeFile(u"survey.txt"_s, file);
    delete survey_;
    survey_ = new frmSurvey(*wizard_, done_);
    survey_->show();
    QApplication::setActiveWindow(survey_);
    if (!QTest::qWaitForWindowActive(survey_))
        qWarning("the survey window did not become active");
    goToPage(page);
    return *survey_;
}

void SurveyWindowTest::goToPage(int page) {
    while (survey_->intCurrentPage < page) {
        const int before = survey_->intCurrentPage;
        survey_->cmdNext->click();
        if (survey_->intCurrentPage == before)
            QFAIL("the survey did not move on");
    }
}

void SurveyWindowTest::finishOnStepOneChecksThatStepOnly() {
    ui_->setMousePointer(MousePointer::Hourglass);
    frmSurvey &survey = open();
    QCOMPARE(ui_->mousePointer(), MousePointer::Default);
    QCOMPARE(survey.pos(), wizard_->pos() + QPoint(33, 33));
    QCOMPARE(everyAnswer(survey).size(), 75 + 8);
    QCOMPARE(notInitial(survey), QStringList());

    mnemonic(survey.cmdFinish);
    QCOMPARE(ui_->messages.size(), 1);
    QCOMPARE(ui_->messages[0].text, "Please select your occupation from the drop-down list.");
    QCOMPARE(QApplication::focusWidget(), survey.cboOccupation);
    QVERIFY(survey.isVisible());
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Down);
    QCOMPARE(survey.cboOccupation->currentText(), u"Clerical/White Collar"_s);
    mnemonic(survey.cmdFinish);

    QCOMPARE(ui_->messages.size(), 2);
    checkMessage(ui_->messages[1],
                 "Thank-you for completing this survey. Your responses are valuable to us, and "
                 "will help us to improve the Kestrune service.\r\n\r\nThe completion of your "
                 "registration with Kestrune will now continue.",
                 "Kestrune Registration", MsgIcon::Information);
    QVERIFY(!survey.isVisible());
    QCOMPARE(done_, kTrue);
    QCOMPARE(answerString(),
             "16-25,M,Clerical/White Collar,,,,N,,,,N,N,,N,N,N,,N,N,N,N,,N,N,N,N,N,N,N,N,,,,N,N,N,"
             "N,N,,,N,N,N,N,N,N,N,,,N,N,N,N,N,N,,,N,N,N,N,N,,,N,N,N,N,N,N,N,N,N,N,N,");
    QCOMPARE(gSurveyAnswers[69], "N");
    const QByteArray file = readAll(surveyPath());
    QCOMPARE(file.count("\r\n"), 77);
    QVERIFY(file.startsWith("\"0116-25\"\r\n\"02M\"\r\n\"03Clerical/White Collar\"\r\n\"04\"\r\n"
                            "\"05\"\r\n\"06\"\r\n\"07N\"\r\n\"77\"\r\n\"08\"\r\n\"09-1\"\r\n"));
}

void SurveyWindowTest::everyAnswerSavedAndRestored() {
    frmSurvey &survey = open();
    // The box to buy from, out of use again, keeps its text, and that still counts.
    answer(survey,
           QString::fromLatin1(
               "optAge(3)=Y;optGender(1)=Y;cboOccupation=Lawyer;cboHowLong=Less than 3 years;"
               "cboComputerType=Other;txtComputerTypeOther=Cyrix 6x86;chkMMX=Y;"
               "cboRAM=Up to 32b;cboHDD=500Mb to 1Gb;cboMonitor=15\";chkCDROM=Y;"
               "chkPeripherals(0)=Y;txtSoundCardType=Gravis Ultrasound;chkPeripherals(2)=Y;"
               "chkPeripherals(5)=Y;chkPeripherals(7)=Y;txtPeripheralsOther=Light gun;"
               "chkConsoles(1)=Y;chkConsoles(7)=Y;cboConnectSpeed=28.8k modem;"
               "cboConnectFrom=Friend's house;chkConnect(0)=Y;chkConnect(4)=Y;"
               "txtConnectOther=Library;cboFavouriteGameType=Role Playing/Adventure;"
               "chkGameType(3)=Y;chkGameType(6)=Y;cboHoursMonth=100 +;cboInfluence=Magazines;"
               "chkInfluence(1)=Y;cboGamesOwned=21 +;cboPlanToBuy=6 - 10;chkPrefer(0)=Y;"
               "chkPrefer(4)=Y;cboBuyFrom=Other;txtBuyFromOther=Swap meet;"
               "cboBuyFrom=Via the Internet;chkTried(5)=Y;chkTried(11)=Y;txtTriedOther=TEN"));
    const QMap<QString, QString> given = everyAnswer(survey);
    goToPage(7);
    survey.cmdFinish->click();
    QCOMPARE(done_, kTrue);

    // The file's lines without their quotes and line ends.
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
    QCOMPARE(readAll(surveyPath()), expected);
    const QByteArray string =
        "25-35,F,Lawyer,Less than 3 years,Other,Cyrix 6x86,Y,Up to 32b,500Mb to 1Gb,15\",Y,Y,"
        "Gravis Ultrasound,N,Y,N,,N,Y,N,Y,Light gun,N,Y,N,N,N,N,N,Y,28.8k modem,,Friend's house,"
        "Y,N,N,N,Y,Library,Role Playing/Adventure,N,N,N,Y,N,N,Y,100 +,Magazines,N,Y,N,N,N,N,21 "
        "+,6 - 10,Y,N,N,N,Y,Via the Internet,Swap meet,N,N,N,N,N,N,N,N,N,N,Y,TEN";
    QCOMPARE(answerString(), string);

    // The next opening shows every answer as it was given.
    done_ = kFalse;
    frmSurvey &again = open();
    QCOMPARE(everyAnswer(again), given);
    QCOMPARE(boxState(again.txtBuyFromOther), u"grey"_s);
    QCOMPARE(boxState(again.txtTriedOther), u"enabled"_s);

    // Without IGZ the file changes in that line only; the answer string not at all.
    goToPage(7);
    again.chkTried[5]->click();
    again.cmdFinish->click();
    QCOMPARE(readAll(surveyPath()), QByteArray(expected).replace("\"69Y\"", "\"69N\""));
    QCOMPARE(answerString(), string);
}

// Each step's caption, buttons and focus; Next checks the step's required
// lists in order, with every list of the step unanswered, the optional ones
// too; Back never checks.
void SurveyWindowTest::stepsInOrder() {
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
          "Please select the number of hours per month you play games from the drop-down list."}},
        {"cboInfluence cboGamesOwned cboPlanToBuy",
         {"Please select your game purchasing influence from the drop-down list.",
          "Please select the number of games you own from the drop-down list.",
          "Please select the number of games you play to buy from the drop-down list."}},
        {"cboBuyFrom", {"Please select where you purchase games from the drop-down list."}},
        {"", {}}};
    const QStringList focus = names("optAge(2) cboHowLong chkPeripherals(0) chkConsoles(0) "
                                    "cboFavouriteGameType cboInfluence chkPrefer(0) chkTried(0)");
    frmSurvey &survey = open(answersFile());
    qsizetype messages = 0;
    for (int page = 0; page < 8; ++page) {
        QCOMPARE(survey.intCurrentPage, page);
        QCOMPARE(survey.windowTitle(), u"Kestrune Survey Wizard - Step %1 of 8"_s.arg(page + 1));
        // Start Over, Back, Next, Finish.
        QString states;
        for (const QPushButton *button :
             {survey.cmdStartOver, survey.cmdBack, survey.cmdNext, survey.cmdFinish})
            states += button->isEnabled() ? u'+' : u'-';
        QCOMPARE(states, page == 0 ? u"--++"_s : page == 7 ? u"++-+"_s : u"+++-"_s);
        QCOMPARE(focusName(), focus[page]);
        for (int other = 0; other < 8; ++other)
            QCOMPARE(survey.picPage[other]->isVisible(), other == page);
        for (QComboBox *list : survey.picPage[page]->findChildren<QComboBox *>())
            list->setCurrentIndex(-1);
        const QStringList lists = names(required[page].first);
        for (qsizetype i = 0; i < lists.size(); ++i) {
            mnemonic(survey.cmdNext);
            QCOMPARE(survey.intCurrentPage, page);
            QCOMPARE(ui_->messages.size(), ++messages);
            checkMessage(ui_->messages.last(), required[page].second[i], kSurvey,
                         MsgIcon::Exclamation);
            QCOMPARE(focusName(), lists[i]);
            press(Qt::Key_Down);
        }
        if (page < 7)
            mnemonic(survey.cmdNext);
    }
    QCOMPARE(survey.picPage[7]->geometry(), QRect(168, 0, 432, 337));
    survey.cboBuyFrom->setCurrentIndex(-1);
    survey.cboInfluence->setCurrentIndex(-1);
    for (int page = 6; page >= 0; --page) {
        mnemonic(survey.cmdBack);
        QCOMPARE(survey.intCurrentPage, page);
    }
    QCOMPARE(ui_->messages.size(), messages);
}

void SurveyWindowTest::keyboard_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QStringList>("moves");
    // The tab order, then Enter's moves as "control[=pick]>focus-afterwards",
    // '_' standing for a blank.
    const auto row = [](int page, const char *order, const char *moves,
                        const char *buttons = "cmdCancel cmdStartOver cmdBack cmdNext") {
        QTest::addRow("step %d", page + 1)
            << page << names(order) + names(buttons) << fields(moves);
    };
    row(0, "optAge(4) optGender(1) cboOccupation",
        "optAge(4)>optGender(1) optGender(1)>cboOccupation cboOccupation>cmdNext",
        "cmdCancel cmdNext cmdFinish");
    row(1,
        "cboHowLong cboComputerType txtComputerTypeOther chkMMX cboRAM cboHDD cboMonitor "
        "chkCDROM",
        "cboComputerType=486>chkMMX cboComputerType=Other>txtComputerTypeOther "
        "txtComputerTypeOther>chkMMX cboMonitor>chkCDROM chkCDROM>cmdNext");
    row(2,
        "chkPeripherals(0) txtSoundCardType chkPeripherals(1) chkPeripherals(2) "
        "chkPeripherals(3) txt3DCardType chkPeripherals(4) chkPeripherals(5) "
        "chkPeripherals(6) chkPeripherals(7) txtPeripheralsOther",
        "chkPeripherals(0)=N>chkPeripherals(1) chkPeripherals(0)=Y>txtSoundCardType "
        "txt3DCardType>chkPeripherals(4) chkPeripherals(7)=N>cmdNext "
        "chkPeripherals(7)=Y>txtPeripheralsOther txtPeripheralsOther>cmdNext");
    row(3,
        "chkConsoles*8 cboConnectSpeed txtConnectSpeedOther cboConnectFrom chkConnect*5 "
        "txtConnectOther",
        "chkConsoles(7)>cboConnectSpeed txtConnectSpeedOther>cboConnectFrom "
        "chkConnect(4)=N>cmdNext chkConnect(4)=Y>txtConnectOther txtConnectOther>cmdNext");
    row(4, "cboFavouriteGameType chkGameType*7 cboHoursMonth",
        "chkGameType(6)>cboHoursMonth cboHoursMonth>cmdNext");
    row(5, "cboInfluence chkInfluence*6 cboGamesOwned cboPlanToBuy",
        "chkInfluence(5)>cboGamesOwned cboGamesOwned>cboPlanToBuy cboPlanToBuy>cmdNext");
    row(6, "chkPrefer*5 cboBuyFrom txtBuyFromOther",
        "chkPrefer(4)>cboBuyFrom cboBuyFrom=Toy_Store>cmdNext cboBuyFrom=Other>txtBuyFromOther "
        "txtBuyFromOther>cmdNext");
    row(7, "chkTried*12 txtTriedOther",
        "chkTried(10)>chkTried(11) chkTried(11)=N>cmdFinish chkTried(11)=Y>txtTriedOther "
        "txtTriedOther>cmdFinish",
        "cmdCancel cmdStartOver cmdBack cmdFinish");
}

// Every dependent box in use; a choice group is one tab stop, at its choice.
// Enter moves on as Tab does, but skips a box out of use, and changes no
// answer and presses no button.
void SurveyWindowTest::keyboard() {
    QFETCH(int, page);
    QFETCH(QStringList, order);
    QFETCH(QStringList, moves);
    frmSurvey &survey = open(everyBoxInUse(), page);
    survey.findChild<QWidget *>(order.first())->setFocus();
    QStringList visited{focusName()};
    while (visited.size() < order.size()) {
        press(Qt::Key_Tab);
        visited << focusName();
    }
    QCOMPARE(visited, order);
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), order.first());
    for (const QString &move : moves) {
        const QString control = move.section(u'>', 0, 0);
        if (control.contains(u'='))
            answer(survey, control);
        survey.findChild<QWidget *>(control.section(u'=', 0, 0))->setFocus();
        const QMap<QString, QString> before = everyAnswer(survey);
        press(Qt::Key_Return);
        QCOMPARE(control + u'>' + focusName(), move);
        QCOMPARE(everyAnswer(survey), before);
    }
    QCOMPARE(survey.intCurrentPage, page);
    QVERIFY(ui_->messages.isEmpty() && survey.isVisible());
}

void SurveyWindowTest::dependentBoxes_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<Answers>("on");
    QTest::addColumn<Answers>("off");
    // "box answer-that-enables-it answer-that-disables-it"
    for (const char *row :
         {"txtComputerTypeOther cboComputerType=Other cboComputerType=Pentium_Duo",
          "txtSoundCardType chkPeripherals(0)=Y chkPeripherals(0)=N",
          "txt3DCardType chkPeripherals(3)=Y chkPeripherals(3)=N",
          "txtPeripheralsOther chkPeripherals(7)=Y chkPeripherals(7)=N",
          "txtConnectSpeedOther cboConnectSpeed=Other cboConnectSpeed=ISDN",
          "txtConnectOther chkConnect(4)=Y chkConnect(4)=N",
          "txtBuyFromOther cboBuyFrom=Other cboBuyFrom=Toy_Store",
          "txtTriedOther chkTried(11)=Y chkTried(11)=N"}) {
        const QStringList parts = fields(row);
        QTest::newRow(row) << parts[0] << parts[1] << parts[2];
    }
}

void SurveyWindowTest::dependentBoxes() {
    QFETCH(QString, box);
    QFETCH(Answers, on);
    QFETCH(Answers, off);
    frmSurvey &survey = open();
    auto *entry = survey.findChild<QLineEdit *>(box);
    QCOMPARE(boxState(entry), u"grey"_s);
    // Neighbouring ticks govern nothing.
    for (const char *other : {"chkPeripherals(1)", "chkConnect(3)", "chkTried(10)"})
        survey.findChild<QCheckBox *>(QLatin1String(other))->click();
    QCOMPARE(boxState(entry), u"grey"_s);
    answer(survey, on);
    QCOMPARE(boxState(entry), u"enabled"_s);
    entry->setText(u"Kept 1"_s);
    answer(survey, off);
    QCOMPARE(boxState(entry), u"grey"_s);
    QCOMPARE(entry->text(), u"Kept 1"_s);
}

void SurveyWindowTest::typingIntoBoxes() {
    frmSurvey &survey = open(answersFile({{62, "Other"}}));
    QLineEdit *box = survey.txtBuyFromOther;
    box->setFocus();
    QTest::keyClicks(box, u"Ab 1,\".;'-x"_s);
    QKeyEvent accented(QEvent::KeyPress, 0, Qt::NoModifier, u"\u00e9"_s);
    QApplication::sendEvent(box, &accented);
    QCOMPARE(box->text(), u"Ab 1x"_s);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), u"Ab "_s);
    QTest::keyClicks(box, QString(40, u'z'));
    QCOMPARE(box->text(), u"Ab "_s + QString(27, u'z'));
    // Pasted text keeps to the same characters.
    box->clear();
    box->insert(u"Mail, \"or\" phone."_s);
    QCOMPARE(box->text(), u"Mail or phone"_s);
    // The focus selects the whole text.
    survey.cboBuyFrom->setFocus();
    box->setFocus();
    QCOMPARE(box->selectedText(), u"Mail or phone"_s);
}

void SurveyWindowTest::oddAnswersFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Answers>("shown");
    QTest::newRow("prefer review and instore demo")
        << QByteArray("\"60Y\"\r\n\"57Y\"\r\n")
        << Answers(u"chkPrefer(0)=Y;chkPrefer(3)=Y;chkPrefer(1)=N"_s);
    QTest::newRow("later line wins, lower-case y clears")
        << QByteArray("\"07Y\"\r\n\"10Y\"\r\n\"07y\"\r\n\"6406\"\r\n")
        << Answers(u"chkMMX=N;chkCDROM=Y;chkTried(0)=N"_s);
    QTest::newRow("lists by prefix, ignoring case")
        << QByteArray("\"03sales\"\n\"05pentium\"\n\"77More\"\n\"08nothing\"\n\"0913\"\n\"093\"")
        << Answers(u"cboOccupation=Sales/Marketing;cboComputerType=Pentium 60-75;"
                   u"cboRAM=More than 32Mb;cboHDD=;cboMonitor=17\""_s);
    QTest::newRow("options exactly") << QByteArray("\"0145+\"\n\"0116 - 25\"\n\"02f\"\n\"02F\"")
                                     << Answers(u"optAge(5)=Y;optGender(1)=Y"_s);
    QTest::newRow("bad lines skipped, the rest applies")
        << QByteArray(
               "\"06Bad, text\"\n\"78Y\"\n\"00Y\"\r\n07Y\n\"\"\n\"31ISDN 2\"\n\"09x\"\n\"09-1\"")
        << Answers(u"txtComputerTypeOther=;chkMMX=N;txtConnectSpeedOther=ISDN 2;cboMonitor="_s);
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\n\"10Y\"", 22)
                            << Answers(u"chkCDROM=Y;optAge(2)=Y"_s);
    QTest::newRow("huge, no line ends") << QByteArray(4 << 20, 'Y') << Answers(u"optGender(0)=Y"_s);
}

void SurveyWindowTest::oddAnswersFiles() {
    QFETCH(QByteArray, content);
    QFETCH(Answers, shown);
    frmSurvey &survey = open(content);
    QCOMPARE(survey.windowTitle(), u"Kestrune Survey Wizard - Step 1 of 8"_s);
    for (const auto &[name, value] : pairs(shown))
        QCOMPARE(::shown(survey.findChild<QWidget *>(name)), value);
    // Loading fills the window only.
    QCOMPARE(gSurveyAnswers[6], "earlier");
    QCOMPARE(readAll(surveyPath()), content);
}

void SurveyWindowTest::cancelKeepsEverything_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << u"button"_s;
    QTest::newRow("close box") << u"close"_s;
    QTest::newRow("escape") << u"escape"_s;
}

void SurveyWindowTest::cancelKeepsEverything() {
    QFETCH(QString, how);
    const QByteArray file = answersFile();
    frmSurvey &survey = open(file, 2);
    survey.chkPeripherals[4]->click();
    ui_->answers = {MsgAnswer::No, MsgAnswer::Yes};
    for (int asked = 1; asked <= 2; ++asked) {
        if (how == u"button"_s)
            mnemonic(survey.cmdCancel);
        else if (how == u"close"_s)
            survey.close();
        else
            press(Qt::Key_Escape);
        QCOMPARE(ui_->messages.size(), asked);
        checkMessage(ui_->messages.last(), "Are you sure you want to cancel the Kestrune Survey?",
                     "Cancel Survey", MsgIcon::Question, MsgButtons::YesNo);
        // No keeps the survey where it was; Yes closes it.
        QCOMPARE(survey.isVisible(), asked == 1);
        QCOMPARE(survey.intCurrentPage, 2);
    }
    QCOMPARE(done_, kFalse);
    QCOMPARE(readAll(surveyPath()), file);
    QCOMPARE(answerString().count("earlier"), 76);
}

void SurveyWindowTest::startOver() {
    std::map<int, QByteArray> answers = kListAnswers;
    answers.insert({{1, "<8"}, {2, "F"}, {11, "Y"}, {12, "SB16"}, {75, "Y"}});
    frmSurvey &survey = open(answersFile(answers));
    QVERIFY(!survey.cmdStartOver->isEnabled());
    goToPage(2);
    const QMap<QString, QString> loaded = everyAnswer(survey);
    ui_->answers = {MsgAnswer::No};
    mnemonic(survey.cmdStartOver);
    QCOMPARE(ui_->messages.size(), 1);
    checkMessage(ui_->messages[0], "Are you sure you want to start the Kestrune Survey over again?",
                 "Start Survey Over", MsgIcon::Question, MsgButtons::YesNo);
    QCOMPARE(everyAnswer(survey), loaded);
    QCOMPARE(survey.intCurrentPage, 2);

    mnemonic(survey.cmdStartOver);
    QCOMPARE(survey.intCurrentPage, 0);
    QCOMPARE(QApplication::focusWidget(), survey.optAge[2]);
    QCOMPARE(notInitial(survey), QStringList());
    QCOMPARE(boxState(survey.txtSoundCardType), u"grey"_s);
    QVERIFY(!survey.cmdStartOver->isEnabled() && !survey.cmdBack->isEnabled());
    QCOMPARE(readAll(surveyPath()), answersFile(answers));
}

void SurveyWindowTest::failedWriteLosesNothing_data() {
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("program folder path runs through a file") << false;
    QTest::newRow("disk full half-way") << true;
}

void SurveyWindowTest::failedWriteLosesNothing() {
    QFETCH(bool, diskFull);
    const QByteArray old = answersFile();
    frmSurvey &survey = open(old);
    survey.chkMMX->setChecked(true);
    survey.txtSoundCardType->setText(QString(30, u'x'));
    if (!diskFull)
        gAppPath = QFile::encodeName(surveyPath()) + '/';
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{256, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (diskFull)
        setrlimit(RLIMIT_FSIZE, &small);
    survey.cmdFinish->click();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(ui_->messages.size(), 1);
    QVERIFY(!survey.isVisible());
    QCOMPARE(done_, kTrue);
    QCOMPARE(gSurveyAnswers[6], "Y");
    QCOMPARE(gSurveyAnswers[12], QByteArray(30, 'x'));
    QCOMPARE(readAll(surveyPath()), old);
    QCOMPARE(QDir(folder_->path()).entryList(QDir::Files), QStringList{u"survey.txt"_s});
}

void SurveyWindowTest::nothingClippedAndEveryControlNamed() {
    folder_->writeFile(u"kestrune.bmp"_s,
                       readAll(QStringLiteral(KESTRUNE_SAMPLE_DIR "/kestrune.bmp")));
    frmSurvey &survey = open();
    QCOMPARE(survey.size(), QSize(592, 393));
    QVERIFY(!survey.imgKestrune->pixmap().isNull());
    QVERIFY(survey.imgKestrune->pixmap().width() <= 168 - 4);
    // Every page where the first is, within the part of it the window shows.
    const QRect visible = survey.rect().intersected(survey.picPage[0]->geometry());
    for (QWidget *page : survey.picPage)
        page->setGeometry(survey.picPage[0]->geometry());
    for (QWidget *control : survey.findChildren<QWidget *>()) {
        const QFontMetrics metrics = control->fontMetrics();
        const QString name = control->objectName();
        if (std::ranges::count(survey.picPage, control->parentWidget()) == 1)
            QVERIFY2(visible.contains(QRect(control->mapTo(&survey, QPoint()), control->size())),
                     qPrintable(name));
        if (auto *label = qobject_cast<QLabel *>(control)) {
            const QRect room = label->contentsRect();
            QVERIFY2(room.contains(metrics.boundingRect(
                         room, (label->wordWrap() ? Qt::TextWordWrap : 0) | int(label->alignment()),
                         label->text())),
                     qPrintable(label->text()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            // A step button needs room for its caption and a margin.
            const QSize needed =
                qobject_cast<QPushButton *>(button) != nullptr
                    ? QSize(metrics.horizontalAdvance(button->text().remove(u'&')) + 12, 0)
                    : button->sizeHint() - QSize(0, 2);
            QVERIFY2(needed.width() <= button->width() && needed.height() <= button->height(),
                     qPrintable(name));
        } else if (auto *list = qobject_cast<QComboBox *>(control)) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            const QRect room = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                             QStyle::SC_ComboBoxEditField, list);
            for (int i = 0; i < list->count(); ++i)
                QVERIFY2(metrics.horizontalAdvance(list->itemText(i)) <= room.width(),
                         qPrintable(list->itemText(i)));
            QVERIFY2(!list->accessibleName().isEmpty(), qPrintable(name));
        } else if (auto *group = qobject_cast<QGroupBox *>(control)) {
            QVERIFY(metrics.horizontalAdvance(group->title()) < group->width());
        }
        if (auto *box = qobject_cast<QLineEdit *>(control)) {
            QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(name));
            QVERIFY2(box->height() >= box->sizeHint().height() - 2, qPrintable(name));
        }
    }
}

QTEST_MAIN(SurveyWindowTest)
#include "tst_frmSurvey.moc"
