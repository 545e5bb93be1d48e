#include "frmAccountRestore.h"

#include "account_keys.h"
#include "code_page.h"
#include "control_events.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "registry.h"
#include "text.h"
#include "titles.h"
#include "ui.h"
#include "window_placement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QByteArray kTitle = kRestoreTitle;
const QByteArray kExitQuestion =
    QByteArrayLiteral("Are you sure you want to exit the Kestrune Account Restore program?");
const QByteArray kEnterUserName =
    QByteArrayLiteral("Please enter the new value for the User Name.");
const QByteArray kEnterPassword = QByteArrayLiteral("Please enter the new value for the Password.");
const QByteArray kKeysReset = QByteArrayLiteral("The Kestrune registration keys have been reset.");
const QByteArray kNotStored =
    QByteArrayLiteral("The new values could not be stored in the registry. Please contact "
                      "Kestrune support.");
const QByteArray kBusyReading =
    QByteArrayLiteral("The Kestrune registry is in use by another program, so the current "
                      "details cannot be shown. Please try again in a moment.");
const QByteArray kBusyWriting =
    QByteArrayLiteral("The Kestrune registry is in use by another program, so the new details "
                      "have not been stored. Please try again in a moment.");

} // namespace

frmAccountRestore::frmAccountRestore() {
    CreateControls();
    connect(cmdUpdate, &QPushButton::clicked, this, &frmAccountRestore::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAccountRestore::cmdCancel_Click);
    OnGotFocus(txtUserName, [this] { txtUserName_GotFocus(); });
    OnGotFocus(txtPassword, [this] { txtPassword_GotFocus(); });
    OnKeyPress(txtUserName, [this](std::int16_t &KeyAscii) { txtUserName_KeyPress(KeyAscii); });
    OnKeyPress(txtPassword, [this](std::int16_t &KeyAscii) { txtPassword_KeyPress(KeyAscii); });
    OnActivate(this, [this] { Form_Activate(); });
    Form_Load();
}

void frmAccountRestore::Form_Load() {
    CentreOnScreen(*this);
    lblUserName->clear();
    lblPassword->clear();
    show();
    // Draw the window before the registry is read.
    ui().doEvents();
    if (!LoadCurrentValues())
        ui().msgBox(kBusyReading, MsgButtons::Ok, MsgIcon::Critical, kTitle);
}

void frmAccountRestore::Form_Activate() {
    ui().setMousePointer(MousePointer::Default);
}

void frmAccountRestore::txtUserName_GotFocus() {
    SelectAllText(txtUserName);
}

void frmAccountRestore::txtPassword_GotFocus() {
    SelectAllText(txtPassword);
}

void frmAccountRestore::txtUserName_KeyPress(std::int16_t &KeyAscii) {
    EnterMovesOn(KeyAscii);
}

void frmAccountRestore::txtPassword_KeyPress(std::int16_t &KeyAscii) {
    // Enter only moves to Update: the user presses it deliberately.
    EnterFocuses(KeyAscii, cmdUpdate);
}

void frmAccountRestore::cmdUpdate_Click() {
    if (Trim(BoxText(txtUserName)).isEmpty()) {
        ui().msgBox(kEnterUserName, MsgButtons::Ok, MsgIcon::Exclamation, kTitle);
        txtUserName->setFocus();
        return;
    }
    if (Trim(BoxText(txtPassword)).isEmpty()) {
        ui().msgBox(kEnterPassword, MsgButtons::Ok, MsgIcon::Exclamation, kTitle);
        txtPassword->setFocus();
        return;
    }
    // On failure the typed entries stay so that the user can try again or
    // read them out to support.
    switch (SaveNewValues()) {
    case KeysStored::Busy:
        // Nothing was stored and the labels still show what is.
        ui().msgBox(kBusyWriting, MsgButtons::Ok, MsgIcon::Critical, kTitle);
        return;
    case KeysStored::No:
        // The labels show what the registry really holds.
        LoadCurrentValues();
        ui().msgBox(kNotStored, MsgButtons::Ok, MsgIcon::Critical, kTitle);
        return;
    case KeysStored::Yes:
        break;
    }
    LoadCurrentValues();
    txtUserName->clear();
    txtPassword->clear();
    ui().msgBox(kKeysReset, MsgButtons::Ok, MsgIcon::Exclamation, kTitle);
    ui().endProgram();
}

void frmAccountRestore::cmdCancel_Click() {
    if (ui().msgBox(kExitQuestion, MsgButtons::YesNo, MsgIcon::Question, kTitle) == MsgAnswer::No)
        return;
    ui().endProgram();
}

bool frmAccountRestore::LoadCurrentValues() {
    // While another program holds the store the labels show nothing rather
    // than a wrong "<< Not Registered >>", and the second value is not waited
    // for.
    lblUserName->clear();
    lblPassword->clear();
    const std::optional<QByteArray> userName = AccountKeyText(kCommand1Value);
    const std::optional<QByteArray> password =
        userName ? AccountKeyText(kCommand2Value) : std::nullopt;
    if (!password)
        return false;
    lblUserName->setText(FromCodePage(*userName));
    lblPassword->setText(FromCodePage(*password));
    return true;
}

KeysStored frmAccountRestore::SaveNewValues() {
    return StoreAccountKeys(BoxText(txtUserName), BoxText(txtPassword));
}

void frmAccountRestore::closeEvent(QCloseEvent *event) {
    // The close box ends the tool without a question; when the tool is
    // already ending, this is its last window going.
    event->accept();
    if (!ui().programEnded())
        ui().endProgram();
}
