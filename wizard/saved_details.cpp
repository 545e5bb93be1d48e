#include "saved_details.h"

#include "registry.h"
#include "settings.h"
#include "startup.h"
#include "text.h"

#include <array>

namespace {

struct StoredEntry {
    const char *section;
    const char *key;
    QByteArray RegistrationDetails::*text;
};

using D = RegistrationDetails;

// In the order they are written; DialNumber goes between Page2 and Page3.
const std::array<StoredEntry, 11> kPage1And2 = {{
    {"Page1", "FirstName", &D::FirstName},
    {"Page1", "SurName", &D::SurName},
    {"Page1", "Address1", &D::Address1},
    {"Page1", "Address2", &D::Address2},
    {"Page1", "Address3", &D::Address3},
    {"Page1", "State", &D::State},
    {"Page1", "Postcode", &D::Postcode},
    {"Page1", "Phone", &D::Phone},
    {"Page1", "Email", &D::Email},
    {"Page2", "Connection", &D::Connection},
    {"Page2", "ConnectPh", &D::ConnectPh},
}};
const std::array<StoredEntry, 7> kPage3And4 = {{
    {"Page3", "NickName", &D::NickName},
    {"Page3", "Password", &D::Password},
    {"Page3", "PasswordConfirm", &D::PasswordConfirm},
    {"Page3", "CV", &D::CV},
    {"Page4", "CallBackNumberArea", &D::CallBackNumberArea},
    {"Page4", "CallBackNumber", &D::CallBackNumber},
    {"Page4", "HeardAbout", &D::HeardAbout},
}};
const std::array<const char *, 4> kSections = {"Page1", "Page2", "Page3", "Page4"};

template <std::size_t N>
void Store(const std::array<StoredEntry, N> &entries, const RegistrationDetails &details) {
    for (const StoredEntry &entry : entries)
        SaveSetting(kSettingsApp, entry.section, entry.key, details.*entry.text);
}

template <std::size_t N>
void Read(const std::array<StoredEntry, N> &entries, RegistrationDetails &details) {
    for (const StoredEntry &entry : entries)
        details.*entry.text = GetSetting(kSettingsApp, entry.section, entry.key);
}

} // namespace

QByteArray DialNumberFor(const RegistrationDetails &details) {
    if (details.Connection == "0") {
        const qsizetype tab = details.ConnectPh.indexOf('\t');
        return tab < 0 ? details.ConnectPh : details.ConnectPh.left(tab);
    }
    return Trim(details.ConnectPh);
}

void StoreRegistrationDetails(const RegistrationDetails &details) {
    Store(kPage1And2, details);
    RegWriteString(winreg::HKEY_LOCAL_MACHINE, kServiceKey, kDialNumberValue,
                   DialNumberFor(details));
    Store(kPage3And4, details);
}

RegistrationDetails ReadRegistrationDetails() {
    RegistrationDetails details;
    Read(kPage1And2, details);
    Read(kPage3And4, details);
    return details;
}

std::optional<std::int16_t> ConnectionOption(const QByteArray &stored) {
    bool isNumber = false;
    const int option = Trim(stored).toInt(&isNumber);
    if (!isNumber || (option != 0 && option != 1))
        return std::nullopt;
    return static_cast<std::int16_t>(option);
}

void DeleteRegistrationDetails() {
    for (const char *section : kSections)
        DeleteSetting(kSettingsApp, section);
}
