#include "entry_checks.h"

#include "text.h"

#include <array>

namespace {

constexpr qsizetype kLocalNumberLength = 8;
constexpr qsizetype kPostcodeLength = 4;
constexpr qsizetype kAreaCodeLength = 2;
constexpr qsizetype kCallbackNumberLength = 8;
constexpr qsizetype kShortestPassword = 5;

using Message = std::optional<QByteArray>;

bool Blank(const QByteArray &text) {
    return Trim(text).isEmpty();
}

Message Failing(bool fails, const char *message) {
    return fails ? Message(QByteArray(message)) : std::nullopt;
}

Message AlternativeNumberFailure(const WizardEntries &e) {
    QByteArray message;
    Flag ok = kTrue;
    if (e.optConnection == 1)
        CheckAlternativeNumber(e.txtAlternative, message, ok);
    return ok == kFalse ? Message(message) : std::nullopt;
}

Message CallbackNumberFailure(const WizardEntries &e) {
    QByteArray message;
    Flag ok = kTrue;
    CheckCallbackNumber(e.txtCallbackNumberArea, e.txtCallbackNumber, message, ok);
    return ok == kFalse ? Message(message) : std::nullopt;
}

struct PageCheck {
    std::int16_t page;
    EntryControl control;
    Message (*failure)(const WizardEntries &);
};

// In the order they run; the first failure ends the page's check.
const std::array<PageCheck, 15> kPageChecks = {{
    {0, EntryControl::txtFirstName,
     [](const WizardEntries &e) {
         return Failing(Blank(e.txtFirstName) || Blank(e.txtSurname),
                        "Please enter both your First Name and Surame.");
     }},
    {0, EntryControl::txtAddress1,
     [](const WizardEntries &e) {
         return Failing(Blank(e.txtAddress1) || Blank(e.txtAddress3),
                        "Please enter at least your Street AND Suburb.");
     }},
    {0, EntryControl::cboState,
     [](const WizardEntries &e) { return Failing(!e.cboState, "Please select your state."); }},
    {0, EntryControl::txtPostcode,
     [](const WizardEntries &e) {
         return Failing(!Blank(e.txtPostcode) && e.txtPostcode.size() != kPostcodeLength,
                        "The Postcode must be 4 digits long.");
     }},
    {1, EntryControl::lstExisting,
     [](const WizardEntries &e) {
         return Failing(e.optConnection == 0 && !e.lstExisting,
                        "Please select an Existing Connection point.");
     }},
    {1, EntryControl::txtAlternative,
     [](const WizardEntries &e) {
         return Failing(e.optConnection == 1 && Blank(e.txtAlternative),
                        "Please enter the Alternative Connection telephone number.");
     }},
    {1, EntryControl::txtAlternative, AlternativeNumberFailure},
    {2, EntryControl::txtNickName,
     [](const WizardEntries &e) {
         return Failing(Blank(e.txtNickName),
                        "Please enter the Nickname you want to identified by.");
     }},
    {2, EntryControl::txtPassword,
     [](const WizardEntries &e) {
         return Failing(Blank(e.txtPassword),
                        "Please enter the Password to use with your Nickname.");
     }},
    {2, EntryControl::txtPassword,
     [](const WizardEntries &e) {
         return Failing(Trim(e.txtPassword).size() < kShortestPassword,
                        "The Password must be between 5 and 8 characters.");
     }},
    {2, EntryControl::txtPasswordConfirm,
     [](const WizardEntries &e) {
         return Failing(Blank(e.txtPasswordConfirm),
                        "Please re-enter the Password to use with your "
                        "Nickname, for confirmation.");
     }},
    {2, EntryControl::txtPassword,
     [](const WizardEntries &e) {
         return Failing(Trim(e.txtNickName) == Trim(e.txtPassword),
                        "The Password must be different to your Nickname.");
     }},
    {2, EntryControl::txtPasswordConfirm,
     [](const WizardEntries &e) {
         return Failing(Trim(e.txtPassword) != Trim(e.txtPasswordConfirm),
                        "The Re-Entered Password must be the same as the Password.");
     }},
    {3, EntryControl::txtCallbackNumberArea, CallbackNumberFailure},
    {3, EntryControl::cboHeardAbout,
     [](const WizardEntries &e) {
         return Failing(!e.cboHeardAbout, "Please indicate how you heard about Kestrune.");
     }},
}};

} // namespace

std::optional<CheckFailure> CheckWizardPage(std::int16_t page, const WizardEntries &entries) {
    for (const PageCheck &check : kPageChecks) {
        if (check.page != page)
            continue;
        if (Message message = check.failure(entries))
            return CheckFailure{*message, check.control};
    }
    return std::nullopt;
}

void CheckAlternativeNumber(const QByteArray &number, QByteArray &message, Flag &ok) {
    ok = kTrue;
    const bool hasSpace = number.contains(' ');
    if (number.size() < kLocalNumberLength) {
        message = "The Alternative Phone Nbr must be at least 8 digits in length.";
        ok = kFalse;
    } else if (number.size() == kLocalNumberLength) {
        if (hasSpace) {
            message = "An 8 digit long Alternative Phone Nbr cannot have spaces in it.";
            ok = kFalse;
        }
    } else if (!hasSpace) {
        message = "The Alternative Connection telephone number must have a space between area "
                  "code and Phone Nbr.";
        ok = kFalse;
    }
}

void CheckCallbackNumber(const QByteArray &area, const QByteArray &number, QByteArray &message,
                         Flag &ok) {
    ok = kTrue;
    const auto fail = [&](const char *text) {
        message = text;
        ok = kFalse;
    };
    if (Blank(area) && Blank(number))
        return;
    if (Blank(area) != Blank(number))
        fail("Please enter either both the Callback Area Code and Phone number.");
    else if (area.size() != kAreaCodeLength)
        fail("The Callback Area Code must be 2 digits in length.");
    else if (area[0] != '0')
        fail("The Callback Area Code must start with 0.");
    else if (area[1] == '0')
        fail("The Callback Area Code cannot end with 0.");
    else if (number.size() != kCallbackNumberLength)
        fail("The Callback Phone Number must be 8 digits in length.");
}
