// The survey window's controls: the left panel, the eight page boxes with
// their questions and choices, and the button row. Positions and sizes are
// designed in twips; a page's controls keep to the part of its box that the
// window shows.

#include "controls.h"
#include "fonts.h"
#include "frmSurvey.h"
#include "survey_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace survey_layout;

namespace {

// The right-hand part of a line that starts at left.
int RestOfLine(int left) {
    return kMargin + kFullWidth - left;
}

void StepOne(frmSurvey &w, QWidget *page) {
    w.lblURL = ParagraphLabel(page,
                              "Thank-you for taking the time to complete this survey. Your "
                              "answers will help us to build an even better game playing network "
                              "for you to use.",
                              TwipsRect(kMargin, 120, kFullWidth, 720), Arial(9, false), kWhite);
    w.lblURL->setObjectName(QStringLiteral("lblURL"));
    w.fraAge = OptionGroup(page, "fraAge", "Age:", TwipsRect(kMargin, 960, kFullWidth, 960));
    Options(w.fraAge, w.optAge, "optAge",
            {"< 8", "9 - 15", "16 - 25", "26 - 35", "36 - 45", "46 +"}, 3);
    w.fraGender =
        OptionGroup(page, "fraGender", "Gender:", TwipsRect(kMargin, 2040, kFullWidth, 675));
    Options(w.fraGender, w.optGender, "optGender", {"Male", "Female"}, 3);
    w.cboOccupation =
        DropDown(page, "cboOccupation",
                 {"Academic/Teacher", "Business Manager", "Business Owner/Consultant",
                  "Clerical/White Collar", "Doctor/Vet", "Labourer", "Lawyer", "Professional",
                  "Sales/Marketing", "Senior Executive", "Skilled Trades", "Student", "Unemployed"},
                 Question(page, "Occupation:", TwipsRect(kMargin, 2880, 1320, kListHeight)),
                 TwipsRect(1500, 2880, 3000, kListHeight));
}

// Questions on the left, answers on the right.
void StepTwo(frmSurvey &w, QWidget *page) {
    constexpr int kAnswerLeft = 3480;
    constexpr int kAnswerWidth = 2760;
    auto question = [page](const char *text, int top) {
        return Question(page, text, TwipsRect(kMargin, top, kAnswerLeft - 180, kListHeight));
    };
    auto answer = [](int top) { return TwipsRect(kAnswerLeft, top, kAnswerWidth, kListHeight); };
    w.cboHowLong = DropDown(page, "cboHowLong",
                            {"Just plugged it in!", "Less than 1 year", "Less than 2 years",
                             "Less than 3 years", "Less than 5 years", "Over 5 years"},
                            question("How long have you been using computers:", 180), answer(180));
    w.cboComputerType = DropDown(page, "cboComputerType",
                                 {"486", "Pentium 60-75", "Pentium 90-100", "Pentium 120-133",
                                  "Pentium 166", "Pentium 200", "Pentium Duo", "Other"},
                                 question("Computer Type:", 660), answer(660));
    w.txtComputerTypeOther =
        AnswerBox(page, "txtComputerTypeOther",
                  Question(page, "Other:", TwipsRect(kAnswerLeft - 900, 1140, 780, kBoxHeight)),
                  TwipsRect(kAnswerLeft, 1140, kAnswerWidth, kBoxHeight));
    w.chkMMX = Tick(page, QStringLiteral("chkMMX"),
                    "MMX:", TwipsRect(kAnswerLeft, 1620, 1500, kTickHeight));
    w.cboRAM =
        DropDown(page, "cboRAM", {"8Mb or less", "Up to 16Mb", "Up to 32b", "More than 32Mb"},
                 question("RAM:", 2100), answer(2100));
    w.cboHDD = DropDown(page, "cboHDD", {"Less than 500Mb", "500Mb to 1Gb", "1 - 2Gb", "Over 2Gb"},
                        question("HDD:", 2580), answer(2580));
    w.cboMonitor =
        DropDown(page, "cboMonitor", {"12\" or Less", "13 - 14\"", "15\"", "17\"", "Over 17\""},
                 question("Monitor:", 3060), answer(3060));
    w.chkCDROM = Tick(page, QStringLiteral("chkCDROM"), "Do you have a CD-ROM Drive?:",
                      TwipsRect(kAnswerLeft, 3540, kAnswerWidth, kTickHeight));
}

// Two columns; a box naming a kind sits beside its tick, in the second
// column, so the reading order is the Tab order.
void StepThree(frmSurvey &w, QWidget *page) {
    Question(page, "Peripherals:", TwipsRect(kMargin, 120, kFullWidth, kCaptionHeight));
    constexpr int kFirstRow = 480;
    constexpr int kRow = 420;
    auto peripheral = [&w, page](int index, const char *caption, int left, int row) {
        w.chkPeripherals.at(index) =
            Tick(page, QStringLiteral("chkPeripherals(%1)").arg(index), caption,
                 TwipsRect(left, kFirstRow + row * kRow, 2880, kTickHeight));
    };
    auto kindBox = [page](const char *name, const char *caption, int row) {
        constexpr int kBoxLeft = kSecondColumn + 900;
        const int top = kFirstRow + row * kRow - (kBoxHeight - kTickHeight) / 2;
        return AnswerBox(page, name,
                         Question(page, caption, TwipsRect(kSecondColumn, top, 840, kBoxHeight)),
                         TwipsRect(kBoxLeft, top, RestOfLine(kBoxLeft), kBoxHeight));
    };
    peripheral(0, "Sound Card", kMargin, 0);
    w.txtSoundCardType = kindBox("txtSoundCardType", "Type:", 0);
    peripheral(1, "Speakers", kMargin, 1);
    peripheral(2, "Standard Joystick", kSecondColumn, 1);
    peripheral(3, "3D Graphics Card", kMargin, 2);
    w.txt3DCardType = kindBox("txt3DCardType", "Type:", 2);
    peripheral(4, "VR Gear", kMargin, 3);
    peripheral(5, "Steering Wheel", kSecondColumn, 3);
    peripheral(6, "Force-Feed Joystick", kMargin, 4);
    peripheral(7, "Other", kMargin, 5);
    w.txtPeripheralsOther = kindBox("txtPeripheralsOther", "Specify:", 5);
}

void StepFour(frmSurvey &w, QWidget *page) {
    Question(page, "Consoles Owned:", TwipsRect(kMargin, 90, kFullWidth, kCaptionHeight));
    TickGrid(page, w.chkConsoles, "chkConsoles",
             {"3DO", "Sony Playstation", "Sega Megadrive", "SNES", "Sega Saturn", "Sony Gameboy",
              "Sega Game Gear", "Nintendo 64"},
             345, 2);
    CaptionLabel(page, "If you use the Internet:-",
                 TwipsRect(kMargin, 1530, kFullWidth, kCaptionHeight), Arial(8.25, true), kWhite);
    constexpr int kListWidth = 2400;
    constexpr int kOtherLeft = kMargin + kListWidth + 120;
    constexpr int kOtherBoxLeft = kOtherLeft + 660;
    w.cboConnectSpeed =
        DropDown(page, "cboConnectSpeed",
                 {"ISDN", "56k modem", "33.6k modem", "28.8k modem", "14.4k modem", "Other"},
                 Question(page, "What is the maximum speed of your internet connection:",
                          TwipsRect(kMargin, 1800, kFullWidth, kCaptionHeight)),
                 TwipsRect(kMargin, 2040, kListWidth, kListHeight));
    constexpr int kOtherTop = 2040 + (kListHeight - kBoxHeight) / 2;
    w.txtConnectSpeedOther =
        AnswerBox(page, "txtConnectSpeedOther",
                  Question(page, "Other:", TwipsRect(kOtherLeft, kOtherTop, 600, kBoxHeight)),
                  TwipsRect(kOtherBoxLeft, kOtherTop, RestOfLine(kOtherBoxLeft), kBoxHeight));
    w.cboConnectFrom =
        DropDown(page, "cboConnectFrom", {"Home", "Work", "School/University", "Friend's house"},
                 Question(page, "Where do you normally connect to the Internet from:",
                          TwipsRect(kMargin, 2475, kFullWidth, kCaptionHeight)),
                 TwipsRect(kMargin, 2715, kListWidth, kListHeight));
    Question(page, "Where else do you connect from:",
             TwipsRect(kMargin, 3150, kFullWidth, kCaptionHeight));
    TickGrid(page, w.chkConnect, "chkConnect",
             {"Home", "Work", "School/University", "Friend's House", "Other"}, 3405, 2);
    // The last tick leaves room for its box.
    w.chkConnect[4]->resize(Px(900), w.chkConnect[4]->height());
    w.txtConnectOther =
        AnswerBox(page, "txtConnectOther", nullptr, BesideTick(w.chkConnect[4], 2040), "Other");
}

void StepFive(frmSurvey &w, QWidget *page) {
    w.cboFavouriteGameType =
        DropDown(page, "cboFavouriteGameType",
                 {"Action", "Arcade/Pinball", "Puzzle/Parlour", "Role Playing/Adventure",
                  "Simulation", "Sport", "Strategy"},
                 Question(page, "What is your favourite type of video or computer game:",
                          TwipsRect(kMargin, 120, kFullWidth, kCaptionHeight)),
                 TwipsRect(kMargin, 360, 3000, kListHeight));
    Question(page, "What other game types do you enjoy:",
             TwipsRect(kMargin, 900, kFullWidth, kCaptionHeight));
    TickGrid(page, w.chkGameType, "chkGameType",
             {"Action", "Arcade/Pinball", "Puzzle/Parlour", "Role Playing Adventure", "Simulation",
              "Sport", "Strategy"},
             1155, 2);
    w.cboHoursMonth =
        DropDown(page, "cboHoursMonth",
                 {"0", "1 - 5", "6 - 10", "11 - 15", "16 - 20", "21 - 25", "26 - 30", "31 - 40",
                  "41 - 50", "51 - 60", "61 - 70", "71 - 80", "81 - 90", "91 - 100", "100 +"},
                 Question(page, "How many hours would you spend playing games each month:",
                          TwipsRect(kMargin, 2430, kFullWidth, kCaptionHeight)),
                 TwipsRect(kMargin, 2670, 1500, kListHeight));
}

void StepSix(frmSurvey &w, QWidget *page) {
    w.cboInfluence =
        DropDown(page, "cboInfluence",
                 {"Internet Gaming Site", "Magazines", "TV", "Radio", "Newspapers", "Friends"},
                 Question(page, "Which media is the number one influence on your games purchases:",
                          TwipsRect(kMargin, 120, kFullWidth, kCaptionHeight)),
                 TwipsRect(kMargin, 360, 3000, kListHeight));
    Question(page, "Which media influence your gaming purchases:",
             TwipsRect(kMargin, 900, kFullWidth, kCaptionHeight));
    TickGrid(page, w.chkInfluence, "chkInfluence",
             {"Internet Gaming Site", "Arcade/Pinball", "TV", "Radio", "Newspapers", "Friends"},
             1155, 2);
    const std::initializer_list<const char *> counts{"0",       "1 - 5",   "6 - 10",
                                                     "11 - 15", "16 - 20", "21 +"};
    w.cboGamesOwned = DropDown(page, "cboGamesOwned", counts,
                               Question(page, "How many video and computer games do you own:",
                                        TwipsRect(kMargin, 2145, kFullWidth, kCaptionHeight)),
                               TwipsRect(kMargin, 2385, 1500, kListHeight));
    w.cboPlanToBuy = DropDown(
        page, "cboPlanToBuy", counts,
        Question(page, "How many video and computer games do you plan to buy in the next year:",
                 TwipsRect(kMargin, 2925, kFullWidth, kCaptionHeight)),
        TwipsRect(kMargin, 3165, 1500, kListHeight));
}

void StepSeven(frmSurvey &w, QWidget *page) {
    Question(page,
             "Which do you prefer to do before deciding to purchase a video or computer game:",
             TwipsRect(kMargin, 120, kFullWidth, kCaptionHeight));
    TickGrid(page, w.chkPrefer, "chkPrefer",
             {"Read a review of the game", "Read an advertisment for the game",
              "Watch or hear an advertisment for the game",
              "Watch an instore demonstration of the game", "Play a demo of the game"},
             480, 1, kFullWidth);
    constexpr int kOtherLeft = 3240;
    constexpr int kOtherBoxLeft = kOtherLeft + 660;
    constexpr int kOtherTop = 2340 + (kListHeight - kBoxHeight) / 2;
    w.cboBuyFrom =
        DropDown(page, "cboBuyFrom",
                 {"Computer Store", "Video/Computer Game Store", "Mail Order", "Toy Store",
                  "Via the Internet", "Department Store", "Other"},
                 Question(page, "Where do you prefer to buy your video and computer games:",
                          TwipsRect(kMargin, 2100, kFullWidth, kCaptionHeight)),
                 TwipsRect(kMargin, 2340, 3000, kListHeight));
    w.txtBuyFromOther =
        AnswerBox(page, "txtBuyFromOther",
                  Question(page, "Other:", TwipsRect(kOtherLeft, kOtherTop, 600, kBoxHeight)),
                  TwipsRect(kOtherBoxLeft, kOtherTop, RestOfLine(kOtherBoxLeft), kBoxHeight));
}

void StepEight(frmSurvey &w, QWidget *page) {
    Question(page, "Which of these online gaming services have you tried:",
             TwipsRect(kMargin, 120, kFullWidth, kCaptionHeight));
    TickGrid(page, w.chkTried, "chkTried",
             {"Kali", "Kahn", "QuakeWorld", "MultiPlay", "MAGE", "IGZ", "Played MUDs",
              "Play-by-Email-Game", "Battle.Net", "Westwood Chat", "Via your ISP", "Other:"},
             405, 2);
    // The last tick leaves room for its box.
    QCheckBox *other = w.chkTried[11];
    other->resize(Px(900), other->height());
    w.txtTriedOther = AnswerBox(page, "txtTriedOther", nullptr,
                                BesideTick(other, RestOfLine(kSecondColumn + 960)), "Other:");
}

} // namespace

void frmSurvey::CreateControls() {
    setObjectName(QStringLiteral("frmSurvey"));
    setWindowTitle(QStringLiteral("Kestrune Registration Survey Wizard"));
    setFixedSize(Px(8880), Px(5895));
    SetColour(this, QPalette::Window, Qt::black);
    setAutoFillBackground(true);

    imgKestrune = new QLabel(this);
    imgKestrune->setObjectName(QStringLiteral("imgKestrune"));
    imgKestrune->setGeometry(TwipsRect(60, 60, 2655, 2700));
    imgKestrune->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1 = CaptionLabel(this, "Kestrune", TwipsRect(0, 2820, 2520, 660), Arial(26.25, true),
                          kWhite, Qt::AlignCenter);
    Label2 = CaptionLabel(this, "The games network", TwipsRect(0, 3480, 2520, 330), Arial(12, true),
                          kLightBlue, Qt::AlignCenter);

    for (std::size_t i = 0; i < picPage.size(); ++i)
        picPage[i] = PageBox(this, static_cast<int>(i));
    StepOne(*this, picPage[0]);
    StepTwo(*this, picPage[1]);
    StepThree(*this, picPage[2]);
    StepFour(*this, picPage[3]);
    StepFive(*this, picPage[4]);
    StepSix(*this, picPage[5]);
    StepSeven(*this, picPage[6]);
    StepEight(*this, picPage[7]);

    auto button = [this](const char *name, const char *caption, const char *tooltip, int left) {
        return CommandButton(this, name, caption, tooltip, TwipsRect(left, 5280, 975, 435));
    };
    cmdCancel = button("cmdCancel", "&Cancel", "Cancel the Kestrune Registration", 2760);
    cmdStartOver =
        button("cmdStartOver", "&Start Over", "Start the Kestrune Registration over again", 4020);
    cmdBack = button("cmdBack", "<<  &Back", "Go back to the previous wizard step", 5280);
    cmdNext = button("cmdNext", "&Next  >>", "Go to the next wizard step", 6540);
    cmdFinish = button("cmdFinish", "&Finish", "Finish the Kestrune Registration process", 7800);
    for (QPushButton *b : {cmdCancel, cmdStartOver, cmdBack, cmdNext, cmdFinish})
        b->setFont(AnswerFont());

    mAnswerControls = {nullptr,
                       nullptr,
                       cboOccupation,
                       cboHowLong,
                       cboComputerType,
                       txtComputerTypeOther,
                       chkMMX,
                       cboRAM,
                       cboHDD,
                       cboMonitor,
                       chkCDROM,
                       chkPeripherals[0],
                       txtSoundCardType,
                       chkPeripherals[1],
                       chkPeripherals[2],
                       chkPeripherals[3],
                       txt3DCardType,
                       chkPeripherals[4],
                       chkPeripherals[5],
                       chkPeripherals[6],
                       chkPeripherals[7],
                       txtPeripheralsOther};
    std::size_t slot = 22;
    for (QCheckBox *box : chkConsoles)
        mAnswerControls.at(slot++) = box;
    mAnswerControls.at(slot++) = cboConnectSpeed;
    mAnswerControls.at(slot++) = txtConnectSpeedOther;
    mAnswerControls.at(slot++) = cboConnectFrom;
    for (QCheckBox *box : chkConnect)
        mAnswerControls.at(slot++) = box;
    mAnswerControls.at(slot++) = txtConnectOther;
    mAnswerControls.at(slot++) = cboFavouriteGameType;
    for (QCheckBox *box : chkGameType)
        mAnswerControls.at(slot++) = box;
    mAnswerControls.at(slot++) = cboHoursMonth;
    mAnswerControls.at(slot++) = cboInfluence;
    for (QCheckBox *box : chkInfluence)
        mAnswerControls.at(slot++) = box;
    mAnswerControls.at(slot++) = cboGamesOwned;
    mAnswerControls.at(slot++) = cboPlanToBuy;
    for (QCheckBox *box : chkPrefer)
        mAnswerControls.at(slot++) = box;
    mAnswerControls.at(slot++) = cboBuyFrom;
    mAnswerControls.at(slot++) = txtBuyFromOther;
    for (QCheckBox *box : chkTried)
        mAnswerControls.at(slot++) = box;
    mAnswerControls.at(slot) = txtTriedOther;

    // Tab order: the pages' controls in slot order, then the button row.
    QList<QWidget *> order(optAge.begin(), optAge.end());
    order.append(optGender[0]);
    order.append(optGender[1]);
    for (QWidget *control : mAnswerControls) {
        if (control != nullptr)
            order.append(control);
    }
    order << cmdCancel << cmdStartOver << cmdBack << cmdNext << cmdFinish;
    SetTabOrder(order);
}
