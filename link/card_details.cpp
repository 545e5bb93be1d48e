#include "card_details.h"

#include "code_page.h"
#include "text.h"
#include "wipe.h"

#include <utility>

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

// Every text of the details, for one treatment alike.
template <typename Card, typename Each> void ForEachText(Card &card, Each each) {
    for (auto *text : {&card.txtCreditCardNumber, &card.txtExpiryDate, &card.txtNameOnCard,
                       &card.txtCardholderAddress, &card.txtPlanNbr})
        each(*text);
}

} // namespace

CardDetails::CardDetails(QByteArray number, QByteArray expiryDate, QByteArray nameOnCard,
                         QByteArray cardholderAddress, QByteArray planNbr)
    : txtCreditCardNumber(std::move(number)), txtExpiryDate(std::move(expiryDate)),
      txtNameOnCard(std::move(nameOnCard)), txtCardholderAddress(std::move(cardholderAddress)),
      txtPlanNbr(std::move(planNbr)) {}

CardDetails &CardDetails::operator=(CardDetails other) noexcept {
    std::swap(txtCreditCardNumber, other.txtCreditCardNumber);
    std::swap(txtExpiryDate, other.txtExpiryDate);
    std::swap(txtNameOnCard, other.txtNameOnCard);
    std::swap(txtCardholderAddress, other.txtCardholderAddress);
    std::swap(txtPlanNbr, other.txtPlanNbr);
    return *this;
}

CardDetails::~CardDetails() {
    ForEachText(*this, [](QByteArray &text) { WipeIfLast(text); });
}

void CardDetails::Wipe() {
    ForEachText(*this, [](QByteArray &text) { ::Wipe(text); });
}

CardDetails CardDetails::Detached() const {
    const auto own = [](const QByteArray &text) {
        return QByteArray(text.constData(), text.size());
    };
    return {own(txtCreditCardNumber), own(txtExpiryDate), own(txtNameOnCard),
            own(txtCardholderAddress), own(txtPlanNbr)};
}

CardDetails CardOffer(const CardDetails &kept, const WizardEntries &entries) {
    CardDetails offer = kept;
    // The name on the card is always offered from the subscriber's name.
    offer.txtNameOnCard = NameOnCard(entries);
    if (Trim(kept.txtCardholderAddress).isEmpty())
        offer.txtCardholderAddress = PostalAddress(entries);
    return offer;
}
