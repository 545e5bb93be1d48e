#pragma once

#include "card_details.h"

#include <QByteArray>
#include <optional>

class frmCreditCard;

// Asks the user for the card when the host requests it: the card window
// opens modally with the offered details in its boxes and the host's plan
// list. Gives the details that OK accepted, nothing when the user
// cancelled or closed the window.
std::optional<CardDetails> AskForCardDetails(frmCreditCard &card, const CardDetails &offer,
                                             const QByteArray &planDetails);
