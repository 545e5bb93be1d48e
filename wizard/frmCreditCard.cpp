#include "frmCreditCard.h"

#include "clock.h"
#include "control_events.h"
#include "entry_boxes.h"
#include "entry_routines.h"
#include "expiry_date.h"
#include "frmColors.h"
#include "text.h"
#include "tile_picture.h"
#include "titles.h"
#include "twips.h"
#include "ui.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

constexpr int kBesideWizard = 500; // twips right of and above the wizard

// Enter moves on as Tab does.
void EnterAsTab(std::int16_t &KeyAscii) {
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        SendKeysTab();
    }
}

} // namespace

frmCreditCard::frmCreditCard(QWidget *wizard, WizardLinkState &held)
    : QDialog(wizard), wizard_(wizard), held_(held) {
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
}

// Setting the texts, unlike clearing them, leaves nothing to undo: no
// earlier card lingers in a box's history.
void frmCreditCard::ClearEntries() {
    txtCreditCardNumber->setText({});
    txtExpiryDate->setText({});
    txtNameOnCard->setText({});
    txtCardholderAddress->setPlainText({});
    txtPlan->setPlainText({});
    txtPlanNbr->setText({});
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
    // Closing discards the entries; the card details live on only in the
    // wizard's kept copies.
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
    EnterAsTab(KeyAscii);
}

void frmCreditCard::txtExpiryDate_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmCreditCard::txtNameOnCard_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyUpperCase(KeyAscii);
    EnterAsTab(KeyAscii);
}

void frmCreditCard::txtCardholderAddress_KeyPress(std::int16_t &KeyAscii) {
    // Enter never starts a new line here (Ctrl+Enter does).
    EnterAsTab(KeyAscii);
}

void frmCreditCard::txtPlanNbr_KeyPress(std::int16_t &KeyAscii) {
    KeyAscii = KeyDigitsOnly(KeyAscii);
    // Enter goes to OK without pressing it: accepting the card is a step of
    // its own.
    if (KeyAscii == kKeyEnter) {
        KeyAscii = 0;
        cmdOK->setFocus();
    }
}

void frmCreditCard::cmdOK_Click() {
    if (!ValidateForm())
        return;
    held_.txtCreditCardNumber = BoxText(txtCreditCardNumber);
    held_.txtExpiryDate = BoxText(txtExpiryDate);
    held_.txtNameOnCard = BoxText(txtNameOnCard);
    held_.txtCardholderAddress = BoxText(txtCardholderAddress);
    held_.txtPlanNbr = BoxText(txtPlanNbr);
    modKestenrol::gCardAccepted = kTrue;
    accept();
}

void frmCreditCard::cmdCancel_Click() {
    reject();
}

bool frmCreditCard::ValidateForm() {
    const QByteArray cardNumber = Trim(BoxText(txtCreditCardNumber));
    if (cardNumber.isEmpty())
        return RefuseEntry(txtCreditCardNumber, "Please enter a Credit Card Number.");
    // Digits only, also when the number was pasted in.
    if (cardNumber.size() != kCardNumberLength || !AllDigits(cardNumber))
        return RefuseEntry(txtCreditCardNumber, "The Credit Card Number must be 16 digits long.");
    if (Trim(BoxText(txtExpiryDate)).isEmpty())
        return RefuseEntry(txtExpiryDate, "Please enter the 4 digit Credit Card Expiry Date.");
    if (!IsValidExpiryDate(BoxText(txtExpiryDate)))
        return RefuseEntry(txtExpiryDate, "Please enter a valid 4 digit Credit Card Expiry Date.");
    if (Trim(BoxText(txtNameOnCard)).isEmpty())
        return RefuseEntry(txtNameOnCard, "Please enter the name that appears on the Credit Card.");
    const QByteArray planNbr = Trim(BoxText(txtPlanNbr));
    if (planNbr.isEmpty())
        return RefuseEntry(txtPlanNbr, "Please enter the Plan Number.");
    if (!AllDigits(planNbr))
        return RefuseEntry(txtPlanNbr,
                           "This is not a valid Plan Number - please re-enter the number.");
    const double plan = planNbr.toDouble();
    if (plan < mintPlanNbrLo || plan > mintPlanNbrHi)
        return RefuseEntry(txtPlanNbr,
                           "The Plan Number must be in the range of plan numbers listed.");
    return true;
}

bool frmCreditCard::IsValidExpiryDate(const QByteArray &text) const {
    return ExpiryDateAcceptable(text, Today());
}

bool frmCreditCard::RefuseEntry(QWidget *box, const char *message) {
    box->setFocus();
    SelectAllText(box);
    ui().msgBox(message, MsgButtons::Ok, MsgIcon::Exclamation, kRegistrationTitle);
    return false;
}
