// Moving between the pages, locking the wizard for a call, Start Over and
// Submit.

#include "controls.h"
#include "frmRegistration.h"
#include "frmSurvey.h"
#include "registration_call.h"
#include "registry.h"
#include "saved_details.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int kPanelAndMargin = 2400;

const QByteArray kSurveyOffer =
    "Thanks for filling out these registration details. You will be able to complete your "
    "registration in a moment.\r\n\r\n"
    "To help us deliver better service to all Kestrune users, we would appreciate it if you "
    "could take 5 minutes to complete an easy survey.\r\n\r\n"
    "Would you like to complete the survey now?";

} // namespace

void frmRegistration::ShowWizardPage(std::int16_t &newPage) {
    if (newPage < 0 || newPage >= static_cast<std::int16_t>(picPage.size()))
        return;
    if (newPage > intCurrentPage) {
        Flag ok = kTrue;
        ValidateWizardPage(ok);
        if (ok == kFalse)
            return;
    }
    if (intCurrentPage != kNoPage)
        picPage.at(static_cast<std::size_t>(intCurrentPage))->hide();
    PictureBox *page = picPage.at(static_cast<std::size_t>(newPage));
    page->setGeometry(Px(kPageLeft), 0, width() - Px(kPanelAndMargin), Px(kPageHeight));
    page->show();

    // Not while a refused request waits for Continue: the call still needs
    // the entries.
    cmdStartOver->setEnabled(newPage != 0 && cmdContinue->isHidden());
    cmdBack->setEnabled(newPage != 0);
    cmdNext->setEnabled(newPage != 3);
    cmdFinish->setEnabled(newPage == 3);
    switch (newPage) {
    case 0:
        GiveFocus(txtFirstName);
        break;
    case 1:
        GiveFocus(optConnection[0]->isChecked() ? static_cast<QWidget *>(lstExisting)
                                                : txtAlternative);
        break;
    case 2:
        GiveFocus(txtNickName);
        break;
    default:
        GiveFocus(txtCallbackNumberArea);
        break;
    }
    intCurrentPage = newPage;
    setWindowTitle(QStringLiteral("Kestrune Registration Wizard - Step %1 of 4").arg(newPage + 1));
}

void frmRegistration::EnableWizard(Flag flag) {
    const bool enabled = flag != kFalse;
    const QColor &background = enabled ? kWhite : kLightGrey;
    // These three are left to the connection choice below and to the user.
    const QList<QWidget *> notLocked{lstExisting, txtAlternative, txtPasswordConfirm};
    const QList<QWidget *> buttons{
        cmdBack, cmdNext, cmdFinish, cmdStartOver, cmdTermsConditions, cmdCancel, cmdContinue};
    for (QWidget *control : buttons + PageControls()) {
        if (notLocked.contains(control))
            continue;
        control->setEnabled(enabled);
        if (qobject_cast<QLineEdit *>(control) != nullptr ||
            qobject_cast<QPlainTextEdit *>(control) != nullptr) {
            SetColour(control, QPalette::Base, background);
        } else if (qobject_cast<QComboBox *>(control) != nullptr) {
            SetColour(control, QPalette::Base, background);
            SetColour(control, QPalette::Button, background);
        }
    }
    // The dial-in point stays as the user picked it: the host asks for it
    // during the call.
    const bool existing = optConnection[0]->isChecked();
    SetConnectionControls(enabled && existing, enabled && !existing);
    if (enabled) {
        std::int16_t page = intCurrentPage;
        ShowWizardPage(page);
    }
}

void frmRegistration::cmdNext_Click() {
    auto page = static_cast<std::int16_t>(intCurrentPage + 1);
    ShowWizardPage(page);
}

void frmRegistration::cmdBack_Click() {
    auto page = static_cast<std::int16_t>(intCurrentPage - 1);
    ShowWizardPage(page);
}

void frmRegistration::cmdStartOver_Click() {
    if (ui().msgBox("Are you sure you want to start the Kestrune Registration over again?",
                    MsgButtons::YesNo, MsgIcon::Question,
                    "Start Registration Over") != MsgAnswer::Yes)
        return;
    for (QLineEdit *box : {txtFirstName, txtSurname, txtAddress1, txtAddress2, txtAddress3})
        box->clear();
    cboState->setCurrentIndex(-1);
    for (QLineEdit *box : {txtPostcode, txtPhone, txtEmail})
        box->clear();
    SelectConnectionOption(0);
    optConnection_Click(0);
    lstExisting->setCurrentRow(0);
    txtNickName->clear();
    txtPassword->clear();
    txtCV->clear();
    txtCallbackNumberArea->clear();
    txtCallbackNumber->clear();
    chkInformation->setChecked(false);
    cboHeardAbout->setCurrentIndex(-1);
    std::int16_t firstPage = 0;
    ShowWizardPage(firstPage);
    DeleteRegistrationDetails();
}

void frmRegistration::cmdCancel_Click() {
    close();
}

void frmRegistration::cmdFinish_Click() {
    Flag ok = kTrue;
    ValidateWizardPage(ok);
    if (ok == kFalse)
        return;
    if (mbolDoneSurvey == kFalse) {
        const MsgAnswer answer =
            ui().msgBox(kSurveyOffer, MsgButtons::YesNoCancel, MsgIcon::Question, kSurveyTitle);
        if (answer == MsgAnswer::Cancel)
            return;
        if (answer == MsgAnswer::Yes)
            ShowSurvey();
    }
    SaveRegistrationDetails();
    QByteArray number;
    if (GetDialNumber(number) == kFalse) {
        ui().beep();
        ui().msgBox("The Kestrune connection telephone number could not be found.", MsgButtons::Ok,
                    MsgIcon::Critical, kRegistrationTitle);
        return;
    }
    ui().setMousePointer(MousePointer::Hourglass);
    EnableWizard(kFalse);
    imgNotConnected->raise();
    Frame1->show();
    call_->DialService(number);
    // The user may still abandon the call.
    cmdCancel->setEnabled(true);
}

void frmRegistration::ShowSurvey() {
    ui().setMousePointer(MousePointer::Hourglass);
    {
        frmSurvey survey(*this, mbolDoneSurvey);
        ui().showModal(survey);
    }
    ui().setMousePointer(MousePointer::Default);
}

void frmRegistration::GiveFocus(QWidget *control) {
    if (control->isVisible() && control->isEnabled())
        control->setFocus();
}
