#include "card_checks.h"
#include "continue_checks.h"
#include "entry_checks.h"
#include "entry_routines.h"
#include "expiry_date.h"
#include "list_search.h"
#include "program_folder.h"
#include "saved_details.h"
#include "settings.h"
#include "startup.h"

#include <QtTest>

using Lines = QList<QByteArray>;

namespace {

// Entries that pass every page's checks.
WizardEntries ValidEntries() {
    WizardEntries entries;
    entries.txtFirstName = "Mary";
    entries.txtSurname = "Smith";
    entries.txtAddress1 = "12 High Street";
    entries.txtAddress3 = "Richmond";
    entries.cboState = "NSW";
    entries.txtPostcode = "2000";
    entries.lstExisting = "02 70105678\tSydney";
    entries.txtNickName = "MARYS";
    entries.txtPassword = entries.txtPasswordConfirm = "SECRET";
    entries.txtCallbackNumberArea = "02";
    entries.txtCallbackNumber = "95551234";
    entries.cboHeardAbout = "From a friend";
    return entries;
}

} // namespace

class EntryRulesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void keyFilters() {
        // A key code, then what KeyUpperCase, KeyDigitsOnly and KeyDigitsAndSpace make of it: a
        // letter, a digit, a blank, Backspace, paste (Ctrl+V), e acute.
        const QList<QList<int>> rows{{'a', 'A', 0, 0},   {'0', '0', '0', '0'},
                                     {' ', ' ', 0, ' '}, {8, 8, 8, 8},
                                     {22, 22, 22, 22},   {0xe9, 0xe9, 0xe9, 0xe9}};
        for (const QList<int> &row : rows) {
            const auto key = static_cast<std::int16_t>(row[0]);
            QCOMPARE(
                (QList<int>{key, KeyUpperCase(key), KeyDigitsOnly(key), KeyDigitsAndSpace(key)}),
                row);
        }
    }
    void properCase() {
        // Blanks; two names; capitals and inner blanks stay; accented; after a hyphen.
        const QList<std::pair<QByteArray, QByteArray>> rows{{"   ", ""},
                                                            {"  mary ann  ", "Mary Ann"},
                                                            {"mcDONALD", "McDONALD"},
                                                            {"\xe9lise", "\xc9lise"},
                                                            {"12 high  st", "12 High  St"},
                                                            {"o'brien-smith", "O'brien-smith"}};
        for (const auto &[value, expected] : rows)
            QCOMPARE(std::pair(value, ProperCase(value)), std::pair(value, expected));
    }
    // Each number with the message it gets (empty: passes, the message left as it was).
    void alternativeNumber() {
        const QByteArray tooShort =
            "The Alternative Phone Nbr must be at least 8 digits in length.";
        const QByteArray spaces = "An 8 digit long Alternative Phone Nbr cannot have spaces in it.";
        const QByteArray noSpace = "The Alternative Connection telephone number must have a space "
                                   "between area code and Phone Nbr.";
        // Leading blanks count; a 9-character number may have its blank anywhere.
        const QList<std::pair<QByteArray, QByteArray>> rows{
            {"1234567", tooShort}, {"", tooShort},          {"1234 567", spaces},
            {"        ", spaces},  {"0212345678", noSpace}, {"02 12345678", {}},
            {"  123456", spaces},  {"12345678 ", {}}};
        for (const auto &[number, message] : rows) {
            QByteArray returned = "unchanged";
            Flag ok = kFalse;
            CheckAlternativeNumber(number, returned, ok);
            QCOMPARE(std::tuple(number, returned, ok),
                     std::tuple(number, message.isEmpty() ? "unchanged" : message,
                                message.isEmpty() ? kTrue : kFalse));
        }
    }
    void callbackNumber() {
        const char *both = "Please enter either both the Callback Area Code and Phone number.";
        const char *zeroFirst = "The Callback Area Code must start with 0.";
        // The area, the number, the message (empty: passes).
        const QList<std::tuple<QByteArray, QByteArray, QByteArray>> rows{
            {"03", "95551234", ""},
            {" ", "  ", ""},
            {"03", "", both},
            {"", "95551234", both},
            {"3", "95551234", "The Callback Area Code must be 2 digits in length."},
            {"3 ", "95551234", zeroFirst},
            {"30", "95551234", zeroFirst},
            {"00", "95551234", "The Callback Area Code cannot end with 0."},
            {"03", "9555123", "The Callback Phone Number must be 8 digits in length."}};
        for (const auto &[area, number, message] : rows) {
            QByteArray returned;
            Flag ok = kFalse;
            CheckCallbackNumber(area, number, returned, ok);
            QCOMPARE(std::tuple(area, number, returned, ok),
                     std::tuple(area, number, message, message.isEmpty() ? kTrue : kFalse));
        }
    }
    void pageChecks() {
        // Changes to valid entries; the page's first failing message (none: passes), its control.
        using C = EntryControl;
        using E = WizardEntries;
        const char *names = "Please enter both your First Name and Surame.";
        const char *street = "Please enter at least your Street AND Suburb.";
        const char *password = "The Password must be different to your Nickname.";
        const struct {
            std::int16_t page;
            EntryControl control;
            void (*change)(E &);
            const char *message;
        } rows[] = {
            {0, C::txtFirstName, [](E &e) { e.txtFirstName = "  "; }, names},
            {0, C::txtFirstName, [](E &e) { e.txtSurname = "", e.cboState.reset(); }, names},
            {0, C::txtAddress1, [](E &e) { e.txtAddress1 = " "; }, street},
            {0, C::txtAddress1, [](E &e) { e.txtAddress3 = "", e.txtPostcode = "1"; }, street},
            {0, C::cboState, [](E &e) { e.cboState.reset(), e.txtPostcode = "1"; },
             "Please select your state."},
            // A picked entry whose text is empty is still a pick.
            {0, C::txtPostcode, [](E &e) { e.cboState = "", e.txtPostcode = "312"; },
             "The Postcode must be 4 digits long."},
            {0, C::txtPostcode, [](E &e) { e.txtPostcode = ""; }, ""},
            {1, C::lstExisting, [](E &e) { e.lstExisting.reset(), e.txtAlternative = "1"; },
             "Please select an Existing Connection point."},
            {1, C::txtAlternative, [](E &e) { e.optConnection = 1, e.txtAlternative = "  "; },
             "Please enter the Alternative Connection telephone number."},
            {1, C::lstExisting,
             [](E &e) {
                 e.optConnection = 1, e.lstExisting.reset(), e.txtAlternative = "02 12345678";
             },
             ""},
            {2, C::txtNickName, [](E &e) { e.txtNickName = "", e.txtPassword = "AB"; },
             "Please enter the Nickname you want to identified by."},
            {2, C::txtPassword, [](E &e) { e.txtPassword = "   "; },
             "Please enter the Password to use with your Nickname."},
            {2, C::txtPassword, [](E &e) { e.txtPassword = e.txtPasswordConfirm = "ABCD"; },
             "The Password must be between 5 and 8 characters."},
            {2, C::txtPasswordConfirm, [](E &e) { e.txtPasswordConfirm = ""; },
             "Please re-enter the Password to use with your Nickname, for confirmation."},
            {2, C::txtPassword, [](E &e) { e.txtNickName = " SECRET "; }, password},
            {2, C::txtPassword,
             [](E &e) { e.txtNickName = "secret", e.txtPasswordConfirm = "SECRET "; }, ""},
            {2, C::txtPasswordConfirm, [](E &e) { e.txtPasswordConfirm = "SECRE"; },
             "The Re-Entered Password must be the same as the Password."},
            {3, C::txtCallbackNumberArea,
             [](E &e) { e.txtCallbackNumberArea = "3", e.cboHeardAbout.reset(); },
             "The Callback Area Code must be 2 digits in length."},
            {3, C::cboHeardAbout, [](E &e) { e.cboHeardAbout.reset(); },
             "Please indicate how you heard about Kestrune."},
            {3, C::cboHeardAbout, [](E &e) { e.txtCallbackNumberArea = e.txtCallbackNumber = ""; },
             ""},
            {4, C::txtFirstName, [](E &e) { e = {}; }, ""},
        };
        for (const auto &row : rows) {
            E entries = ValidEntries();
            row.change(entries);
            const std::optional<CheckFailure> failure = CheckWizardPage(row.page, entries);
            QCOMPARE(failure ? failure->message : QByteArray("passes"),
                     QByteArray(*row.message != 0 ? row.message : "passes"));
            if (failure)
                QCOMPARE(failure->control, row.control);
        }
    }
    // Plans 5 to 6 on offer, on 10 June 2025.
    void continueChecks() {
        const QByteArray nickname = "Please enter the Nickname you want to identified by.";
        const QByteArray names = "Please enter both your First Name and Surame.";
        const QByteArray range = "The Plan Number must be in the range of plan numbers listed.";
        const QByteArray expired = "Please enter a valid 4 digit Credit Card Expiry Date.";
        const int nick = int(EntryControl::txtNickName);
        const int first = int(EntryControl::txtFirstName);
        // The page shown; a change to valid entries (1: no nickname, 2: no first name); the
        // fields asked; the kept card's plan and expiry ("": no card accepted); the message
        // (none: the request may go) and the entry it sends the user to (-1: none).
        const struct {
            const char *name;
            std::int16_t page;
            int change;
            QList<int> fields;
            QByteArray plan, expiry, message;
            int control;
        } rows[] = {
            {"all well", 2, 0, {16, 24}, "5", "0626", {}, -1},
            {"the page shown", 2, 1, {16}, "", "", nickname, nick},
            {"the page shown first", 2, 3, {1, 16}, "", "", nickname, nick},
            {"then the others in order", 3, 3, {1, 16}, "", "", names, first},
            {"a page left by Back", 1, 1, {16}, "", "", nickname, nick},
            {"kept plan no longer offered", 2, 0, {16, 24}, "3", "0626", range, -1},
            {"kept card expired since", 2, 0, {13, 16}, "5", "0525", expired, -1},
            {"the card window takes the card", 2, 0, {10, 11, 24}, "3", "0525", {}, -1},
            {"no card accepted", 2, 0, {16, 24}, "", "", {}, -1},
            {"no card field", 2, 0, {16, 20}, "3", "0525", {}, -1},
        };
        for (const auto &row : rows) {
            WizardEntries entries = ValidEntries();
            if ((row.change & 1) != 0)
                entries.txtNickName = " ";
            if ((row.change & 2) != 0)
                entries.txtFirstName.clear();
            const CardDetails card{"4111111111111111", row.expiry, "M J", "", row.plan};
            RefusedRequest request{0, row.plan.isEmpty() ? nullptr : &card, 5, 6};
            for (const int field : row.fields)
                request.fields |= 1 << (field - 1);
            const std::optional<ContinueFailure> failure =
                CheckContinue(row.page, entries, request, QDate(2025, 6, 10));
            QCOMPARE(std::tuple(row.name, failure ? failure->message : QByteArray(),
                                failure && failure->control ? int(*failure->control) : -1),
                     std::tuple(row.name, row.message, row.control));
        }
    }
    void expiryDates() {
        // A day in August 1998 and one in June 2025: this month, last month, month 13, the 20
        // years ahead (inclusive), a year gone, too short, not digits; 2099: the next century.
        const QDate august1998(1998, 8, 15);
        const QDate june2025(2025, 6, 10);
        const QDate december2099(2099, 12, 1);
        const QList<std::tuple<QDate, QByteArray, bool>> rows{
            {august1998, "0898", true},   {august1998, "0798", false},
            {august1998, "1398", false},  {august1998, "0121", false},
            {august1998, "0818", true},   {august1998, "0197", false},
            {august1998, "898", false},   {june2025, "0645", true},
            {june2025, "0745", false},    {june2025, "06a6", false},
            {december2099, "0100", true}, {december2099, "1299", true}};
        for (const auto &[today, expiry, valid] : rows)
            QCOMPARE(std::tuple(today, expiry, IsValidExpiryDate(expiry, today)),
                     std::tuple(today, expiry, valid));
    }
    // Plans 3 to 7 offered; one entry differs from a good card.
    void cardChecks() {
        const char *const length = "The Credit Card Number must be 16 digits long.";
        const char *const range = "The Plan Number must be in the range of plan numbers listed.";
        const int number = int(CardControl::txtCreditCardNumber);
        const int expiry = int(CardControl::txtExpiryDate);
        const int plan = int(CardControl::txtPlanNbr);
        // The entry (0 number, 1 expiry, 2 name, 3 address, 4 plan number), its text, the
        // message (empty: passes) and the box it sends the user to.
        const QList<std::tuple<int, QByteArray, QByteArray, int>> rows{
            {0, "  ", "Please enter a Credit Card Number.", number},
            {0, "411111111111111", length, number},
            {0, "4111 11111111111", length, number},
            {0, " 4111111111111111 ", "", -1},
            {1, " ", "Please enter the 4 digit Credit Card Expiry Date.", expiry},
            {1, "0525", "Please enter a valid 4 digit Credit Card Expiry Date.", expiry},
            {2, "  ", "Please enter the name that appears on the Credit Card.",
             int(CardControl::txtNameOnCard)},
            {3, "", "", -1},
            {4, "", "Please enter the Plan Number.", plan},
            {4, "x1", "This is not a valid Plan Number - please re-enter the number.", plan},
            {4, "2", range, plan},
            {4, "8", range, plan},
            {4, "3", "", -1},
            {4, "07", "", -1}};
        for (const auto &[box, entry, message, control] : rows) {
            CardDetails card{"4111111111111111", "0626", "M J", "1 Main St", "5"};
            QByteArray *const entries[] = {&card.txtCreditCardNumber, &card.txtExpiryDate,
                                           &card.txtNameOnCard, &card.txtCardholderAddress,
                                           &card.txtPlanNbr};
            *entries[box] = entry;
            const std::optional<CardCheckFailure> failure =
                CheckCardDetails(card, 3, 7, QDate(2025, 6, 10));
            QCOMPARE(std::tuple(entry, failure ? failure->message : QByteArray(),
                                failure ? int(failure->control) : -1),
                     std::tuple(entry, message, control));
        }
    }
    void listSearch() {
        // Lower case; a prefix finds the first after entry 0; the first entry last; no match;
        // an empty text or list; accented capitals; a whole dial-in entry.
        const Lines states = {"ACT", "NSW", "NT", "QLD", "SA", "TAS", "VIC", "WA"};
        const QList<std::tuple<Lines, QByteArray, int>> rows{
            {states, "vic", 6},
            {states, "N", 1},
            {{"Alpha", "Beta", "Al"}, "al", 2},
            {states, "XX", -1},
            {states, "", -1},
            {{}, "A", -1},
            {{"x", "\xe9t\xe9 games"}, "\xc9T\xc9", 1},
            {{"03 1\tMelbourne", "02 2\tSydney"}, "02 2\tSydney", 1}};
        for (const auto &[entries, text, found] : rows)
            QCOMPARE(std::pair(text, FindListEntry(entries, text)), std::pair(text, found));
    }
    // The saved option and number through the settings file, as a restart reads them; then
    // the option restored (-1: none) and the number dialled.
    void savedConnection() {
        QList<std::tuple<QByteArray, QByteArray, int, QByteArray>> rows{
            {"0", "02 70105678\tSydney", 0, "02 70105678"},
            {"0", "02 70105678", 0, "02 70105678"},
            {"1", "  03 12345678 ", 1, "03 12345678"},
            {"1", "03\t1", 1, "03\t1"},
            {" 1 ", "", 1, ""}};
        for (const char *stored : {"2", "-1", "", "one"})
            rows.append({stored, "", -1, ""});
        for (const auto &[connection, connectPh, option, dial] : rows) {
            const ProgramFolder machine;
            SaveSetting(kSettingsApp, "Page2", "Connection", connection);
            SaveSetting(kSettingsApp, "Page2", "ConnectPh", connectPh);
            const WizardEntries stored = ReadRegistrationDetails();
            const QByteArray shown = stored.optConnection == 0 ? stored.lstExisting.value_or("none")
                                                               : stored.txtAlternative;
            QCOMPARE(
                std::tuple(connection, int(stored.optConnection), DialNumberFor(stored), shown),
                std::tuple(connection, option, dial, option < 0 ? QByteArray() : connectPh));
        }
    }
};

QTEST_GUILESS_MAIN(EntryRulesTest)
#include "test_entry_rules.moc"
