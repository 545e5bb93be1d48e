#include "saved_details.h"

#include "registry.h"
#include "settings.h"
#include "startup.h"
#include "text.h"

#include <array>
#include <optional>

namespace {

using E = WizardEntries;

// A stored text and the entry it keeps: a box's text or a list's pick.
struct StoredEntry {
    const char *section;
    const char *key;
    QByteArray E::*text = nullptr;
    ListPick E::*pick = nullptr;
};

// In the order they are written; the connection choice goes between Page1
// and Page3.
const std::array<StoredEntry, 9> kPage1 = {{
    {"Page1", "FirstName", &E::txtFirstName},
    {"Page1", "SurName", &E::txtSurname},
    {"Page1", "Address1", &E::txtAddress1},
    {"Page1", "Address2", &E::txtAddress2},
    {"Page1", "Address3", &E::txtAddress3},
    {"Page1", "State", nullptr, &E::cboState},
    {"Page1", "Postcode", &E::txtPostcode},
    {"Page1", "Phone", &E::txtPhone},
    {"Page1", "Email", &E::txtEmail},
}};
constexpr char kConnectionSection[] = "Page2";
constexpr char kConnectionKey[] = "Connection";
constexpr char kConnectPhKey[] = "ConnectPh";
const std::array<StoredEntry, 7> kPage3And4 = {{
    {"Page3", "NickName", &E::txtNickName},
    {"Page3", "Password", &E::txtPassword},
    {"Page3", "PasswordConfirm", &E::txtPasswordConfirm},
    {"Page3", "CV", &E::txtCV},
    {"Page4", "CallBackNumberArea", &E::txtCallbackNumberArea},
    {"Page4", "CallBackNumber", &E::txtCallbackNumber},
    {"Page4", "HeardAbout", nullptr, &E::cboHeardAbout},
}};
const std::array<const char *, 4> kSections = {"Page1", "Page2", "Page3", "Page4"};

template <std::size_t N>
void Store(const std::array<StoredEntry, N> &stored, const WizardEntries &entries,
           SettingsWriter &writer) {
    for (const StoredEntry &entry : stored) {
        writer.save(entry.section, entry.key,
                    entry.text != nullptr ? entries.*entry.text
                                          : (entries.*entry.pick).value_or(QByteArray()));
    }
}

// A pick stored empty is no pick.
template <std::size_t N>
void Read(const std::array<StoredEntry, N> &stored, WizardEntries &entries) {
    for (const StoredEntry &entry : stored) {
        QByteArray text = GetSetting(kSettingsApp, entry.section, entry.key);
        if (entry.text != nullptr)
            entries.*entry.text = text;
        else if (!text.isEmpty())
            entries.*entry.pick = text;
    }
}

// The option that a stored "Connection" names: 0 or 1, nothing for any other
// text.
std::optional<std::int16_t> ConnectionOption(const QByteArray &stored) {
    bool isNumber = false;
    const int option = Trim(stored).toInt(&isNumber);
    if (!isNumber || (option != 0 && option != 1))
        return std::nullopt;
    return static_cast<std::int16_t>(option);
}

} // namespace

QByteArray DialNumberFor(const WizardEntries &entries) {
    if (entries.optConnection == 0) {
        const QByteArray point = entries.lstExisting.value_or(QByteArray());
        const qsizetype tab = point.indexOf('\t');
        return tab < 0 ? point : point.left(tab);
    }
    return Trim(entries.txtAlternative);
}

void StoreRegistrationDetails(const WizardEntries &entries) {
    SettingsWriter writer(kSettingsApp);
    Store(kPage1, entries, writer);
    const bool existing = entries.optConnection == 0;
    writer.save(kConnectionSection, kConnectionKey, existing ? "0" : "1");
    writer.save(kConnectionSection, kConnectPhKey,
                existing ? entries.lstExisting.value_or(QByteArray()) : entries.txtAlternative);
    Store(kPage3And4, entries, writer);
    writer.commit();
    RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kDialNumberValue,
                   DialNumberFor(entries));
}

WizardEntries ReadRegistrationDetails() {
    WizardEntries entries;
    Read(kPage1, entries);
    Read(kPage3And4, entries);
    const std::optional<std::int16_t> option =
        ConnectionOption(GetSetting(kSettingsApp, kConnectionSection, kConnectionKey));
    entries.optConnection = option.value_or(kNoConnection);
    const QByteArray connectPh = GetSetting(kSettingsApp, kConnectionSection, kConnectPhKey);
    if (option == 0)
        entries.lstExisting = connectPh;
    else if (option == 1)
        entries.txtAlternative = connectPh;
    return entries;
}

void DeleteRegistrationDetails() {
    SettingsWriter writer(kSettingsApp);
    for (const char *section : kSections)
        writer.deleteSection(section);
    writer.commit();
}
