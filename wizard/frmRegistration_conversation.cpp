// The registration conversation's view of the window: the card window, and
// the page it shows when the host refuses a field.

#include "card_request.h"
#include "entry_routines.h"
#include "frmCreditCard.h"
#include "frmRegistration.h"

#include <QPushButton>
#include <algorithm>

namespace {

constexpr std::array<EntryControl, 9> kPage0Controls = {
    EntryControl::txtFirstName, EntryControl::txtSurname,  EntryControl::txtAddress1,
    EntryControl::txtAddress2,  EntryControl::txtAddress3, EntryControl::cboState,
    EntryControl::txtPostcode,  EntryControl::txtPhone,    EntryControl::txtEmail};

std::int16_t PageOf(EntryControl control) {
    if (std::find(kPage0Controls.begin(), kPage0Controls.end(), control) != kPage0Controls.end())
        return 0;
    switch (control) {
    case EntryControl::lstExisting:
    case EntryControl::txtAlternative:
        return 1;
    case EntryControl::txtNickName:
    case EntryControl::txtPassword:
    case EntryControl::txtPasswordConfirm:
    case EntryControl::txtCV:
        return 2;
    default:
        return 3;
    }
}

} // namespace

frmCreditCard &frmRegistration::CardWindow() {
    if (card_ == nullptr)
        card_ = new frmCreditCard(this);
    return *card_;
}

std::optional<CardDetails> frmRegistration::ShowCardWindow(const CardDetails &offer,
                                                           const QByteArray &planDetails) {
    return AskForCardDetails(CardWindow(), offer, planDetails);
}

void frmRegistration::CloseCardWindow() {
    if (card_ != nullptr && card_->isVisible())
        card_->reject();
}

void frmRegistration::SetCardPlanBounds(std::int16_t lo, std::int16_t hi) {
    frmCreditCard &card = CardWindow();
    card.mintPlanNbrLo = lo;
    card.mintPlanNbrHi = hi;
}

void frmRegistration::ShowEntryControl(EntryControl control) {
    // The refused entry may lie on a later page than the one showing: no
    // page check stands in the way of the correction.
    if (intCurrentPage != kNoPage)
        picPage.at(static_cast<std::size_t>(intCurrentPage))->hide();
    intCurrentPage = kNoPage;
    std::int16_t page = PageOf(control);
    ShowWizardPage(page);
    QWidget *widget = EntryControlWidget(control);
    GiveFocus(widget);
    SelectAllText(widget);
}

void frmRegistration::ShowContinue(bool visible) {
    // Continue lies on top of Submit; while it shows, Submit must not be
    // reachable by its mnemonic or Tab.
    cmdFinish->setVisible(!visible);
    cmdContinue->setVisible(visible);
    // Nor Start Over while the request waits: the call still needs the
    // entries. The page shown decides again once Continue is gone.
    if (visible) {
        cmdContinue->raise();
        cmdStartOver->setEnabled(false);
    }
}
