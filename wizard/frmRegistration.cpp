#include "frmRegistration.h"

#include "control_events.h"
#include "dial_in_points.h"
#include "frmColors.h"
#include "frmTerms.h"
#include "pictures.h"
#include "program_files.h"
#include "program_state.h"
#include "registration_call.h"
#include "tile_picture.h"
#include "ui.h"
#include "window_placement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The arrow keys on an option choose the other one, as a click does; the
// choice's handler then decides where the focus goes.
class ArrowKeysChoose final : public QObject {
  public:
    ArrowKeysChoose(QRadioButton *option, QRadioButton *other) : QObject(option), other_(other) {
        option->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject * /*watched*/, QEvent *event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            other_->setFocus(Qt::TabFocusReason);
            other_->click();
            return true;
        default:
            return false;
        }
    }

  private:
    QRadioButton *other_;
};

} // namespace

frmRegistration::frmRegistration() : call_(std::make_unique<RegistrationCall>(*this)) {
    CreateControls();
    ConnectHandlers();
    Form_Load();
}

frmRegistration::~frmRegistration() = default;

void frmRegistration::ConnectHandlers() {
    connect(cmdNext, &QPushButton::clicked, this, &frmRegistration::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmRegistration::cmdBack_Click);
    connect(cmdFinish, &QPushButton::clicked, this, &frmRegistration::cmdFinish_Click);
    connect(cmdStartOver, &QPushButton::clicked, this, &frmRegistration::cmdStartOver_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRegistration::cmdCancel_Click);
    connect(cmdTermsConditions, &QPushButton::clicked, this,
            &frmRegistration::cmdTermsConditions_Click);
    connect(cmdContinue, &QPushButton::clicked, this, &frmRegistration::cmdContinue_Click);
    connect(&call_->ctlTAPI, &Telephony::OnTapi, this, &frmRegistration::ctlTAPI_OnTapi);
    connect(&call_->ctlTAPI, &Telephony::CallState, this, &frmRegistration::ctlTAPI_CallState);
    connect(&call_->ctlCOMM, &SerialLine::OnComm, this, &frmRegistration::ctlCOMM_OnComm);
    for (std::size_t i = 0; i < optConnection.size(); ++i) {
        const auto Index = static_cast<std::int16_t>(i);
        // Only a change of choice counts: the program selects an option
        // itself and then runs the handler explicitly.
        connect(optConnection[i], &QRadioButton::toggled, this, [this, Index](bool checked) {
            if (checked)
                optConnection_Click(Index);
        });
        OnKeyPress(optConnection[i], [this, Index](std::int16_t &KeyAscii) {
            optConnection_KeyPress(Index, KeyAscii);
        });
        new ArrowKeysChoose(optConnection[i], optConnection[1 - i]);
    }

    const auto keys = [this](QWidget *control, void (frmRegistration::*handler)(std::int16_t &)) {
        OnKeyPress(control,
                   [this, handler](std::int16_t &KeyAscii) { (this->*handler)(KeyAscii); });
    };
    keys(txtFirstName, &frmRegistration::txtFirstName_KeyPress);
    keys(txtSurname, &frmRegistration::txtSurname_KeyPress);
    keys(txtAddress1, &frmRegistration::txtAddress1_KeyPress);
    keys(txtAddress2, &frmRegistration::txtAddress2_KeyPress);
    keys(txtAddress3, &frmRegistration::txtAddress3_KeyPress);
    keys(cboState, &frmRegistration::cboState_KeyPress);
    keys(txtPostcode, &frmRegistration::txtPostcode_KeyPress);
    keys(txtPhone, &frmRegistration::txtPhone_KeyPress);
    keys(txtEmail, &frmRegistration::txtEmail_KeyPress);
    keys(lstExisting, &frmRegistration::lstExisting_KeyPress);
    keys(txtAlternative, &frmRegistration::txtAlternative_KeyPress);
    keys(txtNickName, &frmRegistration::txtNickName_KeyPress);
    keys(txtPassword, &frmRegistration::txtPassword_KeyPress);
    keys(txtPasswordConfirm, &frmRegistration::txtPasswordConfirm_KeyPress);
    keys(txtCV, &frmRegistration::txtCV_KeyPress);
    keys(txtCallbackNumberArea, &frmRegistration::txtCallbackNumberArea_KeyPress);
    keys(txtCallbackNumber, &frmRegistration::txtCallbackNumber_KeyPress);
    keys(chkInformation, &frmRegistration::chkInformation_KeyPress);
    keys(cboHeardAbout, &frmRegistration::cboHeardAbout_KeyPress);

    const auto focus = [this](QWidget *control, void (frmRegistration::*handler)()) {
        OnGotFocus(control, [this, handler] { (this->*handler)(); });
    };
    focus(txtFirstName, &frmRegistration::txtFirstName_GotFocus);
    focus(txtSurname, &frmRegistration::txtSurname_GotFocus);
    focus(txtAddress1, &frmRegistration::txtAddress1_GotFocus);
    focus(txtAddress2, &frmRegistration::txtAddress2_GotFocus);
    focus(txtAddress3, &frmRegistration::txtAddress3_GotFocus);
    focus(txtPostcode, &frmRegistration::txtPostcode_GotFocus);
    focus(txtPhone, &frmRegistration::txtPhone_GotFocus);
    focus(txtEmail, &frmRegistration::txtEmail_GotFocus);
    focus(txtAlternative, &frmRegistration::txtAlternative_GotFocus);
    focus(txtNickName, &frmRegistration::txtNickName_GotFocus);
    focus(txtPassword, &frmRegistration::txtPassword_GotFocus);
    focus(txtPasswordConfirm, &frmRegistration::txtPasswordConfirm_GotFocus);
    focus(txtCV, &frmRegistration::txtCV_GotFocus);
    focus(txtCallbackNumberArea, &frmRegistration::txtCallbackNumberArea_GotFocus);
    focus(txtCallbackNumber, &frmRegistration::txtCallbackNumber_GotFocus);

    OnLostFocus(txtFirstName, [this] { txtFirstName_LostFocus(); });
    OnLostFocus(txtSurname, [this] { txtSurname_LostFocus(); });
    OnLostFocus(txtAddress1, [this] { txtAddress1_LostFocus(); });
    OnLostFocus(txtAddress2, [this] { txtAddress2_LostFocus(); });
    OnActivate(this, [this] { Form_Activate(); });
}

void frmRegistration::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    CentreOnScreen(*this);
    Frame1->hide();
    lblStatus->clear();
    const QByteArray logo = FindProgramFile("kestrune.bmp");
    if (!logo.isEmpty())
        imgKestrune->setPixmap(LoadPicture(logo));
    cmdContinue->hide();
    show();
    activateWindow();
    // Drawn and active before the focus is set and the files are read.
    ui().doEvents();

    lstExisting->clear();
    lstExisting->addItem(QString::fromLatin1(kMelbournePoint));
    lstExisting->addItem(QString::fromLatin1(kSydneyPoint));

    intCurrentPage = kNoPage;
    std::int16_t firstPage = 0;
    ShowWizardPage(firstPage);
    SelectConnectionOption(0);
    optConnection_Click(0);

    LoadContacts();
    LoadHeardAboutList();
    LoadRegistrationDetails();

    // The call starts with no card details and in login mode.
    mbolDoneSurvey = kFalse;
    // The window may have been activated while it loaded, before the
    // loaders' hourglass: the load ends with the pointer activation gives.
    if (isActiveWindow())
        Form_Activate();
}

void frmRegistration::Form_Activate() {
    ui().setMousePointer(MousePointer::Default);
}

void frmRegistration::closeEvent(QCloseEvent *event) {
    // When the program is already ending this is only its windows going.
    if (ui().programEnded()) {
        event->accept();
        return;
    }
    Flag Cancel = kFalse;
    Form_QueryUnload(Cancel, event->spontaneous() ? vbFormControlMenu : vbFormCode);
    if (Cancel != kFalse) {
        event->ignore();
        return;
    }
    event->accept();
    Form_Unload(Cancel);
}

void frmRegistration::Form_QueryUnload(Flag &Cancel, std::int16_t /*UnloadMode*/) {
    // Every way of closing asks the same question.
    if (ui().msgBox("Are you sure you want to cancel the Kestrune Registration?", MsgButtons::YesNo,
                    MsgIcon::Question, "Cancel Registration") != MsgAnswer::Yes)
        Cancel = kTrue;
}

void frmRegistration::Form_Unload(Flag & /*Cancel*/) {
    // The hang-up is only started here; the telephony control finishes it
    // on its way out.
    call_->HangUp();
    ui().endProgram();
}

void frmRegistration::picPage_Paint(std::int16_t Index) {
    TilePicture(*picPage.at(static_cast<std::size_t>(Index)), *frmColors::instance().imgBlue, 0);
}

void frmRegistration::cmdTermsConditions_Click() {
    // Shown again only to be read.
    frmTerms terms;
    terms.cmdAccept->setVisible(false);
    terms.cmdReject->setVisible(false);
    terms.cmdClose->setVisible(true);
    ui().showModal(terms);
}
