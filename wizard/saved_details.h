#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// The copy of the wizard's entries kept in the per-user settings between
// runs, so that an interrupted registration can be resumed. Texts are kept
// exactly as the boxes hold them (the password too, in plain text; the
// settings file is readable by its owner only).
struct RegistrationDetails {
    // Page1
    QByteArray FirstName;
    QByteArray SurName;
    QByteArray Address1;
    QByteArray Address2;
    QByteArray Address3;
    QByteArray State; // the picked state, empty when none
    QByteArray Postcode;
    QByteArray Phone;
    QByteArray Email;
    // Page2
    QByteArray Connection; // "0" existing dial-in point, "1" alternative number
    QByteArray ConnectPh;  // the picked point's whole entry, or the alternative number
    // Page3
    QByteArray NickName;
    QByteArray Password;
    QByteArray PasswordConfirm;
    QByteArray CV; // line breaks as CR LF
    // Page4
    QByteArray CallBackNumberArea;
    QByteArray CallBackNumber;
    QByteArray HeardAbout; // the picked choice, empty when none
};

// The number to dial for a connection choice: the access number before the
// entry's first tab (the whole entry when it has none), or the alternative
// number without the blanks at its ends.
QByteArray DialNumberFor(const RegistrationDetails &details);

// Writes every entry, section by section, and between the pages' sections
// DialNumber under the service key. A value that cannot be written is
// skipped.
void StoreRegistrationDetails(const RegistrationDetails &details);

// The stored entries; every text empty when nothing is stored.
RegistrationDetails ReadRegistrationDetails();

// The option that a stored "Connection" names: 0 or 1, nothing for any other
// text.
std::optional<std::int16_t> ConnectionOption(const QByteArray &stored);

// Removes the four sections; DialNumber stays.
void DeleteRegistrationDetails();
