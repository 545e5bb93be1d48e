#include "frmAccountRestore.h"
#include "program_folder.h"
#include "registry.h"
#include "scripted_ui.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {

const QByteArray kTitle = "Kestrune Account Restore";
const QByteArray kKeysReset = "The Kestrune registration keys have been reset.";
const QByteArray kNotStored =
    "The new values could not be stored in the registry. Please contact Kestrune support.";

std::unique_ptr<frmAccountRestore> openWindow() {
    auto window = std::make_unique<frmAccountRestore>();
    window->activateWindow();
    QApplication::processEvents();
    return window;
}

void store(const char *valueName, const QByteArray &text) {
    QCOMPARE(RegWriteString(HKEY_LOCAL_MACHINE, kServiceKey, valueName, text), kTrue);
}

// The stored value, or "(missing)" when it cannot be read.
QByteArray stored(const char *valueName) {
    QByteArray value;
    if (RegReadValue(HKEY_LOCAL_MACHINE, kServiceKey, valueName, value) == kFalse)
        return "(missing)";
    return value;
}

// Makes the store refuse every write of one value, as a full or damaged
// store would, while everything else keeps working.
void refuseWritesOf(const ProgramFolder &folder, const char *valueName) {
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(folder.registryPath()).constData(), &db), SQLITE_OK);
    const QByteArray sql = "CREATE TRIGGER refuse BEFORE INSERT ON reg_values WHEN NEW.name = '" +
                           QByteArray(valueName) + "' BEGIN SELECT RAISE(ABORT, 'refused'); END;";
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

void type(QLineEdit *box, const QString &text) {
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, text);
}

// Types a character that has no key of its own on the test keyboard.
void typeCharacter(QLineEdit *box, QChar character) {
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

} // namespace

class TestAccountRestore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void showsTheStoredValues_data();
    void showsTheStoredValues();
    void storesTrimmedValuesAndEnds();
    void refusesBlankEntries_data();
    void refusesBlankEntries();
    void unwritableStoreKeepsTheToolOpen_data();
    void unwritableStoreKeepsTheToolOpen();
    void refusedPasswordShowsWhatWasStored();
    void refusedUserNameWritesNoPassword();
    void enterMovesOnWithoutUpdating();
    void entryBoxesKeepToTheirLimits();
    void exitQuestion();
    void closeBoxEndsWithoutAsking();
};

void TestAccountRestore::showsTheStoredValues_data() {
    // Command1 and Command2 as stored ("-" leaves the value out), then the
    // two labels.
    QTest::addColumn<QByteArrayList>("values");
    QTest::addColumn<QByteArrayList>("shown");
    const QByteArray none = "<< Not Registered >>";
    QTest::newRow("first start") << QByteArrayList{"-", "-"} << QByteArrayList{none, none};
    QTest::newRow("stored by the wizard") << QByteArrayList{"kes10234", "Gr\xe9ta pass"}
                                          << QByteArrayList{"kes10234", "Gr\xe9ta pass"};
    QTest::newRow("empty text stored as a space")
        << QByteArrayList{"", "secret"} << QByteArrayList{" ", "secret"};
    QTest::newRow("password only")
        << QByteArrayList{"-", "secret"} << QByteArrayList{none, "secret"};
    QTest::newRow("markup shown as stored")
        << QByteArrayList{"<b>x</b>", "-"} << QByteArrayList{"<b>x</b>", none};
}

void TestAccountRestore::showsTheStoredValues() {
    QFETCH(QByteArrayList, values);
    QFETCH(QByteArrayList, shown);
    ProgramFolder folder;
    ScriptedUi ui;
    if (values[0] != "-")
        store(kCommand1Value, values[0]);
    if (values[1] != "-")
        store(kCommand2Value, values[1]);
    const auto window = openWindow();
    QVERIFY(window->isVisible());
    QCOMPARE(window->lblUserName->text().toLatin1(), shown[0]);
    QCOMPARE(window->lblPassword->text().toLatin1(), shown[1]);
    QCOMPARE(window->lblUserName->textFormat(), Qt::PlainText);
    QVERIFY(ui.messages.isEmpty());
}

void TestAccountRestore::storesTrimmedValuesAndEnds() {
    ProgramFolder folder;
    ScriptedUi ui;
    store(kCommand1Value, "olduser");
    store(kCommand2Value, "oldpass");
    const auto window = openWindow();
    type(window->txtUserName, QStringLiteral("  new user  "));
    type(window->txtPassword, QStringLiteral(" pw 2 "));
    QStringList shownAtMessage;
    ui.onMessage = [&](const ScriptedUi::Message &) {
        shownAtMessage = {window->lblUserName->text(), window->lblPassword->text(),
                          window->txtUserName->text(), window->txtPassword->text()};
    };
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);

    QCOMPARE(stored(kCommand1Value), QByteArray("new user"));
    QCOMPARE(stored(kCommand2Value), QByteArray("pw 2"));
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, kKeysReset);
    QCOMPARE(ui.messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(ui.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(ui.messages[0].title, kTitle);
    QCOMPARE(shownAtMessage, (QStringList{QStringLiteral("new user"), QStringLiteral("pw 2"),
                                          QString(), QString()}));
    QVERIFY(ui.ended);
    QVERIFY(!window->isVisible());
}

void TestAccountRestore::refusesBlankEntries_data() {
    QTest::addColumn<QByteArray>("userName");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("userNameFocused");
    const QByteArray enterUserName = "Please enter the new value for the User Name.";
    const QByteArray enterPassword = "Please enter the new value for the Password.";
    QTest::newRow("no user name") << QByteArray() << QByteArray("pw") << enterUserName << true;
    QTest::newRow("blank user name") << QByteArray("   ") << QByteArray() << enterUserName << true;
    QTest::newRow("no password") << QByteArray("user") << QByteArray() << enterPassword << false;
    QTest::newRow("blank password")
        << QByteArray("user") << QByteArray("    ") << enterPassword << false;
}

void TestAccountRestore::refusesBlankEntries() {
    QFETCH(QByteArray, userName);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, message);
    QFETCH(bool, userNameFocused);
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    type(window->txtUserName, QString::fromLatin1(userName));
    type(window->txtPassword, QString::fromLatin1(password));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);

    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, message);
    QCOMPARE(ui.messages[0].icon, MsgIcon::Exclamation);
    QCOMPARE(ui.messages[0].title, kTitle);
    QLineEdit *offending = userNameFocused ? window->txtUserName : window->txtPassword;
    QCOMPARE(QApplication::focusWidget(), offending);
    QCOMPARE(offending->selectedText(), offending->text());
    QCOMPARE(stored(kCommand1Value), QByteArray("(missing)"));
    QCOMPARE(stored(kCommand2Value), QByteArray("(missing)"));
    QVERIFY(!ui.ended);
    QVERIFY(window->isVisible());
}

void TestAccountRestore::unwritableStoreKeepsTheToolOpen_data() {
    QTest::addColumn<bool>("notADatabase");
    QTest::newRow("file that is not a database") << true;
    QTest::newRow("folder that does not exist") << false;
}

void TestAccountRestore::unwritableStoreKeepsTheToolOpen() {
    QFETCH(bool, notADatabase);
    ProgramFolder folder;
    ScriptedUi ui;
    const QString path = folder.root() + (notADatabase ? QStringLiteral("/garbage.db")
                                                       : QStringLiteral("/gone/registry.db"));
    if (notADatabase) {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
    }
    qputenv("KESTRUNE_REGISTRY", QFile::encodeName(path));
    const auto window = openWindow();
    type(window->txtUserName, QStringLiteral("user"));
    type(window->txtPassword, QStringLiteral("pass"));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);

    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, kNotStored);
    QCOMPARE(ui.messages[0].icon, MsgIcon::Critical);
    QCOMPARE(ui.messages[0].title, kTitle);
    QCOMPARE(window->lblUserName->text(), QStringLiteral("<< Not Registered >>"));
    QCOMPARE(window->lblPassword->text(), QStringLiteral("<< Not Registered >>"));
    QCOMPARE(window->txtUserName->text(), QStringLiteral("user"));
    QCOMPARE(window->txtPassword->text(), QStringLiteral("pass"));
    QVERIFY(!ui.ended);
    QVERIFY(window->isVisible());
    QCOMPARE(QDir(folder.root()).exists(QStringLiteral("gone")), false);
}

void TestAccountRestore::refusedPasswordShowsWhatWasStored() {
    ProgramFolder folder;
    ScriptedUi ui;
    store(kCommand1Value, "olduser");
    store(kCommand2Value, "oldpass");
    refuseWritesOf(folder, kCommand2Value);
    const auto window = openWindow();
    type(window->txtUserName, QStringLiteral("newuser"));
    type(window->txtPassword, QStringLiteral("newpass"));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);

    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, kNotStored);
    QCOMPARE(window->lblUserName->text(), QStringLiteral("newuser"));
    QCOMPARE(window->lblPassword->text(), QStringLiteral("oldpass"));
    QCOMPARE(window->txtPassword->text(), QStringLiteral("newpass"));
    QVERIFY(!ui.ended);
}

void TestAccountRestore::refusedUserNameWritesNoPassword() {
    ProgramFolder folder;
    ScriptedUi ui;
    store(kCommand2Value, "oldpass");
    refuseWritesOf(folder, kCommand1Value);
    const auto window = openWindow();
    type(window->txtUserName, QStringLiteral("newuser"));
    type(window->txtPassword, QStringLiteral("newpass"));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);

    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text, kNotStored);
    QCOMPARE(stored(kCommand1Value), QByteArray("(missing)"));
    QCOMPARE(stored(kCommand2Value), QByteArray("oldpass"));
    QCOMPARE(window->lblUserName->text(), QStringLiteral("<< Not Registered >>"));
    QCOMPARE(window->lblPassword->text(), QStringLiteral("oldpass"));
}

void TestAccountRestore::enterMovesOnWithoutUpdating() {
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    QVERIFY(window->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), window->txtUserName);
    QTest::keyClicks(window->txtUserName, QStringLiteral("user"));
    QTest::keyClick(window->txtUserName, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), window->txtPassword);
    QCOMPARE(window->txtUserName->text(), QStringLiteral("user"));

    QTest::keyClicks(window->txtPassword, QStringLiteral("pass"));
    QTest::keyClick(window->txtPassword, Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), window->cmdUpdate);
    QVERIFY(ui.messages.isEmpty());
    QCOMPARE(stored(kCommand1Value), QByteArray("(missing)"));

    // A box that gets the focus back has its whole text selected.
    QTest::keyClick(window->cmdUpdate, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), window->txtPassword);
    QCOMPARE(window->txtPassword->selectedText(), QStringLiteral("pass"));

    // The next Enter on Update presses it.
    window->cmdUpdate->setFocus();
    QTest::keyClick(window->cmdUpdate, Qt::Key_Return);
    QCOMPARE(stored(kCommand1Value), QByteArray("user"));
    QCOMPARE(stored(kCommand2Value), QByteArray("pass"));
    QVERIFY(ui.ended);
}

void TestAccountRestore::entryBoxesKeepToTheirLimits() {
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    type(window->txtUserName, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(window->txtUserName->text(), QStringLiteral("abcdefghijklmnop"));
    type(window->txtPassword, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(window->txtPassword->text(), QStringLiteral("abcdefghijklmnopqrst"));
    QCOMPARE(window->txtPassword->echoMode(), QLineEdit::Normal);

    // Characters the registry cannot hold are neither typed nor pasted.
    type(window->txtUserName, QStringLiteral("ab"));
    typeCharacter(window->txtUserName, QChar(0x20AC));
    window->txtUserName->insert(QString::fromUtf8("x\u20ACy"));
    typeCharacter(window->txtUserName, QChar(0xE9));
    QCOMPARE(window->txtUserName->text(), QString::fromLatin1("ab\xe9"));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
    QCOMPARE(ui.messages.size(), 1); // the empty password
    type(window->txtPassword, QStringLiteral("x"));
    QTest::mouseClick(window->cmdUpdate, Qt::LeftButton);
    QCOMPARE(stored(kCommand1Value), QByteArray("ab\xe9"));
}

void TestAccountRestore::exitQuestion() {
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    type(window->txtUserName, QStringLiteral("typed"));
    ui.answers = {MsgAnswer::No};
    QTest::mouseClick(window->cmdCancel, Qt::LeftButton);
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages[0].text,
             QByteArray("Are you sure you want to exit the Kestrune Account Restore program?"));
    QCOMPARE(ui.messages[0].icon, MsgIcon::Question);
    QCOMPARE(ui.messages[0].buttons, MsgButtons::YesNo);
    QCOMPARE(ui.messages[0].title, kTitle);
    QVERIFY(!ui.ended);
    QVERIFY(window->isVisible());
    QCOMPARE(window->txtUserName->text(), QStringLiteral("typed"));

    ui.answers = {MsgAnswer::Yes};
    QTest::mouseClick(window->cmdCancel, Qt::LeftButton);
    QCOMPARE(ui.messages.size(), 2);
    QVERIFY(ui.ended);
    QVERIFY(!window->isVisible());
    QCOMPARE(stored(kCommand1Value), QByteArray("(missing)"));
}

void TestAccountRestore::closeBoxEndsWithoutAsking() {
    ProgramFolder folder;
    ScriptedUi ui;
    const auto window = openWindow();
    QVERIFY(window->close());
    QVERIFY(ui.ended);
    QVERIFY(ui.messages.isEmpty());
}

QTEST_MAIN(TestAccountRestore)
#include "tst_frmAccountRestore.moc"
