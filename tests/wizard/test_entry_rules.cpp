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
    void keyFilters_data() {
        // Key code in, then what KeyUpperCase, KeyDigitsOnly and KeyDigitsAndSpace make of it.
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("digitsAndSpace");
        QTest::newRow("a") << int('a') << int('A') << 0 << 0;
        QTest::newRow("0") << int('0') << int('0') << int('0') << int('0');
        QTest::newRow("space") << 32 << 32 << 0 << 32;
        QTest::newRow("backspace") << 8 << 8 << 8 << 8;
        QTest::newRow("paste (Ctrl+V)") << 22 << 22 << 22 << 22;
        QTest::newRow("e acute") << 0xe9 << 0xe9 << 0xe9 << 0xe9;
    }
    void keyFilters() {
        QFETCH(int, key);
        const auto code = static_cast<std::int16_t>(key);
        QTEST(int(KeyUpperCase(code)), "upper");
        QTEST(int(KeyDigitsOnly(code)), "digits");
        QTEST(int(KeyDigitsAndSpace(code)), "digitsAndSpace");
    }
    void properCase_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("blanks") << QByteArray("   ") << QByteArray();
        QTest::newRow("two names") << QByteArray("  mary ann  ") << QByteArray("Mary Ann");
        QTest::newRow("capitals stay") << QByteArray("mcDONALD") << QByteArray("McDONALD");
        QTest::newRow("inner blanks stay")
            << QByteArray("12 high  st") << QByteArray("12 High  St");
        QTest::newRow("accented") << QByteArray("\xe9lise") << QByteArray("\xc9lise");
        QTest::newRow("after a hyphen")
            << QByteArray("o'brien-smith") << QByteArray("O'brien-smith");
    }
    void properCase() {
        QFETCH(QByteArray, value);
        QTEST(ProperCase(value), "expected");
    }
    void alternativeNumber_data() {
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("message"); // empty: passes
        const QByteArray tooShort =
            "The Alternative Phone Nbr must be at least 8 digits in length.";
        const QByteArray spaces = "An 8 digit long Alternative Phone Nbr cannot have spaces in it.";
        const QByteArray noSpace = "The Alternative Connection telephone number must have a space "
                                   "between area code and Phone Nbr.";
        QTest::newRow("7 digits") << QByteArray("1234567") << tooShort;
        QTest::newRow("empty") << QByteArray() << tooShort;
        QTest::newRow("4 space 3") << QByteArray("1234 567") << spaces;
        QTest::newRow("8 blanks") << QByteArray("        ") << spaces;
        QTest::newRow("10 digits") << QByteArray("0212345678") << noSpace;
        QTest::newRow("area space 8") << QByteArray("02 12345678") << QByteArray();
        QTest::newRow("leading blanks count") << QByteArray("  123456") << spaces;
        QTest::newRow("9 with a blank anywhere") << QByteArray("12345678 ") << QByteArray();
    }
    void alternativeNumber() {
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, message);
        QByteArray returned = "unchanged";
        Flag ok = kFalse;
        CheckAlternativeNumber(number, returned, ok);
        QCOMPARE(ok, message.isEmpty() ? kTrue : kFalse);
        QCOMPARE(returned, message.isEmpty() ? QByteArray("unchanged") : message);
    }
    void callbackNumber_data() {
        QTest::addColumn<QByteArray>("area");
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("message"); // empty: passes
        const auto row = [](const char *name, const char *area, const char *number,
                            const char *message = "") {
            QTest::newRow(name) << QByteArray(area) << QByteArray(number) << QByteArray(message);
        };
        const char *both = "Please enter either both the Callback Area Code and Phone number.";
        const char *zeroFirst = "The Callback Area Code must start with 0.";
        row("03 and 8 digits", "03", "95551234");
        row("both blank", " ", "  ");
        row("area only", "03", "", both);
        row("number only", "", "95551234", both);
        row("area 3", "3", "95551234", "The Callback Area Code must be 2 digits in length.");
        row("area with a blank", "3 ", "95551234", zeroFirst);
        row("area 30", "30", "95551234", zeroFirst);
        row("area 00", "00", "95551234", "The Callback Area Code cannot end with 0.");
        row("7 digits", "03", "9555123", "The Callback Phone Number must be 8 digits in length.");
    }
    void callbackNumber() {
        QFETCH(QByteArray, area);
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, message);
        QByteArray returned;
        Flag ok = kFalse;
        CheckCallbackNumber(area, number, returned, ok);
        QCOMPARE(ok, message.isEmpty() ? kTrue : kFalse);
        QCOMPARE(returned, message);
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
    void continueChecks_data() {
        // The page shown; a change to valid entries (0: none); the fields asked;
        // the kept card's plan and expiry ("": no card accepted); the message (none:
        // the request may go) and the entry it sends the user to (-1: none).
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("change");
        QTest::addColumn<QList<int>>("fields");
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QByteArray>("expiry");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("control");
        const QByteArray nickname = "Please enter the Nickname you want to identified by.";
        const QByteArray range = "The Plan Number must be in the range of plan numbers listed.";
        const auto row = [](const char *name, int page, int change, const QList<int> &fields,
                            const char *plan, const char *expiry, const QByteArray &message,
                            int control) {
            QTest::newRow(name) << page << change << fields << QByteArray(plan)
                                << QByteArray(expiry) << message << control;
        };
        const int nick = int(EntryControl::txtNickName);
        const int first = int(EntryControl::txtFirstName);
        row("all well", 2, 0, {16, 24}, "5", "0626", {}, -1);
        row("the page shown", 2, 1, {16}, "", "", nickname, nick);
        row("the page shown first", 2, 3, {1, 16}, "", "", nickname, nick);
        row("then the others in order", 3, 3, {1, 16}, "", "",
            "Please enter both your First Name and Surame.", first);
        row("a page left by Back", 1, 1, {16}, "", "", nickname, nick);
        row("kept plan no longer offered", 2, 0, {16, 24}, "3", "0626", range, -1);
        row("kept card expired since", 2, 0, {13, 16}, "5", "0525",
            "Please enter a valid 4 digit Credit Card Expiry Date.", -1);
        row("the card window takes the card", 2, 0, {10, 11, 24}, "3", "0525", {}, -1);
        row("no card accepted", 2, 0, {16, 24}, "", "", {}, -1);
        row("no card field", 2, 0, {16, 20}, "3", "0525", {}, -1);
    }
    // Plans 5 to 6 on offer, on 10 June 2025.
    void continueChecks() {
        QFETCH(int, page);
        QFETCH(int, change);
        QFETCH(QList<int>, fields);
        QFETCH(QByteArray, plan);
        QFETCH(QByteArray, expiry);
        WizardEntries entries = ValidEntries();
        if ((change & 1) != 0)
            entries.txtNickName = " ";
        if ((change & 2) != 0)
            entries.txtFirstName.clear();
        const CardDetails card{"4111111111111111", expiry, "M J", "", plan};
        RefusedRequest request;
        for (const int field : fields)
            request.fields |= 1 << (field - 1);
        request.keptCard = plan.isEmpty() ? nullptr : &card;
        request.planLo = 5;
        request.planHi = 6;
        const std::optional<ContinueFailure> failure =
            CheckContinue(static_cast<std::int16_t>(page), entries, request, QDate(2025, 6, 10));
        QTEST(failure ? failure->message : QByteArray(), "message");
        QTEST(failure && failure->control ? int(*failure->control) : -1, "control");
    }
    void expiryDates_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QByteArray>("expiry");
        QTest::addColumn<bool>("valid");
        const QDate august1998(1998, 8, 15);
        const QDate june2025(2025, 6, 10);
        const auto row = [](const char *name, const QDate &today, const char *expiry, bool valid) {
            QTest::newRow(name) << today << QByteArray(expiry) << valid;
        };
        row("1998: this month", august1998, "0898", true);
        row("1998: last month", august1998, "0798", false);
        row("1998: month 13", august1998, "1398", false);
        row("1998: 2021 is past 20 years", august1998, "0121", false);
        row("1998: 2018 within 20 years", august1998, "0818", true);
        row("1998: 1997 expired", august1998, "0197", false);
        row("1998: three characters", august1998, "898", false);
        row("2025: exactly 20 years", june2025, "0645", true);
        row("2025: a month past 20 years", june2025, "0745", false);
        row("2025: not digits", june2025, "06a6", false);
        row("2099: next century", QDate(2099, 12, 1), "0100", true);
        row("2099: 99 is this year", QDate(2099, 12, 1), "1299", true);
    }
    void expiryDates() {
        QFETCH(QDate, today);
        QFETCH(QByteArray, expiry);
        QTEST(IsValidExpiryDate(expiry, today), "valid");
    }
    void cardChecks_data() {
        QTest::addColumn<int>("box"); // 0 number, 1 expiry, 2 name, 3 address, 4 plan number
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("message"); // empty: passes
        QTest::addColumn<int>("control");
        // Plans 3 to 7 offered; one entry differs from a good card.
        const auto row = [](const char *name, int box, const char *entry, const char *message = "",
                            int control = -1) {
            QTest::newRow(name) << box << QByteArray(entry) << QByteArray(message) << control;
        };
        const char *const length = "The Credit Card Number must be 16 digits long.";
        const char *const range = "The Plan Number must be in the range of plan numbers listed.";
        const int number = int(CardControl::txtCreditCardNumber);
        const int expiry = int(CardControl::txtExpiryDate);
        const int plan = int(CardControl::txtPlanNbr);
        row("no card number", 0, "  ", "Please enter a Credit Card Number.", number);
        row("15 digits", 0, "411111111111111", length, number);
        row("16 with a blank", 0, "4111 11111111111", length, number);
        row("16 digits between blanks", 0, " 4111111111111111 ");
        row("no expiry", 1, " ", "Please enter the 4 digit Credit Card Expiry Date.", expiry);
        row("expiry refused", 1, "0525", "Please enter a valid 4 digit Credit Card Expiry Date.",
            expiry);
        row("no name", 2, "  ", "Please enter the name that appears on the Credit Card.",
            int(CardControl::txtNameOnCard));
        row("no address", 3, "");
        row("no plan", 4, "", "Please enter the Plan Number.", plan);
        row("plan not a number", 4, "x1",
            "This is not a valid Plan Number - please re-enter the number.", plan);
        row("plan below", 4, "2", range, plan);
        row("plan above", 4, "8", range, plan);
        row("plan at the low bound", 4, "3");
        row("plan at the high bound", 4, "07");
    }
    void cardChecks() {
        QFETCH(int, box);
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, message);
        CardDetails card{"4111111111111111", "0626", "M J", "1 Main St", "5"};
        QByteArray *const entries[] = {&card.txtCreditCardNumber, &card.txtExpiryDate,
                                       &card.txtNameOnCard, &card.txtCardholderAddress,
                                       &card.txtPlanNbr};
        *entries[box] = entry;
        const std::optional<CardCheckFailure> failure =
            CheckCardDetails(card, 3, 7, QDate(2025, 6, 10));
        QCOMPARE(failure ? failure->message : QByteArray(), message);
        QTEST(failure ? int(failure->control) : -1, "control");
    }
    void listSearch_data() {
        QTest::addColumn<Lines>("entries");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("found");
        const Lines states = {"ACT", "NSW", "NT", "QLD", "SA", "TAS", "VIC", "WA"};
        QTest::newRow("lower case") << states << QByteArray("vic") << 6;
        QTest::newRow("prefix finds the first after entry 0") << states << QByteArray("N") << 1;
        QTest::newRow("first entry last") << Lines{"Alpha", "Beta", "Al"} << QByteArray("al") << 2;
        QTest::newRow("no match") << states << QByteArray("XX") << -1;
        QTest::newRow("empty text") << states << QByteArray() << -1;
        QTest::newRow("empty list") << Lines{} << QByteArray("A") << -1;
        QTest::newRow("accented capitals")
            << Lines{"x", "\xe9t\xe9 games"} << QByteArray("\xc9T\xc9") << 1;
        QTest::newRow("whole dial-in entry")
            << Lines{"03 1\tMelbourne", "02 2\tSydney"} << QByteArray("02 2\tSydney") << 1;
    }
    void listSearch() {
        QFETCH(Lines, entries);
        QFETCH(QByteArray, text);
        QTEST(FindListEntry(entries, text), "found");
    }
    void savedConnection_data() {
        // The saved option and number, then the option restored (-1: none) and the number dialled.
        QTest::addColumn<QByteArray>("connection");
        QTest::addColumn<QByteArray>("connectPh");
        QTest::addColumn<int>("option");
        QTest::addColumn<QByteArray>("dial");
        const auto row = [](const char *name, const char *connection, const char *connectPh,
                            int option, const char *dial) {
            QTest::newRow(name) << QByteArray(connection) << QByteArray(connectPh) << option
                                << QByteArray(dial);
        };
        row("existing", "0", "02 70105678\tSydney", 0, "02 70105678");
        row("existing without a tab", "0", "02 70105678", 0, "02 70105678");
        row("alternative", "1", "  03 12345678 ", 1, "03 12345678");
        row("alternative with a tab", "1", "03\t1", 1, "03\t1");
        row("blanks around", " 1 ", "", 1, "");
        for (const char *stored : {"2", "-1", "", "one"})
            row(stored, stored, "", -1, "");
    }
    // Through the settings file, as a restart reads it.
    void savedConnection() {
        const ProgramFolder machine;
        QFETCH(QByteArray, connection);
        QFETCH(QByteArray, connectPh);
        SaveSetting(kSettingsApp, "Page2", "Connection", connection);
        SaveSetting(kSettingsApp, "Page2", "ConnectPh", connectPh);
        const WizardEntries stored = ReadRegistrationDetails();
        QTEST(int(stored.optConnection), "option");
        QTEST(DialNumberFor(stored), "dial");
        QCOMPARE(stored.optConnection == 0 ? stored.lstExisting.value_or("none")
                                           : stored.txtAlternative,
                 stored.optConnection < 0 ? QByteArray() : connectPh);
    }
};

QTEST_GUILESS_MAIN(EntryRulesTest)
#include "test_entry_rules.moc"
