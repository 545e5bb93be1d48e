#pragma once

#include "card_details.h"
#include "entry_control.h"
#include "wizard_entries.h"

#include <QByteArray>
#include <QDate>
#include <cstdint>
#include <optional>

// What Continue checks before the request the host refused goes again: what
// Next checks, since the wizard is the user's while the request waits.

// The refused request as Continue would answer it.
struct RefusedRequest {
    std::int32_t fields = 0; // the field mask
    // The card its card fields go from; none when no card was accepted.
    const CardDetails *keptCard = nullptr;
    // The plan numbers on offer now.
    std::int16_t planLo = 0;
    std::int16_t planHi = 0;
};

struct ContinueFailure {
    QByteArray message;
    // The entry to correct; none for the kept card.
    std::optional<EntryControl> control;
};

// The first check that fails: the checks of the page shown, then those of
// the other pages in order (an entry changed on a page left by Back goes
// too), then, when the request asks for card fields that go from the kept
// card rather than from the card window, the card window's checks on that
// card. Nothing when the request may go.
std::optional<ContinueFailure> CheckContinue(std::int16_t shownPage, const WizardEntries &entries,
                                             const RefusedRequest &request, const QDate &today);
