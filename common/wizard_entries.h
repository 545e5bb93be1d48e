#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// The entry picked in a list: its whole text, nothing when none is picked.
using ListPick = std::optional<QByteArray>;

// The wizard's entries as its controls hold them, texts untrimmed. The
// page checks, the saved copy and the answers to the host all read them
// from here.
struct WizardEntries {
    // Page 0: contact details.
    QByteArray txtFirstName;
    QByteArray txtSurname;
    QByteArray txtAddress1;
    QByteArray txtAddress2;
    QByteArray txtAddress3;
    ListPick cboState;
    QByteArray txtPostcode;
    QByteArray txtPhone;
    QByteArray txtEmail;
    // Page 1: the dial-in point, option 0 an existing one (the picked entry:
    // number, tab, city), option 1 an alternative number.
    std::int16_t optConnection = 0;
    ListPick lstExisting;
    QByteArray txtAlternative;
    // Page 2: nickname, password and CV (line breaks as CR LF).
    QByteArray txtNickName;
    QByteArray txtPassword;
    QByteArray txtPasswordConfirm;
    QByteArray txtCV;
    // Page 3: call-back number and how the user heard of the service.
    QByteArray txtCallbackNumberArea;
    QByteArray txtCallbackNumber;
    std::int16_t chkInformation = 0; // 0 unticked
    ListPick cboHeardAbout;
};
