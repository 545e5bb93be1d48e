// The entry controls' keys, focus rules and the page checks.

#include "code_page.h"
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

void ToProperCase(QLineEdit *box) {
    SetBoxText(box, ProperCase(BoxText(box)));
}

ListPick Picked(const QComboBox *list) {
    return list->currentIndex() < 0 ? ListPick() : ListPick(ListText(list));
}

ListPick Picked(const QListWidget *list) {
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? ListPick() : ListPick(ToCodePage(selected.first()->text()));
}

} // namespace

void frmRegistration::txtFirstName_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtSurname_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtAddress1_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtAddress2_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtAddress3_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::cboState_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtPostcode_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtPhone_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsAndSpace(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtEmail_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdNext);
}

void frmRegistration::optConnection_KeyPress(std::int16_t /*Index*/, std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::lstExisting_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdNext);
}

void frmRegistration::txtAlternative_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsAndSpace(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtNickName_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtPassword_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtPasswordConfirm_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterMovesOn(KeyAscii);
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
    EnterMovesOn(KeyAscii);
}

void frmRegistration::txtCallbackNumber_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmRegistration::chkInformation_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmRegistration::cboHeardAbout_KeyPress(std::int16_t &KeyAscii) {
    EnterFocuses(KeyAscii, cmdFinish);
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

WizardEntries frmRegistration::Entries() const {
    WizardEntries e;
    e.txtFirstName = BoxText(txtFirstName);
    e.txtSurname = BoxText(txtSurname);
    e.txtAddress1 = BoxText(txtAddress1);
    e.txtAddress2 = BoxText(txtAddress2);
    e.txtAddress3 = BoxText(txtAddress3);
    e.cboState = Picked(cboState);
    e.txtPostcode = BoxText(txtPostcode);
    e.txtPhone = BoxText(txtPhone);
    e.txtEmail = BoxText(txtEmail);
    e.optConnection = optConnection[0]->isChecked() ? 0 : 1;
    e.lstExisting = Picked(lstExisting);
    e.txtAlternative = BoxText(txtAlternative);
    e.txtNickName = BoxText(txtNickName);
    e.txtPassword = BoxText(txtPassword);
    e.txtPasswordConfirm = BoxText(txtPasswordConfirm);
    e.txtCV = BoxText(txtCV);
    e.txtCallbackNumberArea = BoxText(txtCallbackNumberArea);
    e.txtCallbackNumber = BoxText(txtCallbackNumber);
    e.chkInformation = chkInformation->isChecked() ? 1 : 0;
    e.cboHeardAbout = Picked(cboHeardAbout);
    return e;
}

void frmRegistration::ValidateWizardPage(Flag &ok) {
    ok = kTrue;
    const std::optional<CheckFailure> failure = CheckWizardPage(intCurrentPage, Entries());
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
