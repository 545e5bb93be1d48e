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

QList<QByteArray> Entries(const QComboBox *list) {
    QList<QByteArray> entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(ToCodePage(list->itemText(i)));
    return entries;
}

QList<QByteArray> Entries(const QListWidget *list) {
    QList<QByteArray> entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(ToCodePage(list->item(i)->text()));
    return entries;
}

QByteArray SelectedText(const QListWidget *list) {
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? QByteArray() : ToCodePage(selected.first()->text());
}

void Fill(QComboBox *list, const QList<QByteArray> &entries) {
    list->clear();
    for (const QByteArray &entry : entries)
        list->addItem(FromCodePage(entry));
    list->setCurrentIndex(-1);
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
    RegistrationDetails details;
    details.FirstName = BoxText(txtFirstName);
    details.SurName = BoxText(txtSurname);
    details.Address1 = BoxText(txtAddress1);
    details.Address2 = BoxText(txtAddress2);
    details.Address3 = BoxText(txtAddress3);
    details.State = ListText(cboState);
    details.Postcode = BoxText(txtPostcode);
    details.Phone = BoxText(txtPhone);
    details.Email = BoxText(txtEmail);
    if (optConnection[0]->isChecked()) {
        details.Connection = "0";
        details.ConnectPh = SelectedText(lstExisting);
    } else {
        details.Connection = "1";
        details.ConnectPh = BoxText(txtAlternative);
    }
    details.NickName = BoxText(txtNickName);
    details.Password = BoxText(txtPassword);
    details.PasswordConfirm = BoxText(txtPasswordConfirm);
    details.CV = BoxText(txtCV);
    details.CallBackNumberArea = BoxText(txtCallbackNumberArea);
    details.CallBackNumber = BoxText(txtCallbackNumber);
    details.HeardAbout = ListText(cboHeardAbout);
    StoreRegistrationDetails(details);
}

void frmRegistration::LoadRegistrationDetails() {
    const RegistrationDetails details = ReadRegistrationDetails();
    if (details.FirstName.isEmpty())
        return;
    SetBoxText(txtFirstName, details.FirstName);
    SetBoxText(txtSurname, details.SurName);
    SetBoxText(txtAddress1, details.Address1);
    SetBoxText(txtAddress2, details.Address2);
    SetBoxText(txtAddress3, details.Address3);
    cboState->setCurrentIndex(FindListEntry(Entries(cboState), details.State));
    SetBoxText(txtPostcode, details.Postcode);
    SetBoxText(txtPhone, details.Phone);
    SetBoxText(txtEmail, details.Email);

    // A connection choice that names no option ends the restore here.
    const std::optional<std::int16_t> option = ConnectionOption(details.Connection);
    if (!option)
        return;
    SelectConnectionOption(*option);
    optConnection_Click(*option);
    if (*option == 0) {
        const int found = FindListEntry(Entries(lstExisting), details.ConnectPh);
        lstExisting->setCurrentRow(found < 0 ? 0 : found);
    } else {
        SetBoxText(txtAlternative, details.ConnectPh);
    }

    SetBoxText(txtNickName, details.NickName);
    SetBoxText(txtPassword, details.Password);
    SetBoxText(txtPasswordConfirm, details.PasswordConfirm);
    SetBoxText(txtCV, details.CV);
    SetBoxText(txtCallbackNumberArea, details.CallBackNumberArea);
    SetBoxText(txtCallbackNumber, details.CallBackNumber);
    cboHeardAbout->setCurrentIndex(FindListEntry(Entries(cboHeardAbout), details.HeardAbout));
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
    Fill(cboHeardAbout, choices);
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
