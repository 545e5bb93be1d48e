// The window's controls: captions, tooltips, colours, fonts, limits, places
// and tab order. Positions and sizes are designed in twips; page controls
// are placed within their page box.

#include "code_page.h"
#include "controls.h"
#include "dial_in_points.h"
#include "entry_boxes.h"
#include "fonts.h"
#include "frmColors.h"
#include "frmRegistration.h"
#include "line_pictures.h"
#include "pick_lists.h"
#include "tab_stop_delegate.h"
#include "twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int kPageWidth = frmRegistration::kPageWidth;
constexpr int kTextLeft = 120;
constexpr int kTextWidth = kPageWidth - 2 * kTextLeft;
constexpr int kBoxLeft = 1500;
constexpr int kBoxHeight = 285;
constexpr int kButtonTop = 5460;
constexpr int kButtonWidth = 975;
constexpr int kButtonHeight = 435;
constexpr int kDialInTabStop = 60;

QFont PageFont() {
    return Arial(8, false);
}

// Entries stay readable on the light grey of a locked wizard.
void DarkGreyWhenDisabled(QWidget *control) {
    QPalette palette = control->palette();
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(96, 96, 96));
    control->setPalette(palette);
}

QLabel *Paragraph(QWidget *page, const char *text, int top, int height) {
    return ParagraphLabel(page, text, TwipsRect(kTextLeft, top, kTextWidth, height), PageFont(),
                          kWhite);
}

QLabel *Caption(QWidget *page, const char *text, int left, int top, int width) {
    return CaptionLabel(page, text, TwipsRect(left, top, width, kBoxHeight), PageFont(), kLightBlue,
                        Qt::AlignLeft | Qt::AlignVCenter);
}

QLineEdit *EntryBox(QWidget *page, const char *name, const char *tooltip, QLabel *caption,
                    int maxLength, int left, int top, int width) {
    QLineEdit *box = NewEntryBox(page, name, maxLength, TwipsRect(left, top, width, kBoxHeight));
    box->setFont(PageFont());
    DarkGreyWhenDisabled(box);
    Describe(box, tooltip, caption);
    return box;
}

QLineEdit *PasswordBox(QWidget *page, const char *name, const char *tooltip, QLabel *caption,
                       int top) {
    QLineEdit *box = EntryBox(page, name, tooltip, caption, 8, kBoxLeft, top, 1200);
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    return box;
}

QComboBox *DropDownList(QWidget *page, const char *name, const char *tooltip, QLabel *caption,
                        const QRect &place) {
    auto *list = new QComboBox(page);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    DarkGreyWhenDisabled(list);
    list->setFont(PageFont());
    list->setGeometry(place);
    Describe(list, tooltip, caption);
    return list;
}

QRadioButton *OptionButton(QWidget *page, const char *name, const char *caption,
                           const char *tooltip, const QRect &place) {
    auto *option = new QRadioButton(FromCodePage(caption), page);
    option->setObjectName(QLatin1String(name));
    option->setFont(PageFont());
    SetColour(option, QPalette::WindowText, kLightBlue);
    option->setGeometry(place);
    // Its caption is its accessible name.
    option->setToolTip(FromCodePage(tooltip));
    option->setAccessibleDescription(option->toolTip());
    return option;
}

QPushButton *BottomButton(QWidget *window, const char *name, const char *caption,
                          const char *tooltip, int left, int width = kButtonWidth) {
    QPushButton *button = CommandButton(window, name, caption, tooltip,
                                        TwipsRect(left, kButtonTop, width, kButtonHeight));
    button->setFont(PageFont());
    return button;
}

QLabel *PanelLabel(QWidget *window, const char *text, const QRect &place, const QFont &font,
                   const QColor &colour, Qt::Alignment alignment = Qt::AlignCenter) {
    return CaptionLabel(window, text, place, font, colour, alignment);
}

} // namespace

PictureBox::PictureBox(QWidget *parent, std::function<void()> paint)
    : QWidget(parent), paint_(std::move(paint)) {}

void PictureBox::paintEvent(QPaintEvent * /*event*/) {
    paint_();
}

void frmRegistration::CreateControls() {
    setObjectName(QStringLiteral("frmRegistration"));
    setWindowTitle(QStringLiteral("Kestrune Registration Wizard"));
    setWindowIcon(frmColors::instance().windowIcon());
    setFixedSize(Px(8895), Px(6045));
    SetColour(this, QPalette::Window, Qt::black);
    setAutoFillBackground(true);

    // Left panel.
    imgKestrune = new QLabel(this);
    imgKestrune->setObjectName(QStringLiteral("imgKestrune"));
    imgKestrune->setAlignment(Qt::AlignCenter);
    imgKestrune->setGeometry(TwipsRect(0, 120, 2760, 2700));
    Label1 = PanelLabel(this, "Kestrune", TwipsRect(0, 2880, 2760, 540), Arial(20, true), kWhite);
    Label2 = PanelLabel(this, "The games network", TwipsRect(0, 3420, 2760, 300), Arial(10, false),
                        kLightBlue);
    lblURL =
        PanelLabel(this, kBuiltInWebAddress, TwipsRect(0, 3840, 2760, 255), PageFont(), kLightBlue);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    Label4 = PanelLabel(this, "Support:", TwipsRect(0, 4110, 1200, 255), PageFont(), kLightBlue,
                        Qt::AlignRight | Qt::AlignVCenter);
    lblHelpPhone = PanelLabel(this, kBuiltInSupportPhone, TwipsRect(1260, 4110, 1500, 255),
                              PageFont(), kLightBlue, Qt::AlignLeft | Qt::AlignVCenter);
    lblHelpPhone->setObjectName(QStringLiteral("lblHelpPhone"));
    lblStatus = PanelLabel(this, "", TwipsRect(0, 4470, 2760, 285), Arial(8, true), kWhite);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Plain);
    SetColour(Frame1, QPalette::WindowText, kLightBlue);
    Frame1->setGeometry(TwipsRect(1080, 4800, 600, 600));
    for (QLabel **picture : {&imgConnected, &imgNotConnected}) {
        *picture = new QLabel(Frame1);
        (*picture)->setGeometry(TwipsRect(60, 60, 480, 480));
        Describe(*picture, "Toggles Port");
    }
    imgConnected->setObjectName(QStringLiteral("imgConnected"));
    imgConnected->setPixmap(ConnectedPicture());
    imgNotConnected->setObjectName(QStringLiteral("imgNotConnected"));
    imgNotConnected->setPixmap(NotConnectedPicture());

    // The page boxes, placed and shown by ShowWizardPage.
    for (std::size_t i = 0; i < picPage.size(); ++i) {
        const auto index = static_cast<std::int16_t>(i);
        picPage[i] = new PictureBox(this, [this, index] { picPage_Paint(index); });
        picPage[i]->setObjectName(QStringLiteral("picPage%1").arg(i));
        SetColour(picPage[i], QPalette::Window, QColor(0, 0, 128));
        picPage[i]->setAutoFillBackground(true);
        picPage[i]->setGeometry(TwipsRect(kPageLeft, 0, kPageWidth, kPageHeight));
        picPage[i]->hide();
    }

    // Page 0: contact details.
    QWidget *page = picPage[0];
    lblPage0[0] = Paragraph(page,
                            "With Kestrune, you can play the fastest multiplayer computer games "
                            "in Australia. Before registering with Kestrune, you should read the "
                            "Terms and Conditions.",
                            60, 600);
    lblPage0[1] = Paragraph(page,
                            "To register with Kestrune, please complete the following on-line "
                            "registration wizard. When you are happy with the details, click the "
                            "Submit button.",
                            720, 600);
    lblPage0[2] =
        Paragraph(page, "Your contact details will not be visible to other players:", 1380, 255);
    lblPage0[3] = Caption(page, "First Name:", kTextLeft, 1710, 1335);
    txtFirstName =
        EntryBox(page, "txtFirstName", "Your First Name", lblPage0[3], 28, kBoxLeft, 1710, 2700);
    lblPage0[4] = Caption(page, "Surname:", kTextLeft, 2085, 1335);
    txtSurname =
        EntryBox(page, "txtSurname", "Your Surname", lblPage0[4], 56, kBoxLeft, 2085, 4395);
    lblPage0[5] = Caption(page, "No and Street:", kTextLeft, 2460, 1335);
    txtAddress1 = EntryBox(page, "txtAddress1", "The 1st line of your address", lblPage0[5], 35,
                           kBoxLeft, 2460, 4395);
    txtAddress2 = EntryBox(page, "txtAddress2", "The 2nd line of your address", nullptr, 35,
                           kBoxLeft, 2835, 4395);
    lblPage0[6] = Caption(page, "Suburb:", kTextLeft, 3210, 1335);
    txtAddress3 = EntryBox(page, "txtAddress3", "The Suburb you live in", lblPage0[6], 35, kBoxLeft,
                           3210, 3000);
    lblPage0[7] = Caption(page, "State:", kTextLeft, 3585, 1335);
    cboState = DropDownList(page, "cboState", "The State you live in", lblPage0[7],
                            TwipsRect(kBoxLeft, 3570, 1050, 315));
    SetListItems(cboState, StateChoices());
    lblPage0[8] = Caption(page, "Postcode:", 2850, 3585, 900);
    txtPostcode =
        EntryBox(page, "txtPostcode", "Your address Postcode", lblPage0[8], 4, 3780, 3585, 660);
    lblPage0[9] = Caption(page, "Telephone:", kTextLeft, 3975, 1335);
    txtPhone =
        EntryBox(page, "txtPhone", "Your Telephone number", lblPage0[9], 15, kBoxLeft, 3975, 2100);
    lblPage0[10] = Caption(page, "Email address:", kTextLeft, 4350, 1335);
    txtEmail =
        EntryBox(page, "txtEmail", "Your E-mail address", lblPage0[10], 40, kBoxLeft, 4350, 4395);

    // Page 1: the dial-in point.
    page = picPage[1];
    lblPage1[0] = Paragraph(page,
                            "Please select the Kestrune connection point closest to where you "
                            "are connecting from. If you have been notified of a new dial-in "
                            "point that is more convenient, select the Alternative Connection, "
                            "and enter the new telephone number.",
                            60, 900);
    optConnection[0] =
        OptionButton(page, "optConnection0",
                     "Existing Connection:", "Select an existing Kestrune connection point",
                     TwipsRect(kTextLeft, 1200, 3000, 285));
    lstExisting = new QListWidget(page);
    lstExisting->setObjectName(QStringLiteral("lstExisting"));
    lstExisting->setFont(PageFont());
    DarkGreyWhenDisabled(lstExisting);
    lstExisting->setGeometry(TwipsRect(480, 1560, 3300, 720));
    lstExisting->setItemDelegate(new TabStopDelegate(lstExisting, kDialInTabStop));
    Describe(lstExisting, "Existing (default) Kestrune connection points");
    optConnection[1] = OptionButton(page, "optConnection1", "Alternative Connection - Ph:",
                                    "Enter an alternative Kestrune connection phone",
                                    TwipsRect(kTextLeft, 2520, 2640, 285));
    txtAlternative =
        EntryBox(page, "txtAlternative", "Alternative Kestrune connection Phone number", nullptr,
                 20, 2820, 2520, 1800);

    // Page 2: nickname, password and CV.
    page = picPage[2];
    lblPage2[0] = Paragraph(page,
                            "Please enter your desired nickname. You will connect to Kestrune "
                            "using your nickname. This is the name which you will be known by "
                            "within Kestrune. When you are connected, other players will see "
                            "your nickname. Game scores will be recorded against your nickname "
                            "so that Kestrune can maintain and display league tables.",
                            60, 1110);
    lblPage2[1] = Caption(page, "Nickname:", kTextLeft, 1260, 1335);
    txtNickName = EntryBox(page, "txtNickName", "The Nickname you want to be known by on Kestrune",
                           lblPage2[1], 20, kBoxLeft, 1260, 2400);
    lblPage2[2] = Paragraph(page,
                            "If your nickname is already in use, you will be asked to enter "
                            "another.",
                            1590, 255);
    lblPage2[3] = Caption(page, "Password:", kTextLeft, 1935, 1335);
    txtPassword =
        PasswordBox(page, "txtPassword", "The Password for your Nickname", lblPage2[3], 1935);
    lblPage2[4] = Caption(page, "(Max 8 characters)", 2820, 1935, 2000);
    lblPage2[5] = Caption(page, "Re-Enter:", kTextLeft, 2310, 1335);
    txtPasswordConfirm =
        PasswordBox(page, "txtPasswordConfirm", "The Password for your Nickname confirmation",
                    lblPage2[5], 2310);
    lblPage2[6] = Paragraph(page,
                            "Please enter your CV. Your CV will be shown to other players. For "
                            "example, you may want to put your favourite types of game into your "
                            "CV.",
                            2730, 450);
    lblPage2[7] = Caption(page, "CV:", kTextLeft, 3270, 1335);
    txtCV = new MultiLineBox(page, "txtCV", 200, TwipsRect(kBoxLeft, 3270, 4395, 1320));
    txtCV->setFont(PageFont());
    DarkGreyWhenDisabled(txtCV);
    Describe(txtCV, "Your Kestrune CV", lblPage2[7]);

    // Page 3: call-back number and how the user heard of the service.
    page = picPage[3];
    lblPage3[0] = Paragraph(page,
                            "You can specify a callback telephone number. When available, this "
                            "Kestrune feature will allow other players to challenge you to a "
                            "game, even when you are not using Kestrune! The Kestrune system will "
                            "automatically telephone you with a short recorded message that "
                            "tells you that you have been challenged. This number will not be "
                            "accessible by other players. Of course, we don't advise you to use "
                            "your work number!",
                            60, 1290);
    lblPage3[1] = Caption(page, "Callback Number:", kTextLeft, 1440, 1335);
    txtCallbackNumberArea =
        EntryBox(page, "txtCallbackNumberArea", "The Area Code for callback messages", lblPage3[1],
                 2, kBoxLeft, 1440, 450);
    txtCallbackNumber =
        EntryBox(page, "txtCallbackNumber", "The Telephone Number for callback messages", nullptr,
                 8, 2010, 1440, 1200);
    chkInformation = new QCheckBox(page);
    chkInformation->setObjectName(QStringLiteral("chkInformation"));
    chkInformation->setGeometry(TwipsRect(kTextLeft, 1920, 300, 285));
    lblPage3[2] =
        ParagraphLabel(page,
                       "Occasionally we receive requests from companies that wish to "
                       "offer you products or services. Check here if you DON'T want "
                       "us to disclose your details.",
                       TwipsRect(480, 1860, kPageWidth - 480 - kTextLeft, 660), PageFont(), kWhite);
    Describe(chkInformation, "Check here if you DON'T want to receive information", lblPage3[2]);
    lblPage3[3] =
        Paragraph(page, "Please help us by selecting the way you heard about Kestrune.", 2610, 255);
    lblPage3[4] = Caption(page, "I heard about Kestrune:", kTextLeft, 2940, 1800);
    cboHeardAbout = DropDownList(page, "cboHeardAbout", "How you heard about Kestrune", lblPage3[4],
                                 TwipsRect(1980, 2925, 3000, 315));
    lblPage3[5] = Paragraph(page,
                            "Submit your registration details to us, and we will check that your "
                            "nickname is unique. We will also ask you for yor Credit Card "
                            "details. You will be able to run the Kestrune software and access "
                            "the Kestrune service after successful registration. Have lots of "
                            "fun!",
                            3420, 900);

    // Bottom row, Continue on top of Submit.
    cmdTermsConditions = BottomButton(this, "cmdTermsConditions", "&Terms and Conditions",
                                      "Display the Kestrune Terms and Conditions", 360, 1875);
    cmdCancel =
        BottomButton(this, "cmdCancel", "&Cancel", "Cancel the Kestrune Registration", 2760);
    cmdStartOver = BottomButton(this, "cmdStartOver", "&Start Over",
                                "Start the Kestrune Registration over again", 4020);
    cmdBack =
        BottomButton(this, "cmdBack", "<<  &Back", "Go back to the previous wizard step", 5280);
    cmdNext = BottomButton(this, "cmdNext", "&Next  >>", "Go to the next wizard step", 6420);
    cmdFinish = BottomButton(this, "cmdFinish", "S&ubmit",
                             "Finish the Kestrune Registration process", 7680);
    cmdContinue = BottomButton(this, "cmdContinue", "C&ontinue",
                               "Continue the Kestrune Registration...", 7680);
    cmdContinue->raise();

    for (QComboBox *list : {cboState, cboHeardAbout})
        SetColour(list, QPalette::Button, kWhite);

    SetTabOrder(PageControls() + QList<QWidget *>{cmdNext, cmdBack, cmdFinish, cmdContinue,
                                                  cmdStartOver, cmdCancel, cmdTermsConditions});
}

QList<QWidget *> frmRegistration::PageControls() const {
    return {txtFirstName,       txtSurname,     txtAddress1,
            txtAddress2,        txtAddress3,    cboState,
            txtPostcode,        txtPhone,       txtEmail,
            optConnection[0],   lstExisting,    optConnection[1],
            txtAlternative,     txtNickName,    txtPassword,
            txtPasswordConfirm, txtCV,          txtCallbackNumberArea,
            txtCallbackNumber,  chkInformation, cboHeardAbout};
}
