#include "card_checks.h"

#include "expiry_date.h"
#include "text.h"
#include "wipe.h"

namespace {

// A trimmed copy of the card number, wiped as it goes.
class Trimmed {
  public:
    explicit Trimmed(const QByteArray &entry) : text_(Trim(entry)) {}
    ~Trimmed() { WipeIfLast(text_); }
    Trimmed(const Trimmed &) = delete;
    Trimmed &operator=(const Trimmed &) = delete;

    const QByteArray &text() const { return text_; }

  private:
    QByteArray text_;
};

} // namespace

std::optional<CardCheckFailure> CheckCardDetails(const CardDetails &card, std::int16_t planLo,
                                                 std::int16_t planHi, const QDate &today) {
    const auto fail = [](CardControl control, const char *message) {
        return std::optional<CardCheckFailure>(CardCheckFailure{message, control});
    };
    const Trimmed trimmedNumber(card.txtCreditCardNumber);
    const QByteArray &number = trimmedNumber.text();
    if (number.isEmpty())
        return fail(CardControl::txtCreditCardNumber, "Please enter a Credit Card Number.");
    // Digits only, also when the number was pasted in.
    if (number.size() != kCardNumberLength || !AllDigits(number))
        return fail(CardControl::txtCreditCardNumber,
                    "The Credit Card Number must be 16 digits long.");
    if (Trim(card.txtExpiryDate).isEmpty())
        return fail(CardControl::txtExpiryDate,
                    "Please enter the 4 digit Credit Card Expiry Date.");
    if (!IsValidExpiryDate(card.txtExpiryDate, today))
        return fail(CardControl::txtExpiryDate,
                    "Please enter a valid 4 digit Credit Card Expiry Date.");
    if (Trim(card.txtNameOnCard).isEmpty())
        return fail(CardControl::txtNameOnCard,
                    "Please enter the name that appears on the Credit Card.");
    const QByteArray plan = Trim(card.txtPlanNbr);
    if (plan.isEmpty())
        return fail(CardControl::txtPlanNbr, "Please enter the Plan Number.");
    if (!AllDigits(plan))
        return fail(CardControl::txtPlanNbr,
                    "This is not a valid Plan Number - please re-enter the number.");
    const double value = plan.toDouble();
    if (value < planLo || value > planHi)
        return fail(CardControl::txtPlanNbr,
                    "The Plan Number must be in the range of plan numbers listed.");
    return std::nullopt;
}
