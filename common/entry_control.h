#pragma once

// The wizard's entry controls that a failed page check or a field the host
// refused sends the user back to.
enum class EntryControl {
    txtFirstName,
    txtSurname,
    txtAddress1,
    txtAddress2,
    txtAddress3,
    cboState,
    txtPostcode,
    txtPhone,
    txtEmail,
    lstExisting,
    txtAlternative,
    txtNickName,
    txtPassword,
    txtPasswordConfirm,
    txtCV,
    txtCallbackNumberArea,
    txtCallbackNumber,
    cboHeardAbout,
};
