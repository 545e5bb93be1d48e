#include "card_request.h"

#include "code_page.h"
#include "entry_boxes.h"
#include "frmCreditCard.h"
#include "text.h"
#include "ui.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// The subscriber's first name and surname, in capitals.
QByteArray NameOnCard(const WizardEntries &entries) {
    QByteArray name;
    if (!Trim(entries.txtFirstName).isEmpty())
        name = Trim(entries.txtFirstName) + ' ';
    name += Trim(entries.txtSurname);
    return ToCodePage(FromCodePage(name).toUpper());
}

// The postal address: each address line, then state and postcode.
QByteArray PostalAddress(const WizardEntries &entries) {
    QByteArray address;
    for (const QByteArray *line :
         {&entries.txtAddress1, &entries.txtAddress2, &entries.txtAddress3}) {
        if (!Trim(*line).isEmpty())
            address += Trim(*line) + "\r\n";
    }
    const QByteArray state = Trim(entries.cboState);
    const QByteArray postcode = Trim(entries.txtPostcode);
    if (!state.isEmpty() && !postcode.isEmpty())
        address += state + "    " + postcode;
    return address;
}

} // namespace

void AskForCardDetails(frmCreditCard &card, const WizardLinkState &held,
                       const WizardEntries &entries) {
    card.InitialiseForm();
    SetBoxText(card.txtCreditCardNumber, held.txtCreditCardNumber);
    SetBoxText(card.txtExpiryDate, held.txtExpiryDate);
    // The name on the card is always offered from the subscriber's name.
    SetBoxText(card.txtNameOnCard, NameOnCard(entries));
    SetBoxText(card.txtCardholderAddress, held.txtCardholderAddress);
    SetBoxText(card.txtPlanNbr, held.txtPlanNbr);
    if (Trim(held.txtCardholderAddress).isEmpty())
        SetBoxText(card.txtCardholderAddress, PostalAddress(entries));
    card.LoadRegoDetails();
    SetBoxText(card.txtPlan, held.txtPlanDetails);
    modKestenrol::gCardAccepted = kFalse;
    ui().showModal(card);
}
