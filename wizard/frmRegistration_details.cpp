// The saved entries, the pick lists and the connection choice.

#include "code_page.h"
#include "controls.h"
#include "entry_boxes.h"
#include "frmRegistration.h"
#include "list_search.h"
#include "pick_lists.h"
#include "program_files.h"
#include "saved_details.h"
#include "ui.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

// The entry of the list that the stored pick finds, -1 for none.
int Find(const QList<QByteArray> &entries, const ListPick &stored) {
    return stored ? FindListEntry(entries, *stored) : -1;
}

// The lines of an optional program file; nothing when it is absent or cannot
// be read.
std::optional<QList<QByteArray>> ProgramFileLines(const QByteArray &path) {
    QList<QByteArray> lines;
    FileError error;
    if (!ReadTextLines(path, lines, error))
        return std::nullopt;
    return lines;
}

} // namespace

void frmRegistration::SaveRegistrationDetails() {
    StoreRegistrationDetails(Entries());
}

void frmRegistration::LoadRegistrationDetails() {
    const WizardEntries stored = ReadRegistrationDetails();
    if (stored.txtFirstName.isEmpty())
        return;
    SetBoxText(txtFirstName, stored.txtFirstName);
    SetBoxText(txtSurname, stored.txtSurname);
    SetBoxText(txtAddress1, stored.txtAddress1);
    SetBoxText(txtAddress2, stored.txtAddress2);
    SetBoxText(txtAddress3, stored.txtAddress3);
    cboState->setCurrentIndex(Find(ListItems(cboState), stored.cboState));
    SetBoxText(txtPostcode, stored.txtPostcode);
    SetBoxText(txtPhone, stored.txtPhone);
    SetBoxText(txtEmail, stored.txtEmail);

    // A connection choice that names no option ends the restore here.
    const std::int16_t option = stored.optConnection;
    if (option == kNoConnection)
        return;
    SelectConnectionOption(option);
    optConnection_Click(option);
    if (option == 0) {
        const int found = Find(ListItems(lstExisting), stored.lstExisting);
        lstExisting->setCurrentRow(found < 0 ? 0 : found);
    } else {
        SetBoxText(txtAlternative, stored.txtAlternative);
    }

    SetBoxText(txtNickName, stored.txtNickName);
    SetBoxText(txtPassword, stored.txtPassword);
    SetBoxText(txtPasswordConfirm, stored.txtPasswordConfirm);
    SetBoxText(txtCV, stored.txtCV);
    SetBoxText(txtCallbackNumberArea, stored.txtCallbackNumberArea);
    SetBoxText(txtCallbackNumber, stored.txtCallbackNumber);
    cboHeardAbout->setCurrentIndex(Find(ListItems(cboHeardAbout), stored.cboHeardAbout));
}

void frmRegistration::LoadHeardAboutList() {
    ui().doEvents();
    QList<QByteArray> choices = BuiltInHeardAbout();
    const QByteArray path = FindProgramFile("heardabt.txt");
    if (path.isEmpty()) {
        choices.append(kOtherChoice);
    } else {
        ui().setMousePointer(MousePointer::Hourglass);
        // A file that cannot be read leaves the choices built in, without
        // "Other".
        if (const std::optional<QList<QByteArray>> lines = ProgramFileLines(path)) {
            AddHeardAboutLines(choices, *lines);
            choices.append(kOtherChoice);
        }
        ui().setMousePointer(MousePointer::Default);
    }
    SetListItems(cboHeardAbout, choices);
}

void frmRegistration::LoadContacts() {
    ui().doEvents();
    const QByteArray path = FindProgramFile("contacts.txt");
    if (path.isEmpty())
        return;
    // The window's activation sets the pointer back.
    ui().setMousePointer(MousePointer::Hourglass);
    const std::optional<QList<QByteArray>> lines = ProgramFileLines(path);
    if (!lines)
        return;
    const ContactLines contacts = ReadContactLines(*lines);
    if (contacts.webAddress)
        lblURL->setText(FromCodePage(*contacts.webAddress));
    if (contacts.supportPhone)
        lblHelpPhone->setText(FromCodePage(*contacts.supportPhone));
}

void frmRegistration::optConnection_Click(std::int16_t Index) {
    if (Index != 0 && Index != 1)
        return;
    lstExisting->setCurrentRow(0);
    SetConnectionControls(Index == 0, Index == 1);
    GiveFocus(Index == 0 ? static_cast<QWidget *>(lstExisting) : txtAlternative);
}

void frmRegistration::SelectConnectionOption(std::int16_t Index) {
    const QSignalBlocker existing(optConnection[0]);
    const QSignalBlocker alternative(optConnection[1]);
    optConnection.at(static_cast<std::size_t>(Index))->setChecked(true);
}

void frmRegistration::SetConnectionControls(bool listUsable, bool alternativeUsable) {
    lstExisting->setEnabled(listUsable);
    SetColour(lstExisting, QPalette::Base, listUsable ? kWhite : kLightGrey);
    txtAlternative->setEnabled(alternativeUsable);
    SetColour(txtAlternative, QPalette::Base, alternativeUsable ? kWhite : kLightGrey);
}
