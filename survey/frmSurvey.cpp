#include "frmSurvey.h"

#include "control_events.h"
#include "controls.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "frmColors.h"
#include "pictures.h"
#include "program_files.h"
#include "program_state.h"
#include "survey_checks.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QByteArray kThanks =
    "Thank-you for completing this survey. Your responses are valuable to us, and will help us "
    "to improve the Kestrune service.\r\n\r\nThe completion of your registration with Kestrune "
    "will now continue.";
const QByteArray kCancelQuestion = "Are you sure you want to cancel the Kestrune Survey?";
const QByteArray kCancelTitle = "Cancel Survey";
const QByteArray kStartOverQuestion =
    "Are you sure you want to start the Kestrune Survey over again?";
const QByteArray kStartOverTitle = "Start Survey Over";

constexpr std::int16_t kNotShown = 99;
constexpr int kLastPage = 7;
constexpr int kPlacementOffset = 500;

// Enabled on its trigger, with the system's window colour; otherwise
// disabled and light grey. The text stays either way.
void ApplyDependentBox(QLineEdit *box, bool picked) {
    box->setEnabled(picked);
    SetColour(box, QPalette::Base,
              picked ? QApplication::palette(box).color(QPalette::Active, QPalette::Base)
                     : kLightGrey);
}

} // namespace

frmSurvey::frmSurvey(QWidget &wizard, Flag &mbolDoneSurvey)
    : QDialog(&wizard), mWizard(wizard), mbolDoneSurvey(mbolDoneSurvey) {
    CreateControls();
    ConnectHandlers();
    Form_Load();
}

void frmSurvey::ConnectHandlers() {
    connect(cmdNext, &QPushButton::clicked, this, &frmSurvey::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmSurvey::cmdBack_Click);
    connect(cmdFinish, &QPushButton::clicked, this, &frmSurvey::cmdFinish_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSurvey::cmdCancel_Click);
    connect(cmdStartOver, &QPushButton::clicked, this, &frmSurvey::cmdStartOver_Click);

    connect(cboComputerType, &QComboBox::currentIndexChanged, this,
            &frmSurvey::cboComputerType_Click);
    connect(cboConnectSpeed, &QComboBox::currentIndexChanged, this,
            &frmSurvey::cboConnectSpeed_Click);
    connect(cboBuyFrom, &QComboBox::currentIndexChanged, this, &frmSurvey::cboBuyFrom_Click);
    for (std::int16_t i = 0; i < static_cast<std::int16_t>(chkPeripherals.size()); ++i)
        connect(chkPeripherals[i], &QCheckBox::toggled, this,
                [this, i] { chkPeripherals_Click(i); });
    for (std::int16_t i = 0; i < static_cast<std::int16_t>(chkConnect.size()); ++i)
        connect(chkConnect[i], &QCheckBox::toggled, this, [this, i] { chkConnect_Click(i); });
    for (std::int16_t i = 0; i < static_cast<std::int16_t>(chkTried.size()); ++i)
        connect(chkTried[i], &QCheckBox::toggled, this, [this, i] { chkTried_Click(i); });

    ConnectKeyHandlers();
    for (QLineEdit *box :
         {txtComputerTypeOther, txtSoundCardType, txt3DCardType, txtPeripheralsOther,
          txtConnectSpeedOther, txtConnectOther, txtBuyFromOther, txtTriedOther})
        OnGotFocus(box, [box] { SelectAllText(box); });
    OnActivate(this, [this] { Form_Activate(); });
}

void frmSurvey::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    move(mWizard.pos() + QPoint(Px(kPlacementOffset), Px(kPlacementOffset)));
    const QByteArray logo = FindProgramFile("kestrune.bmp");
    if (!logo.isEmpty()) {
        // The page boxes cover the panel's right edge: the logo keeps to
        // the part left uncovered.
        const QPixmap picture = LoadPicture(logo);
        const QSize room(Px(2520 - 120), imgKestrune->height());
        imgKestrune->setPixmap(
            picture.width() > room.width()
                ? picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                : picture);
    }
    ui().doEvents();
    intCurrentPage = kNotShown;
    ShowSurveyPage(0);
    ResetSurveyAnswers();
    LoadSurveyFile();
}

void frmSurvey::Form_Activate() {
    ui().setMousePointer(MousePointer::Default);
}

void frmSurvey::Form_QueryUnload(std::int16_t &Cancel, std::int16_t /*UnloadMode*/) {
    if (mbolDoneSurvey != kFalse)
        return;
    if (ui().msgBox(kCancelQuestion, MsgButtons::YesNo, MsgIcon::Question, kCancelTitle) ==
        MsgAnswer::No)
        Cancel = kTrue;
}

void frmSurvey::closeEvent(QCloseEvent *event) {
    // An ending program closes every window without asking.
    if (ui().programEnded()) {
        event->accept();
        return;
    }
    std::int16_t Cancel = kFalse;
    Form_QueryUnload(Cancel, 0);
    if (Cancel != kFalse) {
        event->ignore();
        return;
    }
    setResult(mbolDoneSurvey != kFalse ? Accepted : Rejected);
    event->accept();
}

void frmSurvey::reject() {
    close();
}

void frmSurvey::cmdNext_Click() {
    ShowSurveyPage(static_cast<std::int16_t>(intCurrentPage + 1));
}

void frmSurvey::cmdBack_Click() {
    ShowSurveyPage(static_cast<std::int16_t>(intCurrentPage - 1));
}

void frmSurvey::cmdFinish_Click() {
    Flag ok = kTrue;
    ValidateSurveyPage(ok);
    if (ok == kFalse)
        return;
    ui().msgBox(kThanks, MsgButtons::Ok, MsgIcon::Information, kRegistrationTitle);
    CollectSurveyAnswers();
    SaveSurveyFile();
    mbolDoneSurvey = kTrue;
    close();
}

void frmSurvey::cmdCancel_Click() {
    close();
}

void frmSurvey::cmdStartOver_Click() {
    if (ui().msgBox(kStartOverQuestion, MsgButtons::YesNo, MsgIcon::Question, kStartOverTitle) !=
        MsgAnswer::Yes)
        return;
    ResetSurveyAnswers();
    for (QWidget *control : mAnswerControls) {
        if (auto *box = qobject_cast<QLineEdit *>(control))
            box->clear();
    }
    ShowSurveyPage(0);
}

void frmSurvey::ShowSurveyPage(std::int16_t newPage) {
    if (newPage > intCurrentPage) {
        Flag ok = kTrue;
        ValidateSurveyPage(ok);
        if (ok == kFalse)
            return;
    }
    if (newPage < 0 || newPage > kLastPage)
        return;
    if (intCurrentPage != kNotShown)
        picPage.at(intCurrentPage)->setVisible(false);
    QWidget *page = picPage.at(newPage);
    page->setGeometry(TwipsRect(2520, 0, Twips(width()) - 2400, 5055));
    page->setVisible(true);

    // Finish is offered on the first and the last step.
    const bool first = newPage == 0;
    const bool last = newPage == kLastPage;
    cmdStartOver->setEnabled(!first);
    cmdBack->setEnabled(!first);
    cmdNext->setEnabled(!last);
    cmdFinish->setEnabled(first || last);
    const std::array<QWidget *, 8> focus{optAge[2],      cboHowLong,           chkPeripherals[0],
                                         chkConsoles[0], cboFavouriteGameType, cboInfluence,
                                         chkPrefer[0],   chkTried[0]};
    focus.at(newPage)->setFocus();

    setWindowTitle(QStringLiteral("Kestrune Survey Wizard - Step %1 of 8").arg(newPage + 1));
    intCurrentPage = newPage;
}

void frmSurvey::ValidateSurveyPage(Flag &ok) {
    ok = kTrue;
    for (const RequiredAnswer &required : RequiredAnswers(intCurrentPage)) {
        auto *list = findChild<QComboBox *>(QLatin1String(required.list));
        if (list == nullptr || list->currentIndex() >= 0)
            continue;
        list->setFocus();
        SelectAllText(list);
        ui().msgBox(required.message, MsgButtons::Ok, MsgIcon::Exclamation, kSurveyTitle);
        ok = kFalse;
        return;
    }
}

void frmSurvey::cboComputerType_Click() {
    ApplyDependentBox(txtComputerTypeOther, ListText(cboComputerType) == "Other");
}

void frmSurvey::cboConnectSpeed_Click() {
    ApplyDependentBox(txtConnectSpeedOther, ListText(cboConnectSpeed) == "Other");
}

void frmSurvey::cboBuyFrom_Click() {
    ApplyDependentBox(txtBuyFromOther, ListText(cboBuyFrom) == "Other");
}

void frmSurvey::chkPeripherals_Click(std::int16_t Index) {
    const bool ticked = chkPeripherals.at(Index)->isChecked();
    if (Index == 0)
        ApplyDependentBox(txtSoundCardType, ticked);
    else if (Index == 3)
        ApplyDependentBox(txt3DCardType, ticked);
    else if (Index == 7)
        ApplyDependentBox(txtPeripheralsOther, ticked);
}

void frmSurvey::chkConnect_Click(std::int16_t Index) {
    if (Index == 4)
        ApplyDependentBox(txtConnectOther, chkConnect[4]->isChecked());
}

void frmSurvey::chkTried_Click(std::int16_t Index) {
    if (Index == 11)
        ApplyDependentBox(txtTriedOther, chkTried[11]->isChecked());
}
