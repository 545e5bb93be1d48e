#pragma once

#include "wizard_entries.h"

#include <QByteArray>
#include <cstdint>

// The copy of the wizard's entries kept in the per-user settings between
// runs, so that an interrupted registration can be resumed. Texts are kept
// exactly as the boxes hold them (the password too, in plain text; the
// settings file is readable by its owner only).

// optConnection of entries read back whose stored choice names no option.
inline constexpr std::int16_t kNoConnection = -1;

// The number to dial for the connection choice: the access number before
// the picked entry's first tab (the whole entry when it has none), or the
// alternative number without the blanks at its ends.
QByteArray DialNumberFor(const WizardEntries &entries);

// Writes every entry, section by section, in one write of the settings,
// then DialNumber under the service key. When the settings cannot be
// written, none of the entries is kept and DialNumber still is.
void StoreRegistrationDetails(const WizardEntries &entries);

// The stored entries, every text empty when nothing is stored. The stored
// connection point or number is in lstExisting or txtAlternative as the
// stored choice says; a choice that is neither "0" nor "1" reads as
// kNoConnection. A stored pick is the stored text, whether or not the list
// offers it.
WizardEntries ReadRegistrationDetails();

// Removes the four sections in one write of the settings; DialNumber stays.
void DeleteRegistrationDetails();
