// The entry controls' keys, focus rules and the page checks.

#include "control_events.h"
#include "entry_boxes.h"
#include "entry_checks.h"
#include "entry_routines.h"
#include "frmRegistration.h"
#include "titles.h"
#include "ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Enter moves on to the next control, as Tab does.
void EnterAsTab(std::int16_t &KeyAscii) {
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        SendKeysTab();
    }
}

// Enter takes the focus to the page's main button without pressing it.
void EnterToButton(std::int16_t &KeyAscii, QPushButton *button) {
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        button->setFocus();
    }
}

void ToProperCase(QLineEdit *box) {
    SetBoxText(box, ProperCase(BoxText(box)));
}

bool HasSelection(const QListWidget *list) {
    return !list->selectedItems().isEmpty();
}

} // namespace

void frmRegistration::txtFirstName_KeyPress(std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtSurname_KeyPress(std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtAddress1_KeyPress(std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtAddress2_KeyPress(std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtAddress3_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::cboState_KeyPress(std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtPostcode_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtPhone_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsAndSpace(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtEmail_KeyPress(std::int16_t &KeyAscii) {
    EnterToButton(KeyAscii, cmdNext);
}

void frmRegistration::optConnection_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::lstExisting_KeyPress(std::int16_t &KeyAscii) {
    EnterToButton(KeyAscii, cmdNext);
}

void frmRegistration::txtAlternative_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsAndSpace(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtNickName_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtPassword_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtPasswordConfirm_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtCV_KeyPress(std::int16_t &KeyAscii) {
    // Enter starts a new line in the CV.
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        SendKeysCtrlEnter();
    }
}

void frmRegistration::txtCallbackNumberArea_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::txtCallbackNumber_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmRegistration::chkInformation_KeyPress(std::int16_t &KeyAscii) {
    EnterAsTab(KeyAscii);
}

void frmRegistration::cboHeardAbout_KeyPress(std::int16_t &KeyAscii) {
    EnterToButton(KeyAscii, cmdFinish);
}

void frmRegistration::txtFirstName_GotFocus() {
    SelectAllText(txtFirstName);
}

void frmRegistration::txtSurname_GotFocus() {
    SelectAllText(txtSurname);
}

void frmRegistration::txtAddress1_GotFocus() {
    SelectAllText(txtAddress1);
}

void frmRegistration::txtAddress2_GotFocus() {
    SelectAllText(txtAddress2);
}

void frmRegistration::txtAddress3_GotFocus() {
    SelectAllText(txtAddress3);
}

void frmRegistration::txtPostcode_GotFocus() {
    SelectAllText(txtPostcode);
}

void frmRegistration::txtPhone_GotFocus() {
    SelectAllText(txtPhone);
}

void frmRegistration::txtEmail_GotFocus() {
    SelectAllText(txtEmail);
}

void frmRegistration::txtAlternative_GotFocus() {
    SelectAllText(txtAlternative);
}

void frmRegistration::txtNickName_GotFocus() {
    SelectAllText(txtNickName);
}

void frmRegistration::txtPassword_GotFocus() {
    SelectAllText(txtPassword);
}

void frmRegistration::txtPasswordConfirm_GotFocus() {
    SelectAllText(txtPasswordConfirm);
}

void frmRegistration::txtCV_GotFocus() {
    SelectAllText(txtCV);
}

void frmRegistration::txtCallbackNumberArea_GotFocus() {
    SelectAllText(txtCallbackNumberArea);
}

void frmRegistration::txtCallbackNumber_GotFocus() {
    SelectAllText(txtCallbackNumber);
}

void frmRegistration::txtFirstName_LostFocus() {
    ToProperCase(txtFirstName);
}

void frmRegistration::txtSurname_LostFocus() {
    ToProperCase(txtSurname);
}

void frmRegistration::txtAddress1_LostFocus() {
    ToProperCase(txtAddress1);
}

void frmRegistration::txtAddress2_LostFocus() {
    ToProperCase(txtAddress2);
}

void frmRegistration::ValidateWizardPage(Flag &ok) {
    ok = kTrue;
    PageEntries entries;
    entries.firstName = BoxText(txtFirstName);
    entries.surname = BoxText(txtSurname);
    entries.address1 = BoxText(txtAddress1);
    entries.address3 = BoxText(txtAddress3);
    entries.stateSelected = cboState->currentIndex() >= 0;
    entries.postcode = BoxText(txtPostcode);
    entries.connection = optConnection[0]->isChecked() ? 0 : 1;
    entries.existingSelected = HasSelection(lstExisting);
    entries.alternative = BoxText(txtAlternative);
    entries.nickName = BoxText(txtNickName);
    entries.password = BoxText(txtPassword);
    entries.passwordConfirm = BoxText(txtPasswordConfirm);
    entries.callbackArea = BoxText(txtCallbackNumberArea);
    entries.callbackNumber = BoxText(txtCallbackNumber);
    entries.heardAboutSelected = cboHeardAbout->currentIndex() >= 0;

    const std::optional<CheckFailure> failure = CheckWizardPage(intCurrentPage, entries);
    if (!failure)
        return;
    QWidget *control = EntryControlWidget(failure->control);
    GiveFocus(control);
    SelectAllText(control);
    ui().msgBox(failure->message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
    ok = kFalse;
}

QWidget *frmRegistration::EntryControlWidget(EntryControl control) const {
    switch (control) {
    case EntryControl::txtFirstName:
        return txtFirstName;
    case EntryControl::txtSurname:
        return txtSurname;
    case EntryControl::txtAddress1:
        return txtAddress1;
    case EntryControl::txtAddress2:
        return txtAddress2;
    case EntryControl::txtAddress3:
        return txtAddress3;
    case EntryControl::cboState:
        return cboState;
    case EntryControl::txtPostcode:
        return txtPostcode;
    case EntryControl::txtPhone:
        return txtPhone;
    case EntryControl::txtEmail:
        return txtEmail;
    case EntryControl::lstExisting:
        return lstExisting;
    case EntryControl::txtAlternative:
        return txtAlternative;
    case EntryControl::txtNickName:
        return txtNickName;
    case EntryControl::txtPassword:
        return txtPassword;
    case EntryControl::txtPasswordConfirm:
        return txtPasswordConfirm;
    case EntryControl::txtCV:
        return txtCV;
    case EntryControl::txtCallbackNumberArea:
        return txtCallbackNumberArea;
    case EntryControl::txtCallbackNumber:
        return txtCallbackNumber;
    case EntryControl::cboHeardAbout:
        break;
    }
    return cboHeardAbout;
}
