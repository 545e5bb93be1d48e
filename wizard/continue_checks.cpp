#include "continue_checks.h"

#include "card_checks.h"
#include "entry_checks.h"
#include "field_requests.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::int16_t kPages = 4;
constexpr int kCardNumberField = 10;
// Fields that go from the kept card unless the card window opens for
// field 10 and takes a card afresh.
constexpr std::array kKeptCardFields{11, 12, 13, 24};

} // namespace

std::optional<ContinueFailure> CheckContinue(std::int16_t shownPage, const WizardEntries &entries,
                                             const RefusedRequest &request, const QDate &today) {
    const auto pageFailure = [&entries](std::int16_t page) -> std::optional<ContinueFailure> {
        if (const std::optional<CheckFailure> failure = CheckWizardPage(page, entries))
            return ContinueFailure{failure->message, failure->control};
        return std::nullopt;
    };
    if (std::optional<ContinueFailure> failure = pageFailure(shownPage))
        return failure;
    for (std::int16_t page = 0; page < kPages; ++page) {
        if (page == shownPage)
            continue;
        if (std::optional<ContinueFailure> failure = pageFailure(page))
            return failure;
    }

    const bool keptCardGoes =
        request.keptCard != nullptr && !FieldAsked(request.fields, kCardNumberField) &&
        std::any_of(kKeptCardFields.begin(), kKeptCardFields.end(),
                    [&request](int fieldNbr) { return FieldAsked(request.fields, fieldNbr); });
    if (!keptCardGoes)
        return std::nullopt;
    if (const std::optional<CardCheckFailure> failure =
            CheckCardDetails(*request.keptCard, request.planLo, request.planHi, today))
        return ContinueFailure{failure->message, std::nullopt};
    return std::nullopt;
}
