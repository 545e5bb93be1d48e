#include "card_request.h"

#include "entry_boxes.h"
#include "frmCreditCard.h"
#include "ui.h"

#include <QLineEdit>
#include <QPlainTextEdit>

std::optional<CardDetails> AskForCardDetails(frmCreditCard &card, const CardDetails &offer,
                                             const QByteArray &planDetails) {
    card.InitialiseForm();
    SetBoxText(card.txtCreditCardNumber, offer.txtCreditCardNumber);
    SetBoxText(card.txtExpiryDate, offer.txtExpiryDate);
    SetBoxText(card.txtNameOnCard, offer.txtNameOnCard);
    SetBoxText(card.txtCardholderAddress, offer.txtCardholderAddress);
    SetBoxText(card.txtPlanNbr, offer.txtPlanNbr);
    card.LoadRegoDetails();
    SetBoxText(card.txtPlan, planDetails);
    ui().showModal(card);
    return card.TakeAcceptedDetails();
}
