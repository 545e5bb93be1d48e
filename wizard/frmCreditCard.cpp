#include "frmCreditCard.h"

#include "card_checks.h"
#include "clock.h"
#include "control_events.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "frmColors.h"
#include "tile_picture.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"
#include "wipe.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

namespace {

constexpr int kBesideWizard = 500; // twips right of and above the wizard

// The box's text is overwritten where the box keeps it (the copy shares it),
// then set empty. Setting the text, unlike clearing it, leaves nothing to
// undo: no earlier card lingers in the box's history.
void WipeBox(QLineEdit *box) {
    QString text = box->text();
    Wipe(text);
    box->setText({});
}

} // namespace

frmCreditCard::frmCreditCard(QWidget *wizard) : QDialog(wizard), wizard_(wizard) {
    CreateControls();
    connect(cmdOK, &QPushButton::clicked, this, &frmCreditCard::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCreditCard::cmdCancel_Click);
    OnActivate(this, [this] { Form_Activate(); });
    OnGotFocus(txtCreditCardNumber, [this] { txtCreditCardNumber_GotFocus(); });
    OnGotFocus(txtExpiryDate, [this] { txtExpiryDate_GotFocus(); });
    OnGotFocus(txtNameOnCard, [this] { txtNameOnCard_GotFocus(); });
    OnGotFocus(txtCardholderAddress, [this] { txtCardholderAddress_GotFocus(); });
    OnGotFocus(txtPlanNbr, [this] { txtPlanNbr_GotFocus(); });
    OnKeyPress(txtCreditCardNumber,
               [this](std::int16_t &KeyAscii) { txtCreditCardNumber_KeyPress(KeyAscii); });
    OnKeyPress(txtExpiryDate, [this](std::int16_t &KeyAscii) { txtExpiryDate_KeyPress(KeyAscii); });
    OnKeyPress(txtNameOnCard, [this](std::int16_t &KeyAscii) { txtNameOnCard_KeyPress(KeyAscii); });
    OnKeyPress(txtCardholderAddress,
               [this](std::int16_t &KeyAscii) { txtCardholderAddress_KeyPress(KeyAscii); });
    OnKeyPress(txtPlanNbr, [this](std::int16_t &KeyAscii) { txtPlanNbr_KeyPress(KeyAscii); });
}

void frmCreditCard::EnsureLoaded() {
    if (loaded_)
        return;
    loaded_ = true;
    Form_Load();
}

void frmCreditCard::LoadRegoDetails() {
    EnsureLoaded();
}

void frmCreditCard::InitialiseForm() {
    EnsureLoaded();
    ClearEntries();
    accepted_.reset();
}

std::optional<CardDetails> frmCreditCard::TakeAcceptedDetails() {
    return std::exchange(accepted_, std::nullopt);
}

void frmCreditCard::ClearEntries() {
    WipeBox(txtCreditCardNumber);
    WipeBox(txtExpiryDate);
    WipeBox(txtNameOnCard);
    txtCardholderAddress->setPlainText({});
    txtPlan->setPlainText({});
    WipeBox(txtPlanNbr);
}

void frmCreditCard::Form_Load() {
    setWindowIcon(frmColors::instance().windowIcon());
    QPoint place = pos();
    if (wizard_ != nullptr)
        place = wizard_->pos() + QPoint(Px(kBesideWizard), -Px(kBesideWizard));
    // Kept on the screen, so that the title bar can still be reached.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = frameGeometry().size();
        place.setX(std::clamp(place.x(), area.left(),
                              std::max(area.left(), area.x() + area.width() - size.width())));
        place.setY(std::clamp(place.y(), area.top(),
                              std::max(area.top(), area.y() + area.height() - size.height())));
    }
    move(place);
    // A freshly loaded window starts at its first box.
    txtCreditCardNumber->setFocus();
}

void frmCreditCard::Form_Activate() {
    ui().setMousePointer(MousePointer::Default);
}

void frmCreditCard::paintEvent(QPaintEvent * /*event*/) {
    TilePicture(*this, *frmColors::instance().imgBlue, 0);
}

void frmCreditCard::keyPressEvent(QKeyEvent *event) {
    // Only OK itself accepts the card: Enter that no box or button took
    // (in the plan list, say) does not press it.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmCreditCard::done(int result) {
    QDialog::done(result);
    // Closing wipes the entries; the card details live on only where the
    // call keeps them.
    ClearEntries();
    loaded_ = false;
}

void frmCreditCard::txtCreditCardNumber_GotFocus() {
    SelectAllText(txtCreditCardNumber);
}

void frmCreditCard::txtExpiryDate_GotFocus() {
    SelectAllText(txtExpiryDate);
}

void frmCreditCard::txtNameOnCard_GotFocus() {
    SelectAllText(txtNameOnCard);
}

void frmCreditCard::txtCardholderAddress_GotFocus() {
    SelectAllText(txtCardholderAddress);
}

void frmCreditCard::txtPlanNbr_GotFocus() {
    SelectAllText(txtPlanNbr);
}

void frmCreditCard::txtCreditCardNumber_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmCreditCard::txtExpiryDate_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmCreditCard::txtNameOnCard_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterMovesOn(KeyAscii);
}

void frmCreditCard::txtCardholderAddress_KeyPress(std::int16_t &KeyAscii) {
    // Enter never starts a new line here (Ctrl+Enter does).
    EnterMovesOn(KeyAscii);
}

void frmCreditCard::txtPlanNbr_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    // Enter goes to OK without pressing it: accepting the card is a step of
    // its own.
    EnterFocuses(KeyAscii, cmdOK);
}

void frmCreditCard::cmdOK_Click() {
    if (!ValidateForm())
        return;
    accepted_ = Details();
    accept();
}

void frmCreditCard::cmdCancel_Click() {
    reject();
}

CardDetails frmCreditCard::Details() const {
    return {BoxText(txtCreditCardNumber), BoxText(txtExpiryDate), BoxText(txtNameOnCard),
            BoxText(txtCardholderAddress), BoxText(txtPlanNbr)};
}

// The offending box gets the focus with its text selected, then the message.
bool frmCreditCard::ValidateForm() {
    const std::optional<CardCheckFailure> failure =
        CheckCardDetails(Details(), mintPlanNbrLo, mintPlanNbrHi, Today());
    if (!failure)
        return true;
    QWidget *box = txtPlanNbr;
    switch (failure->control) {
    case CardControl::txtCreditCardNumber:
        box = txtCreditCardNumber;
        break;
    case CardControl::txtExpiryDate:
        box = txtExpiryDate;
        break;
    case CardControl::txtNameOnCard:
        box = txtNameOnCard;
        break;
    case CardControl::txtPlanNbr:
        break;
    }
    box->setFocus();
    SelectAllText(box);
    ui().msgBox(failure->message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
    return false;
}
