#include "card_details.h"

#include "code_page.h"
#include "text.h"

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
    const QByteArray state = Trim(entries.cboState.value_or(QByteArray()));
    const QByteArray postcode = Trim(entries.txtPostcode);
    if (!state.isEmpty() && !postcode.isEmpty())
        address += state + "    " + postcode;
    return address;
}

} // namespace

CardDetails CardOffer(const CardDetails &kept, const WizardEntries &entries) {
    CardDetails offer = kept;
    // The name on the card is always offered from the subscriber's name.
    offer.txtNameOnCard = NameOnCard(entries);
    if (Trim(kept.txtCardholderAddress).isEmpty())
        offer.txtCardholderAddress = PostalAddress(entries);
    return offer;
}
