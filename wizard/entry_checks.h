#pragma once

#include "entry_control.h"
#include "flags.h"
#include "wizard_entries.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

// The checks that guard each wizard page before the wizard moves forward or
// submits. They see the entries as plain texts and picks, so they run
// without the window.

struct CheckFailure {
    QByteArray message;
    EntryControl control;
};

// The first check of the page that fails, or nothing when the page passes
// (a page outside 0 to 3 has no checks).
std::optional<CheckFailure> CheckWizardPage(std::int16_t page, const WizardEntries &entries);

// An 8-character number is local and has no spaces; a longer one carries an
// area code and so a space. ok starts true; message is set only on failure.
void CheckAlternativeNumber(const QByteArray &number, QByteArray &message, Flag &ok);

// The call-back number is optional; when given it is a 2-digit area code
// starting with 0 (not 00) and an 8-digit number.
void CheckCallbackNumber(const QByteArray &area, const QByteArray &number, QByteArray &message,
                         Flag &ok);
